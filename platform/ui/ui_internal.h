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

struct TKHandlerEntry {
  TKHandlerRef ref = 0;
  TKHandler fn;
};
using TKHandlerChain = std::vector<TKHandlerEntry>;  // newest first

struct TKListData {
  std::vector<TKListColumn> columns;
  struct Row {
    int32_t id = 0;
    std::vector<std::string> cells;
    bool selected = false;
    int32_t parent = 0;  // ID of the container row above, 0 at the top level
    int32_t depth = 0;
    bool container = false, open = false;
    std::vector<int64_t> dates;  // by column, for date columns
    std::shared_ptr<TKImage> icon;
  };
  std::vector<Row> rows;  // in display order, children right after their container
  std::vector<int32_t> order;  // display position -> column index
  TKListProcs procs;
  int32_t dropTarget = -1;  // while dragging: row shown as the target, -1 none
  int32_t selected = -1;  // the last row clicked or selected
  bool multiple = false;
  int32_t sortColumn = -1;
  bool ascending = true;
  int32_t scroll = 0;  // first visible row
  int32_t editRow = -1, editColumn = -1;
  std::string editText;
};

struct TKControl {
  TKWindow* window = nullptr;
  TKControl* parent = nullptr;
  std::vector<std::unique_ptr<TKControl>> children;  // back to front
  TKControlKind kind = kTKControlUserPane;
  TKRect bounds;
  TKControlID id;
  int32_t value = 0, minimum = 0, maximum = 0;
  int32_t pageSize = 0;
  intptr_t refCon = 0;
  uint32_t command = 0;
  std::string title;
  std::map<std::pair<uint32_t, uint32_t>, std::vector<uint8_t>> properties;
  TKColorProc colorProc;
  std::string helpTag;
  TKHandlerChain handlers;
  bool visible = true, enabled = true, active = true;
  int16_t hilite = 0;
  int32_t pictureID = 0;
  bool sticky = false;
  TKMenu* menu = nullptr;
  TKFont font;
  // edit text
  int32_t selStart = 0, selEnd = 0;
  std::unique_ptr<TKListData> list;
  TKUserPaneProcs pane;
};

struct TKTrackingRegion {
  int32_t id = 0;
  TKRect rect;
  bool inside = false;
};

struct TKWindow {
  TKWindowKind kind = kTKWindowPlain;
  TKRect bounds;
  std::string title;
  bool visible = false;
  TKColor contentColor{0.93, 0.93, 0.93, 1.0};
  std::unique_ptr<TKControl> root;
  TKControl* defaultButton = nullptr;
  TKControl* cancelButton = nullptr;
  TKControl* focus = nullptr;
  TKHandlerChain handlers;
  TKImagePtr image;
  bool invalid = true;
  bool showsMenuBar = false;
  bool modalDone = false;
  int32_t modalResult = 0;
  intptr_t refCon = 0;
  std::vector<TKTrackingRegion> regions;
  void* backendData = nullptr;
  // Set by the toolkit's own popups to draw themselves.
  std::function<void(TKWindow*, TKContext*)> drawOverlay;
};

struct TKMenuItem {
  std::string text;
  uint32_t command = 0;
  bool enabled = true;
  bool checked = false;
  uint32_t keyChar = 0;
  uint32_t keyModifiers = 0;
  TKMenu* submenu = nullptr;
  intptr_t refCon = 0;
};

struct TKMenu {
  int32_t id = 0;
  std::string title;
  std::vector<TKMenuItem> items;
};

