// The MIDI control surface's user-defined mappings: seven pages, each with a
// header (four display lines, four trackball colours) and a table of 70
// control definitions saying what a knob, trackball, encoder or button does
// to the correction; and the vocabularies that name their contents in the
// definitions file and the editor: control ids, actions, settings fields
// (core's kSettingsFieldNames) and trackball colours.
//
// Targets are kept as byte offsets into VL_SettingsStruct (the control table
// gSettingsControls is indexed by the same offset / 4), never as pointers,
// so a table can be copied, saved and read back freely.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t kSurfacePageCount = 7;
constexpr int32_t kSurfaceControlsPerPage = 70;
constexpr int32_t kSurfaceDisplayLineBytes = 26;  // 25 characters and a terminating zero
// A target that is not set.
constexpr int32_t kSurfaceNoTarget = -1;

// One page's header. Display lines are Windows Latin-1 text.
struct SurfacePageDefinition {
  uint8_t active;
  char leftLine1[kSurfaceDisplayLineBytes];
  char leftLine2[kSurfaceDisplayLineBytes];
  char rightLine1[kSurfaceDisplayLineBytes];
  char rightLine2[kSurfaceDisplayLineBytes];
  uint8_t pad[3];
  uint32_t trackballColor[4];  // colour words of the colour vocabulary
};
static_assert(sizeof(SurfacePageDefinition) == 124);
static_assert(offsetof(SurfacePageDefinition, leftLine1) == 1);
static_assert(offsetof(SurfacePageDefinition, rightLine2) == 79);
static_assert(offsetof(SurfacePageDefinition, trackballColor) == 108);

// What one surface control does on a page.
struct SurfaceControlDefinition {
  int32_t controlID;      // a surface control id; 0 ends the list for the lights
  int32_t action;         // index into the action vocabulary; 0 marks an unused entry
  int32_t targetControl;  // byte offset of the bound control's field, or kSurfaceNoTarget
  float scaleX;
  float scaleY;
  int32_t target1;        // byte offsets of 32-bit fields of the working record, or kSurfaceNoTarget
  int32_t target2;
  uint8_t updateLEDs;     // resend the page's button lights after the action
  uint8_t pad[3];
};
static_assert(sizeof(SurfaceControlDefinition) == 32);
static_assert(offsetof(SurfaceControlDefinition, scaleX) == 12);
static_assert(offsetof(SurfaceControlDefinition, target1) == 20);
static_assert(offsetof(SurfaceControlDefinition, updateLEDs) == 28);

// The definitions in memory: page n (1 to 7) is entry n - 1.
extern SurfacePageDefinition gSurfacePages[kSurfacePageCount];
extern SurfaceControlDefinition gSurfaceControls[kSurfacePageCount][kSurfaceControlsPerPage];
// The page shown on the surface: 1 to 7, 0 before any page was shown.
extern int32_t gSurfaceCurrentPage;

// Page n's header and first control definition; null outside 1 to 7.
SurfacePageDefinition* SurfacePageHeader(int32_t page);
SurfaceControlDefinition* SurfacePageControls(int32_t page);
// Every page inactive with empty lines and black trackballs, every control
// definition a placeholder without targets; the current page 0.
void SurfaceClearDefinitions();

// --- surface control ids ----------------------------------------------------
// 0 to 125 are the surface's own controls; 512 to 552 the announcement (512)
// and the single and double clicks the click detector makes.
enum : int32_t {
  kSurfaceLastPhysicalID = 125,
  kSurfaceAnnounceID = 512,
  kSurfaceLastVirtualID = 552,
};
enum : int32_t {
  kSurfaceButtonMStop = 2,
  kSurfaceButtonMPlay = 3,
  kSurfaceButtonMF1 = 12,
  kSurfaceWheel = 24,
  kSurfaceRing = 26,
  kSurfaceButtonMF7 = 28,
  kSurfaceButtonMF8 = 29,
  kSurfaceShift = 30,
  kSurfaceButtonMP1 = 40,
  kSurfaceButtonMP8 = 47,
  kSurfacePageS1 = 74,
  kSurfacePageS7 = 80,
  kSurfacePageS8 = 81,
  kSurfaceButtonSB1 = 82,
  kSurfaceButtonSR3 = 87,
  kSurfaceEncoderS1 = 88,
  kSurfaceEncoderN1 = 103,
  kSurfaceEncoderButtonN1 = 109,
  kSurfaceButtonN1 = 115,
  kSurfaceButtonN8 = 122,
};

// The name of an id; "UNKNOWN!!!!!!" for an id without one.
const char* SurfaceControlIDName(int32_t id);
// The id of a name: the surface's own controls first, then the virtual ones;
// 0 for a name found in neither (or null).
int32_t SurfaceControlIDFromName(const char* name);
constexpr const char* kSurfaceUnknownName = "UNKNOWN!!!!!!";

// --- actions ----------------------------------------------------------------
enum SurfaceAction : int32_t {
  kSurfaceActionPlaceholder = 0,
  kSurfaceActionNone,
  kSurfaceActionAdjustSlider,
  kSurfaceActionAdjustHueOffset,
  kSurfaceActionAdjustHueAngle,
  kSurfaceActionSetControlValue,
  kSurfaceActionToggleControl,
  kSurfaceActionSelectLeftPane,
  kSurfaceActionSelectRightPane,
  kSurfaceActionSelectSettingsPane,
  kSurfaceActionToggleLeftPane,
  kSurfaceActionToggleRightPane,
  kSurfaceActionToggleSettingsPane,
  kSurfaceActionWipeLeftPane,
  kSurfaceActionWipeRightPane,
  kSurfaceActionSaveSettings,
  kSurfaceActionRestoreSettings,
  kSurfaceActionCompareEqs,
  kSurfaceActionCompareEqm,
  kSurfaceActionCompareMasks,
  kSurfaceActionCompareMaskm,
  kSurfaceActionCount,
};
// The name of an action index; "UNKNOWN!!!!!!" outside the vocabulary.
const char* SurfaceActionName(int32_t action);
// The index of a name; 0 (placeholder) when it is not an action's name.
int32_t SurfaceActionFromName(const char* name);

// --- settings fields ----------------------------------------------------------
// The name of the field at a byte offset; "UNKNOWN!!!!!!" for none.
const char* SurfaceFieldName(int32_t offset);
// The byte offset of a field name (the first entry with that name), or
// kSurfaceNoTarget when no field has it.
int32_t SurfaceFieldFromName(const char* name);

// --- trackball colours ---------------------------------------------------------
// The colour words (QuickDraw colour constants).
enum : uint32_t {
  kSurfaceBlack = 33,
  kSurfaceWhite = 30,
  kSurfaceRed = 205,
  kSurfaceGreen = 341,
  kSurfaceBlue = 409,
  kSurfaceCyan = 273,
  kSurfaceMagenta = 137,
  kSurfaceYellow = 69,
};
// The colour of a name, compared whole and case-sensitively; black for any
// other text.
uint32_t SurfaceColorFromName(const char* name);
// The name of a colour word; "black" for a word that is none of the others.
const char* SurfaceColorName(uint32_t color);
