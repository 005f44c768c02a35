// Controls: a tree of controls per window, each with a kind, bounds in window
// content coordinates, an ID, a 32-bit value with minimum and maximum, a
// reference value, properties keyed by (creator, tag), a colour procedure, a
// help tag and its own handler chain. Visible, enabled and active are each a
// control's own flag and are inherited: a control counts as visible only
// when it and every enclosing control are.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/ui_draw.h"
#include "platform/ui/ui_event.h"

struct UIWindow;
struct UIControl;
struct UIMenu;

enum UIControlKind : int32_t {
  kUIControlRoot = 0,
  kUIControlUserPane,
  kUIControlPushButton,
  kUIControlBevelButton,
  kUIControlCheckBox,
  kUIControlPopupButton,
  kUIControlSlider,
  kUIControlEditText,
  kUIControlStaticText,
  kUIControlList,
};

// Part codes of hits and tracking.
enum : int16_t {
  kUIPartNone = 0,
  kUIPartMenu = 2,        // popup button
  kUIPartEditText = 5,
  kUIPartButton = 10,     // push and bevel buttons
  kUIPartCheckBox = 11,
  kUIPartList = 12,
  kUIPartPageUp = 22,     // slider track left of or above the thumb
  kUIPartPageDown = 23,   // slider track right of or below the thumb
  kUIPartThumb = 129,
  kUIPartFocusNext = -1,  // focus procedure: move focus forward or backward
  kUIPartFocusPrev = -2,
};

struct UIControlID {
  uint32_t signature = 0;
  int32_t id = 0;
};

// Colour procedure messages; the procedure fills *color and answers kQVNoErr,
// or answers kQVErrNotHandled to keep the standard colour.
enum : int32_t { kUIColorBackground = 23, kUIColorText = 30 };
using UIColorProc = std::function<QVStatus(UIControl*, int32_t message, UIColor* color)>;

// Procedures of a user pane; each may be empty.
struct UIUserPaneProcs {
  std::function<void(UIControl*, UIContext*)> draw;
  std::function<int16_t(UIControl*, UIPoint)> hitTest;      // part under the point, 0 none
  std::function<int16_t(UIControl*, UIPoint, uint32_t mods)> track;  // runs its own mouse loop; returns the part
  std::function<void(UIControl*)> idle;                     // called from the loop while visible
  std::function<QVStatus(UIControl*, const UIEvent&)> key;  // kQVErrNotHandled passes the key on
  std::function<int16_t(UIControl*, int16_t part)> focus;   // new focus part, 0 refuses focus
  std::function<void(UIControl*, bool active)> activate;
};

// Creation. parent null embeds in the window's root control.
UIControl* UINewControl(UIWindow* window, UIControl* parent, UIControlKind kind, const UIRect& bounds,
                        const char* title);
UIControl* UINewPushButton(UIWindow* w, const UIRect& r, const char* title, uint32_t command);
UIControl* UINewBevelButton(UIWindow* w, const UIRect& r, const char* title, int32_t pictureID, bool sticky);
UIControl* UINewCheckBox(UIWindow* w, const UIRect& r, const char* title, int32_t value);
UIControl* UINewPopupButton(UIWindow* w, const UIRect& r, const char* title, UIMenu* menu, int32_t value);
UIControl* UINewSlider(UIWindow* w, const UIRect& r, int32_t value, int32_t minimum, int32_t maximum);
UIControl* UINewEditText(UIWindow* w, const UIRect& r, const char* text);
UIControl* UINewStaticText(UIWindow* w, const UIRect& r, const char* text);
UIControl* UINewUserPane(UIWindow* w, const UIRect& r, const UIUserPaneProcs& procs);
UIControl* UINewList(UIWindow* w, const UIRect& r);
// Disposes the control, its embedded controls and their handlers.
void UIDisposeControl(UIControl* control);
// Whether the pointer still names a live control (safe on a disposed one).
bool UIIsControlAlive(UIControl* control);

// Tree.
UIControl* UIGetRootControl(UIWindow* window);
QVStatus UIEmbedControl(UIControl* control, UIControl* parent);
UIControl* UIGetParentControl(UIControl* control);
int32_t UICountChildren(UIControl* control);
UIControl* UIGetChild(UIControl* control, int32_t index);  // 0-based
UIWindow* UIGetControlWindow(UIControl* control);
UIControlKind UIGetControlKind(UIControl* control);
// Deepest visible control at a point (the root control when none).
UIControl* UIFindControlAt(UIWindow* window, UIPoint where);

// IDs.
void UISetControlID(UIControl* control, UIControlID id);
UIControlID UIGetControlID(UIControl* control);
// First control in tree order with this signature and number; null if none.
UIControl* UIFindControlByID(UIWindow* window, UIControlID id);

