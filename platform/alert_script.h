// A scripted alert sink for tests and headless runs: answers come from a
// queue set up beforehand (the default button once it is empty) and every
// alert shown is recorded for inspection.
#pragma once

#include <string>
#include <vector>

#include "platform/alerts.h"

struct PLRecordedAlert {
  PLAlertKind kind;
  int level;
  std::string title, message, detail, defaultButton, otherButton;
  PLAlertAnswer answer;
};

// Installs the scripted sink and clears the answers and the record.
void PLAlertScriptBegin();
// Restores the default sink.
void PLAlertScriptEnd();
// Queues the answer to the next alert.
void PLAlertScriptAnswer(PLAlertAnswer answer);
// The alerts shown since PLAlertScriptBegin, oldest first.
std::vector<PLRecordedAlert> PLAlertScriptRecorded();
