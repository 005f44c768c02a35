// Check boxes and popups bound to one 32-bit word of the working record, and
// the static-text labels that caption every control.
#pragma once

#include <cstdint>

#include "platform/ui/ui_types.h"

struct TKControl;
struct TKWindow;

// A check box in frame (moved 20 px down). With a table, and only when base
// is the working record, it is bound to the word at base + offset and
// entered in the table; otherwise its dialog reads it.
TKControl* VFCreateCheckBox(TKWindow* window, TKRect* frame, const char* title, TKControl* parent, void* base,
                            uint32_t offset, int32_t idNumber, TKControl** table, bool reprocess);
// A labelled popup over menu menuID (moved 40 px down), bound like a check box;
// the word holds the 1-based item number.
TKControl* VFCreatePopup(TKWindow* window, TKRect* frame, const char* label, int32_t menuID, TKControl* parent,
                         void* base, uint32_t offset, int32_t idNumber, TKControl** table, bool reprocess);
// A static-text label in the control font; *out receives it when given.
TKControl* VFCreateLabel(TKWindow* window, const TKRect& frame, TKControl* parent, const char* text, TKControl** out);
