#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "plugin/panel_strips.h"

std::string VLResourcePath(const char* name) {
  std::string folder;
  if (const char* named = std::getenv(kVLResourcesVariable); named && *named) {
    folder = named;
  } else {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&VLResourcePath), &info) && info.dli_fname) {
      folder = info.dli_fname;
      size_t slash = folder.rfind('/');
      folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
    }
    folder += "/Velmora3RA64 Resources";
  }
  return folder + "/" + name;
}
