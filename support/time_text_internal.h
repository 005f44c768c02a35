// Test access to the number source of temporary names.
#pragma once

#include <cstdint>

using QVTempNumberSource = uint32_t (*)();
// Replaces the random source; null restores it.
void QVSetTempNumberSource(QVTempNumberSource source);
