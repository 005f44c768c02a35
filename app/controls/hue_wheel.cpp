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
constexpr int32_t kReadoutGap = 8;
constexpr int32_t kPointMark = 5;
constexpr uint32_t kReadoutFlags = 7;  // scaled float fields
constexpr uint32_t kHueOffsetsGroup = 1u << kVLMaskBitHueOffsets;
constexpr uint32_t kHueOffsetsFirst = offsetof(VL_SettingsStruct, hueOffsets);
constexpr uint32_t kHueOffsetsEnd = kHueOffsetsFirst + sizeof(VL_HSLOffsetControls);

// The wheel picture all wheels share, with the saturation it was made for.
// A wheel keeps its own reference, so a picture replaced after a change of
// the saturation preference lives until the last wheel has moved on.
struct WheelPicture {
  UIImagePtr image;
  int32_t saturation = 0;
};
std::shared_ptr<WheelPicture> gSharedPicture;

struct HueWheel {
  UIControl* pane = nullptr;
  UIWindow* window = nullptr;
  std::shared_ptr<WheelPicture> picture;
  UIRect bounds;
  UIRect wheelRect;
  int32_t radius = 0;
  int32_t cursor = kUICursorArrow;
  int32_t wantedCursor = kUICursorCrosshair;
  int16_t pointV = 0, pointH = 0;
  float angle = 0, strength = 0;
  uint8_t active = 1;
  int32_t idNumber = 0;
  uint8_t* base = nullptr;
  uint32_t angleOffset = 0, strengthOffset = 0;
};

// Wheels live as long as the program, like the controls of their windows.
std::deque<std::unique_ptr<HueWheel>> gWheels;

HueWheel* WheelOf(UIControl* control) { return static_cast<HueWheel*>(VFGetPointerProperty(control, kPropRecord)); }

UIPoint Centre(const HueWheel* w) {
  return UIPoint{(w->wheelRect.left + w->wheelRect.right) / 2, (w->wheelRect.top + w->wheelRect.bottom) / 2};
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

UIControl* Readout(const HueWheel* w, int32_t which) {
  return UIFindControlByID(w->window, UIControlID{kVFSigSlider, w->idNumber + which});
}

// Whether a picture serves a wheel: made for the current saturation
// preference and at least as large as the wheel's doubled rectangle.
bool Serves(const std::shared_ptr<WheelPicture>& picture, const HueWheel* w, int32_t saturation) {
  return picture && picture->image && picture->saturation == saturation &&
         UIImageWidth(picture->image.get()) >= std::min(2 * UIRectWidth(w->wheelRect), 151);
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
    UIImage* ready = UIRectWidth(w->wheelRect) == 151 ? UIGetPicture(kHueWheelPictureID) : nullptr;
    if (ready) {
      // A registered picture stays with the registry; draw a copy of it.
      picture->image.reset(UIImageCreate(UIImageWidth(ready), UIImageHeight(ready)));
      if (UIContext* ctx = picture->image ? UIBeginDrawing(picture->image.get()) : nullptr) {
        UIDrawImage(ctx, ready, nullptr, UIMakeRect(0, 0, UIImageWidth(ready), UIImageHeight(ready)), false);
        UIEndDrawing(ctx);
      }
    } else {
      picture->image.reset(BuildHueWheelImage(w->wheelRect, w->radius, float(saturation / 65536.0)));
    }
    gSharedPicture = picture;
  }
  w->picture = gSharedPicture;
}

void DrawHueWheel(UIControl* pane, UIContext* ctx) {
  HueWheel* w = WheelOf(pane);
  if (!w) return;
  UISetStrokeColor(ctx, UIColorRGB(0, 0, 0));
  UISetLineWidth(ctx, 1);
  UIFrameRect(ctx, w->bounds);
  UIFrameRect(ctx, UIRectInset(w->bounds, 1, 1));
  TakePicture(w);
  if (w->picture && w->picture->image) UIDrawImage(ctx, w->picture->image.get(), nullptr, w->wheelRect, true);
  const UIPoint c = Centre(w);
  const double x = c.x + w->pointH + 0.5, y = c.y + w->pointV + 0.5;
  UIColor mark = UIColorRGB(0, 0, 0);
  if (!(w->active && UIIsControlActive(pane))) {
    const double grey = gPrefsSettings.uiBrightness / 65536.0 / 2.0;
    mark = UIColorRGB(grey, grey, grey);
  }
  UISetStrokeColor(ctx, mark);
  UIDrawLine(ctx, c.x + 0.5, c.y + 0.5, x, y);
  UISetFillColor(ctx, mark);
  UIFillRect(ctx, UIMakeRect(c.x + w->pointH - kPointMark / 2, c.y + w->pointV - kPointMark / 2, kPointMark, kPointMark));
}

