// The stand-in host's project files: the bytes as a project applied to a
// freshly started effect, which then renders a small frame with it.
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/host/host_signatures.h"
#include "platform/standin_host/sh_host.h"
#include "plugin/entry_point.h"
#include "tools/standin_host/sh_project.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = FZWriteScratchFile("input.vlhp", data, size);
  SHHost host;
  host.config = SHConfigForSignature(kHIHostAfterEffects);
  SHAttachEntryPoint(&host, EntryPointFunc);
  if (SHStartEffect(&host) != kHINoErr) __builtin_trap();
  std::string error;
  if (SHLoadProject(&host, path, &error)) {
    FZRenderThroughHost(&host, 0, false);
    FZRenderThroughHost(&host, 1, true);
  } else if (error.empty()) {
    __builtin_trap();  // a refusal always says why
  }
  SHStopEffect(&host);
  SHUnloadPlugin(&host);
  return 0;
}
