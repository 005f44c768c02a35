// Windows of the toolkit and the application set-up. Window bounds are the
// content rectangle in global (display) coordinates.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui/ui_draw.h"
#include "platform/ui/ui_event.h"

struct UIWindow;
struct UIControl;

enum UIBackendKind : int32_t {
  kUIBackendHeadless = 1,  // no display: scripted input, render on demand
  kUIBackendSDL = 2,       // real windows through SDL2
  kUIBackendAuto = 3,      // SDL2 when a display can be opened, else headless
};

// Starts the toolkit; kQVErrUnimplemented when SDL2 was asked for and no
// display could be opened.
QVStatus UIInitToolkit(UIBackendKind kind);
// Closes every window and ends the backend.
void UIShutdownToolkit();
bool UIToolkitRunning();
UIBackendKind UIGetBackendKind();

enum UIWindowKind : int32_t {
  kUIWindowPlain = 0,      // title bar, movable
  kUIWindowModal,          // movable modal dialog, centred on its display
  kUIWindowBorderless,     // no frame
  kUIWindowFloating,       // stays above plain windows, never becomes key
  kUIWindowFullScreen,     // covers one display
  kUIWindowPopup,          // menus and help tags drawn by the toolkit
};

UIWindow* UICreateWindow(UIWindowKind kind, const UIRect& bounds, const char* title);
// A window covering display number `display` (0-based).
UIWindow* UICreateFullScreenWindow(int32_t display);
void UIDisposeWindow(UIWindow* window);
// Whether the window is one of the toolkit's open windows.
bool UIWindowExists(UIWindow* window);

void UIShowWindow(UIWindow* window);
void UIHideWindow(UIWindow* window);
bool UIIsWindowVisible(UIWindow* window);
// Brings the window to the front and makes it the key window.
void UISelectWindow(UIWindow* window);
// Frontmost visible window that is neither floating nor a popup.
UIWindow* UIFrontWindow();
UIWindowKind UIGetWindowKind(UIWindow* window);

std::string UIGetWindowTitle(UIWindow* window);
void UISetWindowBounds(UIWindow* window, const UIRect& bounds);
UIRect UIGetWindowBounds(UIWindow* window);
// Bounds in the window's own coordinates: (0, 0, height, width).
UIRect UIGetWindowContentRect(UIWindow* window);
// Centres on the display that holds most of `parent` (or the main display),
// a third of the free space above and two thirds below, as dialogs sit.
void UICenterWindow(UIWindow* window, UIWindow* parent);
void UISetWindowRefCon(UIWindow* window, intptr_t refCon);
intptr_t UIGetWindowRefCon(UIWindow* window);

void UIInvalidateWindow(UIWindow* window);
void UIInvalidateRect(UIWindow* window, const UIRect& r);
// Whether the window was invalidated since it was last drawn.
bool UIWindowNeedsRedraw(UIWindow* window);
void UISetWindowContentColor(UIWindow* window, UIColor color);

// A window whose top strip shows the menu bar (the application's main window).
void UISetWindowShowsMenuBar(UIWindow* window, bool shows);
int32_t UIMenuBarHeight();

void UISetDefaultButton(UIWindow* window, UIControl* button);
UIControl* UIGetDefaultButton(UIWindow* window);
void UISetCancelButton(UIWindow* window, UIControl* button);
UIControl* UIGetCancelButton(UIWindow* window);

// Keyboard focus. UIAdvanceKeyboardFocus moves along the tab chain: visible,
// enabled controls that take focus, in tree order.
QVStatus UISetKeyboardFocus(UIWindow* window, UIControl* control);
UIControl* UIGetKeyboardFocus(UIWindow* window);
void UIAdvanceKeyboardFocus(UIWindow* window, bool backwards);

// Application-modal loop: shows the window and runs the event loop until
// UIEndModal; returns the code given there. Clicks in other windows beep.
int32_t UIRunModal(UIWindow* window);
void UIEndModal(UIWindow* window, int32_t result);

// Draws the window's content now and returns its image (owned by the window).
UIImage* UIRenderWindow(UIWindow* window);
QVStatus UIWriteWindowPNG(UIWindow* window, const char* path);
// The window's pixels as they are on the screen (a new image the caller
// disposes); headless, a fresh rendering.
UIImage* UICaptureWindow(UIWindow* window);

// Modal mouse tracking: waits up to timeout seconds for the mouse to move
// or the button to go up, running timers and posted calls meanwhile. where
// is in `window`'s coordinates.
enum UITrackResult : int32_t { kUITrackMouseDragged = 1, kUITrackMouseUp = 2, kUITrackTimedOut = 3 };
UITrackResult UITrackMouse(UIWindow* window, double timeout, UIPoint* where, uint32_t* modifiers);
// The same for loops that follow the mouse between presses (an eyedropper
// picking from panes): every mouse event comes back by kind, presses
// included and taken from the queue; kUIMouseTrackEnded when scripted input
// has run out or a quit is asked for.
enum UIMouseTrackEvent : int32_t {
  kUIMouseTrackDown = 1,
  kUIMouseTrackUp = 2,
  kUIMouseTrackMoved = 3,
  kUIMouseTrackDragged = 4,
  kUIMouseTrackTimedOut = 5,
  kUIMouseTrackEnded = 6,
};
UIMouseTrackEvent UITrackMouseEvents(UIWindow* window, double timeout, UIPoint* where, uint32_t* modifiers);

// Tracking regions: kUIEventMouseEntered/Exited with the region's id go to
// the window's chain when the mouse crosses the rectangle's edge.
int32_t UIAddTrackingRegion(UIWindow* window, const UIRect& r, int32_t regionID);
void UIRemoveTrackingRegion(UIWindow* window, int32_t regionID);

// Cursors by id.
enum : int32_t {
  kUICursorArrow = 0,
  kUICursorIBeam,
  kUICursorCrosshair,
  kUICursorHand,
  kUICursorResizeLeftRight,
  kUICursorResizeUpDown,
  kUICursorWatch,
};
// A cursor of the program's own from a registered picture (ids from 128
// up); hotSpot is the pixel of the picture that points.
QVStatus UIDefineCursor(int32_t cursorID, int32_t pictureID, UIPoint hotSpot);
// True when cursorID was defined by UIDefineCursor since the toolkit started.
bool UICursorDefined(int32_t cursorID);
void UISetCursor(int32_t cursorID);
int32_t UIGetCursor();
