#include "app/surfaces/surface_file.h"

#include <charconv>
#include <cstring>
#include <ctime>
#include <strings.h>
#include <string>

#include "app/surfaces/surface_text.h"
#include "platform/file_contents.h"
#include "platform/fourcc.h"
#include "support/files.h"
#include "support/output_file.h"
#include "support/xml_read.h"
#include "support/xml_write.h"

namespace {

constexpr size_t kMaxFileBytes = size_t(4) << 20;
constexpr size_t kColorNameBytes = 256;

const char* const kLineElements[4] = {"leftline1", "leftline2", "rightline1", "rightline2"};
const char* const kColorElements[4] = {"trackball1color", "trackball2color", "trackball3color", "trackball4color"};

char* LineOf(SurfacePageDefinition& p, int k) {
  char* const lines[4] = {p.leftLine1, p.leftLine2, p.rightLine1, p.rightLine2};
  return lines[k];
}

// The date in its short written form ("Fri, Dec 11, 2026"), spelled the
// same in every locale.
std::string DateText() {
  static const char* const kDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  if (!localtime_r(&now, &t)) return "";
  char text[40];
  std::snprintf(text, sizeof text, "%s, %s %d, %d", kDays[t.tm_wday % 7], kMonths[t.tm_mon % 12], t.tm_mday,
                t.tm_year + 1900);
  return text;
}

// A real number as "%f" prints it in the C locale.
QVStatus WriteReal(FILE* stream, const char* name, float value) {
  char text[64];
  const auto r = std::to_chars(text, text + sizeof text - 1, double(value), std::chars_format::fixed, 6);
  if (r.ec != std::errc()) return kQVErrParam;
  *r.ptr = '\0';
  return XMLWriteTextElement(stream, name, text);
}

QVStatus WriteText(FILE* stream, const char* name, const char* latin1, size_t length) {
  return XMLWriteTextElement(stream, name, SurfaceLatin1ToUTF8(latin1, length).c_str());
}

QVStatus WritePage(FILE* stream, int32_t page) {
  SurfacePageDefinition& p = gSurfacePages[page - 1];
  QVFirstFailure f;
  if (XMLWriteOpenTag(stream, "page", nullptr) < 0) f.Note(kQVErrIO);
  f.Note(XMLWriteLongElement(stream, "pageindex", page));
  f.Note(XMLWriteBoolElement(stream, "pageactive", p.active != 0));
  if (XMLWriteOpenTag(stream, "display", nullptr) < 0) f.Note(kQVErrIO);
  for (int k = 0; k < 4; ++k) f.Note(WriteText(stream, kLineElements[k], LineOf(p, k), kSurfaceDisplayLineBytes));
  for (int k = 0; k < 4; ++k) f.Note(XMLWriteTextElement(stream, kColorElements[k], SurfaceColorName(p.trackballColor[k])));
  if (XMLWriteCloseTag(stream, "display") < 0) f.Note(kQVErrIO);
  if (XMLWriteOpenTag(stream, "pagecontrols", nullptr) < 0) f.Note(kQVErrIO);
  f.Note(SurfaceWriteControlDefinition(stream, gSurfaceControls[page - 1], kSurfaceControlsPerPage));
  if (XMLWriteCloseTag(stream, "pagecontrols") < 0) f.Note(kQVErrIO);
  if (XMLWriteCloseTag(stream, "page") < 0) f.Note(kQVErrIO);
  return f.status;
}

// --- reading ------------------------------------------------------------------

// The element's own child elements of a name, in order.
template <class Fn>
void ForEachChildNamed(const XMLTree* parent, const char* name, Fn fn) {
  for (const XMLTree& c : parent->children)
    if (c.kind == XMLTree::kElement && strcasecmp(c.value.c_str(), name) == 0) fn(&c);
}

// The first element of the name below root, depth first, with its parent.
const XMLTree* FindWithParent(const XMLTree* root, const char* name, const XMLTree** parent) {
  for (const XMLTree& c : root->children) {
    if (c.kind != XMLTree::kElement) continue;
    if (strcasecmp(c.value.c_str(), name) == 0) {
      *parent = root;
      return &c;
    }
    if (const XMLTree* found = FindWithParent(&c, name, parent)) return found;
  }
  return nullptr;
}

void ReadTarget(const XMLTree* control, const char* name, int32_t* target) {
  std::string text;
  if (XMLTreeCopyElementText(control, name, &text)) *target = SurfaceFieldFromName(text.c_str());
}

void ReadControl(const XMLTree* control, SurfaceControlDefinition& d) {
  std::string text;
  if (XMLTreeCopyElementText(control, "controlid", &text)) d.controlID = SurfaceControlIDFromName(text.c_str());
  if (XMLTreeCopyElementText(control, "action", &text)) d.action = SurfaceActionFromName(text.c_str());
  ReadTarget(control, "targetcontrol", &d.targetControl);
  ReadTarget(control, "target1", &d.target1);
  ReadTarget(control, "target2", &d.target2);
  d.scaleX = XMLTreeGetElementFloat(control, "scalex");
  d.scaleY = XMLTreeGetElementFloat(control, "scaley");
  d.updateLEDs = XMLTreeGetElementBool(control, "updateleds") ? 1 : 0;
}

void ReadPage(const XMLTree* page) {
  const int32_t index = XMLTreeGetElementLong(page, "pageindex");
  if (index < 1 || index > kSurfacePageCount) return;
  SurfacePageDefinition& p = gSurfacePages[index - 1];
  bool found = false;
  const XMLTree* display = XMLTreeFindElement(page, "display", &found);
  if (display) {
    // A page with a display is active unless the file says it is not.
    std::string active;
    p.active = !XMLTreeCopyElementText(page, "pageactive", &active) || XMLTreeGetElementBool(page, "pageactive");
    std::string text;
    for (int k = 0; k < 4; ++k)
      if (XMLTreeCopyElementText(display, kLineElements[k], &text))
        SurfaceUTF8ToLatin1(text, LineOf(p, k), kSurfaceDisplayLineBytes);
    for (int k = 0; k < 4; ++k)
      if (XMLTreeCopyElementText(display, kColorElements[k], &text)) {
        char name[kColorNameBytes];
        SurfaceUTF8ToLatin1(text, name, sizeof name);
        p.trackballColor[k] = SurfaceColorFromName(name);
      }
  }
  const XMLTree* controls = XMLTreeFindElement(page, "pagecontrols", &found);
  if (!controls) return;
  int32_t entry = 0;
  ForEachChildNamed(controls, "control", [&](const XMLTree* control) {
    if (entry < kSurfaceControlsPerPage) ReadControl(control, gSurfaceControls[index - 1][entry++]);
  });
}

}  // namespace

