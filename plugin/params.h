// Parameter setup, the two-way mapping between the sliders and the settings
// record, and the user-changed-parameter command.
#pragma once

#include "core/settings_record.h"
#include "platform/host/host_interface.h"
#include "plugin/plugin_data.h"

// Defines the 124 parameters and fills the global data's two tables.
HIError VLParamsSetup(const HIInData* in, HIOutData* out, VLGlobalData* globals);

// Overlays every mapped slider, checkbox and pop-up onto the record.
void UpdateVLSettingsFromControls(VL_SettingsStruct* settings, HIParamDef* const params[],
                                  const VLGlobalData* globals);
// The inverse: writes each differing field into its parameter and flags it changed.
void UpdateControlsFromVLSettings(const VL_SettingsStruct* settings, HIParamDef* const params[],
                                  const VLGlobalData* globals);
// Reads the mapped parameters by checking each out at the command's time, as
// smart render does; stops at the first failing checkout.
HIError VLReadControlsByCheckout(const HIInData* in, VL_SettingsStruct* settings, const VLGlobalData* globals);

// Command 13.
HIError VLUserChangedParam(const HIInData* in, HIOutData* out, HIParamDef* const params[],
                           VLGlobalData* globals, const HIUserChangedParamExtra* extra);

// The parameter with an identifier, or null (unknown identifier or no array).
HIParamDef* VLParamById(HIParamDef* const params[], const VLGlobalData* globals, int32_t id);
