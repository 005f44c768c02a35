#include "app/controls/hue_wheel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <memory>

#include "app/controls/bound_controls.h"
#include "app/controls/composite_controls.h"
#include "app/controls/context_menus.h"
#include "app/controls/hue_wheel_math.h"
#include "app/controls/labels.h"
#include "app/controls/settings_sync.h"
#include "app/controls/special_setters.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "platform/ui/toolkit.h"
#include "settings/prefs.h"

namespace {

constexpr uint32_t kPropRecord = QVFourCC("hwrc");
constexpr double kTrackPoll = 0.005;
constexpr int32_t kLabelStrip = 14;
constexpr int32_t kReadoutGap = 2;  // between the square and the readouts
constexpr int32_t kPointMark = 5;
constexpr uint32_t kReadoutFlags = 7;  // scaled float fields
constexpr uint32_t kHueOffsetsGroup = 1u << kVLMaskBitHueOffsets;
constexpr uint32_t kHueOffsetsFirst = offsetof(VL_SettingsStruct, hueOffsets);
constexpr uint32_t kHueOffsetsEnd = kHueOffsetsFirst + sizeof(VL_HSLOffsetControls);

// The wheel picture all wheels share, with the saturation it was made for.
// A wheel keeps its own reference, so a picture replaced after a change of
// the saturation preference lives until the last wheel has moved on.
struct WheelPicture {
  TKImagePtr image;
  int32_t saturation = 0;
};
std::shared_ptr<WheelPicture> gSharedPicture;

struct HueWheel {
  TKControl* pane = nullptr;
  TKWindow* window = nullptr;
  std::shared_ptr<WheelPicture> picture;
  TKRect bounds;
  TKRect wheelRect;
  int32_t radius = 0;
  int32_t cursor = kTKCursorArrow;
  int32_t wantedCursor = kTKCursorCrosshair;
  int16_t pointV = 0, pointH = 0;
  float angle = 0, strength = 0;
  uint8_t active = 1;
  int32_t idNumber = 0;
  uint8_t* base = nullptr;
  uint32_t angleOffset = 0, strengthOffset = 0;
};

// Wheels live as long as the program, like the controls of their windows.
std::deque<std::unique_ptr<HueWheel>> gWheels;

HueWheel* WheelOf(TKControl* control) { return static_cast<HueWheel*>(VFGetPointerProperty(control, kPropRecord)); }

TKPoint Centre(const HueWheel* w) {
  return TKPoint{(w->wheelRect.left + w->wheelRect.right) / 2, (w->wheelRect.top + w->wheelRect.bottom) / 2};
}

void RecomputePoint(HueWheel* w) {
  const HueWheelPoint p = HueWheelPointFor(w->angle, w->strength, w->radius);
  w->pointH = int16_t(p.x);
  w->pointV = int16_t(p.y);
}

float LoadFloat(const uint8_t* at) {
  float f;
  std::memcpy(&f, at, 4);
  return f;
}

TKControl* Readout(const HueWheel* w, int32_t which) {
  return TKFindControlByID(w->window, TKControlID{kVFSigSlider, w->idNumber + which});
}

// Whether a picture serves a wheel: made for the current saturation
// preference and at least as large as the wheel's doubled rectangle.
bool Serves(const std::shared_ptr<WheelPicture>& picture, const HueWheel* w, int32_t saturation) {
  return picture && picture->image && picture->saturation == saturation &&
         TKImageWidth(picture->image.get()) >= std::min(2 * TKRectWidth(w->wheelRect), 151);
}

// Gives the wheel the current shared picture, making a new one when the
// saturation preference has changed since or the wheel is larger than the
// wheel the picture was made for.
void TakePicture(HueWheel* w) {
  const int32_t saturation = gPrefsSettings.uiSaturation;
  if (Serves(w->picture, w, saturation)) return;
  if (!Serves(gSharedPicture, w, saturation)) {
    auto picture = std::make_shared<WheelPicture>();
    picture->saturation = saturation;
    TKImage* ready = TKRectWidth(w->wheelRect) == 151 ? TKGetPicture(kHueWheelPictureID) : nullptr;
    if (ready) {
      // A registered picture stays with the registry; draw a copy of it.
      picture->image.reset(TKImageCreate(TKImageWidth(ready), TKImageHeight(ready)));
      if (TKContext* ctx = picture->image ? TKBeginDrawing(picture->image.get()) : nullptr) {
        TKDrawImage(ctx, ready, nullptr, TKMakeRect(0, 0, TKImageWidth(ready), TKImageHeight(ready)), false);
        TKEndDrawing(ctx);
      }
    } else {
      picture->image.reset(BuildHueWheelImage(w->wheelRect, w->radius, float(saturation / 65536.0)));
    }
    gSharedPicture = picture;
  }
  w->picture = gSharedPicture;
}

void DrawHueWheel(TKControl* pane, TKContext* ctx) {
  HueWheel* w = WheelOf(pane);
  if (!w) return;
  TKSetStrokeColor(ctx, TKColorRGB(0, 0, 0));
  TKSetLineWidth(ctx, 1);
  TKFrameRect(ctx, w->bounds);
  TKFrameRect(ctx, TKRectInset(w->bounds, 1, 1));
  TakePicture(w);
  if (w->picture && w->picture->image) TKDrawImage(ctx, w->picture->image.get(), nullptr, w->wheelRect, true);
  const TKPoint c = Centre(w);
  const double x = c.x + w->pointH + 0.5, y = c.y + w->pointV + 0.5;
  TKColor mark = TKColorRGB(0, 0, 0);
  if (!(w->active && TKIsControlActive(pane))) {
    const double grey = gPrefsSettings.uiBrightness / 65536.0 / 2.0;
    mark = TKColorRGB(grey, grey, grey);
  }
  TKSetStrokeColor(ctx, mark);
  TKDrawLine(ctx, c.x + 0.5, c.y + 0.5, x, y);
  TKSetFillColor(ctx, mark);
  TKFillRect(ctx, TKMakeRect(c.x + w->pointH - kPointMark / 2, c.y + w->pointV - kPointMark / 2, kPointMark, kPointMark));
}

int16_t HueWheelHitTest(TKControl* pane, TKPoint where) {
  HueWheel* w = WheelOf(pane);
  return w && TKRectContains(w->wheelRect, where) ? kHueWheelPart : int16_t(kTKPartNone);
}

void HueWheelUpdateCursor(TKControl* pane) {
  HueWheel* w = WheelOf(pane);
  if (!w) return;
  const TKPoint global = TKGetMouseLocation();
  const TKRect wb = TKGetWindowBounds(w->window);
  const TKPoint local{global.x - wb.left, global.y - wb.top};
  const bool inside = TKRectContains(w->wheelRect, local) && w->picture;
  const int32_t want = inside ? w->wantedCursor : kTKCursorArrow;
  if (w->cursor == want) return;
  w->cursor = want;
  TKSetCursor(want);
}

// The readout's wheel: 'VFho' N, the readout being N + which.
HueWheel* WheelOfReadout(TKControl* readout, int32_t which) {
  const TKControlID id = TKGetControlID(readout);
  TKControl* pane = TKFindControlByID(TKGetControlWindow(readout), TKControlID{kHueWheelSignature, id.id - which});
  return WheelOf(pane);
}

// Sets one of the two values through its readout: the slider, its text and
// the bound field (exactly, without reprocessing), then the wheel itself.
void SetValue(TKControl* pane, int32_t which, float value, bool redraw) {
  HueWheel* w = WheelOf(pane);
  if (!w) return;
  if (TKControl* readout = Readout(w, which)) VFSetFloatValue(readout, value, false);
  (which == 1 ? w->angle : w->strength) = value;
  RecomputePoint(w);
  if (redraw) TKDrawControl(pane);
}

// Writes both values; reprocesses when asked and either changed, or when
// the caller has already changed them through the readouts (changedBefore).
void WriteSettings(HueWheel* w, bool reprocess, float angle, float strength, bool changedBefore) {
  uint8_t* a = w->base + w->angleOffset;
  uint8_t* s = w->base + w->strengthOffset;
  const bool differ = VFFloatsDiffer(LoadFloat(a), angle) || VFFloatsDiffer(LoadFloat(s), strength);
  std::memcpy(a, &angle, 4);
  std::memcpy(s, &strength, 4);
  if (!reprocess || !(differ || changedBefore)) return;
  EnableEnclosingTabs(w->pane, 1, true);
  VFUpdatePreview();
}

// Moves the wheel to (x, y) from its centre; true when angle or strength changed.
bool MoveTo(HueWheel* w, double x, double y) {
  const HueWheelPolar polar = HueWheelPolarAt(x, y, w->radius);
  if (polar.angle == w->angle && polar.strength == w->strength) return false;
  SetValue(w->pane, 1, polar.angle, false);
  SetValue(w->pane, 2, polar.strength, true);
  return true;
}

int16_t HueWheelTrack(TKControl* pane, TKPoint where, uint32_t modifiers) {
  HueWheel* w = WheelOf(pane);
  if (!w) return kTKPartNone;
  VFCommitPendingEdit(true);
  UndoBufferPush(gUndoBuffer, &gUISettings);
  EnableEnclosingTabs(pane, 1, true);
  const bool fine = (modifiers & kTKModShift) != 0;
  const TKPoint c = Centre(w);
  double x, y;
  bool changed = false;
  if (fine) {
    x = w->pointH;
    y = w->pointV;
  } else {
    x = where.x - c.x;
    y = where.y - c.y;
    HueWheelClampToRim(&x, &y, w->radius);
    changed = MoveTo(w, x, y);
  }
  TKPoint last = where;
  for (;;) {
    TKPoint p;
    uint32_t mods = 0;
    const TKTrackResult result = TKTrackMouse(w->window, kTrackPoll, &p, &mods);
    if (result == kTKTrackMouseUp) break;
    if (result == kTKTrackTimedOut) {
      if (changed) WriteSettings(w, true, w->angle, w->strength, true);
      changed = false;
      continue;
    }
    if (fine) {
      x += (p.x - last.x) * kHueWheelFineFactor;
      y += (p.y - last.y) * kHueWheelFineFactor;
    } else {
      x = p.x - c.x;
      y = p.y - c.y;
    }
    last = p;
    HueWheelClampToRim(&x, &y, w->radius);
    if (MoveTo(w, x, y)) changed = true;
  }
  if (changed) WriteSettings(w, true, w->angle, w->strength, true);
  UndoBufferStore(gUndoBuffer, &gUISettings);
  // The next control edited starts an undo step of its own.
  VFForgetUndoControl();
  return kHueWheelPart;
}

void Activate(TKControl* pane, bool active) {
  if (HueWheel* w = WheelOf(pane)) {
    w->active = active ? 1 : 0;
    TKDrawControl(pane);
  }
}

void ApplyValue(TKControl* readout, uint32_t bits, bool redraw, int32_t which) {
  HueWheel* w = WheelOfReadout(readout, which);
  if (!w) return;
  float value;
  std::memcpy(&value, &bits, 4);
  float& held = which == 1 ? w->angle : w->strength;
  const bool changed = VFFloatsDiffer(held, value);
  held = value;
  RecomputePoint(w);
  if (redraw && changed) TKDrawControl(w->pane);
}

bool InHueOffsets(const HueWheel* w) { return w->angleOffset >= kHueOffsetsFirst && w->angleOffset < kHueOffsetsEnd; }

}  // namespace

