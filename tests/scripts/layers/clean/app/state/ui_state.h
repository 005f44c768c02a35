#pragma once
#include "app/state/view_state.h"
#include "core/engine.h"
#include "local_helper.h"
