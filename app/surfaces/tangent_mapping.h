// What the USB control panel's buttons and encoders do: the fixed mapping
// and layout tables per mode and page, the dispatch of a control code, the
// value fields on the displays, deferred reprocessing and undo batching,
// and the refresh that edits made elsewhere send back to the displays.
#pragma once

#include <cstddef>
#include <cstdint>

struct TangentPanel;
struct TKControl;

constexpr uint32_t kTangentEndCode = 0xFFFFFF;
constexpr uint32_t kTangentAllCodes = 0xFFFFFE;
constexpr uint32_t kTangentBanked = 0x200;   // added to a button's code by a double click
constexpr uint32_t kTangentNoField = 0xFFFFFFFF;

constexpr int32_t kTangentModeCount = 9;
constexpr int32_t kTangentPageCount = 6;
constexpr int32_t kTangentEntriesPerPage = 100;
constexpr int32_t kTangentMaxLayoutLines = 33;

extern const uint32_t kTangentButtonCodes[41];
extern const uint32_t kTangentEncoderCodes[19];

// Kinds of mapping entry.
enum : uint32_t {
  kTangentKindSlider = 2,
  kTangentKindTrackball = 3,
  kTangentKindRing = 4,
  kTangentKindSetCheck = 5,
  kTangentKindToggleCheck = 6,
  kTangentKindReset = 7,
  kTangentKindCycleSystem = 8,
  kTangentKindCycleMethod = 9,
  kTangentKindStepAnalysis = 10,
  kTangentKindStepImageMode = 11,
  kTangentKindStepSettings = 12,
  kTangentKindSettingsTab = 13,
  kTangentKindModeTab = 14,
  kTangentKindToggleAnalysis = 15,
  kTangentKindToggleImageMode = 16,
  kTangentKindToggleSettings = 17,
  kTangentKindSplitLine = 19,
  kTangentKindStepMode = 20,
  kTangentKindSelectMode = 21,
  kTangentKindStepPage = 22,
  kTangentKindSelectPage = 23,
  kTangentKindNestedTab = 24,
  kTangentKindNestedTabByPage = 25,
  kTangentKindSecondLevelTab = 26,
  kTangentKindStoreSlot = 27,
  kTangentKindRecallSlot = 28,
  kTangentKindPreviewCycle = 29,
  kTangentKindLevelsPoint = 30,
  kTangentKindRefresh = 31,
  kTangentKindResetAll = 32,
  kTangentKindUndo = 33,
  kTangentKindRedo = 34,
};

// One mapping. Fields are named by byte offset in the settings record
// (kTangentNoField: none); controlSlot is the field whose bound control
// (gSettingsControls) the entry acts on.
struct TangentMapEntry {
  uint32_t code;
  uint32_t kind;
  uint32_t controlSlot;
  float scale;   // step factor, or a button's fixed argument
  float scale2;  // trackball y factor, or the levels point's sub-index
  uint32_t value;
  uint32_t value2;
  uint8_t reserved;
  uint8_t refreshDisplay;  // rewrite the page's value fields afterwards
  uint8_t last;            // stop scanning after this entry
  uint8_t spare;
};
static_assert(sizeof(TangentMapEntry) == 32);
static_assert(offsetof(TangentMapEntry, scale) == 12);
static_assert(offsetof(TangentMapEntry, value) == 20);
static_assert(offsetof(TangentMapEntry, refreshDisplay) == 29);

struct TangentMapPage {
  uint32_t enabled;
  TangentMapEntry entries[kTangentEntriesPerPage + 1];  // ended by kTangentEndCode
};

struct TangentLayoutLine {
  uint32_t skip;  // written only when 0
  uint32_t display;
  uint32_t line;
  const char* text;  // 32 characters
};

struct TangentLayoutPage {
  uint8_t enabled;
  uint32_t lineCount;
  TangentLayoutLine lines[kTangentMaxLayoutLines];
};

// The tables, indexed by mode 1-9 and page 1-6 (null outside).
const TangentMapPage* TangentMapTable(int32_t mode, int32_t page);
const TangentLayoutPage* TangentLayoutTable(int32_t mode, int32_t page);
// Both the map and the layout of (mode, page) are enabled.
bool TangentPageUsable(int32_t mode, int32_t page);

// Current mode and page (1-based).
int32_t TangentCurrentMode();
int32_t TangentCurrentPage();

// A control code from the link: transport codes act on the transport
// target, the rest through the current page's mapping.
void TangentDispatchControl(TangentPanel* panel, uint32_t code, int32_t value);
void TangentApplyControl(TangentPanel* panel, const TangentMapEntry* entries, int32_t maxEntries, uint32_t code,
                         int32_t value);
// Writes the value fields of the entries for one code (kTangentAllCodes: all).
void TangentShowPageValues(TangentPanel* panel, const TangentMapEntry* entries, uint32_t code);
// The 0.02 s tick: deferred reprocessing, the click window, undo batching.
void TangentRepeatTimer(TangentPanel* panel);
// A bound control wrote its field / a popup or check box wrote its field.
void TangentRefreshValue(TangentPanel* panel, TKControl* control);
void TangentRefreshPage(TangentPanel* panel);
// Start of the panel: page 1 and, when usable, the HSL master page shown.
void TangentShowFirstPage(TangentPanel* panel);
// Puts the live panel's refreshes into the controls' service table.
void TangentInstallRefreshHooks();
// Forgets mode, page and the deferred state (tests and restarts).
void TangentResetMappingState();
