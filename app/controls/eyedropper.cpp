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
  TKControl* pane = nullptr;
  float rgb[3] = {};
  uint8_t done = 0;
  int32_t cursor = 0;
};

// The image panes of the current layout: layout 3's pane and its two
// reference-image panes, layout 1's pane, else the pane of the view mode.
int32_t LayoutPanes(TKControl* panes[3]) {
  int32_t n = 0;
  auto add = [&](TKControl* pane) {
    if (pane && TKIsControlAlive(pane)) panes[n++] = pane;
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
  TKControl* eyedropper = nullptr;
  TKControl* checkBox = nullptr;
  TKControl* swatches[3] = {};  // sample, result, target
  TKControl* secondSwatch = nullptr;
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
  TKControl* found[3] = {};
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

  TKWindow* window = TKGetControlWindow(pick.eyedropper);
  bool pressed = false;
  for (bool tracking = true; tracking;) {
    TKPoint where;
    uint32_t modifiers = 0;
    switch (TKTrackMouseEvents(window, kTrackStep, &where, &modifiers)) {
      case kTKMouseTrackDown:
        if (sampling()) take();
        pressed = true;
        break;
      case kTKMouseTrackTimedOut:
        if (TKGetMouseButtons() & 1) pressed = true;
        if (pressed) take();
        break;
      case kTKMouseTrackMoved:
      case kTKMouseTrackDragged:
        if (pressed) take();
        break;
      case kTKMouseTrackUp:
        tracking = !pressed;
        break;
      case kTKMouseTrackEnded: tracking = false; break;
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
  const TKColor initial = TKColorFrom16(to16(prior[0]), to16(prior[1]), to16(prior[2]));
  TKColor chosen;
  std::memcpy(colour, prior, 3 * sizeof(float));
  if (TKRunColorPicker(kPickerPrompt, initial, &chosen) != kQVNoErr) return;
  const double c[3] = {chosen.red, chosen.green, chosen.blue};
  for (int i = 0; i < 3; ++i) colour[i] = float(to16(float(c[i]))) / 65535.0f;
}

void RunPick(TKControl* eyedropper, uint32_t modifiers) {
  Pick pick;
  pick.eyedropper = eyedropper;
  if (!VFGetTripleOffset(eyedropper, &pick.offset)) {
    TKSetControlValue(eyedropper, 0);
    return;
  }
  TKWindow* window = TKGetControlWindow(eyedropper);
  const int32_t id = TKGetControlID(eyedropper).id;
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
  // An eyedropper without the flags reads them as off.
  QVIgnoreStatus(TKGetControlProperty(eyedropper, kVFCreator, kVFPropUndo, &undo, 1, nullptr));
  QVIgnoreStatus(TKGetControlProperty(eyedropper, kVFCreator, kVFPropPicker, &picker, 1, nullptr));
  int32_t second = 0;
  if (TKGetControlProperty(eyedropper, kVFCreator, kVFPropSecondTarget, &second, sizeof second, nullptr) == kQVNoErr) {
    pick.secondSwatch = VFFindPart(window, kVFSigSampleSwatch, second);
    pick.hasSecond = VFSwatchOffset(pick.secondSwatch, &pick.secondOffset);
  }

  float prior[3];
  std::memcpy(prior, TripleAt(pick.offset), sizeof prior);
  if (undo) UndoBufferPush(gUndoBuffer, &gUISettings);

  float colour[3];
  bool picked = true;
  if (picker && (modifiers & kTKModOption)) {
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
    if (pick.checkBox && TKIsControlAlive(pick.checkBox)) {
      TKSetControlValue(pick.checkBox, 1);
      if (auto* word = static_cast<uint32_t*>(VFGetPointerProperty(pick.checkBox, kVFPropOffset))) *word = 1;
    }
  }
  pick.Redraw();
  if (TKIsControlAlive(eyedropper)) TKSetControlValue(eyedropper, 0);
  if (undo) {
    UndoBufferStore(gUndoBuffer, &gUISettings);
    VFForgetUndoControl();
  }
  VFUpdatePreview();
}

QVStatus EyedropperHandler(TKEvent& e) {
  if (e.kind != kTKEventControlHit) return kQVErrNotHandled;
  RunPick(e.control, e.modifiers | TKGetModifiers());
  return kQVNoErr;
}

}  // namespace

TKControl* VFCreateEyedropperButton(TKWindow* window, TKRect* frame, TKControl* parent, void*, uint32_t offset,
                                    int32_t idNumber, TKControl** table, int32_t pictureID, int32_t cursorID,
                                    bool undo, bool picker, VFEyedropperProc proc, TKControl** out) {
  if (out) *out = nullptr;
  if (!window || !frame) return nullptr;
  TKControl* button = TKNewBevelButton(window, TKMakeRect(frame->left, frame->top, 22, 22), "", pictureID, true);
  if (!button) return nullptr;
  TKSetControlID(button, TKControlID{kVFSigEyedropper, idNumber});
  // A made control takes a property; only a missing one refuses.
  QVIgnoreStatus(TKSetControlProperty(button, kVFCreator, kVFPropOffset, &offset, sizeof offset));
  QVIgnoreStatus(TKSetControlProperty(button, kVFCreator, kVFPropCursor, &cursorID, sizeof cursorID));
  const uint8_t undoFlag = undo ? 1 : 0, pickerFlag = picker ? 1 : 0;
  QVIgnoreStatus(TKSetControlProperty(button, kVFCreator, kVFPropUndo, &undoFlag, 1));
  QVIgnoreStatus(TKSetControlProperty(button, kVFCreator, kVFPropPicker, &pickerFlag, 1));
  if (proc) VFSetPointerProperty(button, kVFPropPickProc, reinterpret_cast<const void*>(proc));
  TKInstallControlHandler(button, EyedropperHandler);
  // Embedding a control made in the parent's window cannot fail.
  if (parent) QVIgnoreStatus(TKEmbedControl(button, parent));
  TKSetControlColorProc(button, VFControlColorProc);
  if (table) VFRegisterControl(table, offset, button);
  if (out) *out = button;
  *frame = TKRectOffset(*frame, 0, 24);
  return button;
}

void VFSetEyedropperSecondTarget(TKControl* control, int32_t idNumber) {
  if (!control || !TKIsControlAlive(control)) return;
  TKControl* eyedropper =
      VFFindPart(TKGetControlWindow(control), kVFSigEyedropper, TKGetControlID(control).id);
  // A made control takes a property; only a missing one refuses.
  if (eyedropper)
    QVIgnoreStatus(TKSetControlProperty(eyedropper, kVFCreator, kVFPropSecondTarget, &idNumber, sizeof idNumber));
}
