// Controls bound to one 32-bit field of a settings record, and the one road
// every edit takes: control value, field, change procedure, enable boxes of
// the enclosing tabs, control-surface displays, reprocessing.
//
// The binding lives on the controls as properties of creator 'QVc3', so any
// handler can go from a control to its field. gSettingsControls leads from a
// field (entry = byte offset / 4) back to its control.
#pragma once

#include <cstdint>

#include "core/settings_record.h"
#include "platform/fourcc.h"
#include "platform/status.h"
#include "platform/ui/ui_draw.h"

struct TKControl;
struct TKWindow;

constexpr uint32_t kVFCreator = QVFourCC("QVc3");

// Binding properties.
constexpr uint32_t kVFPropBase = QVFourCC("base");      // value slider: address of the record
constexpr uint32_t kVFPropOffset = QVFourCC("ofst");    // slider: byte offset; check box, popup: the word's address
constexpr uint32_t kVFPropChange = QVFourCC("chpr");    // change procedure
constexpr uint32_t kVFPropLinked = QVFourCC("rfcn");    // a related control
constexpr uint32_t kVFPropDefault = QVFourCC("dflt");   // the field's default (4 bytes)
constexpr uint32_t kVFPropTypedMin = QVFourCC("tmin");  // edit field: lowest typed value, control units
constexpr uint32_t kVFPropTypedMax = QVFourCC("tmax");
constexpr uint32_t kVFPropNext = QVFourCC("next");      // readout: tab chain
constexpr uint32_t kVFPropPrev = QVFourCC("prev");
constexpr uint32_t kVFPropReprocess = QVFourCC("repa");  // check box, popup: reprocess after a change (1 byte)

// Control ID signatures.
constexpr uint32_t kVFSigSlider = QVFourCC("VFsl");
constexpr uint32_t kVFSigEditField = QVFourCC("VFet");
constexpr uint32_t kVFSigReadout = QVFourCC("VFdt");
constexpr uint32_t kVFSigLabel = QVFourCC("VFlb");
constexpr uint32_t kVFSigCheckBox = QVFourCC("VFcb");
constexpr uint32_t kVFSigPopup = QVFourCC("VFpu");
constexpr uint32_t kVFSigTabGroup = QVFourCC("VFht");

// Value kinds of a value control.
enum : uint32_t {
  kVFScaled = 1u << 0,        // control value = field value x 65,536
  kVFFloatField = 1u << 1,    // the field is a float; else an integer (16.16 when scaled)
  kVFNoLiveTracking = 1u << 3,
  kVFNoEditField = 1u << 4,   // no edit field and no readout
  kVFCorrectionSlider = kVFScaled | kVFFloatField,
};

// The composite of a value slider; every part leads to it.
struct VFValueSlider {
  TKControl* slider = nullptr;
  TKControl* editField = nullptr;  // null with kVFNoEditField
  TKControl* readout = nullptr;    // null with kVFNoEditField
  TKControl* label = nullptr;
  TKWindow* window = nullptr;
  uint32_t flags = 0;
};
// The composite a part belongs to, or null for any other control.
VFValueSlider* VFGetValueSlider(TKControl* control);

// The control bound to each 32-bit word of the working record.
extern TKControl* gSettingsControls[kVLSettingsWordCount];
// Enters a control at a field's byte offset (ignored outside the record).
void VFRegisterControl(TKControl** table, uint32_t offset, TKControl* control);
TKControl* VFControlAtOffset(uint32_t offset);

// Editing state.
extern TKControl* gActiveEditSlider;
extern bool gEditFieldOpen;
extern TKControl* gLastUndoControl;

// Change procedures: value controls get the field's new bits (a float's
// bits for a float field); popups get the old and new choice and answer the
// choice to store.
using VFChangeProc = void (*)(TKControl* control, uint32_t newFieldBits, bool reprocess);
using VFPopupChangeProc = int32_t (*)(TKControl* popup, int32_t oldValue, int32_t newValue, bool reprocess);

// What the controls call outside their own subsystem; each may be left null.
struct VFServices {
  // The central update with the working record (the picture is redrawn).
  void (*updatePreview)();
  // Control surfaces: a value or a whole page changed.
  void (*tangentRefreshValue)(TKControl* control);
  void (*tangentRefreshPage)();
  bool (*surfaceIsConnected)();
  void (*surfaceRefreshPage)();
};
VFServices& VFGetServices();
// The central update of the working record, through the service.
void VFUpdatePreview();

// The write road.
void VFWriteControlValue(TKControl* control, int32_t raw, bool reprocess);
void VFWriteFloatToSettings(TKControl* control, float value, bool reprocess);
void VFSetFloatValue(TKControl* control, float value, bool reprocess);
void VFRefreshFromSettings(TKControl* control);
void VFUpdateValueText(TKControl* control, int32_t raw);
// The control value that shows a field holding these bits.
int32_t VFControlValueForField(const VFValueSlider* record, uint32_t fieldBits);
// The field's value in field units (a float, 16.16 / 65,536 or the integer).
float VFFieldValueAsFloat(const VFValueSlider* record, uint32_t fieldBits);
// Whether two float field values differ; a change to or from NaN does.
bool VFFloatsDiffer(float a, float b);

// Undo: a new control pushes a snapshot of the working record, the same
// control again refreshes it.
void VFTakeUndoSnapshot(TKControl* control);
// A whole-record change starts a fresh undo step for whatever is edited next.
void VFForgetUndoControl();

// Property accessors.
void VFSetChangeProc(TKControl* control, VFChangeProc proc);
void VFSetPopupChangeProc(TKControl* popup, VFPopupChangeProc proc);
void VFSetDefaultValue(TKControl* control, uint32_t fieldBits);
void VFSetLinkedControl(TKControl* control, TKControl* other);
TKControl* VFGetLinkedControl(TKControl* control);
// Pointer-sized properties.
void VFSetPointerProperty(TKControl* control, uint32_t tag, const void* pointer);
void* VFGetPointerProperty(TKControl* control, uint32_t tag);
int32_t VFGetInt32Property(TKControl* control, uint32_t tag, int32_t missing);

// Value wrappers (out written only when given; 16-bit values sign-extended).
void VFGetControlValue32(TKControl* control, int32_t* out);
void VFGetControlValue16(TKControl* control, int16_t* out);
void VFSetControlValue32(TKControl* control, int32_t value);
void VFSetControlValue16(TKControl* control, int16_t value);

void VFEnableWithLabel(TKControl* control, bool enable);
void VFShowControlGroup(TKControl* control, bool show);
void VFSetValueRange(TKControl* control, double min, double max, double typedMin, double typedMax);
void VFMarkTabsEnabled(TKControl* control);
void VFSetControlText(TKControl* control, const char* text);

// The control font and the colour procedure every control of the toolkit uses.
TKFont VFControlFont();
QVStatus VFControlColorProc(TKControl* control, int32_t message, TKColor* color);
// A 16-bit interface colour as a drawing colour.
TKColor VFColor(int colorEntry);
