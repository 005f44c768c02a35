// Controls: a tree of controls per window, each with a kind, bounds in window
// content coordinates, an ID, a 32-bit value with minimum and maximum, a
// reference value, properties keyed by (creator, tag), a colour procedure, a
// help tag and its own handler chain. Visible, enabled and active are each a
// control's own flag and are inherited: a control counts as visible only
// when it and every enclosing control are.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ui_draw.h"
#include "platform/ui/ui_event.h"

struct TKWindow;
struct TKControl;
struct TKMenu;

enum TKControlKind : int32_t {
  kTKControlRoot = 0,
  kTKControlUserPane,
  kTKControlPushButton,
  kTKControlBevelButton,
  kTKControlCheckBox,
  kTKControlPopupButton,
  kTKControlSlider,
  kTKControlEditText,
  kTKControlStaticText,
  kTKControlList,
};

// Part codes of hits and tracking.
enum : int16_t {
  kTKPartNone = 0,
  kTKPartMenu = 2,        // popup button
  kTKPartEditText = 5,
  kTKPartButton = 10,     // push and bevel buttons
  kTKPartCheckBox = 11,
  kTKPartList = 12,
  kTKPartPageUp = 22,     // slider track left of or above the thumb
  kTKPartPageDown = 23,   // slider track right of or below the thumb
  kTKPartThumb = 129,
  kTKPartFocusNext = -1,  // focus procedure: move focus forward or backward
  kTKPartFocusPrev = -2,
};

struct TKControlID {
  uint32_t signature = 0;
  int32_t id = 0;
};

// Colour procedure messages; the procedure fills *color and answers kQVNoErr,
// or answers kQVErrNotHandled to keep the standard colour.
enum : int32_t { kTKColorBackground = 23, kTKColorText = 30 };
using TKColorProc = std::function<QVStatus(TKControl*, int32_t message, TKColor* color)>;

// Procedures of a user pane; each may be empty.
struct TKUserPaneProcs {
  std::function<void(TKControl*, TKContext*)> draw;
  std::function<int16_t(TKControl*, TKPoint)> hitTest;      // part under the point, 0 none
  std::function<int16_t(TKControl*, TKPoint, uint32_t mods)> track;  // runs its own mouse loop; returns the part
  std::function<void(TKControl*)> idle;                     // called from the loop while visible
  std::function<QVStatus(TKControl*, const TKEvent&)> key;  // kQVErrNotHandled passes the key on
  std::function<int16_t(TKControl*, int16_t part)> focus;   // new focus part, 0 refuses focus
  std::function<void(TKControl*, bool active)> activate;
};

// Creation. parent null embeds in the window's root control.
TKControl* TKNewControl(TKWindow* window, TKControl* parent, TKControlKind kind, const TKRect& bounds,
                        const char* title);
TKControl* TKNewPushButton(TKWindow* w, const TKRect& r, const char* title, uint32_t command);
TKControl* TKNewBevelButton(TKWindow* w, const TKRect& r, const char* title, int32_t pictureID, bool sticky);
TKControl* TKNewCheckBox(TKWindow* w, const TKRect& r, const char* title, int32_t value);
TKControl* TKNewPopupButton(TKWindow* w, const TKRect& r, const char* title, TKMenu* menu, int32_t value);
TKControl* TKNewSlider(TKWindow* w, const TKRect& r, int32_t value, int32_t minimum, int32_t maximum);
TKControl* TKNewEditText(TKWindow* w, const TKRect& r, const char* text);
TKControl* TKNewStaticText(TKWindow* w, const TKRect& r, const char* text);
TKControl* TKNewUserPane(TKWindow* w, const TKRect& r, const TKUserPaneProcs& procs);
TKControl* TKNewList(TKWindow* w, const TKRect& r);
// Disposes the control, its embedded controls and their handlers.
void TKDisposeControl(TKControl* control);
// Whether the pointer still names a live control (safe on a disposed one).
bool TKIsControlAlive(TKControl* control);

// Tree.
TKControl* TKGetRootControl(TKWindow* window);
QVStatus TKEmbedControl(TKControl* control, TKControl* parent);
TKControl* TKGetParentControl(TKControl* control);
int32_t TKCountChildren(TKControl* control);
TKControl* TKGetChild(TKControl* control, int32_t index);  // 0-based
TKWindow* TKGetControlWindow(TKControl* control);
TKControlKind TKGetControlKind(TKControl* control);
// Deepest visible control at a point (the root control when none).
TKControl* TKFindControlAt(TKWindow* window, TKPoint where);

// IDs.
void TKSetControlID(TKControl* control, TKControlID id);
TKControlID TKGetControlID(TKControl* control);
// First control in tree order with this signature and number; null if none.
TKControl* TKFindControlByID(TKWindow* window, TKControlID id);

