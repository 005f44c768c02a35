#include "app/state/app_state.h"

#include <cstring>

#include "app/state/ui_state.h"
#include "app/state/undo_ring.h"
#include "platform/ui/ui_draw.h"
#include "settings/prefs.h"

UIAppState gUIState;

void UIResetState(uint32_t undoDepth) {
  UIAppState& s = gUIState;
  DisposeUndoBuffer(s.undo);
  for (FBFrameStruct* frame : {s.sourceFrame, s.resultFrame, s.referenceFrame, s.arrivedFrame})
    FBDisposeFrameBuffer(frame);
  for (TKImage* picture : {s.resultPicture, s.sourcePicture, s.referencePicture, s.splitPicture, s.splitMaskPicture,
                           s.secondaryPicture})
    TKImageDispose(picture);
  s = UIAppState{};
  VL_SetDefaultControlValues(&s.settings, kVLMaskAll);
  VL_SetDefaultControlValues(&s.defaultSettings, kVLMaskAll);
  PFLoadDefaultPreferences(&gPrefsSettings);
  std::memset(&gSavedSettings, 0, sizeof gSavedSettings);
  if (undoDepth > 0) s.undo = CreateUndoBuffer(undoDepth);
}
