// Colour swatches: panes that show a colour triple of the working record,
// as it is or after the current correction, with its values in the readout
// mode of the colour-match group.
#include "app/controls/color_swatch.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "app/controls/bound_controls.h"
#include "app/controls/color_readout.h"
#include "app/state/focus_text.h"
#include "app/state/view_state.h"
#include "app/views/central_update.h"
#include "platform/ui/toolkit.h"

namespace {

constexpr uint32_t kPropRecord = QVFourCC("srow");

std::vector<std::unique_ptr<VFSampleRow>> gRows;

bool Flag(UIControl* control, uint32_t tag) {
  uint8_t value = 0;
  return UIGetControlProperty(control, kVFCreator, tag, &value, 1, nullptr) == kQVNoErr && value != 0;
}

void SetFlag(UIControl* control, uint32_t tag, bool on) {
  const uint8_t value = on ? 1 : 0;
  UISetControlProperty(control, kVFCreator, tag, &value, 1);
}

// The first control in the tree under `control` with this signature.
UIControl* FindBySignature(UIControl* control, uint32_t signature) {
  if (!control) return nullptr;
  if (UIGetControlID(control).signature == signature) return control;
  for (int32_t i = 0, n = UICountChildren(control); i < n; ++i)
    if (UIControl* found = FindBySignature(UIGetChild(control, i), signature)) return found;
  return nullptr;
}

// The mode a swatch reads out in: its record's popup, else the popup of the
// window's colour-match group, else 1.
int32_t SwatchMode(UIControl* swatch) {
  VFSampleRow* row = VFSampleRowOf(swatch);
  if (row && row->modePopup && UIIsControlAlive(row->modePopup)) return VFGetReadoutMode(swatch);
  UIControl* popup = FindBySignature(UIGetRootControl(UIGetControlWindow(swatch)), kVFSigReadoutPopup);
  return popup ? std::max(1, UIGetControlValue(popup)) : 1;
}

void DrawValues(UIControl* swatch, UIContext* ctx, const UIRect& r, const float rgb[3], const UIColor& fill) {
  const int32_t mode = SwatchMode(swatch);
  const bool dark = 0.299 * fill.red + 0.587 * fill.green + 0.114 * fill.blue <= 0.5;
  UISetFillColor(ctx, dark ? UIColorRGB(1, 1, 1) : UIColorRGB(0, 0, 0));
  float values[3] = {rgb[0], rgb[1], rgb[2]};
  const char* letters[3] = {"R", "G", "B"};
  if (mode == kVFReadoutHSL) {
    // The colour as filled, 16 bits a component.
    const float filled[3] = {float(fill.red), float(fill.green), float(fill.blue)};
    double h, s, l;
    VFColorToHSL(filled, &h, &s, &l);
    values[0] = float(h * 360.0);
    values[1] = float(s * 100.0);
    values[2] = float(l * 100.0);
    letters[0] = "H";
    letters[1] = "S";
    letters[2] = "L";
  }
  const UITextMetrics m = UIMeasureText(UIInterfaceFont(kUIFontControl), "RGB");
  const int32_t line = int32_t(std::ceil(m.ascent + m.descent));
  for (int32_t i = 0; i < 3; ++i) {
    const int32_t baseline = r.top + 4 + int32_t(std::ceil(m.ascent)) + i * line;
    QVDrawThemeTextAtPen(ctx, UIPoint{r.left + 4 + 1, baseline}, letters[i], kUIFontControl);
    VFDrawValueLabel(ctx, values[i], mode, r.right - 4, baseline, i);
  }
}

}  // namespace

VFSampleRow* VFNewSampleRow(UIWindow* window) {
  auto* row = new (std::nothrow) VFSampleRow;
  if (!row) return nullptr;
  row->window = window;
  gRows.emplace_back(row);
  return row;
}

VFSampleRow* VFSampleRowOf(UIControl* control) {
  return control && UIIsControlAlive(control) ? static_cast<VFSampleRow*>(VFGetPointerProperty(control, kPropRecord))
                                              : nullptr;
}

void VFAttachSampleRow(UIControl* control, VFSampleRow* record) {
  if (control && record) VFSetPointerProperty(control, kPropRecord, record);
}

bool VFGetTripleOffset(UIControl* control, uint32_t* offset) {
  uint32_t size = 0, value = 0;
  if (!control || !UIIsControlAlive(control) ||
      UIGetControlProperty(control, kVFCreator, kVFPropOffset, &value, sizeof value, &size) != kQVNoErr ||
      size != sizeof value)
    return false;
  // The three floats lie inside the record.
  if (value > uint32_t(kVLSettingsByteCount) - 12) return false;
  *offset = value;
  return true;
}

bool VFSwatchOffset(UIControl* swatch, uint32_t* offset) {
  if (VFGetTripleOffset(swatch, offset)) return true;
  VFSampleRow* row = VFSampleRowOf(swatch);
  return row && VFGetTripleOffset(row->eyedropper, offset);
}

