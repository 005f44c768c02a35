// The 32-bit stand-in host has no drawing library behind the host's drawing
// suites: it offers them, as the host it stands in for does, but every call
// answers that there is nothing to draw with, so an effect that asks draws
// nothing through them. Its panel is drawn through the port suite.
#include "platform/standin_host/sh_panel_internal.h"

namespace {

HIError NoDrawing(const HIEventContext*, HIDrawRef* draw) {
  if (draw) *draw = nullptr;
  return kHIErrBadCallbackParam;
}
template <typename... Args>
HIError Refuse(Args...) {
  return kHIErrBadCallbackParam;
}

}  // namespace

const HIEffectCustomUISuite1 kSHCustomUISuite = {NoDrawing};
const HIDrawbotDrawSuite1 kSHDrawSuite = {Refuse, Refuse};
const HIDrawbotSupplierSuite1 kSHSupplierSuite = {Refuse, Refuse, Refuse, Refuse, Refuse, Refuse, Refuse};
const HIDrawbotSurfaceSuite1 kSHSurfaceSuite = {Refuse, Refuse, Refuse, Refuse, Refuse, Refuse, Refuse, Refuse};
const HIDrawbotPathSuite1 kSHPathSuite = {Refuse, Refuse, Refuse, Refuse};