int16_t HueWheelHitTest(UIControl* pane, UIPoint where) {
  HueWheel* w = WheelOf(pane);
  return w && UIRectContains(w->wheelRect, where) ? kHueWheelPart : int16_t(kUIPartNone);
}

void HueWheelUpdateCursor(UIControl* pane) {
  HueWheel* w = WheelOf(pane);
  if (!w) return;
  const UIPoint global = UIGetMouseLocation();
  const UIRect wb = UIGetWindowBounds(w->window);
  const UIPoint local{global.x - wb.left, global.y - wb.top};
  const bool inside = UIRectContains(w->wheelRect, local) && w->picture;
  const int32_t want = inside ? w->wantedCursor : kUICursorArrow;
  if (w->cursor == want) return;
  w->cursor = want;
  UISetCursor(want);
}

// The readout's wheel: 'VFho' N, the readout being N + which.
HueWheel* WheelOfReadout(UIControl* readout, int32_t which) {
  const UIControlID id = UIGetControlID(readout);
  UIControl* pane = UIFindControlByID(UIGetControlWindow(readout), UIControlID{kHueWheelSignature, id.id - which});
  return WheelOf(pane);
}

// Sets one of the two values through its readout: the slider, its text and
// the bound field (exactly, without reprocessing), then the wheel itself.
void SetValue(UIControl* pane, int32_t which, float value, bool redraw) {
  HueWheel* w = WheelOf(pane);
  if (!w) return;
  if (UIControl* readout = Readout(w, which)) VFSetFloatValue(readout, value, false);
  (which == 1 ? w->angle : w->strength) = value;
  RecomputePoint(w);
  if (redraw) UIDrawControl(pane);
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

int16_t HueWheelTrack(UIControl* pane, UIPoint where, uint32_t modifiers) {
  HueWheel* w = WheelOf(pane);
  if (!w) return kUIPartNone;
  VFCommitPendingEdit(true);
  UndoBufferPush(gUndoBuffer, &gUISettings);
  EnableEnclosingTabs(pane, 1, true);
  const bool fine = (modifiers & kUIModShift) != 0;
  const UIPoint c = Centre(w);
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
  UIPoint last = where;
  for (;;) {
    UIPoint p;
    uint32_t mods = 0;
    const UITrackResult result = UITrackMouse(w->window, kTrackPoll, &p, &mods);
    if (result == kUITrackMouseUp) break;
    if (result == kUITrackTimedOut) {
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

void Activate(UIControl* pane, bool active) {
  if (HueWheel* w = WheelOf(pane)) {
    w->active = active ? 1 : 0;
    UIDrawControl(pane);
  }
}

void ApplyValue(UIControl* readout, uint32_t bits, bool redraw, int32_t which) {
  HueWheel* w = WheelOfReadout(readout, which);
  if (!w) return;
  float value;
  std::memcpy(&value, &bits, 4);
  float& held = which == 1 ? w->angle : w->strength;
  const bool changed = VFFloatsDiffer(held, value);
  held = value;
  RecomputePoint(w);
  if (redraw && changed) UIDrawControl(w->pane);
}

bool InHueOffsets(const HueWheel* w) { return w->angleOffset >= kHueOffsetsFirst && w->angleOffset < kHueOffsetsEnd; }

}  // namespace

UIMenu* HueWheelMenu() {
  UIMenu* menu = UIGetMenu(kHueWheelMenuID);
  if (!menu) {
    menu = UICreateMenu(kHueWheelMenuID, "");
    UIAppendMenuItem(menu, "Center", 0);
    UIAppendMenuItem(menu, "Reset", 0);
  }
  return menu;
}

UIControl* CreateHueWheel(UIWindow* window, const UIRect& bounds, const char* label, UIControl* parent, void* base,
                          uint32_t wheelOffset, uint32_t angleOffset, uint32_t strengthOffset, int32_t idNumber,
                          UIControl** table) {
  const uint32_t last = uint32_t(kVLSettingsByteCount - 4);
  if (!window || !base || angleOffset > last || strengthOffset > last || UIRectEmpty(bounds)) return nullptr;
  VFInstallWindowHandler(window);
  UIControl* caption = VFCreateLabel(window, UIRect{bounds.top - kLabelStrip, bounds.left, bounds.top, bounds.right},
                                     parent, label ? label : "", nullptr);
  if (caption) UISetControlID(caption, UIControlID{kVFSigLabel, idNumber});

  gWheels.push_back(std::make_unique<HueWheel>());
  HueWheel* w = gWheels.back().get();
  w->window = window;
  w->bounds = bounds;
  w->wheelRect = UIRectInset(bounds, 2, 2);
  w->radius = UIRectWidth(w->wheelRect) / 2 - 5;
  w->idNumber = idNumber;
  w->base = static_cast<uint8_t*>(base);
  w->angleOffset = angleOffset;
  w->strengthOffset = strengthOffset;
  w->angle = LoadFloat(w->base + angleOffset);
  w->strength = LoadFloat(w->base + strengthOffset);
  RecomputePoint(w);

  UIUserPaneProcs procs;
  procs.draw = DrawHueWheel;
  procs.hitTest = HueWheelHitTest;
  procs.track = HueWheelTrack;
  procs.idle = HueWheelUpdateCursor;
  procs.activate = Activate;
  UIControl* pane = UINewUserPane(window, bounds, procs);
  if (!pane) return nullptr;
  w->pane = pane;
  if (parent) UIEmbedControl(pane, parent);
  UISetControlID(pane, UIControlID{kHueWheelSignature, idNumber});
  VFSetPointerProperty(pane, kPropRecord, w);
  const int32_t ao = int32_t(angleOffset), so = int32_t(strengthOffset);
  UISetControlProperty(pane, kVFCreator, kHueWheelPropAngleOffset, &ao, sizeof ao);
  UISetControlProperty(pane, kVFCreator, kHueWheelPropStrengthOffset, &so, sizeof so);
  VFRegisterControl(table, wheelOffset, pane);
  VFRegisterControl(table, angleOffset, pane);
  VFRegisterControl(table, strengthOffset, pane);
  SetControlContextMenu(pane, HueWheelMenu(), HueWheelContextMenuProc, 0);
  TakePicture(w);

  // The readouts, in the label strip moved below the wheel.
  UIRect frame{bounds.bottom - kLabelStrip + kReadoutGap, bounds.left, bounds.bottom + kReadoutGap + 20,
               bounds.right};
  UIControl* hue = VFCreateValueSlider(window, &frame, "Hue", 0, 360, 0, 360, kReadoutFlags, parent, base,
                                       angleOffset, &gUIDefaultSettings, idNumber + 1, nullptr);
  UIControl* strength = VFCreateValueSlider(window, &frame, "Strength", 0, 1, 0, 1, kReadoutFlags, parent, base,
                                            strengthOffset, &gUIDefaultSettings, idNumber + 2, nullptr);
  VFSetChangeProc(hue, HueWheelApplyAngle);
  VFSetChangeProc(strength, HueWheelApplyStrength);
  UIDrawControl(pane);
  return pane;
}

bool HueWheelGetState(UIControl* wheel, HueWheelState* out) {
  HueWheel* w = WheelOf(wheel);
  if (!w || !out) return false;
  *out = HueWheelState{w->angle, w->strength, w->pointH, w->pointV, w->radius, w->wheelRect};
  return true;
}

void HueWheelSetAngle(UIControl* wheel, float degrees, bool redraw) { SetValue(wheel, 1, degrees, redraw); }

void HueWheelSetStrength(UIControl* wheel, float strength, bool redraw) { SetValue(wheel, 2, strength, redraw); }

void HueWheelApplyAngle(UIControl* readout, uint32_t bits, bool redraw) { ApplyValue(readout, bits, redraw, 1); }

void HueWheelApplyStrength(UIControl* readout, uint32_t bits, bool redraw) { ApplyValue(readout, bits, redraw, 2); }

void HueWheelWriteSettings(UIControl* wheel, bool reprocess, float angle, float strength) {
  if (HueWheel* w = WheelOf(wheel)) WriteSettings(w, reprocess, angle, strength, false);
}

void HueWheelRotate(UIControl* wheel, float deltaDegrees, bool redraw) {
  HueWheel* w = WheelOf(wheel);
  if (!w || !std::isfinite(deltaDegrees)) return;
  HueWheelSetAngle(wheel, HueWheelWrapAngle(w->angle, deltaDegrees), redraw);
}

void HueWheelNudge(UIControl* wheel, int32_t dx, int32_t dy, bool reprocess) {
  HueWheel* w = WheelOf(wheel);
  if (!w) return;
  if (!MoveTo(w, double(w->pointH) + dx, double(w->pointV) + dy)) return;
  WriteSettings(w, reprocess, w->angle, w->strength, true);
}

void HueWheelContextMenuProc(UIControl* wheel, int32_t phase, int32_t chosen, UIMenu*, int32_t) {
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
