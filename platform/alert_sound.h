// The alert sound of programs without a window toolkit: a bell on the
// terminal when standard error is one. Tests read how often it sounded.
#pragma once

#include <cstdint>

void PLAlertSound();
