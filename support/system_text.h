// Texts that name the running system in the headers of written files.
#pragma once

#include <string>

// The operating system's name and release, e.g. "Linux 6.1.0"; "unknown"
// when the system does not say.
std::string QVGetPlatformText();
