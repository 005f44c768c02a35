#include "app/shell/startup.h"
#include "app/state/ui_state.h"
#include "core/engine.h"