// Values. Setting the minimum or maximum clamps the value into the range.
void UISetControlValue(UIControl* control, int32_t value);
int32_t UIGetControlValue(UIControl* control);
void UISetControlMinimum(UIControl* control, int32_t minimum);
int32_t UIGetControlMinimum(UIControl* control);
void UISetControlMaximum(UIControl* control, int32_t maximum);
int32_t UIGetControlMaximum(UIControl* control);
void UISetControlRefCon(UIControl* control, intptr_t refCon);
intptr_t UIGetControlRefCon(UIControl* control);
void UISetControlCommand(UIControl* control, uint32_t command);
uint32_t UIGetControlCommand(UIControl* control);
void UISetControlTitle(UIControl* control, const char* title);
std::string UIGetControlTitle(UIControl* control);
UIRect UIGetControlBounds(UIControl* control);
void UISetControlFont(UIControl* control, const UIFont& font);

// Properties keyed by (creator, tag).
QVStatus UISetControlProperty(UIControl* control, uint32_t creator, uint32_t tag, const void* data, uint32_t size);
// Copies up to bufferSize bytes; *actualSize (if given) receives the stored
// size. kQVErrParam when the property is missing or the buffer too small.
QVStatus UIGetControlProperty(UIControl* control, uint32_t creator, uint32_t tag, void* buffer,
                              uint32_t bufferSize, uint32_t* actualSize);
bool UIHasControlProperty(UIControl* control, uint32_t creator, uint32_t tag);
QVStatus UIRemoveControlProperty(UIControl* control, uint32_t creator, uint32_t tag);

// States (own flag; the "Is" forms include every enclosing control and the
// window's activation for active).
void UISetControlVisible(UIControl* control, bool visible);
bool UIIsControlVisible(UIControl* control);
void UISetControlEnabled(UIControl* control, bool enabled);
bool UIIsControlEnabled(UIControl* control);
void UISetControlActive(UIControl* control, bool active);
bool UIIsControlActive(UIControl* control);
// Pressed appearance (a part code, 0 none).
void UIHiliteControl(UIControl* control, int16_t part);

void UISetControlColorProc(UIControl* control, UIColorProc proc);
// Help tags show after the mouse rests a second on the control.
void UISetHelpTag(UIControl* control, const char* text);
std::string UIGetHelpTag(UIControl* control);
void UISetHelpTagsEnabled(bool enabled);
// The help tag's window while one shows, else null.
UIWindow* UIGetShownHelpTag();
void UIDrawControl(UIControl* control);  // redraws at the next update

// Kind-specific data.
void UISetControlMenu(UIControl* control, UIMenu* menu);          // popup button
UIMenu* UIGetControlMenu(UIControl* control);
void UISetSliderPageSize(UIControl* control, int32_t page);

void UISetEditText(UIControl* control, const char* utf8);  // also static text
std::string UIGetEditText(UIControl* control);
void UISetEditSelection(UIControl* control, int32_t start, int32_t end);  // byte offsets, clamped
void UIGetEditSelection(UIControl* control, int32_t* start, int32_t* end);

// Sortable list with an editable column.
struct UIListColumn {
  std::string title;
  int32_t width = 100;
  bool editable = false;
  bool numeric = false;  // sorts by number instead of text
  uint32_t property = 0; // the caller's own code for the column
};
void UIListSetColumns(UIControl* list, const std::vector<UIListColumn>& columns);
int32_t UIListAddRow(UIControl* list, int32_t rowID, const std::vector<std::string>& cells);  // returns row index
void UIListRemoveAll(UIControl* list);
int32_t UIListRowID(UIControl* list, int32_t row);
std::string UIListGetCell(UIControl* list, int32_t row, int32_t column);
void UIListSetCell(UIControl* list, int32_t row, int32_t column, const char* text);
// Selects just this row (-1: none).
void UIListSelectRow(UIControl* list, int32_t row);
// The row clicked or selected last, -1 when none is selected.
int32_t UIListSelectedRow(UIControl* list);
// Multiple selection: command-click toggles a row, shift-click extends.
void UIListAllowMultipleSelection(UIControl* list, bool allow);
void UIListSetRowSelected(UIControl* list, int32_t row, bool selected);
std::vector<int32_t> UIListSelectedRows(UIControl* list);
void UIListSetColumnWidth(UIControl* list, int32_t column, int32_t width);
int32_t UIListGetColumnWidth(UIControl* list, int32_t column);
// Sorts by a column; the header click of the user does the same and flips
// the order on a second click.
void UIListSort(UIControl* list, int32_t column, bool ascending);
bool UIListSortAscending(UIControl* list);
// Opens the cell editor of an editable column (what a double click does).
QVStatus UIListEditCell(UIControl* list, int32_t row, int32_t column);
int32_t UIListEditingRow(UIControl* list);  // -1 when no cell is open

// Presses a button as a click would: hilite, hit event and command.
void UIPressButton(UIControl* control);
