// Windows of the toolkit and the application set-up. Window bounds are the
// content rectangle in global (display) coordinates.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui/ui_draw.h"
#include "platform/ui/ui_event.h"

struct TKWindow;
struct TKControl;

enum TKBackendKind : int32_t {
  kTKBackendHeadless = 1,  // no display: scripted input, render on demand
  kTKBackendSDL = 2,       // real windows through SDL2
  kTKBackendAuto = 3,      // SDL2 when a display can be opened, else headless
};

// Starts the toolkit; kQVErrUnimplemented when SDL2 was asked for and no
// display could be opened.
QVStatus TKInitToolkit(TKBackendKind kind);
// Closes every window and ends the backend.
void TKShutdownToolkit();
bool TKToolkitRunning();
TKBackendKind TKGetBackendKind();

enum TKWindowKind : int32_t {
  kTKWindowPlain = 0,      // title bar, movable
  kTKWindowModal,          // movable modal dialog, centred on its display
  kTKWindowBorderless,     // no frame
  kTKWindowFloating,       // stays above plain windows, never becomes key
  kTKWindowFullScreen,     // covers one display
  kTKWindowPopup,          // menus and help tags drawn by the toolkit
};

TKWindow* TKCreateWindow(TKWindowKind kind, const TKRect& bounds, const char* title);
// A window covering display number `display` (0-based).
TKWindow* TKCreateFullScreenWindow(int32_t display);
void TKDisposeWindow(TKWindow* window);
// Whether the window is one of the toolkit's open windows.
bool TKWindowExists(TKWindow* window);

void TKShowWindow(TKWindow* window);
void TKHideWindow(TKWindow* window);
bool TKIsWindowVisible(TKWindow* window);
// Brings the window to the front and makes it the key window.
void TKSelectWindow(TKWindow* window);
// Frontmost visible window that is neither floating nor a popup.
TKWindow* TKFrontWindow();
TKWindowKind TKGetWindowKind(TKWindow* window);

std::string TKGetWindowTitle(TKWindow* window);
void TKSetWindowBounds(TKWindow* window, const TKRect& bounds);
TKRect TKGetWindowBounds(TKWindow* window);
// Bounds in the window's own coordinates: (0, 0, height, width).
TKRect TKGetWindowContentRect(TKWindow* window);
// Centres on the display that holds most of `parent` (or the main display),
// a third of the free space above and two thirds below, as dialogs sit.
void TKCenterWindow(TKWindow* window, TKWindow* parent);
void TKSetWindowRefCon(TKWindow* window, intptr_t refCon);
intptr_t TKGetWindowRefCon(TKWindow* window);

void TKInvalidateWindow(TKWindow* window);
void TKInvalidateRect(TKWindow* window, const TKRect& r);
// Whether the window was invalidated since it was last drawn.
bool TKWindowNeedsRedraw(TKWindow* window);
void TKSetWindowContentColor(TKWindow* window, TKColor color);

// A window whose top strip shows the menu bar (the application's main window).
void TKSetWindowShowsMenuBar(TKWindow* window, bool shows);
int32_t TKMenuBarHeight();

void TKSetDefaultButton(TKWindow* window, TKControl* button);
TKControl* TKGetDefaultButton(TKWindow* window);
void TKSetCancelButton(TKWindow* window, TKControl* button);
TKControl* TKGetCancelButton(TKWindow* window);

// Keyboard focus. TKAdvanceKeyboardFocus moves along the tab chain: visible,
// enabled controls that take focus, in tree order.
QVStatus TKSetKeyboardFocus(TKWindow* window, TKControl* control);
TKControl* TKGetKeyboardFocus(TKWindow* window);
void TKAdvanceKeyboardFocus(TKWindow* window, bool backwards);

// Application-modal loop: shows the window and runs the event loop until
// TKEndModal; returns the code given there. Clicks in other windows beep.
int32_t TKRunModal(TKWindow* window);
void TKEndModal(TKWindow* window, int32_t result);

// Draws the window's content now and returns its image (owned by the window).
TKImage* TKRenderWindow(TKWindow* window);
QVStatus TKWriteWindowPNG(TKWindow* window, const char* path);
// The window's pixels as they are on the screen (a new image the caller
// disposes); headless, a fresh rendering.
TKImage* TKCaptureWindow(TKWindow* window);

// Modal mouse tracking: waits up to timeout seconds for the mouse to move
// or the button to go up, running timers and posted calls meanwhile. where
// is in `window`'s coordinates.
enum TKTrackResult : int32_t { kTKTrackMouseDragged = 1, kTKTrackMouseUp = 2, kTKTrackTimedOut = 3 };
TKTrackResult TKTrackMouse(TKWindow* window, double timeout, TKPoint* where, uint32_t* modifiers);
// The same for loops that follow the mouse between presses (an eyedropper
// picking from panes): every mouse event comes back by kind, presses
// included and taken from the queue; kTKMouseTrackEnded when scripted input
// has run out or a quit is asked for.
enum TKMouseTrackEvent : int32_t {
  kTKMouseTrackDown = 1,
  kTKMouseTrackUp = 2,
  kTKMouseTrackMoved = 3,
  kTKMouseTrackDragged = 4,
  kTKMouseTrackTimedOut = 5,
  kTKMouseTrackEnded = 6,
};
TKMouseTrackEvent TKTrackMouseEvents(TKWindow* window, double timeout, TKPoint* where, uint32_t* modifiers);

// Tracking regions: kTKEventMouseEntered/Exited with the region's id go to
// the window's chain when the mouse crosses the rectangle's edge.
int32_t TKAddTrackingRegion(TKWindow* window, const TKRect& r, int32_t regionID);
void TKRemoveTrackingRegion(TKWindow* window, int32_t regionID);

// Cursors by id.
enum : int32_t {
  kTKCursorArrow = 0,
  kTKCursorIBeam,
  kTKCursorCrosshair,
  kTKCursorHand,
  kTKCursorResizeLeftRight,
  kTKCursorResizeUpDown,
  kTKCursorWatch,
};
// A cursor of the program's own from a registered picture (ids from 128
// up); hotSpot is the pixel of the picture that points.
QVStatus TKDefineCursor(int32_t cursorID, int32_t pictureID, TKPoint hotSpot);
// True when cursorID was defined by TKDefineCursor since the toolkit started.
bool TKCursorDefined(int32_t cursorID);
void TKSetCursor(int32_t cursorID);
int32_t TKGetCursor();
