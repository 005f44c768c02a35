// The settings value: parameter 1's arbitrary data, one whole settings record
// in a host handle. A value shorter than a record is never read or written as
// one: readers fall back to a default record, writers replace it.
#pragma once

#include "core/settings_record.h"
#include "platform/host/host_interface.h"

// A complete default record (zero-filled, then every section reset), after
// loading the preferences when they are stale.
void VLDefaultSettings(VL_SettingsStruct* settings);
// A new handle holding a default record, or null.
HIHandle VLNewDefaultSettingsHandle(const HIInData* in);
// True when the handle holds at least a whole record.
bool VLIsWholeSettingsValue(const HIInData* in, HIHandle value);
// Replaces a missing or short value by a default record (the old handle is
// disposed). kHIErrOutOfMemory when the new handle cannot be made.
HIError VLEnsureWholeSettingsValue(const HIInData* in, HIHandle* value);
// Brings a record to native byte order when it arrived byte-reversed.
void VLSettingsToNativeOrder(VL_SettingsStruct* settings);
