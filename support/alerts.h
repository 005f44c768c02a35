// Alerts and the assertion report. Alerts go through the platform's alert
// sink (a window in a program with a toolkit, the diagnostic log otherwise).
// Level 2 is fatal: the alert offers "Quit" and the program ends; the other
// levels (1 reports and assertions, 3 internal errors) show "OK".
#pragma once

#include <cstdint>
#include <string>

constexpr int32_t kQVAlertFatal = 2;

// One button; at level 2 the program ends once it is pressed.
void QVErrorAlert(const char* title, const char* message, int32_t level);
void QVErrorAlert2(const std::string& title, const std::string& message, int32_t level);

// The default button and "Cancel" ("Quit" at level 2, where either button
// ends the program). True when the default button was chosen.
uint8_t QVConfirmAlert(const char* title, const char* message, int32_t level, const char* defaultButton);
bool QVConfirmAlert2(const std::string& title, const std::string& message, int32_t level,
                     const std::string& defaultButton);

// Runs on the main thread whatever thread calls it, the caller waiting for
// the answer. The heading is the message, the text the detail; a null
// alternate title gives one button, a null default title the sink's own.
// The title is not shown and the level is not used. True for the default.
bool QVAlternativesAlert(const char* title, const char* message, const char* detail, int32_t level,
                         const char* defaultButton, const char* alternateButton);

struct QVAlternativesAlertRecord {
  const char* message;
  const char* detail;
  const char* defaultTitle;
  const char* alternateTitle;
};
// The main-thread half: record is a QVAlternativesAlertRecord; the result is
// non-null when the default button was chosen.
void* QVAlternativesAlertMP(void* record);
bool QVAlternativesAlertMP2(const QVAlternativesAlertRecord* record);

// "Assert (%s) failed. [%s: %d]" as an error alert titled "Assert Failed", level 1.
void dbAssertPrintOutput(const char* expression, const char* file, int line);

// The diagnostic log entry: formats the message (at most 255 bytes) after
// the current date and time; written to the platform log only when the
// environment variable VELMORA_DEBUG_LOG is set, discarded otherwise.
void logprintf(const char* tag, const char* format, ...) __attribute__((format(printf, 2, 3)));
