#include "support/alerts.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "platform/alerts.h"
#include "platform/log.h"
#include "platform/main_thread.h"
#include "support/time_text.h"

namespace {

PLAlertAnswer Show(PLAlertKind kind, int32_t level, const char* title, const char* message,
                   const char* detail, const char* defaultButton, const char* otherButton) {
  PLAlertRequest r{kind, level, title, message, detail, defaultButton, otherButton};
  return PLShowAlert(r);
}

}  // namespace

void QVErrorAlert(const char* title, const char* message, int32_t level) {
  QVErrorAlert2(title ? title : "", message ? message : "", level);
}

void QVErrorAlert2(const std::string& title, const std::string& message, int32_t level) {
  bool fatal = level == kQVAlertFatal;
  Show(kPLAlertError, level, title.c_str(), message.c_str(), nullptr, fatal ? "Quit" : "OK", nullptr);
  if (fatal) PLFatalExit(EXIT_FAILURE);
}

uint8_t QVConfirmAlert(const char* title, const char* message, int32_t level, const char* defaultButton) {
  return QVConfirmAlert2(title ? title : "", message ? message : "", level,
                         defaultButton ? defaultButton : "OK")
             ? 1
             : 0;
}

bool QVConfirmAlert2(const std::string& title, const std::string& message, int32_t level,
                     const std::string& defaultButton) {
  bool fatal = level == kQVAlertFatal;
  PLAlertAnswer a = Show(kPLAlertConfirm, level, title.c_str(), message.c_str(), nullptr,
                         defaultButton.c_str(), fatal ? "Quit" : "Cancel");
  if (fatal) PLFatalExit(EXIT_FAILURE);
  return a == kPLAnswerDefault;
}

bool QVAlternativesAlertMP2(const QVAlternativesAlertRecord* record) {
  if (record == nullptr) return false;
  return Show(kPLAlertAlternatives, 1, "", record->message ? record->message : "",
              record->detail ? record->detail : "", record->defaultTitle, record->alternateTitle) ==
         kPLAnswerDefault;
}

void* QVAlternativesAlertMP(void* record) {
  static int chosen = 1;
  return QVAlternativesAlertMP2(static_cast<const QVAlternativesAlertRecord*>(record)) ? &chosen : nullptr;
}

bool QVAlternativesAlert(const char*, const char* message, const char* detail, int32_t,
                         const char* defaultButton, const char* alternateButton) {
  QVAlternativesAlertRecord record{message, detail, defaultButton, alternateButton};
  return PLCallOnMainThread(QVAlternativesAlertMP, &record) != nullptr;
}

void dbAssertPrintOutput(const char* expression, const char* file, int line) {
  char text[256];
  std::snprintf(text, sizeof text, "Assert (%s) failed. [%s: %d]", expression ? expression : "",
                file ? file : "", line);
  QVErrorAlert("Assert Failed", text, 1);
}

void logprintf(const char* tag, const char* format, ...) {
  if (std::getenv("VELMORA_DEBUG_LOG") == nullptr) return;  // no log kept: nothing to format
  char message[256];
  va_list args;
  va_start(args, format);
  message[0] = '\0';
  if (format) std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  char when[64];
  QVGetCurrentDateTimeAsCString(when, sizeof when, true, true);
  char line[352];
  std::snprintf(line, sizeof line, "%s %s", when, message);
  PLLogWrite(tag ? tag : "log", line);
}
