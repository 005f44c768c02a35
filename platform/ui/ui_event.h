// Events and handler chains. A handler answers kQVNoErr when it dealt with
// the event, or kQVErrNotHandled (-9874) to pass it to the next handler:
// first the control's handlers (newest first), then its enclosing controls',
// then the window's, then the application's, and last the toolkit's own
// standard behaviour.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/ui/ui_types.h"

struct UIWindow;
struct UIControl;
struct UIMenu;
struct UIContext;

enum UIEventKind : uint32_t {
  kUIEventNone = 0,
  kUIEventMouseDown,
  kUIEventMouseUp,
  kUIEventMouseDragged,
  kUIEventMouseMoved,
  kUIEventMouseWheel,
  kUIEventContextClick,   // right button or control-click, before any tracking
  kUIEventKeyDown,
  kUIEventMouseEntered,   // the mouse entered a tracking region (regionID)
  kUIEventMouseExited,
  kUIEventControlHit,     // a click on a control ended inside it (part)
  kUIEventValueChanged,   // the user changed a control's value (live slider, typing, list edit)
  kUIEventCommand,        // a command ID from a button, a menu or a key equivalent
  kUIEventUpdateCommand,  // enable pass: set the menu item's state for command
  kUIEventDraw,           // a control is drawn into ctx (handled: the standard look is skipped)
  kUIEventFocusChanged,   // the control gained (part != 0) or lost (part 0) keyboard focus
  kUIEventWindowActivated,
  kUIEventWindowDeactivated,
  kUIEventWindowClose,    // the close box or a quit: handled means the window stays
  kUIEventQuit,           // application quit request
  kUIEventModifiersChanged,  // modifier keys went down or up (modifiers: the new state)
  kUIEventWindowDraw,     // the window's content is drawn into ctx, before its controls
  kUIEventVisibilityChanged,  // a control became visible (part 1) or hidden (part 0)
  kUIEventAppActivated,    // the program as a whole gained the focus (to the application's chain)
  kUIEventAppDeactivated,  // the program as a whole lost it: none of its windows has the focus
};

// The quit command: when no handler takes it, the loop is asked to quit.
constexpr uint32_t kUICommandQuit = 0x71756974;  // 'quit'

// Mouse buttons.
enum : uint32_t { kUIButtonLeft = 1, kUIButtonRight = 2, kUIButtonMiddle = 3 };

struct UIEvent {
  UIEventKind kind = kUIEventNone;
  UIWindow* window = nullptr;
  UIControl* control = nullptr;
  UIPoint where;             // window content coordinates
  uint32_t modifiers = 0;
  uint32_t button = kUIButtonLeft;
  int32_t clickCount = 1;
  uint32_t charCode = 0;     // key: character code (special keys as in ui_types.h)
  uint32_t keyCode = 0;      // key: virtual key code of function keys (kUIKeyCodeF1...), else 0
  char text[8] = {};         // key: the typed character as UTF-8, empty for special keys
  double wheelX = 0, wheelY = 0;
  int16_t part = 0;
  uint32_t command = 0;
  int32_t regionID = 0;
  int32_t row = -1, column = -1;  // list: the cell of a click or an edit
  UIMenu* menu = nullptr;    // command or update from a menu item
  int32_t menuItem = 0;      // 1-based
  UIContext* ctx = nullptr;  // draw
  double time = 0;           // clock time the event happened
};

using UIHandler = std::function<QVStatus(UIEvent&)>;
using UIHandlerRef = uint64_t;

UIHandlerRef UIInstallControlHandler(UIControl* control, UIHandler handler);
UIHandlerRef UIInstallWindowHandler(UIWindow* window, UIHandler handler);
UIHandlerRef UIInstallAppHandler(UIHandler handler);
void UIRemoveHandler(UIHandlerRef ref);

// Sends an event down the chain that starts at e.control, else at e.window,
// else at the application. Returns the first answer other than
// kQVErrNotHandled, or kQVErrNotHandled when nobody took it.
QVStatus UISendEvent(UIEvent& e);
// Sends a command to the key window's chain, then the application's.
QVStatus UISendCommand(uint32_t command, uint32_t modifiers = 0);

// Input state as the event system sees it.
uint32_t UIGetModifiers();
uint32_t UIGetMouseButtons();  // bit 0 left, bit 1 right
// Where the mouse was at the last mouse event, in global coordinates.
UIPoint UIGetMouseLocation();
// The same in the content coordinates of window (its bounds' top left as 0, 0).
UIPoint UIGetMouseLocationInWindow(UIWindow* window);
