// A stand-in host driving the plug-in linked into the test, with alerts
// scripted, so tests see the plug-in's alerts and share its engine.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/settings_record.h"
#include "platform/alert_script.h"
#include "platform/fourcc.h"
#include "platform/host/host_signatures.h"
#include "platform/host/host_handles.h"
#include "plugin/entry_point.h"
#include "platform/standin_host/sh_host.h"

struct PluginTestHost {
  SHHost host;

  explicit PluginTestHost(uint32_t signature = kHIHostAfterEffects, bool start = true) {
    PLAlertScriptBegin();
    host.config = SHConfigForSignature(signature);
    SHAttachEntryPoint(&host, EntryPointFunc);
    if (start) {
      EXPECT_EQ(SHStartEffect(&host), kHINoErr);
    }
  }
  ~PluginTestHost() {
    SHStopEffect(&host);
    SHUnloadPlugin(&host);
    PLAlertScriptEnd();
  }

  int32_t index(int32_t id) const { return SHIndexOfId(&host, id); }
  HIParamDef& param(int32_t id) { return host.params.at(size_t(index(id))).def; }
  HIHandle settingsHandle() { return param(1).u.arb.value; }
  VL_SettingsStruct settings() {
    VL_SettingsStruct s;
    std::vector<uint8_t> bytes = SHHandleBytes(settingsHandle());
    EXPECT_GE(bytes.size(), sizeof s);
    std::memcpy(&s, bytes.data(), std::min(bytes.size(), sizeof s));
    return s;
  }
  void setSettings(const VL_SettingsStruct& s) { SHSetArbValue(&host, index(1), SHHandleFromBytes(&s, sizeof s)); }

  // Runs one arbitrary-data callback on the parameter with that identifier.
  HIError arb(int32_t id, HIArbitraryExtra* extra) { return SHArbCallback(&host, index(id), extra); }
};

// A copy of the host's parameter definitions, with the pointer array that the
// plug-in's parameter routines take.
struct ParamCopy {
  std::vector<HIParamDef> defs;
  std::vector<HIParamDef*> pointers;

  explicit ParamCopy(const SHHost& host) {
    for (const SHParam& p : host.params) defs.push_back(p.def);
    for (HIParamDef& d : defs) pointers.push_back(&d);
  }
  ParamCopy(const ParamCopy&) = delete;
  ParamCopy& operator=(ParamCopy&& other) = default;
  HIParamDef** data() { return pointers.data(); }
};

inline VL_SettingsStruct DefaultSettings() {
  VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  return s;
}
