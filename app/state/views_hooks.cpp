#include "app/state/views_hooks.h"

namespace {

void channelNothing(int32_t) {}
void nothing() {}
void flagNothing(bool) {}
void deviceNothing(uint32_t) {}
bool noTimes(int32_t*, int32_t*, int32_t*) { return false; }
QVStatus noFrame(int32_t) { return kQVErrUnimplemented; }
bool noClip(void*, int64_t*, int64_t*) { return false; }
void clipNothing(void*, int64_t) {}
bool notReference(void*) { return false; }
void playbackNothing(void*, bool) {}
void noTimecodeFormat(int32_t* rate100, int32_t* mode, int32_t* drop, int32_t* field, int32_t* perFoot) {
  *rate100 = *mode = *drop = *field = *perFoot = 0;
}
void stateNothing(int16_t) {}
void textNothing(const char*) {}

const ViewsHooks kNothing = {
    nothing, flagNothing, flagNothing, nothing,        deviceNothing, flagNothing, nothing, noTimes,
    noFrame, flagNothing, flagNothing, flagNothing, nothing, channelNothing, noClip, clipNothing, notReference,
    playbackNothing, noTimecodeFormat, stateNothing, textNothing,
};

ViewsHooks gViewsHooks = kNothing;

}  // namespace

ViewsHooks& ViewsHooksInForce() { return gViewsHooks; }
void ViewsResetHooks() { gViewsHooks = kNothing; }
