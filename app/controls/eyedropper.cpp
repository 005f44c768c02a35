// The eyedropper button and its pick: a click on the button, then a press
// (and drag) in an image pane of the current layout takes the colour under
// the mouse into a colour triple of the working record; letting go outside
// every pane puts the colour back. Option-click opens the colour picker
// instead where the button allows it.
#include <cstring>

#include "app/controls/bound_controls.h"
#include "app/controls/color_swatch.h"
#include "app/controls/composite_controls.h"
#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "platform/ui/toolkit.h"

namespace {

constexpr int32_t kDefaultCursor = 500;
constexpr double kTrackStep = 0.1;
constexpr const char* kPickerPrompt = "Choose a color to match";

float* TripleAt(uint32_t offset) {
  return reinterpret_cast<float*>(reinterpret_cast<uint8_t*>(&gUISettings) + offset);
}

void Store(uint32_t offset, const float rgb[3]) { std::memcpy(TripleAt(offset), rgb, 3 * sizeof(float)); }

// An image pane sampling for the pick: its own triple and done flag, and
// the cursor it had.
struct PickPane {
  UIControl* pane = nullptr;
  float rgb[3] = {};
  uint8_t done = 0;
  int32_t cursor = 0;
};

// The image panes of the current layout: layout 3's pane and its two
// reference-image panes, layout 1's pane, else the pane of the view mode.
int32_t LayoutPanes(UIControl* panes[3]) {
  int32_t n = 0;
  auto add = [&](UIControl* pane) {
    if (pane && UIIsControlAlive(pane)) panes[n++] = pane;
  };
  if (gPaneLayout == 3) {
    add(GetLayoutImagePane(3));
    add(GetReferenceImagePane(1));
    add(GetReferenceImagePane(2));
  } else if (gPaneLayout == 1) {
    add(GetLayoutImagePane(1));
  } else {
    add(gCurrentImagePane);
  }
  return n;
}

struct Pick {
  UIControl* eyedropper = nullptr;
  UIControl* checkBox = nullptr;
  UIControl* swatches[3] = {};  // sample, result, target
  UIControl* secondSwatch = nullptr;
  uint32_t offset = 0;
  bool hasSecond = false;
  uint32_t secondOffset = 0;

