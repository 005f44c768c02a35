#include "app/state/service_hooks.h"

namespace {

// Until the shell puts its least behaviour in force: nothing to do, or
// nothing there.
void syncNothing(const VL_SettingsStruct*, VLSettingsSectionMask, const VL_SettingsStruct*) {}
void nothing() {}
void linearizeNothing(FBFrameStruct*, const uint32_t*) {}
void flagNothing(bool) {}
void deviceNothing(uint32_t) {}
void numberNothing(int32_t) {}
void aspectNothing(float) {}
void lookNothing(int32_t, int32_t) {}
bool absent() { return false; }
int32_t none() { return 0; }
void footageNothing(uint32_t, const CCFootageRecord*) {}
QVStatus ready() { return kQVNoErr; }
bool noTab(const char*) { return false; }

const UIServiceHooks kQuiet = {
    syncNothing,    nothing,       linearizeNothing, flagNothing,
    flagNothing,    nothing,       aspectNothing,    nothing,
    numberNothing,  flagNothing,   deviceNothing,    deviceNothing,
    deviceNothing,  absent,        nothing,          nothing,
    nothing,        none,          nothing,          nothing,
    footageNothing, nothing,       nothing,          ready,
    nothing,        ready,         numberNothing,    nothing,
    nothing,        lookNothing,   ready,            flagNothing,
    nothing,        flagNothing,   nothing,
    noTab,          flagNothing,     ready,
};

UIServiceHooks gHooks = kQuiet;

}  // namespace

UIServiceHooks& UIHooks() { return gHooks; }
const UIServiceHooks& UIQuietHooks() { return kQuiet; }
