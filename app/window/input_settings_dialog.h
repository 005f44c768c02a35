// The "Input Settings" dialog that edits an input linearization record: the
// curve type, black and white points, gamma and soft clip. Modal; the record
// changes only on OK.
#pragma once

#include <cstdint>

#include "app/controls/input_linearization.h"
#include "platform/status.h"

struct TKControl;

// Runs the dialog on the record: kQVNoErr after OK (record rewritten),
// kQVErrCancelled after Cancel (record unchanged). OK with the white point
// at or below the black point is refused with a beep and the dialog stays.
QVStatus RunInputSettingsDialog(InputLinearization* record);

// The type popup's change procedure: ends any typing in the readouts, then
// gives the black point, white point, gamma and soft-clip controls (which
// the popup carries as properties) the ranges, values and visibility of the
// type's preset. value is the popup's value; type picks the preset.
void SetInputSettingsPreset(TKControl* popup, int32_t value, int32_t type);
