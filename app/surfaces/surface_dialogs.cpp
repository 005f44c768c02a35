#include "app/surfaces/surface_dialogs.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "app/controls/bound_controls.h"
#include "app/state/interface_colors.h"
#include "app/surfaces/surface_dialog_forms.h"
#include "platform/fourcc.h"
#include "platform/ui/ui_control.h"
#include "platform/ui/ui_event.h"
#include "platform/ui/ui_menu.h"
#include "platform/ui/ui_services.h"
#include "platform/ui/ui_window.h"

namespace {

constexpr uint32_t kCommandOK = QVFourCC("VLok");
constexpr uint32_t kCommandCancel = QVFourCC("VLn!");
constexpr int32_t kMenuID = 0;  // the dialogs' menus are not looked up by id

void (*gOpenedHook)(SurfaceDialog*) = nullptr;

const char* const kRotationTexts[kSurfaceRotationItems] = {
    "None", "-", "Adjust Control", "-", "Select Left Pane", "Select Right Pane", "Select Settings Pane", "-",
    "Wipe Left Pane", "Wipe Right Pane"};
const char* const kClickTexts[kSurfaceClickItems] = {
    "None", "-", "Toggle Control", "Set Control Value", "-", "Toggle Left Pane", "Toggle Right Pane",
    "Toggle Settings Pane", "-", "Save Settings", "Restore Settings"};
const char* const kColorTexts[4] = {"Black", "Red", "Green", "Blue"};

// The content area: inset 3 at the sides, 6 at the top and 52 at the bottom.
struct Layout {
  int32_t left, top, right;
  int32_t y;
  int32_t step = 30;  // from one row to the next
};

TKMenu* NewMenu(SurfaceDialog& d, const char* const* texts, int32_t count) {
  TKMenu* menu = TKCreateMenu(kMenuID, "");
  for (int32_t i = 0; i < count; ++i) TKAppendMenuItem(menu, texts[i], 0);
  d.menus.push_back(menu);
  return menu;
}

// The target popup's menu: the rows the popup lists, separators as blank
// disabled items. rows receives the table row of each item.
TKMenu* NewTargetMenu(SurfaceDialog& d, SurfaceTargetMenu which, std::vector<int32_t>* rows) {
  TKMenu* menu = TKCreateMenu(kMenuID, "");
  const SurfaceTargetRow* table = SurfaceTargetTable();
  for (int32_t i = 0; table[i].field != -1; ++i) {
    if (!SurfaceTargetMenuLists(which, table[i])) continue;
    const bool separator = table[i].kind == kSurfaceTargetSeparator;
    const int32_t item = TKAppendMenuItem(menu, separator ? " " : table[i].name, uint32_t(i + 1));
    if (separator) TKEnableMenuItem(menu, item, false);
    rows->push_back(i + 1);
  }
  d.menus.push_back(menu);
  return menu;
}

int32_t ItemOfRow(const std::vector<int32_t>& rows, int32_t row) {
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i] == row) return int32_t(i + 1);
  return 1;
}

int32_t RowOfItem(const std::vector<int32_t>& rows, int32_t item) {
  return item >= 1 && item <= int32_t(rows.size()) ? rows[size_t(item - 1)] : 0;
}

TKControl* Label(TKWindow* w, Layout& l, const char* text, int32_t width = 190) {
  return TKNewStaticText(w, TKRect{l.y + 2, l.left + 8, l.y + 20, l.left + 8 + width}, text);
}

TKControl* PopupRow(TKWindow* w, Layout& l, const char* label, TKMenu* menu, int32_t value) {
  Label(w, l, label);
  TKControl* popup = TKNewPopupButton(w, TKRect{l.y, l.left + 200, l.y + 21, l.right - 10}, "", menu, value);
  l.y += l.step;
  return popup;
}

TKControl* EditRow(TKWindow* w, Layout& l, const char* label, const std::string& text, int32_t width = 120) {
  Label(w, l, label);
  TKControl* edit = TKNewEditText(w, TKRect{l.y, l.left + 200, l.y + 21, l.left + 200 + width}, text.c_str());
  l.y += l.step;
  return edit;
}

