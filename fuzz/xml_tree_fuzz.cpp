// XML documents through both reader families: the parse either fails or
// gives a tree whose searches and values can be read.
#include <libxml/tree.h>

#include "fuzz/fuzz_support.h"
#include "support/xml_read.h"

namespace {

// Every element name of the tree searched for again from the top, and its
// values read as each reader would.
void Visit(const XMLTree* top, const XMLTree& node, int* budget) {
  for (const XMLTree& child : node.children) {
    if (--*budget < 0) return;
    if (child.kind != XMLTree::kElement) continue;
    bool found = false;
    if (!XMLTreeFindElement(top, child.value.c_str(), &found) || !found) __builtin_trap();
    XMLTreeGetElementBool(top, child.value.c_str());
    XMLTreeGetElementFloat(top, child.value.c_str());
    XMLTreeGetElementLong(top, child.value.c_str());
    std::string text;
    if (!XMLTreeCopyElementText(top, child.value.c_str(), &text)) __builtin_trap();
    Visit(top, child, budget);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  if (std::unique_ptr<XMLTree> tree = XMLTreeCreateFromBytes(bytes, size)) {
    int budget = 200;
    Visit(tree.get(), *tree, &budget);
  }
  if (xmlDoc* doc = XMLDocReadFromBytes(bytes, size)) {
    xmlNode* root = xmlDocGetRootElement(doc);
    if (root) {
      bool found = false;
      if (XMLDocFindElement(reinterpret_cast<xmlNode*>(doc), reinterpret_cast<const char*>(root->name), &found) != root)
        __builtin_trap();
      XMLDocGetElementFloat(root, "Saturation");
      XMLDocGetElementText(root, "Slope");
    }
    xmlFreeDoc(doc);
  }
  return 0;
}
