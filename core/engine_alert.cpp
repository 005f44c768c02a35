#include "core/engine_alert.h"

#include "platform/alerts.h"

void VL_EngineErrorAlert(const char* message) {
  PLAlertRequest request = {};
  request.kind = kPLAlertError;
  request.level = 1;
  request.title = "Velmora 3 PI";
  request.message = message;
  PLShowAlert(request);
}
