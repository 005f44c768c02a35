// Preference domains: named dictionaries of typed values kept one XML
// property-list file per domain in the preferences folder (PLFindFolder),
// "<domain>.plist" (a domain already ending in ".plist" keeps its name).
//
// File format (UTF-8):
//   <?xml version="1.0" encoding="UTF-8"?>
//   <plist version="1.0">
//   <dict>
//     <key>Undo Depth</key>
//     <integer>20</integer>           32-bit integer
//     <key>UI Brightness</key>
//     <real>0.34</real>               32-bit float, shortest text that reads back exactly
//     <key>Video System</key>
//     <string>NTSC</string>
//     <key>Primary LUT</key>
//     <data>AAECAw==</data>           bytes, base64
//     <key>Flag</key>
//     <true/>                         boolean (<false/>)
//   </dict>
//   </plist>
//
// Changes made in a process are seen at once by its own reads and reach the
// file at PLPrefsSynchronize: lock the domain (flock on "<file>.lock"), read
// the file, lay this process's changes over it, write a temporary file beside
// it, fsync, rename it over the file, then re-read. So two processes that
// change different keys lose neither's values. Synchronising also brings in
// what other processes saved.
//
// The temporary file is "<file>.tmp-XXXXXX", made and renamed only while
// the domain is locked; whoever holds the lock later removes the temporaries
// of writers that were killed mid-write.
//
// A file that cannot be read as such a list, or that declares a document
// type (whose entities could expand without bound), is renamed aside
// ("<file>.corrupt", "<file>.corrupt-2", ...), reported once through the
// alert sink, and the domain reads as empty; it is never overwritten.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"

enum PLPrefType : uint8_t {
  kPLPrefInt32,
  kPLPrefFloat32,
  kPLPrefString,
  kPLPrefData,
  kPLPrefBool,
  kPLPrefInt64,  // an integer outside the 32-bit range
};

struct PLPrefValue {
  PLPrefType type = kPLPrefInt32;
  int32_t i32 = 0;
  int64_t i64 = 0;
  float f32 = 0.0f;
  bool boolean = false;
  std::string text;
  std::vector<uint8_t> data;
};

// The longest key, string (its UTF-8 bytes) or data value the store takes.
// The XML reader refuses a text of ten million bytes or more, and base64
// makes data a third longer: whatever the store takes, it can read back.
constexpr size_t kPLPrefMaxValueBytes = size_t(4) << 20;
// The largest file the store reads; a save that would make a larger one
// fails with kQVErrParam and keeps its changes pending.
constexpr size_t kPLPrefMaxFileBytes = size_t(64) << 20;

// Each set returns kQVErrParam, and changes nothing, when the domain or key
// is missing or the key or value is longer than kPLPrefMaxValueBytes.
QVStatus PLPrefsSetInt32(const char* domain, const char* key, int32_t value);
QVStatus PLPrefsSetFloat32(const char* domain, const char* key, float value);
// The text is stored as UTF-8: bytes that are not UTF-8 are taken as
// Latin-1, control characters other than tab and line ends are dropped.
QVStatus PLPrefsSetString(const char* domain, const char* key, const std::string& value);
QVStatus PLPrefsSetData(const char* domain, const char* key, const void* bytes, size_t length);
QVStatus PLPrefsSetBool(const char* domain, const char* key, bool value);
// A 64-bit integer; one inside the 32-bit range is kept as a 32-bit one.
QVStatus PLPrefsSetInt64(const char* domain, const char* key, int64_t value);
void PLPrefsRemove(const char* domain, const char* key);

// The value as stored; false when the key is absent.
bool PLPrefsGetValue(const char* domain, const char* key, PLPrefValue* out);
// Numbers convert between integer and float (a float truncated towards zero
// and clamped); a boolean reads as 0 or 1. False when absent or not a number.
bool PLPrefsGetInt32(const char* domain, const char* key, int32_t* out);
bool PLPrefsGetFloat32(const char* domain, const char* key, float* out);
// An integer of either width, or a boolean as 0 or 1; false otherwise.
bool PLPrefsGetInt64(const char* domain, const char* key, int64_t* out);
// False when absent or of another type.
bool PLPrefsGetString(const char* domain, const char* key, std::string* out);
bool PLPrefsGetData(const char* domain, const char* key, std::vector<uint8_t>* out);
bool PLPrefsGetBool(const char* domain, const char* key, bool* out);

// Writes this process's changes and reads back the merged file; the changes
// stay pending (and are retried next time) when the write fails.
QVStatus PLPrefsSynchronize(const char* domain);

// Forgets what this process holds of the domain, unsaved changes included,
// so that the next read loads the file afresh.
void PLPrefsDiscard(const char* domain);

// The file that holds the domain, whether or not it or its folder exists.
std::string PLPrefsDomainPath(const char* domain);
