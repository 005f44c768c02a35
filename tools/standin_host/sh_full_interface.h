// velmora-host's Full Interface: the frames given (or the bundled clip)
// become the clip the effect sits on, the effect's Full button is clicked on
// one of them, and the grading application edits the correction; the
// correction it returns is saved as a project for the render that follows.
#pragma once

#include <string>
#include <vector>

#include "platform/standin_host/sh_host.h"
#include "tools/standin_host/sh_batch.h"

// The clip's frames are read in `layout` as the application asks for them;
// frame `first` (0-based) is the one the exchange opens on. Saves the project
// to `project` afterwards. False with a message when the frame cannot be read,
// the exchange did not finish (nothing is saved then) or the project was not
// saved; the message is "interrupted" when the host's interrupt ended it.
bool SHRunFullInterface(SHHost* host, const std::vector<SHBatchFrame>& frames, size_t first, SHLayout layout,
                        const std::string& project, std::string* error);

// The grading application velmora-host starts unless VELMORA_UI_PROGRAM names another.
void SHUseGradingApplication(const char* path);
