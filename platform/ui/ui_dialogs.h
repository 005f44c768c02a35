// Dialogs the toolkit draws itself: alerts, open, save and folder panels,
// a colour picker. Tests (and any caller that must not block) queue answers
// with UIQueueDialogAnswer: a dialog with a queued answer takes it at once,
// records its request and shows nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/ui_types.h"

enum UIAlertKind : int32_t {
  kUIAlertNote = 0,     // a report: one button
  kUIAlertStop = 1,     // an error the program cannot go on after
  kUIAlertCaution = 2,  // a question
};
// Answers of UIRunAlert.
enum : int32_t { kUIAlertDefault = 1, kUIAlertCancel = 2, kUIAlertOther = 3 };

struct UIAlertRequest {
  UIAlertKind kind = kUIAlertNote;
  std::string title;          // window title
  std::string message;        // heading, bold
  std::string detail;         // smaller text below
  std::string defaultButton;  // empty: "OK"
  std::string cancelButton;   // empty: no cancel button
  std::string otherButton;    // empty: no third button
};
// Runs a modal alert: Return chooses the default, Escape the cancel button.
int32_t UIRunAlert(const UIAlertRequest& desc);

struct UIFileType {
  std::string name;       // shown in the panel's type popup, e.g. "Presets"; "-..." a separator
  std::string extension;  // without the dot, e.g. "vlpreset"; "*" any
};
enum UIPanelKind : int32_t { kUIPanelOpen = 1, kUIPanelSave = 2, kUIPanelFolder = 3 };
struct UIPanelRequest {
  UIPanelKind kind = kUIPanelOpen;
  std::string title;
  std::string message;
  std::string prompt;      // the default button's title; empty: Open, Save or Choose
  std::string folder;      // starting folder; empty: the home folder
  std::string fileName;    // save: suggested name
  std::vector<UIFileType> types;  // open: files shown; save: extension added
  int32_t typeIndex = 0;   // the type popup's first choice
  bool multiple = false;   // open: several files may be chosen
  bool hideExtension = false;  // save: the "Hide extension" box starts checked
};
// kQVNoErr with the chosen path, or kQVErrCancelled.
QVStatus UIRunFilePanel(const UIPanelRequest& desc, std::string* path);

struct UIPanelResult {
  std::vector<std::string> paths;  // one, or several for a multiple open panel
  int32_t typeIndex = 0;           // index in desc.types of the popup's choice (0 without a popup)
  bool hideExtension = false;      // save: the box's state
};
// kQVNoErr with the result, or kQVErrCancelled (result untouched).
QVStatus UIRunFilePanelWithResult(const UIPanelRequest& desc, UIPanelResult* result);

// kQVNoErr with the chosen colour, or kQVErrCancelled.
QVStatus UIRunColorPicker(const char* prompt, UIColor initial, UIColor* chosen);

// Scripted answers.
struct UIDialogAnswer {
  int32_t button = kUIAlertDefault;  // alerts
  QVStatus status = kQVNoErr;        // panels and colour picker
  std::string path;                  // panels: the choice
  UIColor color;
  std::vector<std::string> paths = {};  // multiple open panels: all the choices, when not empty
  int32_t typeIndex = 0;             // panels: the type popup's choice
  bool hideExtension = false;        // save panels: the box's state
};
struct UIDialogRequest {
  enum Kind : int32_t { kAlert, kPanel, kColor } kind = kAlert;
  UIAlertRequest alert;
  UIPanelRequest panel;
  std::string prompt;
};
void UIQueueDialogAnswer(const UIDialogAnswer& answer);
void UIClearDialogScript();
// Requests answered from the script so far, oldest first.
std::vector<UIDialogRequest> UIScriptedDialogRequests();
