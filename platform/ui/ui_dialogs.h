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

struct UIAlertSpec {
  UIAlertKind kind = kUIAlertNote;
  std::string title;          // window title
  std::string message;        // heading, bold
  std::string detail;         // smaller text below
  std::string defaultButton;  // empty: "OK"
  std::string cancelButton;   // empty: no cancel button
  std::string otherButton;    // empty: no third button
};
// Runs a modal alert: Return chooses the default, Escape the cancel button.
int32_t UIRunAlert(const UIAlertSpec& desc);

struct UIFileType {
  std::string name;       // shown in the panel's type popup, e.g. "Presets"
  std::string extension;  // without the dot, e.g. "vlpreset"; "*" any
};
enum UIPanelKind : int32_t { kUIPanelOpen = 1, kUIPanelSave = 2, kUIPanelFolder = 3 };
struct UIPanelSpec {
  UIPanelKind kind = kUIPanelOpen;
  std::string title;
  std::string message;
  std::string folder;      // starting folder; empty: the home folder
  std::string fileName;    // save: suggested name
  std::vector<UIFileType> types;  // open: files shown; save: extension added
};
// kQVNoErr with the chosen path, or kQVErrCancelled.
QVStatus UIRunFilePanel(const UIPanelSpec& desc, std::string* path);

// kQVNoErr with the chosen colour, or kQVErrCancelled.
QVStatus UIRunColorPicker(const char* prompt, UIColor initial, UIColor* chosen);

// Scripted answers.
struct UIDialogAnswer {
  int32_t button = kUIAlertDefault;  // alerts
  QVStatus status = kQVNoErr;        // panels and colour picker
  std::string path;
  UIColor color;
};
struct UIDialogRequest {
  enum Kind : int32_t { kAlert, kPanel, kColor } kind = kAlert;
  UIAlertSpec alert;
  UIPanelSpec panel;
  std::string prompt;
};
void UIQueueDialogAnswer(const UIDialogAnswer& answer);
void UIClearDialogScript();
// Requests answered from the script so far, oldest first.
std::vector<UIDialogRequest> UIScriptedDialogRequests();
