// Rendering the current clip with the current correction: the Export menu's
// "Movie..." and "Image Sequence..." start an output job in the background.
#pragma once

#include <cstdint>
#include <string>

#include "core/settings_record.h"
#include "platform/status.h"

// Asks for the output's format (and a movie's codec), then starts a job on
// the source clip with a copy of the correction: the folder or file is asked
// for by the job, the "Output Jobs" window lists it, a progress window shows
// its frames and its Cancel stops it. kQVErrParam (after an alert) without a
// clip, kQVErrCancelled when the dialog is cancelled, else the start's status.
QVStatus StartOutputJobCommand(uint32_t commandID, const VL_SettingsStruct* settings);

// Cancels every listed job and waits (running the event loop, at most 30
// seconds) until they have ended: the application is about to quit.
void StopOutputJobs();

// The output's name before its extension: the clip's file name without its
// extension, and for an image sequence without the frame's number and the
// separator before it ("Output" when nothing is left).
std::string OutputBaseName(const char* path, bool sequence);
