// Error alerts raised by the correction engine.
#pragma once

// Shows the engine's error alert (title "Velmora 3 PI") with message.
void VL_EngineErrorAlert(const char* message);