// The frame every dialog shares: the window centred across the main display
// with a third of the free height above it, OK and Cancel at the bottom right.
Layout MakeFrame(SurfaceDialog& d, const char* title, int32_t width, int32_t height) {
  const TKRect screen = TKGetDisplayBounds(TKGetMainDisplay());
  const int32_t left = screen.left + (TKRectWidth(screen) - width) / 2;
  const int32_t top = screen.top + std::max(0, (TKRectHeight(screen) - height) / 3);
  d.window = TKCreateWindow(kTKWindowModal, TKMakeRect(left, top, width, height), title);
  TKSetWindowContentColor(d.window, VFColor(kUIColorControlBackground));
  const TKRect ok{height - 13 - 20, width - 13 - 70, height - 13, width - 13};
  d.ok = TKNewPushButton(d.window, ok, "OK", kCommandOK);
  d.cancel = TKNewPushButton(d.window, TKRect{ok.top, ok.left - 83, ok.bottom, ok.right - 83}, "Cancel", kCommandCancel);
  TKSetDefaultButton(d.window, d.ok);
  TKSetCancelButton(d.window, d.cancel);
  return Layout{3, 6, width - 3, 6 + 8, 30};
}

// Every control but the text fields takes the interface's colours.
void ColourControls(SurfaceDialog& d) {
  TKControl* root = TKGetRootControl(d.window);
  for (int32_t i = 0; i < TKCountChildren(root); ++i)
    if (TKGetControlKind(TKGetChild(root, i)) != kTKControlEditText)
      TKSetControlColorProc(TKGetChild(root, i), VFControlColorProc);
}

void AddRotation(SurfaceDialog& d, Layout& l, const char* prefix, SurfaceTargetMenu which,
                 const SurfaceRotationForm& form) {
  SurfaceRotationFields& f = d.rotation[d.rotationCount++];
  const std::string p = prefix;
  f.action = PopupRow(d.window, l, (p + "Action:").c_str(), NewMenu(d, kRotationTexts, kSurfaceRotationItems),
                      form.actionItem);
  TKMenu* targets = NewTargetMenu(d, which, &f.rows);
  f.target = PopupRow(d.window, l, (p + "Control:").c_str(), targets, ItemOfRow(f.rows, form.targetRow));
  f.scale = EditRow(d.window, l, (p + "Scale Factor:").c_str(), form.scaleText);
  SurfaceDialogEnableRotationFields(f);
  TKInstallControlHandler(f.action, [f](TKEvent& e) -> QVStatus {
    if (e.kind == kTKEventControlHit || e.kind == kTKEventValueChanged) SurfaceDialogEnableRotationFields(f);
    return kQVErrNotHandled;
  });
}

SurfaceRotationForm ReadRotation(const SurfaceRotationFields& f) {
  SurfaceRotationForm form;
  form.actionItem = TKGetControlValue(f.action);
  form.targetRow = RowOfItem(f.rows, TKGetControlValue(f.target));
  form.scaleText = TKGetEditText(f.scale);
  return form;
}

void AddClick(SurfaceDialog& d, Layout& l, const char* prefix, const SurfaceClickForm& form) {
  SurfaceClickFields& f = d.clicks[d.clickCount++];
  const std::string p = prefix;
  f.action = PopupRow(d.window, l, (p + " Action:").c_str(), NewMenu(d, kClickTexts, kSurfaceClickItems),
                      form.actionItem);
  TKMenu* targets = NewTargetMenu(d, SurfaceTargetMenu::kClick, &f.rows);
  f.target = PopupRow(d.window, l, (p + " Control:").c_str(), targets, ItemOfRow(f.rows, form.targetRow));
  Label(d.window, l, (p + " Control Value:").c_str());
  f.value = TKNewEditText(d.window, TKRect{l.y, l.left + 200, l.y + 21, l.left + 310}, form.valueText.c_str());
  f.leds = TKNewCheckBox(d.window, TKRect{l.y, l.left + 325, l.y + 21, l.right - 10}, "Update LEDs",
                         form.updateLEDs ? 1 : 0);
  l.y += l.step + 4;
  SurfaceDialogEnableClickFields(f);
  TKInstallControlHandler(f.action, [f](TKEvent& e) -> QVStatus {
    if (e.kind == kTKEventControlHit || e.kind == kTKEventValueChanged) SurfaceDialogEnableClickFields(f);
    return kQVErrNotHandled;
  });
}

SurfaceClickForm ReadClick(const SurfaceClickFields& f) {
  SurfaceClickForm form;
  form.actionItem = TKGetControlValue(f.action);
  form.targetRow = RowOfItem(f.rows, TKGetControlValue(f.target));
  form.valueText = TKGetEditText(f.value);
  form.updateLEDs = TKGetControlValue(f.leds) != 0;
  return form;
}

