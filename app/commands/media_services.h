// Puts the media library behind the application: its start at start-up, the
// task pool's media job, the image panes' media clips (position, stepping,
// reloading) and saving the result as a reference image.
#pragma once

void MediaInstallServices();
