// How the application tells the user that a file was not saved: one alert
// naming the file and the reason, the same for every command.
#pragma once

#include <string>

#include "platform/status.h"

// Shows "Cannot save "<path>": <reason> (error <status>)" in an error alert;
// nothing for success or a cancelled panel.
void UIReportSaveFailure(const std::string& path, QVStatus status);

// Writes the application's preferences; a failure is reported as above,
// naming the preferences file.
void UISavePreferences();
