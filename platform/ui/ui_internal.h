// Internal state of the toolkit shared by its files and its tests.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/ui/ui_control.h"
#include "platform/ui/ui_dialogs.h"
#include "platform/ui/ui_draw.h"
#include "platform/ui/ui_event.h"
#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_menu.h"
#include "platform/ui/ui_window.h"

struct UIHandlerEntry {
  UIHandlerRef ref = 0;
  UIHandler fn;
};
using UIHandlerChain = std::vector<UIHandlerEntry>;  // newest first

struct UIListData {
  std::vector<UIListColumn> columns;
  struct Row {
    int32_t id = 0;
    std::vector<std::string> cells;
    bool selected = false;
  };
  std::vector<Row> rows;
  int32_t selected = -1;  // the last row clicked or selected
  bool multiple = false;
  int32_t sortColumn = -1;
  bool ascending = true;
  int32_t scroll = 0;  // first visible row
  int32_t editRow = -1, editColumn = -1;
  std::string editText;
};

struct UIControl {
  UIWindow* window = nullptr;
  UIControl* parent = nullptr;
  std::vector<std::unique_ptr<UIControl>> children;  // back to front
  UIControlKind kind = kUIControlUserPane;
  UIRect bounds;
  UIControlID id;
  int32_t value = 0, minimum = 0, maximum = 0;
  int32_t pageSize = 0;
  intptr_t refCon = 0;
  uint32_t command = 0;
  std::string title;
  std::map<std::pair<uint32_t, uint32_t>, std::vector<uint8_t>> properties;
  UIColorProc colorProc;
  std::string helpTag;
  UIHandlerChain handlers;
  bool visible = true, enabled = true, active = true;
  int16_t hilite = 0;
  int32_t pictureID = 0;
  bool sticky = false;
  UIMenu* menu = nullptr;
  UIFont font;
  // edit text
  int32_t selStart = 0, selEnd = 0;
  std::unique_ptr<UIListData> list;
  UIUserPaneProcs pane;
};

struct UITrackingRegion {
  int32_t id = 0;
  UIRect rect;
  bool inside = false;
};

struct UIWindow {
  UIWindowKind kind = kUIWindowPlain;
  UIRect bounds;
  std::string title;
  bool visible = false;
  UIColor contentColor{0.93, 0.93, 0.93, 1.0};
  std::unique_ptr<UIControl> root;
  UIControl* defaultButton = nullptr;
  UIControl* cancelButton = nullptr;
  UIControl* focus = nullptr;
  UIHandlerChain handlers;
  UIImagePtr image;
  bool invalid = true;
  bool showsMenuBar = false;
  bool modalDone = false;
  int32_t modalResult = 0;
  intptr_t refCon = 0;
  std::vector<UITrackingRegion> regions;
  void* backendData = nullptr;
  // Set by the toolkit's own popups to draw themselves.
  std::function<void(UIWindow*, UIContext*)> drawOverlay;
};

struct UIMenuItem {
  std::string text;
  uint32_t command = 0;
  bool enabled = true;
  bool checked = false;
  uint32_t keyChar = 0;
  uint32_t keyModifiers = 0;
  UIMenu* submenu = nullptr;
  intptr_t refCon = 0;
};

struct UIMenu {
  int32_t id = 0;
  std::string title;
  std::vector<UIMenuItem> items;
};

