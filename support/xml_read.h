// Reading XML back, in two families over one careful parser.
//
// The parser (libxml2) reads at most kXMLMaxDocumentBytes, never touches
// the network, refuses any document type declaration (so no entity of a
// file's own can expand), and folds the entity references "amp", "lt",
// "gt", "quot" and "tilde", in any case, into their characters; any other
// entity reference adds nothing. Its complaints go to the diagnostic log.
//
// The document family hands out libxml2's own tree (the caller frees it
// with xmlFreeDoc); the tree family builds a small tree of element and text
// nodes of our own. Element names are compared case-insensitively and
// searched depth first in document order; the node a search starts from is
// not itself tested.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_ref.h"

typedef struct _xmlDoc xmlDoc;
typedef struct _xmlNode xmlNode;

constexpr size_t kXMLMaxDocumentBytes = size_t(16) << 20;

// --- the document family ----------------------------------------------------

// Parses bytes held in memory; null when they are not a readable document.
xmlDoc* XMLDocReadFromBytes(const char* bytes, size_t length);
// Parses the file; null when it cannot be read or parsed.
xmlDoc* XMLDocReadFromFSRef(const QVFileRef* file);
// The first element of that name below the node; *found says whether there
// was one (found may be null). A null node gives null. Pass the document as
// (xmlNode*) doc or its root element.
xmlNode* XMLDocFindElement(xmlNode* node, const char* name, bool* found);
// The number at the start of the element's first text child (as "%f"
// reads it); 0.0 when the element, the text or the number is missing.
float XMLDocGetElementFloat(xmlNode* node, const char* name);
// The content of the element's first text child; null when missing. The
// element is looked for among the node's own children first, then below
// each of them. The text belongs to the document.
const char* XMLDocGetElementText(xmlNode* node, const char* name);

// --- the tree family ----------------------------------------------------------

struct XMLTree {
  enum Kind : uint8_t { kDocument, kElement, kText };
  Kind kind = kDocument;
  std::string value;  // the element's name or the text
  std::vector<XMLTree> children;
};

// The tree of a document; null when it cannot be read or parsed.
std::unique_ptr<XMLTree> XMLTreeCreateFromBytes(const char* bytes, size_t length);
std::unique_ptr<XMLTree> XMLTreeCreateFromFSRef(const QVFileRef* file);

const XMLTree* XMLTreeFindElement(const XMLTree* tree, const char* name, bool* found);
// True when the element exists and its first child is a text "TRUE" in any case.
bool XMLTreeGetElementBool(const XMLTree* tree, const char* name);
// The element's first child's text (at most 511 bytes of it) as "%f" and
// "%ld" read it; 0 when absent.
float XMLTreeGetElementFloat(const XMLTree* tree, const char* name);
int32_t XMLTreeGetElementLong(const XMLTree* tree, const char* name);
// The texts of the element's text children joined in order; false (and an
// empty text) when the element is missing.
bool XMLTreeCopyElementText(const XMLTree* tree, const char* name, std::string* text);

// Numbers as the readers take them: leading white space skipped, then the
// longest number there is. False when there is none (or it is out of range).
bool XMLParseFloatPrefix(const char* text, size_t length, float* value, size_t* used = nullptr);
bool XMLParseLongPrefix(const char* text, size_t length, int32_t* value);
