// Stand-ins for the tab contents and composite controls still being built:
// each builds nothing and answers as an absent control would. Every one goes
// away as its real version lands.
#include "app/controls/composite_controls.h"
#include "app/controls/correction_tabs.h"
#include "app/controls/special_setters.h"

// Setters of the composite controls that the synchroniser calls.
