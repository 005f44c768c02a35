// What the parts of the stand-in host share inside it: the command in
// flight, the host whose suites are handed out, and the steps every command
// goes through. Not for callers outside the stand-in host.
#pragma once

#include <atomic>
#include <vector>

#include "platform/host/host_handles.h"
#include "platform/standin_host/sh_host.h"

// The host whose suites the broker hands out. One effect host per process at
// a time, as the suite functions carry no context.
extern std::atomic<SHHost*> gSHActiveHost;

// One command in flight: what the callbacks need to answer it.
struct SHCall {
  SHHost* host = nullptr;
  int32_t time = 0;
  HIWorld input{};
  HIWorld output{};
  std::vector<HIParamDef> defs;
  std::vector<HIParamDef*> pointers;
  std::vector<HIHandle> owned;  // handles disposed when the call ends
  ~SHCall() {
    for (HIHandle h : owned) HIDisposeHandle(h);
  }
};

inline SHCall* SHCallOf(HIEffectRef ref) { return reinterpret_cast<SHCall*>(ref); }

// Memory: false when the active host's configuration refuses a block that large.
bool SHAllocationAllowed(uint64_t size);
// The handle callbacks a host offers (null when the host offers none).
void SHSetHandleCallbacks(HIUtilityCallbacks* utils, bool offered);
// The parameter and drawing callbacks of the utility block.
void SHSetParamCallbacks(HIUtilityCallbacks* utils);
// The suite broker handed to the effect with every command.
extern const HIBasicSuite kSHBasicSuite;

// The parameter array for a call: copies of the host's definitions at the
// call's time. Arbitrary data are fresh handles owned by the call unless
// `live` asks for the host's own handles (user edits change them in place).
HIError SHPrepareParams(SHHost* host, SHCall* call, bool live);
// Sends one command to the entry point and keeps what it answers.
HIError SHDispatch(SHHost* host, SHCall* call, HICommand command, void* extra, HIWorld* output);
// The effect edits an arbitrary-data value in place, or hands back a new
// handle (having disposed of the old one): the host keeps what it got back.
void SHTakeBackArbValues(SHHost* host, const SHCall& call);

// Everything the effect says it changed in a command: arbitrary data as
// above, and each slider, checkbox and pop-up flagged changed (a keyframe at
// `time` when the parameter has keys).
void SHTakeBackChangedValues(SHHost* host, const SHCall& call, int32_t time);

// A slider's, checkbox's or pop-up's value in a definition.
void SHStoreValue(HIParamDef* d, double v);
double SHLoadValue(const HIParamDef& d);