// What a backend does for the toolkit.
class TKBackend {
 public:
  virtual ~TKBackend() = default;
  virtual TKBackendKind Kind() const = 0;
  virtual void OpenWindow(TKWindow* w) = 0;
  virtual void CloseWindow(TKWindow* w) = 0;
  virtual void ShowWindow(TKWindow* w, bool show) = 0;
  virtual void UpdateWindowFrame(TKWindow* w) = 0;  // bounds or title changed
  virtual void RaiseWindow(TKWindow* w) = 0;
  // Gives the visible window the platform's keyboard focus.
  virtual void FocusWindow(TKWindow* w) = 0;
  // Shows the window's freshly rendered image; backends without a screen skip it.
  virtual bool NeedsPresent() const = 0;
  virtual void Present(TKWindow* w) = 0;
  // Moves input that is ready (by the loop's clock) into out; never blocks.
  virtual void Pump(std::deque<TKEvent>& out) = 0;
  // Clock time of the next scripted input, or a huge number.
  virtual double NextInputTime() const = 0;
  // Largest slice the loop may block without pumping (seconds).
  virtual double MaxBlock() const = 0;
  virtual std::vector<TKRect> Displays() = 0;
  // The display's name as the system gives it; empty when it gives none.
  virtual std::string DisplayName(int32_t) { return {}; }
  virtual void SetCursor(int32_t cursor) = 0;
  virtual void Beep() = 0;
  // Text flavour shared with other programs; false when the backend has none.
  virtual bool PutClipboardText(const std::string& text) = 0;
  virtual bool GetClipboardText(std::string* text) = 0;
};

std::unique_ptr<TKBackend> TKMakeHeadlessBackend();
// Null when no display can be opened.
std::unique_ptr<TKBackend> TKMakeSDLBackend();
// SDL test hooks: a synthetic click through SDL's own event queue, and the
// pixels of the window's on-screen surface. False or null without SDL.
bool TKSDLPushClick(TKWindow* window, TKPoint where);
TKImage* TKSDLCaptureWindow(TKWindow* window);

struct TKCursorDefinition {
  int32_t pictureID = 0;
  TKPoint hotSpot;
};

struct TKTimer {
  double next = 0;
  double interval = 0;
  TKTimerProc proc;
  bool removed = false;
  uint64_t order = 0;
};

struct TKWatch {
  int fd = -1;
  uint32_t events = 0;
  TKWatchProc proc;
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
struct TKToolkitState {
  bool running = false;

  std::vector<std::unique_ptr<TKWindow>> windows;  // front to back
  std::unordered_set<const TKControl*> liveControls;  // every control but the roots
  std::vector<std::unique_ptr<TKMenu>> menus;
  std::vector<TKMenu*> menuBar;
  TKWindow* keyWindow = nullptr;
  std::vector<TKWindow*> modalStack;
  TKHandlerChain appHandlers;
  TKHandlerRef lastHandlerRef = 0;

  // The loop.
  bool fakeClock = false;
  double fakeNow = 0;
  std::vector<std::unique_ptr<TKTimer>> timers;
  uint64_t lastTimerOrder = 0;
  std::vector<std::unique_ptr<TKWatch>> watches;
  int firingDepth = 0;  // timers and watches are freed only outside their procs
  bool quitLoop = false;
  bool didWork = false;
  std::deque<TKEvent> input;  // input ready for dispatch

  // Input state.
  uint32_t modifiers = 0;
  uint32_t buttons = 0;
  int32_t cursor = kTKCursorArrow;
  std::map<int32_t, TKCursorDefinition> customCursors;
  TKWindow* mouseWindow = nullptr;  // window of the last mouse-down
  TKPoint lastMouse;
  TKWindow* lastMouseWindow = nullptr;  // the window lastMouse is local to
  double lastClickTime = -10;
  TKPoint lastClickWhere;
  int32_t clickCount = 0;
  int32_t helpTagDelayTicks = 0;
  TKWindow* helpTagWindow = nullptr;
  TKControl* hoverControl = nullptr;
  double hoverSince = 0;
  TKTimer* idleTimer = nullptr;
  bool helpTagsEnabled = true;

  // Dialog answers queued by a script, and the requests they answered.
  std::deque<TKDialogAnswer> dialogAnswers;
  std::vector<TKDialogRequest> dialogRequests;
  // Clipboard contents by flavour; text goes to the backend as well.
  std::map<std::string, std::vector<uint8_t>> clipboard;