// Runs the modal loop; true for OK.
bool Run(SurfaceDialog& d) {
  ColourControls(d);
  TKInstallWindowHandler(d.window, [&d](TKEvent& e) -> QVStatus {
    if (e.kind != kTKEventCommand) return kQVErrNotHandled;
    if (e.command == kCommandOK || e.command == kCommandCancel) {
      TKEndModal(d.window, e.command == kCommandOK ? 1 : 0);
      return kQVNoErr;
    }
    return kQVErrNotHandled;
  });
  if (gOpenedHook) gOpenedHook(&d);
  return TKRunModal(d.window) == 1;
}

void Dispose(SurfaceDialog& d) {
  if (d.window) TKDisposeWindow(d.window);
  for (TKMenu* m : d.menus) TKDisposeMenu(m);
  d = SurfaceDialog{};
}

// The table's first 32 bytes, to tell a caller whether they changed.
struct ChangeWatch {
  SurfaceControlDefinition* table;
  int32_t* changed;
  uint8_t before[32];
  ChangeWatch(SurfaceControlDefinition* t, int32_t* c) : table(t), changed(c) { std::memcpy(before, t, 32); }
  ~ChangeWatch() {
    if (changed && *changed == 0) *changed = std::memcmp(before, table, 32) != 0 ? 1 : 0;
  }
};

// The entries a dialog edits: the clicked control's and those that follow
// it, up to count of them, all inside the page's table.
SurfaceControlDefinition* EntryFrom(SurfaceControlDefinition* table, int32_t controlID, int32_t count) {
  const int32_t at = SurfaceFindControlEntry(table, controlID);
  if (at < 0 || at + count > kSurfaceControlsPerPage) return nullptr;
  return table + at;
}

}  // namespace

void SetSurfaceDialogOpenedHook(void (*hook)(SurfaceDialog*)) { gOpenedHook = hook; }

void SurfaceDialogEnableRotationFields(const SurfaceRotationFields& f) {
  const bool on = TKGetControlValue(f.action) == kSurfaceRotationAdjust;
  TKSetControlActive(f.target, on);
  TKSetControlActive(f.scale, on);
}

void SurfaceDialogEnableClickFields(const SurfaceClickFields& f) {
  const SurfaceClickFieldStates s = SurfaceClickStates(TKGetControlValue(f.action));
  TKSetControlActive(f.target, s.target);
  TKSetControlActive(f.value, s.value);
  TKSetControlActive(f.leds, s.leds);
}

bool SurfacePageDefinitionDialog(SurfacePageDefinition* page) {
  if (!page) return false;
  SurfacePageForm form;
  SurfaceFillPageForm(*page, &form);
  SurfaceDialog d;
  d.kind = SurfaceDialogKind::kPage;
  Layout l = MakeFrame(d, "Control Page Definition", 500, 320);
  d.active = TKNewCheckBox(d.window, TKRect{l.y, l.left + 10, l.y + 22, l.left + 200}, "Enable Page", form.active);
  l.y += 34;
  for (int32_t i = 0; i < 4; ++i) {
    const std::string label = "Trackball " + std::to_string(i + 1) + " Color:";
    d.colors[i] = PopupRow(d.window, l, label.c_str(), NewMenu(d, kColorTexts, 4), form.colorItem[i]);
  }
  Label(d.window, l, "Display:");
  for (int32_t i = 0; i < 4; ++i) {
    const int32_t column = i / 2, row = i % 2;
    const int32_t left = l.left + 90 + column * 200;
    const int32_t top = l.y + row * 28;
    d.lines[i] = TKNewEditText(d.window, TKRect{top, left, top + 22, left + 190}, form.lines[i].c_str());
  }
  const bool ok = Run(d);
  if (ok) {
    form.active = TKGetControlValue(d.active) != 0;
    for (int32_t i = 0; i < 4; ++i) {
      form.colorItem[i] = TKGetControlValue(d.colors[i]);
      form.lines[i] = TKGetEditText(d.lines[i]);
    }
    SurfaceApplyPageForm(form, page);
  }
  Dispose(d);
  return ok;
}