// Values. Setting the minimum or maximum clamps the value into the range.
void TKSetControlValue(TKControl* control, int32_t value);
int32_t TKGetControlValue(TKControl* control);
void TKSetControlMinimum(TKControl* control, int32_t minimum);
int32_t TKGetControlMinimum(TKControl* control);
void TKSetControlMaximum(TKControl* control, int32_t maximum);
int32_t TKGetControlMaximum(TKControl* control);
void TKSetControlRefCon(TKControl* control, intptr_t refCon);
intptr_t TKGetControlRefCon(TKControl* control);
void TKSetControlCommand(TKControl* control, uint32_t command);
uint32_t TKGetControlCommand(TKControl* control);
void TKSetControlTitle(TKControl* control, const char* title);
std::string TKGetControlTitle(TKControl* control);
TKRect TKGetControlBounds(TKControl* control);
void TKSetControlFont(TKControl* control, const TKFont& font);

// Properties keyed by (creator, tag).
QVStatus TKSetControlProperty(TKControl* control, uint32_t creator, uint32_t tag, const void* data, uint32_t size);
// Copies up to bufferSize bytes; *actualSize (if given) receives the stored
// size. kQVErrParam when the property is missing or the buffer too small.
QVStatus TKGetControlProperty(TKControl* control, uint32_t creator, uint32_t tag, void* buffer,
                              uint32_t bufferSize, uint32_t* actualSize);
bool TKHasControlProperty(TKControl* control, uint32_t creator, uint32_t tag);
QVStatus TKRemoveControlProperty(TKControl* control, uint32_t creator, uint32_t tag);

// States (own flag; the "Is" forms include every enclosing control and the
// window's activation for active).
void TKSetControlVisible(TKControl* control, bool visible);
bool TKIsControlVisible(TKControl* control);
void TKSetControlEnabled(TKControl* control, bool enabled);
bool TKIsControlEnabled(TKControl* control);
void TKSetControlActive(TKControl* control, bool active);
bool TKIsControlActive(TKControl* control);
// Pressed appearance (a part code, 0 none).
void TKHiliteControl(TKControl* control, int16_t part);

void TKSetControlColorProc(TKControl* control, TKColorProc proc);
// Help tags show after the mouse rests a second on the control.
void TKSetHelpTag(TKControl* control, const char* text);
std::string TKGetHelpTag(TKControl* control);
void TKSetHelpTagsEnabled(bool enabled);
// The help tag's window while one shows, else null.
TKWindow* TKGetShownHelpTag();
void TKDrawControl(TKControl* control);  // redraws at the next update

// Kind-specific data.
void TKSetControlMenu(TKControl* control, TKMenu* menu);          // popup button
TKMenu* TKGetControlMenu(TKControl* control);
void TKSetSliderPageSize(TKControl* control, int32_t page);

void TKSetEditText(TKControl* control, const char* utf8);  // also static text
std::string TKGetEditText(TKControl* control);
void TKSetEditSelection(TKControl* control, int32_t start, int32_t end);  // byte offsets, clamped
void TKGetEditSelection(TKControl* control, int32_t* start, int32_t* end);

// Sortable list with editable columns. Rows may nest: a container row
// discloses its children (added by the caller when it opens) under a
// triangle in column 0, which also shows each row's icon. Row IDs are the
// caller's; 0 names the top level, so a container row needs a non-zero ID.
enum TKListColumnKind : int32_t {
  kTKListColumnText = 0,
  kTKListColumnDate = 1,  // cells hold seconds since 1 January 1904, local time
};
struct TKListColumn {
  std::string title;
  int32_t width = 100;
  bool editable = false;
  bool numeric = false;  // sorts by number instead of text
  uint32_t property = 0; // the caller's own code for the column
  TKListColumnKind kind = kTKListColumnText;
};
void TKListSetColumns(TKControl* list, const std::vector<TKListColumn>& columns);
int32_t TKListAddRow(TKControl* list, int32_t rowID, const std::vector<std::string>& cells);  // returns row index
void TKListRemoveAll(TKControl* list);
int32_t TKListRowID(TKControl* list, int32_t row);
std::string TKListGetCell(TKControl* list, int32_t row, int32_t column);
void TKListSetCell(TKControl* list, int32_t row, int32_t column, const char* text);
// Selects just this row (-1: none).
void TKListSelectRow(TKControl* list, int32_t row);
// The row clicked or selected last, -1 when none is selected.
int32_t TKListSelectedRow(TKControl* list);
// Multiple selection: command-click toggles a row, shift-click extends.
void TKListAllowMultipleSelection(TKControl* list, bool allow);
void TKListSetRowSelected(TKControl* list, int32_t row, bool selected);
std::vector<int32_t> TKListSelectedRows(TKControl* list);
void TKListSetColumnWidth(TKControl* list, int32_t column, int32_t width);
int32_t TKListGetColumnWidth(TKControl* list, int32_t column);
// Sorts by a column; the header click of the user does the same and flips
// the order on a second click.
void TKListSort(TKControl* list, int32_t column, bool ascending);
bool TKListSortAscending(TKControl* list);
// Opens the cell editor of an editable column (what a double click does).
QVStatus TKListEditCell(TKControl* list, int32_t row, int32_t column);
int32_t TKListEditingRow(TKControl* list);  // -1 when no cell is open
// Closes an open cell editor, keeping (commit) or dropping what was typed.
void TKListEndEditing(TKControl* list, bool commit);
void TKListSetColumnEditable(TKControl* list, int32_t column, bool editable);
// The column currently sorted by, -1 when none.
int32_t TKListSortColumn(TKControl* list);
// Display order: position 0 is the leftmost column. Moving a column shifts
// the others; cells and the functions above keep their column indices.
void TKListSetColumnPosition(TKControl* list, int32_t column, int32_t position);
int32_t TKListGetColumnPosition(TKControl* list, int32_t column);  // -1 for no such column

