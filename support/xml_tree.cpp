// The tree family of readers: a small tree of our own built from the
// parser's, and searches over it.
#include <libxml/tree.h>

#include <cstring>
#include <new>
#include <strings.h>

#include "platform/file_contents.h"
#include "support/xml_read.h"

namespace {

void CopyChildren(const xmlNode* from, XMLTree* to) {
  for (const xmlNode* child = from->children; child; child = child->next) {
    if (child->type == XML_ELEMENT_NODE) {
      XMLTree& element = to->children.emplace_back();
      element.kind = XMLTree::kElement;
      element.value = reinterpret_cast<const char*>(child->name);
      CopyChildren(child, &element);  // the parser holds nesting to 256 levels
    } else if ((child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) && child->content) {
      const char* text = reinterpret_cast<const char*>(child->content);
      if (!to->children.empty() && to->children.back().kind == XMLTree::kText)
        to->children.back().value += text;
      else
        to->children.push_back(XMLTree{XMLTree::kText, text, {}});
    }
  }
}

// The first child's text, at most 511 bytes of it.
bool FirstChildText(const XMLTree* tree, const char* name, std::string* text) {
  const XMLTree* element = XMLTreeFindElement(tree, name, nullptr);
  if (!element || element->children.empty() || element->children.front().kind != XMLTree::kText) return false;
  *text = element->children.front().value.substr(0, 511);
  return true;
}

}  // namespace

std::unique_ptr<XMLTree> XMLTreeCreateFromBytes(const char* bytes, size_t length) {
  xmlDoc* doc = XMLDocReadFromBytes(bytes, length);
  if (!doc) return nullptr;
  std::unique_ptr<XMLTree> tree(new (std::nothrow) XMLTree);
  if (tree) {
    try {
      CopyChildren(reinterpret_cast<const xmlNode*>(doc), tree.get());
    } catch (const std::bad_alloc&) {
      tree.reset();
    }
  }
  xmlFreeDoc(doc);
  return tree;
}

std::unique_ptr<XMLTree> XMLTreeCreateFromFSRef(const QVFileRef* file) {
  if (!file) return nullptr;
  std::string bytes;
  if (PLReadFileContents(file->path, kXMLMaxDocumentBytes, &bytes) != kQVNoErr) return nullptr;
  return XMLTreeCreateFromBytes(bytes.data(), bytes.size());
}

const XMLTree* XMLTreeFindElement(const XMLTree* tree, const char* name, bool* found) {
  if (found) *found = false;
  if (!tree || !name) return nullptr;
  for (const XMLTree& child : tree->children) {
    if (child.kind == XMLTree::kElement && strcasecmp(child.value.c_str(), name) == 0) {
      if (found) *found = true;
      return &child;
    }
    if (const XMLTree* below = XMLTreeFindElement(&child, name, found)) return below;
  }
  return nullptr;
}

bool XMLTreeGetElementBool(const XMLTree* tree, const char* name) {
  std::string text;
  return FirstChildText(tree, name, &text) && strcasecmp(text.c_str(), "TRUE") == 0;
}

float XMLTreeGetElementFloat(const XMLTree* tree, const char* name) {
  std::string text;
  float value = 0.0f;
  return FirstChildText(tree, name, &text) && XMLParseFloatPrefix(text.data(), text.size(), &value) ? value : 0.0f;
}

int32_t XMLTreeGetElementLong(const XMLTree* tree, const char* name) {
  std::string text;
  int32_t value = 0;
  return FirstChildText(tree, name, &text) && XMLParseLongPrefix(text.data(), text.size(), &value) ? value : 0;
}

bool XMLTreeCopyElementText(const XMLTree* tree, const char* name, std::string* text) {
  if (text) text->clear();
  const XMLTree* element = XMLTreeFindElement(tree, name, nullptr);
  if (!element) return false;
  if (text)
    for (const XMLTree& child : element->children)
      if (child.kind == XMLTree::kText) *text += child.value;
  return true;
}
