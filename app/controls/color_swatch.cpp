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

bool Flag(TKControl* control, uint32_t tag) {
  uint8_t value = 0;
  return TKGetControlProperty(control, kVFCreator, tag, &value, 1, nullptr) == kQVNoErr && value != 0;
}

void SetFlag(TKControl* control, uint32_t tag, bool on) {
  const uint8_t value = on ? 1 : 0;
  // A made control takes a property; only a missing one refuses.
  QVIgnoreStatus(TKSetControlProperty(control, kVFCreator, tag, &value, 1));
}

// The first control in the tree under `control` with this signature.
TKControl* FindBySignature(TKControl* control, uint32_t signature) {
  if (!control) return nullptr;
  if (TKGetControlID(control).signature == signature) return control;
  for (int32_t i = 0, n = TKCountChildren(control); i < n; ++i)
    if (TKControl* found = FindBySignature(TKGetChild(control, i), signature)) return found;
  return nullptr;
}

// The mode a swatch reads out in: its record's popup, else the popup of the
// window's colour-match group, else 1.
int32_t SwatchMode(TKControl* swatch) {
  VFSampleRow* row = VFSampleRowOf(swatch);
  if (row && row->modePopup && TKIsControlAlive(row->modePopup)) return VFGetReadoutMode(swatch);
  TKControl* popup = FindBySignature(TKGetRootControl(TKGetControlWindow(swatch)), kVFSigReadoutPopup);
  return popup ? std::max(1, TKGetControlValue(popup)) : 1;
}

void DrawValues(TKControl* swatch, TKContext* ctx, const TKRect& r, const float rgb[3], const TKColor& fill) {
  const int32_t mode = SwatchMode(swatch);
  const bool dark = 0.299 * fill.red + 0.587 * fill.green + 0.114 * fill.blue <= 0.5;
  TKSetFillColor(ctx, dark ? TKColorRGB(1, 1, 1) : TKColorRGB(0, 0, 0));
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
  const TKTextMetrics m = TKMeasureText(UIInterfaceFont(kUIFontControl), "RGB");
  const int32_t line = int32_t(std::ceil(m.ascent + m.descent));
  for (int32_t i = 0; i < 3; ++i) {
    const int32_t baseline = r.top + 4 + int32_t(std::ceil(m.ascent)) + i * line;
    // Drawing a letter of our own cannot fail.
    QVIgnoreStatus(QVDrawThemeTextAtPen(ctx, TKPoint{r.left + 4 + 1, baseline}, letters[i], kUIFontControl));
    VFDrawValueLabel(ctx, values[i], mode, r.right - 4, baseline, i);
  }
}

}  // namespace

VFSampleRow* VFNewSampleRow(TKWindow* window) {
  auto* row = new (std::nothrow) VFSampleRow;
  if (!row) return nullptr;
  row->window = window;
  gRows.emplace_back(row);
  return row;
}

VFSampleRow* VFSampleRowOf(TKControl* control) {
  return control && TKIsControlAlive(control) ? static_cast<VFSampleRow*>(VFGetPointerProperty(control, kPropRecord))
                                              : nullptr;
}

void VFAttachSampleRow(TKControl* control, VFSampleRow* record) {
  if (control && record) VFSetPointerProperty(control, kPropRecord, record);
}

bool VFGetTripleOffset(TKControl* control, uint32_t* offset) {
  uint32_t size = 0, value = 0;
  if (!control || !TKIsControlAlive(control) ||
      TKGetControlProperty(control, kVFCreator, kVFPropOffset, &value, sizeof value, &size) != kQVNoErr ||
      size != sizeof value)
    return false;
  // The three floats lie inside the record.
  if (value > uint32_t(kVLSettingsByteCount) - 12) return false;
  *offset = value;
  return true;
}

bool VFSwatchOffset(TKControl* swatch, uint32_t* offset) {
  if (VFGetTripleOffset(swatch, offset)) return true;
  VFSampleRow* row = VFSampleRowOf(swatch);
  return row && VFGetTripleOffset(row->eyedropper, offset);
}

