// Reading and writing the XML property-list text of one preference domain
// (format in prefs_store.h). Used by the store and its tests.
#pragma once

#include <map>
#include <string>

#include "platform/prefs_store.h"

using PLPrefDictionary = std::map<std::string, PLPrefValue>;

// Parses the text; false (with a short reason) when it is not a property
// list of a dictionary of supported values.
bool PLPlistParse(const std::string& text, PLPrefDictionary* out, std::string* reason);
// The whole file's text.
std::string PLPlistWrite(const PLPrefDictionary& values);

// Text made safe for XML: valid UTF-8 (other bytes read as Latin-1), without
// control characters other than tab, line feed and carriage return.
std::string PLPlistCleanText(const std::string& text);

std::string PLBase64Encode(const std::vector<uint8_t>& bytes);
// Ignores white space; false on any other character outside the alphabet.
bool PLBase64Decode(const std::string& text, std::vector<uint8_t>* out);
