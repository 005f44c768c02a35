// Events and handler chains. A handler answers kQVNoErr when it dealt with
// the event, or kQVErrNotHandled (-9874) to pass it to the next handler:
// first the control's handlers (newest first), then its enclosing controls',
// then the window's, then the application's, and last the toolkit's own
// standard behaviour.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/ui/ui_types.h"

struct TKWindow;
struct TKControl;
struct TKMenu;
struct TKContext;

enum TKEventKind : uint32_t {
  kTKEventNone = 0,
  kTKEventMouseDown,
  kTKEventMouseUp,
  kTKEventMouseDragged,
  kTKEventMouseMoved,
  kTKEventMouseWheel,
  kTKEventContextClick,   // right button or control-click, before any tracking
  kTKEventKeyDown,
  kTKEventMouseEntered,   // the mouse entered a tracking region (regionID)
  kTKEventMouseExited,
  kTKEventControlHit,     // a click on a control ended inside it (part)
  kTKEventValueChanged,   // the user changed a control's value (live slider, typing, list edit)
  kTKEventCommand,        // a command ID from a button, a menu or a key equivalent
  kTKEventUpdateCommand,  // enable pass: set the menu item's state for command
  kTKEventDraw,           // a control is drawn into ctx (handled: the standard look is skipped)
  kTKEventFocusChanged,   // the control gained (part != 0) or lost (part 0) keyboard focus
  kTKEventWindowActivated,
  kTKEventWindowDeactivated,
  kTKEventWindowClose,    // the close box or a quit: handled means the window stays
  kTKEventQuit,           // application quit request
  kTKEventModifiersChanged,  // modifier keys went down or up (modifiers: the new state)
  kTKEventWindowDraw,     // the window's content is drawn into ctx, before its controls
  kTKEventVisibilityChanged,  // a control became visible (part 1) or hidden (part 0)
  kTKEventAppActivated,    // the program as a whole gained the focus (to the application's chain)
  kTKEventAppDeactivated,  // the program as a whole lost it: none of its windows has the focus
};

// The quit command: when no handler takes it, the loop is asked to quit.
constexpr uint32_t kTKCommandQuit = 0x71756974;  // 'quit'

// Mouse buttons.
enum : uint32_t { kTKButtonLeft = 1, kTKButtonRight = 2, kTKButtonMiddle = 3 };

struct TKEvent {
  TKEventKind kind = kTKEventNone;
  TKWindow* window = nullptr;
  TKControl* control = nullptr;
  TKPoint where;             // window content coordinates
  uint32_t modifiers = 0;
  uint32_t button = kTKButtonLeft;
  int32_t clickCount = 1;
  uint32_t charCode = 0;     // key: character code (special keys as in ui_types.h)
  uint32_t keyCode = 0;      // key: virtual key code of function keys (kTKKeyCodeF1...), else 0
  char text[8] = {};         // key: the typed character as UTF-8, empty for special keys
  double wheelX = 0, wheelY = 0;
  int16_t part = 0;
  uint32_t command = 0;
  int32_t regionID = 0;
  int32_t row = -1, column = -1;  // list: the cell of a click or an edit
  TKMenu* menu = nullptr;    // command or update from a menu item
  int32_t menuItem = 0;      // 1-based
  TKContext* ctx = nullptr;  // draw
  double time = 0;           // clock time the event happened
};

using TKHandler = std::function<QVStatus(TKEvent&)>;
using TKHandlerRef = uint64_t;

TKHandlerRef TKInstallControlHandler(TKControl* control, TKHandler handler);
TKHandlerRef TKInstallWindowHandler(TKWindow* window, TKHandler handler);
TKHandlerRef TKInstallAppHandler(TKHandler handler);
void TKRemoveHandler(TKHandlerRef ref);

// Sends an event down the chain that starts at e.control, else at e.window,
// else at the application. Returns the first answer other than
// kQVErrNotHandled, or kQVErrNotHandled when nobody took it.
QVStatus TKSendEvent(TKEvent& e);
// Sends a command to the key window's chain, then the application's.
QVStatus TKSendCommand(uint32_t command, uint32_t modifiers = 0);

// Input state as the event system sees it.
uint32_t TKGetModifiers();
uint32_t TKGetMouseButtons();  // bit 0 left, bit 1 right
// Where the mouse was at the last mouse event, in global coordinates.
TKPoint TKGetMouseLocation();
// The same in the content coordinates of window (its bounds' top left as 0, 0).
TKPoint TKGetMouseLocationInWindow(TKWindow* window);