TKMenu* HueWheelMenu() {
  TKMenu* menu = TKGetMenu(kHueWheelMenuID);
  if (!menu) {
    menu = TKCreateMenu(kHueWheelMenuID, "");
    TKAppendMenuItem(menu, "Center", 0);
    TKAppendMenuItem(menu, "Reset", 0);
  }
  return menu;
}

TKControl* CreateHueWheel(TKWindow* window, const TKRect& bounds, const char* label, TKControl* parent, void* base,
                          uint32_t wheelOffset, uint32_t angleOffset, uint32_t strengthOffset, int32_t idNumber,
                          TKControl** table) {
  const uint32_t last = uint32_t(kVLSettingsByteCount - 4);
  if (!window || !base || angleOffset > last || strengthOffset > last || TKRectEmpty(bounds)) return nullptr;
  VFInstallWindowHandler(window);
  TKControl* caption = VFCreateLabel(window, TKRect{bounds.top - kLabelStrip, bounds.left, bounds.top, bounds.right},
                                     parent, label ? label : "", nullptr);
  if (caption) TKSetControlID(caption, TKControlID{kVFSigLabel, idNumber});

  gWheels.push_back(std::make_unique<HueWheel>());
  HueWheel* w = gWheels.back().get();
  w->window = window;
  w->bounds = bounds;
  w->wheelRect = TKRectInset(bounds, 2, 2);
  w->radius = TKRectWidth(w->wheelRect) / 2 - 5;
  w->idNumber = idNumber;
  w->base = static_cast<uint8_t*>(base);
  w->angleOffset = angleOffset;
  w->strengthOffset = strengthOffset;
  w->angle = LoadFloat(w->base + angleOffset);
  w->strength = LoadFloat(w->base + strengthOffset);
  RecomputePoint(w);

  TKUserPaneProcs procs;
  procs.draw = DrawHueWheel;
  procs.hitTest = HueWheelHitTest;
  procs.track = HueWheelTrack;
  procs.idle = HueWheelUpdateCursor;
  procs.activate = Activate;
  TKControl* pane = TKNewUserPane(window, bounds, procs);
  if (!pane) return nullptr;
  w->pane = pane;
  // Embedding a control made in the parent's window cannot fail.
  if (parent) QVIgnoreStatus(TKEmbedControl(pane, parent));
  TKSetControlID(pane, TKControlID{kHueWheelSignature, idNumber});
  VFSetPointerProperty(pane, kPropRecord, w);
  const int32_t ao = int32_t(angleOffset), so = int32_t(strengthOffset);
  // A made control takes a property; only a missing one refuses.
  QVIgnoreStatus(TKSetControlProperty(pane, kVFCreator, kHueWheelPropAngleOffset, &ao, sizeof ao));
  QVIgnoreStatus(TKSetControlProperty(pane, kVFCreator, kHueWheelPropStrengthOffset, &so, sizeof so));
  VFRegisterControl(table, wheelOffset, pane);
  VFRegisterControl(table, angleOffset, pane);
  VFRegisterControl(table, strengthOffset, pane);
  // A wheel without its menu still edits the offsets.
  QVIgnoreStatus(SetControlContextMenu(pane, HueWheelMenu(), HueWheelContextMenuProc, 0));
  TakePicture(w);

  // The readouts, in a label strip below the wheel's square (clear of it, so
  // nothing else can be placed over either).
  TKRect frame{bounds.bottom + kReadoutGap, bounds.left, bounds.bottom + kReadoutGap + kLabelStrip + 20, bounds.right};
  TKControl* hue = VFCreateValueSlider(window, &frame, "Hue", 0, 360, 0, 360, kReadoutFlags, parent, base,
                                       angleOffset, &gUIDefaultSettings, idNumber + 1, nullptr);
  TKControl* strength = VFCreateValueSlider(window, &frame, "Strength", 0, 1, 0, 1, kReadoutFlags, parent, base,
                                            strengthOffset, &gUIDefaultSettings, idNumber + 2, nullptr);
  VFSetChangeProc(hue, HueWheelApplyAngle);
  VFSetChangeProc(strength, HueWheelApplyStrength);
  TKDrawControl(pane);
  return pane;
}

