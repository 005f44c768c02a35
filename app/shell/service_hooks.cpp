#include "app/shell/service_hooks.h"

#include <cstdlib>

#include "app/shell/interface_colors.h"
#include "app/shell/main_window.h"
#include "app/views/central_update.h"
#include "app/views/scope_colors.h"
#include "support/xml_write.h"

namespace {

// Least behaviour: nothing to do, or nothing there.
void syncNothing(const VL_SettingsStruct*, VLSettingsSectionMask, const VL_SettingsStruct*) {}
void nothing() {}
void linearizeNothing(FBFrameStruct*, const uint32_t*) {}
void flagNothing(bool) {}
void deviceNothing(uint32_t) {}
void numberNothing(int32_t) {}
bool absent() { return false; }
int32_t none() { return 0; }
void footageNothing(uint32_t, const CCFootageRecord*) {}
// The interface colours from the two preferences.
void applyLook(int32_t brightness, int32_t saturation) {
  ApplyInterfaceBrightness(brightness);
  ApplyInterfaceSaturation(saturation);
  ScopeSetAccentColors(gInterfaceAccentColors);
}
QVStatus ready() { return kQVNoErr; }
bool noTab(const char*) { return false; }
void xmlEnd() { XMLTerminateLibrary(); }


const UIServiceHooks kLeast = {
    syncNothing,     nothing,         linearizeNothing, flagNothing,
    RedrawImagePanes, SetViewPanePictures, SetViewPanesPixelAspect, nothing,
    numberNothing,   flagNothing,     deviceNothing,    deviceNothing,
    deviceNothing,   absent,          nothing,          nothing,
    nothing,         none,            nothing,          nothing,
    footageNothing,  nothing,         nothing,          XMLInitializeLibrary,
    xmlEnd,          ready,           numberNothing,    nothing,
    InitInterfaceColors, applyLook,     UIBuildMainWindow, UIShowMainWindow,
    nothing,         flagNothing,     nothing,
    noTab,           flagNothing,
};

UIServiceHooks gHooks = kLeast;

}  // namespace

UIServiceHooks& UIHooks() { return gHooks; }
void UIResetHooks() { gHooks = kLeast; }