TKControl* VFCreateSwatchPane(TKWindow* window, const TKRect& frame, TKControl* parent, bool showValues, bool result,
                              bool target, bool joined, bool leftHalf, uint32_t offset, int32_t idNumber,
                              VFSampleRow* record) {
  if (!window) return nullptr;
  TKUserPaneProcs procs;
  procs.draw = VFDrawSwatch;
  TKControl* swatch = TKNewUserPane(window, frame, procs);
  if (!swatch) return nullptr;
  // Embedding a control made in the parent's window cannot fail.
  if (parent) QVIgnoreStatus(TKEmbedControl(swatch, parent));
  const uint32_t signature = target ? kVFSigTargetSwatch : result ? kVFSigResultSwatch : kVFSigSampleSwatch;
  TKSetControlID(swatch, TKControlID{signature, idNumber});
  if (record) {
    TKControl*& slot = target ? record->targetSwatch : result ? record->resultSwatch : record->sampleSwatch;
    slot = swatch;
    VFAttachSampleRow(swatch, record);
  }
  SetFlag(swatch, kVFPropShowValues, showValues);
  SetFlag(swatch, kVFPropResult, result);
  SetFlag(swatch, kVFPropTarget, target);
  SetFlag(swatch, kVFPropJoined, joined);
  SetFlag(swatch, kVFPropLeftHalf, leftHalf);
  // A made control takes a property; only a missing one refuses.
  if (offset != 0) QVIgnoreStatus(TKSetControlProperty(swatch, kVFCreator, kVFPropOffset, &offset, sizeof offset));
  return swatch;
}

void VFDrawSwatch(TKControl* swatch, TKContext* ctx) {
  uint32_t offset = 0;
  if (!ctx || !TKIsControlVisible(swatch) || !VFSwatchOffset(swatch, &offset)) return;
  float rgb[3];
  std::memcpy(rgb, reinterpret_cast<const uint8_t*>(&gUISettings) + offset, sizeof rgb);
  if (Flag(swatch, kVFPropResult)) ProcessColorSample(&rgb[0], &rgb[1], &rgb[2], nullptr, &gUISettings);
  uint16_t c16[3];
  for (int i = 0; i < 3; ++i) {
    const float c = std::isnan(rgb[i]) ? 0.0f : std::clamp(rgb[i], 0.0f, 1.0f);
    c16[i] = uint16_t(c * 65535.0f);
  }
  const TKColor fill = TKColorFrom16(c16[0], c16[1], c16[2]);

  const TKRect r = TKGetControlBounds(swatch);
  const double t = r.top + 0.5, b = r.bottom - 0.5, lft = r.left + 0.5, rt = r.right - 0.5;
  TKSetStrokeColor(ctx, TKColorRGB(0, 0, 0));
  TKSetLineWidth(ctx, 1.0);
  TKRect inside = TKRectInset(r, 1, 1);
  if (!Flag(swatch, kVFPropJoined)) {
    TKFrameRect(ctx, r);
  } else if (Flag(swatch, kVFPropLeftHalf)) {
    // Open to the right: the right half closes the box.
    TKDrawLine(ctx, rt + 0.5, b, lft, b);
    TKDrawLine(ctx, lft, b, lft, t);
    TKDrawLine(ctx, lft, t, rt + 0.5, t);
    inside.right = r.right;
  } else {
    TKDrawLine(ctx, lft - 0.5, t, rt, t);
    TKDrawLine(ctx, rt, t, rt, b);
    TKDrawLine(ctx, rt, b, lft - 0.5, b);
    inside.left = r.left;
  }
  TKSetFillColor(ctx, fill);
  TKFillRect(ctx, inside);
  if (Flag(swatch, kVFPropShowValues)) DrawValues(swatch, ctx, r, rgb, fill);
}

int32_t VFReadoutModeNear(TKControl* control) { return SwatchMode(control); }

int32_t VFGetReadoutMode(TKControl* control) {
  VFSampleRow* row = VFSampleRowOf(control);
  if (!row || !row->modePopup || !TKIsControlAlive(row->modePopup)) return 1;
  return TKGetControlValue(row->modePopup);
}

void VFDrawValueLabel(TKContext* ctx, float value, int32_t mode, int32_t h, int32_t v, int32_t component) {
  char text[200];
  VFFormatValueLabel(value, mode, component, text, sizeof text);
  // Drawing text of our own cannot fail.
  QVIgnoreStatus(QVDrawThemeTextRightAligned(ctx, TKPoint{h, v}, text, kUIFontControl));
}

TKControl* VFFindPart(TKWindow* window, uint32_t signature, int32_t idNumber) {
  return window ? TKFindControlByID(window, TKControlID{signature, idNumber}) : nullptr;
}

void VFRedrawParts(TKControl* a, TKControl* b, TKControl* c, TKControl* d) {
  for (TKControl* control : {a, b, c, d})
    if (control && TKIsControlAlive(control)) TKDrawControl(control);
}