// What a backend does for the toolkit.
class UIBackend {
 public:
  virtual ~UIBackend() = default;
  virtual UIBackendKind Kind() const = 0;
  virtual void OpenWindow(UIWindow* w) = 0;
  virtual void CloseWindow(UIWindow* w) = 0;
  virtual void ShowWindow(UIWindow* w, bool show) = 0;
  virtual void UpdateWindowFrame(UIWindow* w) = 0;  // bounds or title changed
  virtual void RaiseWindow(UIWindow* w) = 0;
  // Gives the visible window the platform's keyboard focus.
  virtual void FocusWindow(UIWindow* w) = 0;
  // Shows the window's freshly rendered image; backends without a screen skip it.
  virtual bool NeedsPresent() const = 0;
  virtual void Present(UIWindow* w) = 0;
  // Moves input that is ready (by the loop's clock) into out; never blocks.
  virtual void Pump(std::deque<UIEvent>& out) = 0;
  // Clock time of the next scripted input, or a huge number.
  virtual double NextInputTime() const = 0;
  // Largest slice the loop may block without pumping (seconds).
  virtual double MaxBlock() const = 0;
  virtual std::vector<UIRect> Displays() = 0;
  virtual void SetCursor(int32_t cursor) = 0;
  virtual void Beep() = 0;
  // Text flavour shared with other programs; false when the backend has none.
  virtual bool PutClipboardText(const std::string& text) = 0;
  virtual bool GetClipboardText(std::string* text) = 0;
};

std::unique_ptr<UIBackend> UIMakeHeadlessBackend();
// Null when no display can be opened.
std::unique_ptr<UIBackend> UIMakeSDLBackend();
// SDL test hooks: a synthetic click through SDL's own event queue, and the
// pixels of the window's on-screen surface. False or null without SDL.
bool UISDLPushClick(UIWindow* window, UIPoint where);
UIImage* UISDLCaptureWindow(UIWindow* window);

struct UICursorDefinition {
  int32_t pictureID = 0;
  UIPoint hotSpot;
};

struct UITimer {
  double next = 0;
  double interval = 0;
  UITimerProc proc;
  bool removed = false;
  uint64_t order = 0;
};

struct UIWatch {
  int fd = -1;
  uint32_t events = 0;
  UIWatchProc proc;
  bool removed = false;
};

// Everything the toolkit knows between start and shutdown, in one place.
// Shutdown throws the whole context away, so the next start begins from
// these defaults: real clock, no scripted input or dialog answers, no
// windows, menus, timers or clipboard contents. The context owns windows,
// menus, timers and watches; each window owns its control tree.
//
// Only the doorway that other threads and signal handlers use (posted calls,
// the wake pipe, the quit request) lives outside, in the loop, since those
// callers never wait for start or shutdown; shutdown empties it.
struct UIToolkitState {
  bool running = false;

  std::vector<std::unique_ptr<UIWindow>> windows;  // front to back
  std::unordered_set<const UIControl*> liveControls;  // every control but the roots
  std::vector<std::unique_ptr<UIMenu>> menus;
  std::vector<UIMenu*> menuBar;
  UIWindow* keyWindow = nullptr;
  std::vector<UIWindow*> modalStack;
  UIHandlerChain appHandlers;
  UIHandlerRef lastHandlerRef = 0;

  // The loop.
  bool fakeClock = false;
  double fakeNow = 0;
  std::vector<std::unique_ptr<UITimer>> timers;
  uint64_t lastTimerOrder = 0;
  std::vector<std::unique_ptr<UIWatch>> watches;
  int firingDepth = 0;  // timers and watches are freed only outside their procs
  bool quitLoop = false;
  bool didWork = false;
  std::deque<UIEvent> input;  // input ready for dispatch

  // Input state.
  uint32_t modifiers = 0;
  uint32_t buttons = 0;
  int32_t cursor = kUICursorArrow;
  std::map<int32_t, UICursorDefinition> customCursors;
  UIWindow* mouseWindow = nullptr;  // window of the last mouse-down
  UIPoint lastMouse;
  UIWindow* lastMouseWindow = nullptr;  // the window lastMouse is local to
  double lastClickTime = -10;
  UIPoint lastClickWhere;
  int32_t clickCount = 0;
  int32_t helpTagDelayTicks = 0;
  UIWindow* helpTagWindow = nullptr;
  UIControl* hoverControl = nullptr;
  double hoverSince = 0;
  UITimer* idleTimer = nullptr;
  bool helpTagsEnabled = true;

  // Dialog answers queued by a script, and the requests they answered.
  std::deque<UIDialogAnswer> dialogAnswers;
  std::vector<UIDialogRequest> dialogRequests;
  // Clipboard contents by flavour; text goes to the backend as well.
  std::map<std::string, std::vector<uint8_t>> clipboard;

