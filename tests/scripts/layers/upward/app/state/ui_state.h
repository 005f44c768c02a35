#pragma once
#include "core/engine.h"
  #  include "app/shell/startup.h"
