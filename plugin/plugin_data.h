// The effect's global data (one per loaded plug-in) and sequence data (one per
// effect instance), and the fixed parameter identifiers other files name.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/host/host_interface.h"

struct PLCriticalRegion;

constexpr int32_t kVLParamCount = 124;

// Parameter identifiers that other files name.
enum : int32_t {
  kVLParamIdSettings = 1,     // "Parameters": the whole correction as arbitrary data
  kVLParamIdHueOffset = 45,   // "Hue Offset" display area
  kVLParamIdCurves = 104,     // "Curves" display area
  kVLParamIdEnableLimiter = 106,
  kVLParamIdLimiterPreview = 116,
  kVLParamIdVideoSystem = 115,
  kVLParamIdLevelsAuto = 118, // "Levels - Auto Correct" strip
};

constexpr uint32_t kVLGlobalDataSize = 1344;
constexpr uint32_t kVLMasterRecordSize = 136;

// Lives in a host handle from global setup to the last global set-down. It is
// never stored, so pointers are kept as they are.
struct VLGlobalData {
  const HIBasicSuite* basicSuite;
  uint32_t hostCreator;
  uint32_t processorCount;
  alignas(8) uint8_t master[kVLMasterRecordSize];  // the task-pool master record
  uint64_t lastBuildSequence;  // sequence-data handle whose settings fill the tables
  uint64_t lastBuildCode;      // address of Render in the load that built them
  int32_t useCount;
  int32_t aegpPluginId;
  uint8_t hasWorldSuite;
  uint8_t unused[7];
  PLCriticalRegion* renderRegion;
  PLCriticalRegion* commandRegion;
  PLCriticalRegion* eventRegion;
  uint8_t reserved[352 - 184 - 3 * sizeof(void*)];
  uint32_t indexToId[kVLParamCount];
  uint32_t idToIndex[kVLParamCount];
};
static_assert(sizeof(VLGlobalData) == kVLGlobalDataSize);
static_assert(offsetof(VLGlobalData, indexToId) == 352);
static_assert(offsetof(VLGlobalData, idToIndex) == 848);

// Per-instance data; its flattened form is stored in the host's project, so
// the layout is fixed. Handle words are only meaningful while the instance
// lives and are zero in the flattened form.
constexpr uint32_t kVLSeqDataSize = 184;
struct VLSeqData {
  uint64_t bufferHandle;       // a buffer of the sequence, 0 when none
  uint8_t zero8[8];
  uint32_t zero16;
  uint32_t frameRowBytes;      // recorded for the Full Interface exchange
  uint32_t zero24;
  uint8_t changeFlag;
  uint8_t zero29[3];
  int32_t selectedPoint[4];    // selected point of each curve display, -1 none
  uint8_t zero48[12];
  uint8_t zero60[116];
  uint64_t settingsCopy;       // handle of the settings the tables were last built from
};
static_assert(sizeof(VLSeqData) == kVLSeqDataSize);
static_assert(offsetof(VLSeqData, frameRowBytes) == 20);
static_assert(offsetof(VLSeqData, changeFlag) == 28);
static_assert(offsetof(VLSeqData, selectedPoint) == 32);
static_assert(offsetof(VLSeqData, zero48) == 48);
static_assert(offsetof(VLSeqData, settingsCopy) == 176);

// Older flattened sequence-data sizes that re-setup accepts.
constexpr uint32_t kVLSeqDataSizeOld28 = 28;
constexpr uint32_t kVLSeqDataSizeOld176 = 176;
constexpr uint32_t kVLSeqDataSizeOldWithSettings = 67304;
