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

// A value from its element's name ("integer", "real", "string", "data",
// "true", "false") and text; false when the text does not read as that kind.
// Integers and reals past their range are held to it.
bool PLPlistValueFromText(const std::string& name, const std::string& content, PLPrefValue* value);
// The element name and the text written for a value.
const char* PLPlistValueElement(const PLPrefValue& value);
std::string PLPlistValueText(const PLPrefValue& value);

// The same text read and written by our own code, with no XML library: the
// 32-bit build's reader and writer. It takes the files the other writes and
// writes the same text, and refuses a document type declaration likewise.
bool PLPlainPlistParse(const std::string& text, PLPrefDictionary* out, std::string* reason);
std::string PLPlainPlistWrite(const PLPrefDictionary& values);

std::string PLBase64Encode(const std::vector<uint8_t>& bytes);
// Ignores white space; false on any other character outside the alphabet.
bool PLBase64Decode(const std::string& text, std::vector<uint8_t>* out);
