#include "core/engine_alert.h"

#include "support/alerts.h"

void VL_EngineErrorAlert(const char* message) { QVErrorAlert("Velmora 3 PI", message, 1); }
