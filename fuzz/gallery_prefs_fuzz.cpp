// The gallery kept in the preferences: the bytes as the domain's file, the
// stored tree loaded (counts, parent IDs, names, comments and aliases as the
// file has them), stored again and disposed.
#include <cstdio>
#include <string>

#include "app/library/gallery_model.h"
#include "app/library/gallery_presets.h"
#include "fuzz/fuzz_support.h"
#include "platform/prefs_store.h"
#include "settings/prefs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PFSetProgram(kPFProgramApplication);
  const std::string path = PLPrefsDomainPath(kPFDomain);
  if (path.empty()) __builtin_trap();
  FZWriteFile(path, data, size);
  PLPrefsDiscard(kPFDomain);
  GalleryResetModel();
  GalleryLoadTree();
  QVIgnoreStatus(GalleryStoreTree());  // storing is exercised for crashes only
  GalleryResetModel();
  std::remove((path + ".corrupt").c_str());
  PLPrefsDiscard(kPFDomain);
  return 0;
}
