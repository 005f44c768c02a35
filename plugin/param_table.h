// The effect's 124 parameters in index order, each bound to the field of the
// settings record it mirrors (or to none). One table serves definition,
// both directions of synchronisation and the user-changed-parameter command.
#pragma once

#include <cstdint>

#include "platform/host/host_interface.h"
#include "plugin/plugin_data.h"

struct VLParamInfo {
  int32_t id;                // fixed identifier, 0 for the input layer
  HIParamType kind;
  const char* name;
  uint32_t flags;            // kHIParamFlag...
  float validMin, validMax;  // sliders
  float sliderMin, sliderMax;
  double dephault;           // sliders, checkboxes, pop-ups
  int16_t precision;
  int32_t settingsOffset;    // byte offset of the mirrored field, -1 none
  const char* choices;       // pop-ups
  int32_t choiceCount;
  int32_t arbId;             // arbitrary data
  uint32_t uiFlags;
  int16_t uiWidth, uiHeight;
};

// The table, index 0 (the input layer) to 123.
const VLParamInfo* VLParamTable();
