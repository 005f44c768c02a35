// Puts the media library behind the application: its start at start-up, the
// task pool's media job, the image panes' media clips (position, stepping,
// playback with prefetching, reloading) and saving the result as a
// reference image.
#pragma once

#include "platform/status.h"

void MediaInstallServices();

// Loads the file's first frame as the frame to correct (a clip stays open
// for its transport bars) or as the reference image, and gives the panes
// that show it the clip. 0 or the loader's status.
QVStatus MediaLoadSourceFile(const char* path);
QVStatus MediaLoadReferenceFile(const char* path);
