// The effect's arbitrary-data parameters as a host hands them back: the
// first byte picks the parameter and the callback (unflatten of the
// settings, hue-offset or curves value, or scan of the settings' text form),
// the rest is the flattened value or the text. A value the effect took is
// then flattened, printed, compared and interpolated as hosts do, and a
// settings value renders a small frame.
#include <cstring>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/host/host_signatures.h"
#include "platform/standin_host/sh_host.h"
#include "plugin/arb_data.h"
#include "plugin/entry_point.h"
#include "plugin/plugin_data.h"

namespace {

SHHost& startedHost() {
  static SHHost* host = [] {
    auto* h = new SHHost;
    h->config = SHConfigForSignature(kHIHostAfterEffects);
    SHAttachEntryPoint(h, EntryPointFunc);
    if (SHStartEffect(h) != kHINoErr) __builtin_trap();
    return h;
  }();
  return *host;
}

HIError callback(int32_t id, HIArbitraryExtra* extra) {
  SHHost& host = startedHost();
  return SHArbCallback(&host, SHIndexOfId(&host, id), extra);
}

void useValue(int32_t id, HIHandle value) {
  HIArbitraryExtra e{};
  uint32_t flatSize = 0;
  e.which = kHIArbFlatSize;
  e.u.flat_size = {value, &flatSize};
  callback(id, &e);
  std::vector<uint8_t> flat(flatSize + 16);
  e = HIArbitraryExtra{};
  e.which = kHIArbFlatten;
  e.u.flatten = {value, uint32_t(flat.size()), flat.data()};
  callback(id, &e);
  std::vector<char> text(kVLSettingsPrintSize);
  e = HIArbitraryExtra{};
  e.which = kHIArbPrint;
  e.u.print = {0, value, uint32_t(text.size()), text.data()};
  callback(id, &e);
  int32_t same = 0;
  e = HIArbitraryExtra{};
  e.which = kHIArbCompare;
  e.u.compare = {value, value, &same};
  callback(id, &e);
  HIHandle between = nullptr;
  e = HIArbitraryExtra{};
  e.which = kHIArbInterpolate;
  e.u.interpolate = {value, value, 0.5, &between};
  if (callback(id, &e) == kHINoErr && between) {
    e = HIArbitraryExtra{};
    e.which = kHIArbDispose;
    e.u.dispose.value = between;
    callback(id, &e);
  }
  if (id == kVLParamIdSettings) {
    SHHost& host = startedHost();
    SHSetArbValue(&host, SHIndexOfId(&host, id), SHCopyHandle(value));
    FZRenderThroughHost(&host, 0, false);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const int32_t kIds[3] = {kVLParamIdSettings, kVLParamIdHueOffset, kVLParamIdCurves};
  const int choice = data[0] % 4;
  const int32_t id = kIds[choice % 3];
  HIHandle value = nullptr;
  HIArbitraryExtra e{};
  HIError error;
  if (choice == 3) {
    e.which = kHIArbScan;
    e.u.scan = {reinterpret_cast<const char*>(data + 1), uint32_t(size - 1), &value};
    error = callback(id, &e);
    // A text that fails still hands back a whole default record.
    if (!value) __builtin_trap();
    (void)error;
  } else {
    e.which = kHIArbUnflatten;
    e.u.unflatten = {uint32_t(size - 1), size > 1 ? data + 1 : nullptr, &value};
    error = callback(id, &e);
    if (error != kHINoErr) return 0;
  }
  if (value) {
    useValue(id, value);
    e = HIArbitraryExtra{};
    e.which = kHIArbDispose;
    e.u.dispose.value = value;
    callback(id, &e);
  }
  return 0;
}
