// Stand-ins for the tab contents and composite controls still being built:
// each builds nothing and answers as an absent control would. Every one goes
// away as its real version lands.
#include "app/controls/composite_controls.h"
#include "app/controls/correction_tabs.h"
#include "app/controls/special_setters.h"


QVStatus CreateMatchColorPanel(UIWindow*, UIRect* frame, UIControl*, void*, uint32_t, uint32_t, int32_t,
                               UIControl** out) {
  frame->top += 113;
  frame->bottom += 113;
  if (out) *out = nullptr;
  return kQVNoErr;
}
void RebuildMatchColorPopup(UIControl*, bool, int32_t) {}
void SetMatchColorMode(int32_t) {}

// Setters of the composite controls that the synchroniser calls.