bool SurfaceKnobDefinitionDialog(SurfaceControlDefinition* table, int32_t controlID, int32_t* changed) {
  if (!table) return false;
  ChangeWatch watch(table, changed);
  SurfaceControlDefinition* entry = EntryFrom(table, controlID, 1);
  SurfaceRotationForm form;
  if (entry) SurfaceFillKnobForm(*entry, &form);
  SurfaceDialog d;
  d.kind = SurfaceDialogKind::kKnob;
  Layout l = MakeFrame(d, "Control Knob Definition", 515, 200);
  AddRotation(d, l, "", SurfaceTargetMenu::kRotation, form);
  const bool ok = Run(d);
  if (ok && entry) SurfaceApplyKnobForm(ReadRotation(d.rotation[0]), entry);
  Dispose(d);
  return ok;
}

bool SurfaceKnobLEDDefinitionDialog(SurfaceControlDefinition* table, int32_t controlID, int32_t* changed) {
  if (!table) return false;
  ChangeWatch watch(table, changed);
  SurfaceControlDefinition* entry = EntryFrom(table, controlID, 3);
  SurfaceRotationForm rotation;
  SurfaceClickForm clicks[2];
  if (entry) {
    SurfaceFillKnobForm(entry[0], &rotation);
    SurfaceFillClickForm(entry[1], &clicks[0]);
    SurfaceFillClickForm(entry[2], &clicks[1]);
  }
  SurfaceDialog d;
  d.kind = SurfaceDialogKind::kKnobPush;
  Layout l = MakeFrame(d, "Control Knob Definition", 515, 350);
  AddRotation(d, l, "", SurfaceTargetMenu::kRotation, rotation);
  AddClick(d, l, "Single-Click", clicks[0]);
  AddClick(d, l, "Double-Click", clicks[1]);
  const bool ok = Run(d);
  if (ok && entry) {
    SurfaceApplyKnobForm(ReadRotation(d.rotation[0]), &entry[0]);
    SurfaceApplyClickForm(ReadClick(d.clicks[0]), &entry[1]);
    SurfaceApplyClickForm(ReadClick(d.clicks[1]), &entry[2]);
  }
  Dispose(d);
  return ok;
}

bool SurfaceTrackballDefinitionDialog(SurfaceControlDefinition* table, int32_t controlID, int32_t* changed) {
  if (!table) return false;
  ChangeWatch watch(table, changed);
  SurfaceControlDefinition* entry = EntryFrom(table, controlID, 2);
  SurfaceRotationForm axes[2];
  if (entry) {
    SurfaceFillTrackballForm(entry[0], &axes[0]);
    SurfaceFillTrackballForm(entry[1], &axes[1]);
  }
  SurfaceDialog d;
  d.kind = SurfaceDialogKind::kTrackball;
  Layout l = MakeFrame(d, "Trackball Definition", 515, 200);
  l.y = l.top;
  l.step = 23;
  AddRotation(d, l, "X-Axis ", SurfaceTargetMenu::kTrackball, axes[0]);
  AddRotation(d, l, "Y-Axis ", SurfaceTargetMenu::kTrackball, axes[1]);
  const bool ok = Run(d);
  if (ok && entry) {
    SurfaceApplyTrackballForm(ReadRotation(d.rotation[0]), 0, &entry[0]);
    SurfaceApplyTrackballForm(ReadRotation(d.rotation[1]), 1, &entry[1]);
  }
  Dispose(d);
  return ok;
}

bool SurfaceButtonDefinitionDialog(SurfaceControlDefinition* table, int32_t controlID, int32_t* changed) {
  if (!table) return false;
  ChangeWatch watch(table, changed);
  SurfaceControlDefinition* entry = EntryFrom(table, controlID, 2);
  SurfaceClickForm clicks[2];
  if (entry) {
    SurfaceFillClickForm(entry[0], &clicks[0]);
    SurfaceFillClickForm(entry[1], &clicks[1]);
  }
  SurfaceDialog d;
  d.kind = SurfaceDialogKind::kButton;
  Layout l = MakeFrame(d, "Control Button Definition", 515, 230);
  l.step = 23;
  AddClick(d, l, "Single-Click", clicks[0]);
  AddClick(d, l, "Double-Click", clicks[1]);
  const bool ok = Run(d);
  if (ok && entry) {
    SurfaceApplyClickForm(ReadClick(d.clicks[0]), &entry[0]);
    SurfaceApplyClickForm(ReadClick(d.clicks[1]), &entry[1]);
  }
  Dispose(d);
  return ok;
}
