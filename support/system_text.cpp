// Texts that name the running system.
#include "support/system_text.h"

#include <sys/utsname.h>

std::string QVGetPlatformText() {
  struct utsname name;
  if (uname(&name) != 0) return "unknown";
  return std::string(name.sysname) + " " + name.release;
}
