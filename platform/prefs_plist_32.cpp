// The 32-bit build reads and writes the preference files with our own
// property-list code: it takes no XML library.
#include "platform/prefs_plist.h"

bool PLPlistParse(const std::string& text, PLPrefDictionary* out, std::string* reason) {
  return PLPlainPlistParse(text, out, reason);
}

std::string PLPlistWrite(const PLPrefDictionary& values) { return PLPlainPlistWrite(values); }
