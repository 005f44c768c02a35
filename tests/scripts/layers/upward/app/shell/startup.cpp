#include "app/state/ui_state.h"
