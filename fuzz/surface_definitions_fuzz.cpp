// Surface definitions files: whatever a file holds, every definition read
// stays inside the vocabularies (control ids, actions, targets on named
// fields, terminated display lines), a file that is not a definitions file
// changes nothing, and what was read writes out again.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/surfaces/surface_file.h"
#include "core/settings_record.h"
#include "fuzz/fuzz_support.h"

namespace {

bool TargetIsSound(int32_t target) {
  return target == kSurfaceNoTarget || (target >= 0 && target < kVLSettingsByteCount && target % 4 == 0 &&
                                        std::strcmp(SurfaceFieldName(target), kSurfaceUnknownName) != 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SurfaceClearDefinitions();
  SurfacePageDefinition pages[kSurfacePageCount];
  std::memcpy(pages, gSurfacePages, sizeof pages);
  if (!SurfaceReadDefinitionsFromBytes(reinterpret_cast<const char*>(data), size) &&
      std::memcmp(pages, gSurfacePages, sizeof pages) != 0)
    __builtin_trap();
  for (const SurfacePageDefinition& p : gSurfacePages) {
    for (const char* line : {p.leftLine1, p.leftLine2, p.rightLine1, p.rightLine2})
      if (!std::memchr(line, 0, kSurfaceDisplayLineBytes)) __builtin_trap();
    if (p.active > 1) __builtin_trap();
  }
  for (const auto& page : gSurfaceControls)
    for (const SurfaceControlDefinition& d : page) {
      if (d.action < 0 || d.action >= kSurfaceActionCount) __builtin_trap();
      if (std::strcmp(SurfaceControlIDName(d.controlID), kSurfaceUnknownName) == 0) __builtin_trap();
      if (!TargetIsSound(d.targetControl) || !TargetIsSound(d.target1) || !TargetIsSound(d.target2)) __builtin_trap();
    }
  char* bytes = nullptr;
  size_t length = 0;
  FILE* stream = open_memstream(&bytes, &length);
  if (!stream || SurfaceWriteDefinitionsTo(stream, "today") != kQVNoErr) __builtin_trap();
  std::fclose(stream);
  std::free(bytes);
  return 0;
}
