// The surface definition editor: a modal window with the surface seen from
// above. Clicking a part opens its definition dialog; an overlay shows the
// edited page's LED, trackball colours and display lines. OK writes the
// definitions file; Cancel only skips the file (the dialogs' changes stay in
// effect until the file is read again).
#pragma once

#include <cstdint>

#include "platform/status.h"
#include "platform/ui/ui_types.h"

struct TKControl;
struct TKImage;
struct TKWindow;

struct SurfaceEditor {
  TKWindow* window = nullptr;
  TKControl* picture = nullptr;  // the picture view ('HIiv', 1)
  TKControl* ok = nullptr;
  TKControl* cancel = nullptr;
  TKImage* overhead = nullptr;   // made at each opening
  TKImage* overlay = nullptr;
  bool overlayActive = false;
  bool cancelled = true;
};

// Runs the editor. The status of writing the file after OK (the folder
// lookup), else 0.
QVStatus SurfaceEditorOpen();
// The page the editor shows, 1-7.
int32_t SurfaceEditorPage();
// Redraws the open editor's overlay, active or cleared; nothing without one.
void SurfaceEditorDraw(bool active);
// A click on the picture at a point of the picture (top-left origin).
void SurfaceEditorClick(TKPoint where);
// Called with the editor just before its modal loop (tests drive it from
// there); null removes it.
void SetSurfaceEditorOpenedHook(void (*hook)(SurfaceEditor* editor));
