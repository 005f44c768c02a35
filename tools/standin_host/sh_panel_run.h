// velmora-host's panel scripts: the effect's panel is opened on one frame of
// the clip and a script clicks, drags and draws it (see sh_panel.h for the
// commands) before the frames are rendered with the correction it leaves.
#pragma once

#include <string>
#include <vector>

#include "platform/standin_host/sh_host.h"
#include "tools/standin_host/sh_batch.h"

// Frame `first` (0-based) is the current frame the automatic buttons see.
// A script whose "png" line names one of the frames or the script itself is
// refused before anything runs. False with a message naming the script and
// the line when the script cannot be read or a line fails.
bool SHRunPanelScriptFile(SHHost* host, const std::vector<SHBatchFrame>& frames, size_t first, SHLayout layout,
                          const std::string& script, std::string* error);