bool HueWheelGetState(TKControl* wheel, HueWheelState* out) {
  HueWheel* w = WheelOf(wheel);
  if (!w || !out) return false;
  *out = HueWheelState{w->angle, w->strength, w->pointH, w->pointV, w->radius, w->wheelRect};
  return true;
}

void HueWheelSetAngle(TKControl* wheel, float degrees, bool redraw) { SetValue(wheel, 1, degrees, redraw); }

void HueWheelSetStrength(TKControl* wheel, float strength, bool redraw) { SetValue(wheel, 2, strength, redraw); }

void HueWheelApplyAngle(TKControl* readout, uint32_t bits, bool redraw) { ApplyValue(readout, bits, redraw, 1); }

void HueWheelApplyStrength(TKControl* readout, uint32_t bits, bool redraw) { ApplyValue(readout, bits, redraw, 2); }

void HueWheelWriteSettings(TKControl* wheel, bool reprocess, float angle, float strength) {
  if (HueWheel* w = WheelOf(wheel)) WriteSettings(w, reprocess, angle, strength, false);
}

void HueWheelRotate(TKControl* wheel, float deltaDegrees, bool redraw) {
  HueWheel* w = WheelOf(wheel);
  if (!w || !std::isfinite(deltaDegrees)) return;
  HueWheelSetAngle(wheel, HueWheelWrapAngle(w->angle, deltaDegrees), redraw);
}