  // Declared last so it goes first: the windows above still name its own
  // resources while it closes them.
  std::unique_ptr<UIBackend> backend;
};

// The context, made on first use (so a test may pick the fake clock or queue
// answers before starting the toolkit) and destroyed by UIShutdownToolkit.
UIToolkitState& UIState();
UIBackend* UIBackendPtr();
// The windows front to back, copied, to walk while handlers create or
// dispose windows (check each with UIWindowAlive before use).
std::vector<UIWindow*> UIWindowList();
// A control's children back to front, copied likewise (UIControlAlive).
std::vector<UIControl*> UIChildList(UIControl* c);

// Idle work: user panes' idle procedures and help tags.
void UIStartIdle();
void UIHideHelpTag();

// Platform base: main-thread calls, input hooks and the alert sink.
void UIConnectPlatform();
void UIDisconnectPlatform();

// Loop internals.
// Waits until input is ready, some work was done or `deadline`
// (clock time); then runs posted calls, timers and watches. Returns true when
// input is waiting in UIState().input.
bool UIWaitAndService(double deadline);
void UIServiceOnce();
// Drops calls posted from other threads and any quit request.
void UIResetLoopDoor();

// Dispatch internals.
void UIDispatchInput(UIEvent& e);
void UIRedrawInvalidWindows();
QVStatus UISendThroughChains(UIEvent& e, bool includeApp);
void UIControlHit(UIControl* c, int16_t part, uint32_t modifiers);
// An event of the kind addressed to the control and its window.
UIEvent UIControlEvent(UIEventKind kind, UIControl* c, int16_t part = 0);
// Where keys and commands go: the topmost modal window, else the key window.
UIWindow* UITargetWindow();
// Sends the chosen item's command to the target window and its focus.
QVStatus UISendMenuChoice(const UIMenuChoice& choice, uint32_t modifiers);
// One key-down event per UTF-8 character of the text, each a copy of
// `model` (its time and modifiers) carrying the character.
std::vector<UIEvent> UIKeyEventsForText(const char* utf8, const UIEvent& model);

// Drawing of the standard controls.
void UIDrawControlTree(UIControl* c, UIContext* ctx);
void UIDrawMenuBar(UIWindow* w, UIContext* ctx);
UIColor UIControlTextColor(UIControl* c);
const UIFont& UISystemFont();
const UIFont& UISmallFont();

// Standard control behaviour.
void UITrackControlDefault(UIControl* c, const UIEvent& down);
QVStatus UIControlKeyDefault(UIControl* c, const UIEvent& key);
bool UIControlTakesFocus(UIControl* c);
int16_t UISliderPartAt(UIControl* c, UIPoint p);
UIRect UISliderThumbRect(UIControl* c);
int32_t UISliderValueAt(UIControl* c, int32_t x);
constexpr int32_t kUIListHeaderHeight = 20;
constexpr int32_t kUIListRowHeight = 18;
void UIListClick(UIControl* c, const UIEvent& down);
void UIMenuBarClick(UIWindow* w, UIPoint where);

// Dialogs: a queued answer, when there is one, takes the place of the window.
bool UITakeScriptedAnswer(const UIDialogRequest& request, UIDialogAnswer* answer);
// True when no input can ever arrive: a headless run whose script is empty.
bool UINoInputCanArrive();
// Lays out a row of dialog buttons right to left from the bottom-right
// corner; returns the buttons in the order given.
std::vector<UIControl*> UIAddDialogButtons(UIWindow* w, const std::vector<std::pair<std::string, uint32_t>>& buttons);

// Windows.
void UIWindowInvalidated(UIWindow* w);
// Whether a pointer still names a live control or window (handlers may
// dispose them while an event travels).
bool UIControlAlive(UIControl* c);
bool UIWindowAlive(UIWindow* w);
UIWindow* UINewPopupWindow(const UIRect& bounds);
void UIUpdateTrackingRegions(UIWindow* w, UIPoint where);
void UIControlDisposing(UIControl* c);
