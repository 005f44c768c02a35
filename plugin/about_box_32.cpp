// The 32-bit build has no window system, so its about box is never shown.
#include "plugin/panel_strips.h"
#include "support/alerts.h"

void DisplayAboutBoxCocoa() { logprintf("Velmora", "No window toolkit for the about box\n"); }