void HueWheelNudge(TKControl* wheel, float dx, float dy, bool reprocess) {
  HueWheel* w = WheelOf(wheel);
  if (!w) return;
  if (!MoveTo(w, double(w->pointH) + dx, double(w->pointV) + dy)) return;
  WriteSettings(w, reprocess, w->angle, w->strength, true);
}

void HueWheelContextMenuProc(TKControl* wheel, int32_t phase, int32_t chosen, TKMenu*, int32_t) {
  HueWheel* w = WheelOf(wheel);
  if (!w || phase != kVFMenuAfterChoice) return;
  if (chosen != kHueWheelMenuCentre && chosen != kHueWheelMenuReset) return;
  VFCommitPendingEdit(true);
  UndoBufferPush(gUndoBuffer, &gUISettings);
  if (chosen == kHueWheelMenuCentre) {
    HueWheelSetAngle(wheel, 0, false);
    HueWheelSetStrength(wheel, 0, true);
    VFUpdatePreview();
    if (InHueOffsets(w)) SyncControlsWithSettings(&gUISettings, kHueOffsetsGroup, 0, nullptr, kVFSyncApply);
  } else if (InHueOffsets(w)) {
    // The hue offsets reset as one section, all four wheels.
    VL_SetDefaultControlValues(&gUISettings, VLSettingsSectionMask(kHueOffsetsGroup));
    SyncControlsWithSettings(&gUISettings, kHueOffsetsGroup, 0, nullptr, kVFSyncApply);
    EnableEnclosingTabs(wheel, 0, false);
    VFUpdatePreview();
  } else {
    // A wheel of another section (a secondary's) resets just its own two
    // fields, leaving the hue offsets alone.
    const auto* d = reinterpret_cast<const uint8_t*>(&gUIDefaultSettings);
    HueWheelSetAngle(wheel, LoadFloat(d + w->angleOffset), false);
    HueWheelSetStrength(wheel, LoadFloat(d + w->strengthOffset), true);
    VFUpdatePreview();
  }
  UndoBufferStore(gUndoBuffer, &gUISettings);
  VFForgetUndoControl();
}
