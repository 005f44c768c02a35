#pragma once
#include "platform/status.h"
