// Dialogs the toolkit draws itself: alerts, open, save and folder panels,
// a colour picker. Tests (and any caller that must not block) queue answers
// with TKQueueDialogAnswer: a dialog with a queued answer takes it at once,
// records its request and shows nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/ui_types.h"

enum TKAlertKind : int32_t {
  kTKAlertNote = 0,     // a report: one button
  kTKAlertStop = 1,     // an error the program cannot go on after
  kTKAlertCaution = 2,  // a question
};
// Answers of TKRunAlert.
enum : int32_t { kTKAlertDefault = 1, kTKAlertCancel = 2, kTKAlertOther = 3 };

struct TKAlertRequest {
  TKAlertKind kind = kTKAlertNote;
  std::string title;          // window title
  std::string message;        // heading, bold
  std::string detail;         // smaller text below
  std::string defaultButton;  // empty: "OK"
  std::string cancelButton;   // empty: no cancel button
  std::string otherButton;    // empty: no third button
};
// Runs a modal alert: Return chooses the default, Escape the cancel button.
int32_t TKRunAlert(const TKAlertRequest& desc);

struct TKFileType {
  std::string name;       // shown in the panel's type popup, e.g. "Presets"; "-..." a separator
  std::string extension;  // without the dot, e.g. "vlpreset"; "*" any
};
enum TKPanelKind : int32_t { kTKPanelOpen = 1, kTKPanelSave = 2, kTKPanelFolder = 3 };
struct TKPanelRequest {
  TKPanelKind kind = kTKPanelOpen;
  std::string title;
  std::string message;
  std::string prompt;      // the default button's title; empty: Open, Save or Choose
  std::string folder;      // starting folder; empty: the home folder
  std::string fileName;    // save: suggested name
  std::vector<TKFileType> types;  // open: files shown; save: extension added
  int32_t typeIndex = 0;   // the type popup's first choice
  bool multiple = false;   // open: several files may be chosen
  bool hideExtension = false;  // save: the "Hide extension" box starts checked
};
// kQVNoErr with the chosen path, or kQVErrCancelled.
QVStatus TKRunFilePanel(const TKPanelRequest& desc, std::string* path);

struct TKPanelResult {
  std::vector<std::string> paths;  // one, or several for a multiple open panel
  int32_t typeIndex = 0;           // index in desc.types of the popup's choice (0 without a popup)
  bool hideExtension = false;      // save: the box's state
};
// kQVNoErr with the result, or kQVErrCancelled (result untouched).
QVStatus TKRunFilePanelWithResult(const TKPanelRequest& desc, TKPanelResult* result);

// kQVNoErr with the chosen colour, or kQVErrCancelled.
QVStatus TKRunColorPicker(const char* prompt, TKColor initial, TKColor* chosen);

// Scripted answers.
struct TKDialogAnswer {
  int32_t button = kTKAlertDefault;  // alerts
  QVStatus status = kQVNoErr;        // panels and colour picker
  std::string path;                  // panels: the choice
  TKColor color;
  std::vector<std::string> paths = {};  // multiple open panels: all the choices, when not empty
  int32_t typeIndex = 0;             // panels: the type popup's choice
  bool hideExtension = false;        // save panels: the box's state
};
struct TKDialogRequest {
  enum Kind : int32_t { kAlert, kPanel, kColor } kind = kAlert;
  TKAlertRequest alert;
  TKPanelRequest panel;
  std::string prompt;
};
void TKQueueDialogAnswer(const TKDialogAnswer& answer);
void TKClearDialogScript();
// Requests answered from the script so far, oldest first.
std::vector<TKDialogRequest> TKScriptedDialogRequests();