  // Declared last so it goes first: the windows above still name its own
  // resources while it closes them.
  std::unique_ptr<TKBackend> backend;
};

// The context, made on first use (so a test may pick the fake clock or queue
// answers before starting the toolkit) and destroyed by TKShutdownToolkit.
TKToolkitState& TKState();
TKBackend* TKBackendPtr();
// The windows front to back, copied, to walk while handlers create or
// dispose windows (check each with TKWindowAlive before use).
std::vector<TKWindow*> TKWindowList();
// A control's children back to front, copied likewise (TKControlAlive).
std::vector<TKControl*> TKChildList(TKControl* c);

// Idle work: user panes' idle procedures and help tags.
void TKStartIdle();
void TKHideHelpTag();

// Platform base: main-thread calls, input hooks and the alert sink.
void TKConnectPlatform();
void TKDisconnectPlatform();

// Loop internals.
// Waits until input is ready, some work was done or `deadline`
// (clock time); then runs posted calls, timers and watches. Returns true when
// input is waiting in TKState().input.
bool TKWaitAndService(double deadline);
void TKServiceOnce();
// Drops calls posted from other threads and any quit request.
void TKResetLoopDoor();

// Dispatch internals.
void TKDispatchInput(TKEvent& e);
void TKRedrawInvalidWindows();
QVStatus TKSendThroughChains(TKEvent& e, bool includeApp);
void TKControlHit(TKControl* c, int16_t part, uint32_t modifiers);
// An event of the kind addressed to the control and its window.
TKEvent TKControlEvent(TKEventKind kind, TKControl* c, int16_t part = 0);
// Where keys and commands go: the topmost modal window, else the key window.
TKWindow* TKTargetWindow();
// Sends the chosen item's command to the target window and its focus.
QVStatus TKSendMenuChoice(const TKMenuChoice& choice, uint32_t modifiers);
// One key-down event per UTF-8 character of the text, each a copy of
// `model` (its time and modifiers) carrying the character.
std::vector<TKEvent> TKKeyEventsForText(const char* utf8, const TKEvent& model);

// Drawing of the standard controls.
void TKDrawControlTree(TKControl* c, TKContext* ctx);
void TKDrawMenuBar(TKWindow* w, TKContext* ctx);
TKColor TKControlTextColor(TKControl* c);
const TKFont& TKSystemFont();
const TKFont& TKSmallFont();

// Standard control behaviour.
void TKTrackControlDefault(TKControl* c, const TKEvent& down);
QVStatus TKControlKeyDefault(TKControl* c, const TKEvent& key);
bool TKControlTakesFocus(TKControl* c);
int16_t TKSliderPartAt(TKControl* c, TKPoint p);
TKRect TKSliderThumbRect(TKControl* c);
int32_t TKSliderValueAt(TKControl* c, int32_t x);
constexpr int32_t kTKListHeaderHeight = 20;
constexpr int32_t kTKListRowHeight = 18;
void TKListClick(TKControl* c, const TKEvent& down);
QVStatus TKListKey(TKControl* c, const TKEvent& key);
// Byte offset of the UTF-8 character before offset i.
int32_t TKPrevCharOffset(const std::string& s, int32_t i);
// Rows in order: each container's children follow it, sorted among
// themselves when the list has a sort column.
void TKListResort(TKControl* list);
// Column index at display position, and the left edge of a column.
int32_t TKListColumnAtX(TKControl* c, int32_t x);
int32_t TKListColumnLeft(TKControl* c, int32_t column);
// Text shown for a cell (dates formatted).
std::string TKListCellText(const TKListData& L, size_t row, size_t column);
constexpr int32_t kTKListIndent = 14;
void TKMenuBarClick(TKWindow* w, TKPoint where);

// Dialogs: a queued answer, when there is one, takes the place of the window.
bool TKTakeScriptedAnswer(const TKDialogRequest& request, TKDialogAnswer* answer);
// True when no input can ever arrive: a headless run whose script is empty.
bool TKNoInputCanArrive();
// Lays out a row of dialog buttons right to left from the bottom-right
// corner; returns the buttons in the order given.
std::vector<TKControl*> TKAddDialogButtons(TKWindow* w, const std::vector<std::pair<std::string, uint32_t>>& buttons);

// Windows.
void TKWindowInvalidated(TKWindow* w);
// Whether a pointer still names a live control or window (handlers may
// dispose them while an event travels).
bool TKControlAlive(TKControl* c);
bool TKWindowAlive(TKWindow* w);
TKWindow* TKNewPopupWindow(const TKRect& bounds);
void TKUpdateTrackingRegions(TKWindow* w, TKPoint where);
void TKControlDisposing(TKControl* c);
