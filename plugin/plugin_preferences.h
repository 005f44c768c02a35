// The preferences as the plug-in uses them: loaded at most once until an
// exchange with the grading application marks them stale.
#pragma once

#include <cstdint>

// Loads the preferences when they are not marked loaded, and hands the words
// the settings defaults take from them to the settings record.
void CheckPreferencesValidity();
// The next CheckPreferencesValidity reloads.
void VLMarkPreferencesStale();
// True when the host's creator code, as four characters in reading order,
// is found in the "Adjust Host Pixels" preference.
bool VLHostPixelsAdjusted(uint32_t hostCreator);