QVStatus SurfaceWriteControlDefinition(FILE* stream, const SurfaceControlDefinition* first, int32_t count) {
  QVFirstFailure f;
  for (int32_t i = 0; first && i < count; ++i) {
    const SurfaceControlDefinition& d = first[i];
    if (d.action == kSurfaceActionPlaceholder) continue;
    if (XMLWriteOpenTag(stream, "control", nullptr) < 0) f.Note(kQVErrIO);
    f.Note(XMLWriteTextElement(stream, "controlid", SurfaceControlIDName(d.controlID)));
    f.Note(XMLWriteTextElement(stream, "action", SurfaceActionName(d.action)));
    if (d.targetControl != kSurfaceNoTarget)
      f.Note(XMLWriteTextElement(stream, "targetcontrol", SurfaceFieldName(d.targetControl)));
    if (d.target1 != kSurfaceNoTarget) f.Note(XMLWriteTextElement(stream, "target1", SurfaceFieldName(d.target1)));
    if (d.target2 != kSurfaceNoTarget) f.Note(XMLWriteTextElement(stream, "target2", SurfaceFieldName(d.target2)));
    // NaN compares unequal to 0 and is written too.
    if (!(d.scaleX == 0.0f)) f.Note(WriteReal(stream, "scalex", d.scaleX));
    if (!(d.scaleY == 0.0f)) f.Note(WriteReal(stream, "scaley", d.scaleY));
    f.Note(XMLWriteBoolElement(stream, "updateleds", d.updateLEDs != 0));
    if (XMLWriteCloseTag(stream, "control") < 0) f.Note(kQVErrIO);
  }
  return f.status;
}

QVStatus SurfaceWriteDefinitionsTo(FILE* stream, const char* dateText) {
  QVFirstFailure f;
  const int32_t level = XMLIndentLevel();
  XMLSetIndentLevel(0);
  char comment[160];
  std::snprintf(comment, sizeof comment, "<!-- Date:      %s     -->\n", dateText ? dateText : "");
  f.Note(XMLWriteString(stream, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"));
  f.Note(XMLWriteString(stream, "<!-- File Type: Knobwell KB-1 Control Surface Definitions   -->\n"));
  f.Note(XMLWriteString(stream, "<!-- Creator:   Quorvane Velmora   -->\n"));
  f.Note(XMLWriteString(stream, comment));
  if (XMLWriteOpenTag(stream, "knobwellsettings", nullptr) < 0) f.Note(kQVErrIO);
  for (int32_t page = 1; page <= kSurfacePageCount; ++page) f.Note(WritePage(stream, page));
  if (XMLWriteCloseTag(stream, "knobwellsettings") < 0) f.Note(kQVErrIO);
  XMLSetIndentLevel(level);
  return f.status;
}

QVStatus SurfaceWriteDefinitions(const char* path, const char* /*name*/) {
  QVOutputFile file;
  QVStatus status = QVOutputFileOpen(path, &file);
  if (status != kQVNoErr) return status;
  status = SurfaceWriteDefinitionsTo(file.stream, DateText().c_str());
  if (status != kQVNoErr) {
    QVOutputFileAbandon(&file);
    return status;
  }
  status = QVOutputFileCommit(&file);
  if (status != kQVNoErr) return status;
  // The type and creator are a courtesy: the file is whole without them.
  QVIgnoreStatus(QVChangeTypeAndCreatorFromPath(path, QVFourCC("QVc3"), QVFourCC("VLws")));
  return kQVNoErr;
}

bool SurfaceReadDefinitionsFromBytes(const char* bytes, size_t length) {
  std::unique_ptr<XMLTree> tree = XMLTreeCreateFromBytes(bytes, length);
  if (!tree) return false;
  bool found = false;
  const XMLTree* root = XMLTreeFindElement(tree.get(), "knobwellsettings", &found);
  if (!root) return false;
  const XMLTree* parent = nullptr;
  const XMLTree* first = FindWithParent(root, "page", &parent);
  if (!first) return false;
  bool walking = false;
  for (const XMLTree& sibling : parent->children) {
    if (&sibling == first) walking = true;
    if (walking && sibling.kind == XMLTree::kElement) ReadPage(&sibling);
  }
  return true;
}

QVStatus SurfaceReadDefinitions(const char* path) {
  std::string bytes;
  if (path && PLReadFileContents(path, kMaxFileBytes, &bytes) == kQVNoErr)
    SurfaceReadDefinitionsFromBytes(bytes.data(), bytes.size());
  return kQVNoErr;
}