  void Write(const float rgb[3]) const {
    Store(offset, rgb);
    if (hasSecond) Store(secondOffset, rgb);
  }
  void Redraw() const { VFRedrawParts(swatches[0], swatches[1], swatches[2], secondSwatch); }
};

// Follows the mouse over the panes until the button goes up after a press.
// True with the colour when the mouse was let go over a pane.
bool SampleFromPanes(const Pick& pick, int32_t cursor, const float prior[3], float colour[3]) {
  UIControl* found[3] = {};
  const int32_t count = LayoutPanes(found);
  PickPane panes[3];
  for (int32_t i = 0; i < count; ++i) {
    PickPane& p = panes[i];
    p.pane = found[i];
    std::memcpy(p.rgb, prior, sizeof p.rgb);
    ImagePaneSetColorSampleTarget(p.pane, p.rgb, &p.done);
    p.cursor = ImagePaneGetCursor(p.pane);
    ImagePaneSetCursor(p.pane, cursor);
  }
  auto sampling = [&] {
    for (int32_t i = 0; i < count; ++i)
      if (panes[i].done) return true;
    return false;
  };
  // The first pane's sample, or a later one's where the mouse is.
  auto take = [&] {
    if (count == 0) return;
    const float* rgb = panes[0].rgb;
    for (int32_t i = 1; i < count; ++i)
      if (panes[i].done) rgb = panes[i].rgb;
    std::memcpy(colour, rgb, 3 * sizeof(float));
    pick.Write(colour);
    pick.Redraw();
  };

  UIWindow* window = UIGetControlWindow(pick.eyedropper);
  bool pressed = false;
  for (bool tracking = true; tracking;) {
    UIPoint where;
    uint32_t modifiers = 0;
    switch (UITrackMouseEvents(window, kTrackStep, &where, &modifiers)) {
      case kUIMouseTrackDown:
        if (sampling()) take();
        pressed = true;
        break;
      case kUIMouseTrackTimedOut:
        if (UIGetMouseButtons() & 1) pressed = true;
        if (pressed) take();
        break;
      case kUIMouseTrackMoved:
      case kUIMouseTrackDragged:
        if (pressed) take();
        break;
      case kUIMouseTrackUp:
        tracking = !pressed;
        break;
      case kUIMouseTrackEnded: tracking = false; break;
    }
  }
  const bool over = sampling();
  for (int32_t i = 0; i < count; ++i) {
    ImagePaneSetCursor(panes[i].pane, panes[i].cursor);
    ImagePaneSetColorSampleTarget(panes[i].pane, nullptr, nullptr);
  }
  return over;
}

// The platform colour picker on the prior colour; the prior colour when it
// fails or is cancelled.
void ChooseColour(const float prior[3], float colour[3]) {
  auto to16 = [](float c) { return uint16_t(c <= 0.0f ? 0.0f : c >= 1.0f ? 65535.0f : c * 65535.0f); };
  const UIColor initial = UIColorFrom16(to16(prior[0]), to16(prior[1]), to16(prior[2]));
  UIColor chosen;
  std::memcpy(colour, prior, 3 * sizeof(float));
  if (UIRunColorPicker(kPickerPrompt, initial, &chosen) != kQVNoErr) return;
  const double c[3] = {chosen.red, chosen.green, chosen.blue};
  for (int i = 0; i < 3; ++i) colour[i] = float(to16(float(c[i]))) / 65535.0f;
}

void RunPick(UIControl* eyedropper, uint32_t modifiers) {
  Pick pick;
  pick.eyedropper = eyedropper;
  if (!VFGetTripleOffset(eyedropper, &pick.offset)) {
    UISetControlValue(eyedropper, 0);
    return;
  }
  UIWindow* window = UIGetControlWindow(eyedropper);
  const int32_t id = UIGetControlID(eyedropper).id;
  // The parts of the eyedropper's own record; a lone eyedropper finds its
  // parts by its ID number.
  if (VFSampleRow* row = VFSampleRowOf(eyedropper)) {
    pick.checkBox = row->checkBox;
    pick.swatches[0] = row->sampleSwatch;
    pick.swatches[1] = row->resultSwatch;
    pick.swatches[2] = row->targetSwatch;
  } else {
    pick.checkBox = VFFindPart(window, kVFSigCheckBox, id);
    pick.swatches[0] = VFFindPart(window, kVFSigSampleSwatch, id);
    pick.swatches[1] = VFFindPart(window, kVFSigResultSwatch, id);
    pick.swatches[2] = VFFindPart(window, kVFSigTargetSwatch, id);
  }
  const int32_t cursor = VFGetInt32Property(eyedropper, kVFPropCursor, kDefaultCursor);
  uint8_t undo = 0, picker = 0;
  UIGetControlProperty(eyedropper, kVFCreator, kVFPropUndo, &undo, 1, nullptr);
  UIGetControlProperty(eyedropper, kVFCreator, kVFPropPicker, &picker, 1, nullptr);
  int32_t second = 0;
  if (UIGetControlProperty(eyedropper, kVFCreator, kVFPropSecondTarget, &second, sizeof second, nullptr) == kQVNoErr) {
    pick.secondSwatch = VFFindPart(window, kVFSigSampleSwatch, second);
    pick.hasSecond = VFSwatchOffset(pick.secondSwatch, &pick.secondOffset);
  }

  float prior[3];
  std::memcpy(prior, TripleAt(pick.offset), sizeof prior);
  if (undo) UndoBufferPush(gUndoBuffer, &gUISettings);

  float colour[3];
  bool picked = true;
  if (picker && (modifiers & kUIModOption)) {
    ChooseColour(prior, colour);
  } else if (!SampleFromPanes(pick, cursor, prior, colour)) {
    // Let go outside every pane: the pick changes nothing.
    pick.Write(prior);
    picked = false;
  }
  if (picked) {
    if (auto proc = reinterpret_cast<VFEyedropperProc>(VFGetPointerProperty(eyedropper, kVFPropPickProc)))
      proc(eyedropper, colour, true);
    pick.Write(colour);
    if (pick.checkBox && UIIsControlAlive(pick.checkBox)) {
      UISetControlValue(pick.checkBox, 1);
      if (auto* word = static_cast<uint32_t*>(VFGetPointerProperty(pick.checkBox, kVFPropOffset))) *word = 1;
    }
  }
  pick.Redraw();
  if (UIIsControlAlive(eyedropper)) UISetControlValue(eyedropper, 0);
  if (undo) {
    UndoBufferStore(gUndoBuffer, &gUISettings);
    VFForgetUndoControl();
  }
  VFUpdatePreview();
}

QVStatus EyedropperHandler(UIEvent& e) {
  if (e.kind != kUIEventControlHit) return kQVErrNotHandled;
  RunPick(e.control, e.modifiers | UIGetModifiers());
  return kQVNoErr;
}

}  // namespace

UIControl* VFCreateEyedropperButton(UIWindow* window, UIRect* frame, UIControl* parent, void*, uint32_t offset,
                                    int32_t idNumber, UIControl** table, int32_t pictureID, int32_t cursorID,
                                    bool undo, bool picker, VFEyedropperProc proc, UIControl** out) {
  if (out) *out = nullptr;
  if (!window || !frame) return nullptr;
  UIControl* button = UINewBevelButton(window, UIMakeRect(frame->left, frame->top, 22, 22), "", pictureID, true);
  if (!button) return nullptr;
  UISetControlID(button, UIControlID{kVFSigEyedropper, idNumber});
  UISetControlProperty(button, kVFCreator, kVFPropOffset, &offset, sizeof offset);
  UISetControlProperty(button, kVFCreator, kVFPropCursor, &cursorID, sizeof cursorID);
  const uint8_t undoFlag = undo ? 1 : 0, pickerFlag = picker ? 1 : 0;
  UISetControlProperty(button, kVFCreator, kVFPropUndo, &undoFlag, 1);
  UISetControlProperty(button, kVFCreator, kVFPropPicker, &pickerFlag, 1);
  if (proc) VFSetPointerProperty(button, kVFPropPickProc, reinterpret_cast<const void*>(proc));
  UIInstallControlHandler(button, EyedropperHandler);
  if (parent) UIEmbedControl(button, parent);
  UISetControlColorProc(button, VFControlColorProc);
  if (table) VFRegisterControl(table, offset, button);
  if (out) *out = button;
  *frame = UIRectOffset(*frame, 0, 24);
  return button;
}

void VFSetEyedropperSecondTarget(UIControl* control, int32_t idNumber) {
  if (!control || !UIIsControlAlive(control)) return;
  UIControl* eyedropper =
      VFFindPart(UIGetControlWindow(control), kVFSigEyedropper, UIGetControlID(control).id);
  if (eyedropper) UISetControlProperty(eyedropper, kVFCreator, kVFPropSecondTarget, &idNumber, sizeof idNumber);
}