// Rows of a tree.
int32_t TKListRowCount(TKControl* list);
int32_t TKListFindRow(TKControl* list, int32_t rowID);  // row index, -1 when not shown
// Adds a row under the container row parentID (0: the top level); the
// container must be shown and open. Returns the new row's index, -1 when
// refused. A sorted list keeps its order.
int32_t TKListAddChildRow(TKControl* list, int32_t parentID, int32_t rowID, const std::vector<std::string>& cells,
                          bool container);
// Removes the row and every row under it.
void TKListRemoveRow(TKControl* list, int32_t rowID);
int32_t TKListRowParent(TKControl* list, int32_t row);  // the parent's ID, 0 at the top level
int32_t TKListRowDepth(TKControl* list, int32_t row);
bool TKListIsContainer(TKControl* list, int32_t row);
// Opening sends kTKListContainerOpened, to which the caller answers by adding
// the children; closing removes them and sends kTKListContainerClosed. Both
// answer false for a row that is no container or already in that state.
bool TKListOpenContainer(TKControl* list, int32_t rowID);
bool TKListCloseContainer(TKControl* list, int32_t rowID);
bool TKListIsContainerOpen(TKControl* list, int32_t rowID);
void TKListSetCellDate(TKControl* list, int32_t row, int32_t column, int64_t seconds1904);
int64_t TKListGetCellDate(TKControl* list, int32_t row, int32_t column);
// The picture drawn before the text in column 0 (null: none).
void TKListSetRowIcon(TKControl* list, int32_t row, std::shared_ptr<TKImage> icon);

enum TKListNotification : int32_t {
  kTKListContainerOpened = 1,
  kTKListContainerClosed,
  kTKListEditStarted,
  kTKListEditStopped,
  kTKListSelectionChanged,  // by the user: a click or a key
  kTKListDoubleClick,       // on a cell that opened no editor
};
// What the caller plugs into a list; each may be empty.
struct TKListProcs {
  // Sort order of two rows by the column's property: negative, 0 or positive
  // as a sorts before, with or after b in increasing order.
  std::function<int(TKControl*, int32_t idA, int32_t idB, uint32_t property)> compare;
  std::function<void(TKControl*, TKListNotification, int32_t rowID)> notify;
  // An edited cell is about to be stored; the procedure may change the text.
  std::function<void(TKControl*, int32_t rowID, uint32_t property, std::string& text)> commitEdit;
  // Rows dragged onto the container targetID (0: the top level). A drop onto
  // one of the dragged rows or a row under them is refused by the list.
  std::function<bool(TKControl*, const std::vector<int32_t>& rowIDs, int32_t targetID, uint32_t modifiers)> acceptDrag;
  std::function<void(TKControl*, const std::vector<int32_t>& rowIDs, int32_t targetID, uint32_t modifiers)> receiveDrag;
  // Files dropped from another program onto the container targetID.
  std::function<void(TKControl*, const std::vector<std::string>& paths, int32_t targetID)> receiveFiles;
};
void TKListSetProcs(TKControl* list, const TKListProcs& procs);
// Files dropped on the window at a point: the list under it takes them.
// False when no list there takes files.
bool TKDropFiles(TKWindow* window, TKPoint where, const std::vector<std::string>& paths);

// Presses a button as a click would: hilite, hit event and command.
void TKPressButton(TKControl* control);