UIControl* VFCreateSwatchPane(UIWindow* window, const UIRect& frame, UIControl* parent, bool showValues, bool result,
                              bool target, bool joined, bool leftHalf, uint32_t offset, int32_t idNumber,
                              VFSampleRow* record) {
  if (!window) return nullptr;
  UIUserPaneProcs procs;
  procs.draw = VFDrawSwatch;
  UIControl* swatch = UINewUserPane(window, frame, procs);
  if (!swatch) return nullptr;
  if (parent) UIEmbedControl(swatch, parent);
  const uint32_t signature = target ? kVFSigTargetSwatch : result ? kVFSigResultSwatch : kVFSigSampleSwatch;
  UISetControlID(swatch, UIControlID{signature, idNumber});
  if (record) {
    UIControl*& slot = target ? record->targetSwatch : result ? record->resultSwatch : record->sampleSwatch;
    slot = swatch;
    VFAttachSampleRow(swatch, record);
  }
  SetFlag(swatch, kVFPropShowValues, showValues);
  SetFlag(swatch, kVFPropResult, result);
  SetFlag(swatch, kVFPropTarget, target);
  SetFlag(swatch, kVFPropJoined, joined);
  SetFlag(swatch, kVFPropLeftHalf, leftHalf);
  if (offset != 0) UISetControlProperty(swatch, kVFCreator, kVFPropOffset, &offset, sizeof offset);
  return swatch;
}

void VFDrawSwatch(UIControl* swatch, UIContext* ctx) {
  uint32_t offset = 0;
  if (!ctx || !UIIsControlVisible(swatch) || !VFSwatchOffset(swatch, &offset)) return;
  float rgb[3];
  std::memcpy(rgb, reinterpret_cast<const uint8_t*>(&gUISettings) + offset, sizeof rgb);
  if (Flag(swatch, kVFPropResult)) ProcessColorSample(&rgb[0], &rgb[1], &rgb[2], nullptr, &gUISettings);
  uint16_t c16[3];
  for (int i = 0; i < 3; ++i) {
    const float c = std::isnan(rgb[i]) ? 0.0f : std::clamp(rgb[i], 0.0f, 1.0f);
    c16[i] = uint16_t(c * 65535.0f);
  }
  const UIColor fill = UIColorFrom16(c16[0], c16[1], c16[2]);

  const UIRect r = UIGetControlBounds(swatch);
  const double t = r.top + 0.5, b = r.bottom - 0.5, lft = r.left + 0.5, rt = r.right - 0.5;
  UISetStrokeColor(ctx, UIColorRGB(0, 0, 0));
  UISetLineWidth(ctx, 1.0);
  UIRect inside = UIRectInset(r, 1, 1);
  if (!Flag(swatch, kVFPropJoined)) {
    UIFrameRect(ctx, r);
  } else if (Flag(swatch, kVFPropLeftHalf)) {
    // Open to the right: the right half closes the box.
    UIDrawLine(ctx, rt + 0.5, b, lft, b);
    UIDrawLine(ctx, lft, b, lft, t);
    UIDrawLine(ctx, lft, t, rt + 0.5, t);
    inside.right = r.right;
  } else {
    UIDrawLine(ctx, lft - 0.5, t, rt, t);
    UIDrawLine(ctx, rt, t, rt, b);
    UIDrawLine(ctx, rt, b, lft - 0.5, b);
    inside.left = r.left;
  }
  UISetFillColor(ctx, fill);
  UIFillRect(ctx, inside);
  if (Flag(swatch, kVFPropShowValues)) DrawValues(swatch, ctx, r, rgb, fill);
}

int32_t VFReadoutModeNear(UIControl* control) { return SwatchMode(control); }

int32_t VFGetReadoutMode(UIControl* control) {
  VFSampleRow* row = VFSampleRowOf(control);
  if (!row || !row->modePopup || !UIIsControlAlive(row->modePopup)) return 1;
  return UIGetControlValue(row->modePopup);
}

void VFDrawValueLabel(UIContext* ctx, float value, int32_t mode, int32_t h, int32_t v, int32_t component) {
  char text[200];
  VFFormatValueLabel(value, mode, component, text, sizeof text);
  QVDrawThemeTextRightAligned(ctx, UIPoint{h, v}, text, kUIFontControl);
}

UIControl* VFFindPart(UIWindow* window, uint32_t signature, int32_t idNumber) {
  return window ? UIFindControlByID(window, UIControlID{signature, idNumber}) : nullptr;
}

void VFRedrawParts(UIControl* a, UIControl* b, UIControl* c, UIControl* d) {
  for (UIControl* control : {a, b, c, d})
    if (control && UIIsControlAlive(control)) UIDrawControl(control);
}
