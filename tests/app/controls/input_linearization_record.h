// An active input linearization record of one curve type, for tests.
#pragma once

#include "app/controls/input_linearization.h"

inline InputLinearization ActiveInputLinRecord(int32_t type, uint32_t black, uint32_t white, float gamma = 1.0f) {
  InputLinearization r{};
  r.flags = int32_t(kInputLinearizationActive | (1u << (type - 1)));
  r.black = black;
  r.white = white;
  r.gamma = gamma;
  return r;
}
