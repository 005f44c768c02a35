// The document family of readers: searches over libxml2's own tree.
#include <libxml/tree.h>

#include <cstring>

#include "support/xml_read.h"

namespace {

bool IsElementNamed(const xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE && xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

xmlNode* FirstTextChild(xmlNode* element) {
  for (xmlNode* child = element ? element->children : nullptr; child; child = child->next)
    if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) return child;
  return nullptr;
}

}  // namespace

xmlNode* XMLDocFindElement(xmlNode* node, const char* name, bool* found) {
  if (found) *found = false;
  if (!node || !name) return nullptr;
  // A document's children are reached the same way as an element's.
  for (xmlNode* child = node->children; child; child = child->next) {
    if (IsElementNamed(child, name)) {
      if (found) *found = true;
      return child;
    }
    if (xmlNode* below = XMLDocFindElement(child, name, found)) return below;
  }
  return nullptr;
}

float XMLDocGetElementFloat(xmlNode* node, const char* name) {
  xmlNode* text = FirstTextChild(XMLDocFindElement(node, name, nullptr));
  if (!text || !text->content) return 0.0f;
  const char* s = reinterpret_cast<const char*>(text->content);
  float value = 0.0f;
  return XMLParseFloatPrefix(s, std::strlen(s), &value) ? value : 0.0f;
}

const char* XMLDocGetElementText(xmlNode* node, const char* name) {
  if (!node || !name) return nullptr;
  xmlNode* element = nullptr;
  for (xmlNode* child = node->children; child && !element; child = child->next)
    if (IsElementNamed(child, name)) element = child;
  for (xmlNode* child = node->children; child && !element; child = child->next)
    element = XMLDocFindElement(child, name, nullptr);
  xmlNode* text = FirstTextChild(element);
  return text && text->content ? reinterpret_cast<const char*>(text->content) : nullptr;
}
