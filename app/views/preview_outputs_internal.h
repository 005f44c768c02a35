// What the preview outputs share among their files.
#pragma once

#include "platform/ui/ui_draw.h"

// The picture of the current view: result, source, reference, or the split
// picture for the other views.
TKImage* PreviewViewPicture();
// The image panes' background colour.
TKColor PreviewPaneBackground();
