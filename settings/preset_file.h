// Correction preset files (".vlpreset", type 'VLst'): one VL_SettingsStruct
// as tagged blocks of big-endian words; the layout is written down in
// preset_file.cpp. Version 5 is written; versions 1, 2, 3 and 5 are read,
// older section layouts converted as they are read.
#pragma once

#include <cstdint>
#include <string>

#include "core/settings_record.h"
#include "platform/file_ref.h"
#include "platform/status.h"

constexpr uint32_t kCCPresetVersion = 5;
constexpr uint32_t kCCPresetMagic = 0x11223344u;
constexpr uint32_t kCCPresetFileType = 0x564C7374u;  // 'VLst'
constexpr const char* kCCPresetExtension = "vlpreset";
constexpr const char* kCCPresetAlertTitle = "Velmora 3 PI";
constexpr const char* kCCInvalidSettingsFile = "Invalid settings file";

// The whole version-5 file of the record, header included.
std::string CCPresetFileBytes(const VL_SettingsStruct* settings);

// Writes the record into folder/name, replacing a file of that name only
// once the new one is complete. kQVNoErr or the file system's status.
QVStatus CCSaveSettingsToRefAndString(const QVFileRef* folder, const std::string& name,
                                      const VL_SettingsStruct* settings);

// Reads the file's blocks over what the record holds. A file whose header,
// block lengths or size do not hold up is rejected: the alert "Invalid
// settings file" is shown, the record is left exactly as it was and
// kQVErrParam is returned. kQVErrFileNotFound (or another file-system
// status) when the file cannot be read; kQVNoErr once read.
QVStatus CCLoadSettingsFromRef(const QVFileRef* file, VL_SettingsStruct* settings);

// The same on bytes already in memory (no alert; the reason in *why).
QVStatus CCReadPresetBytes(const std::string& bytes, VL_SettingsStruct* settings, std::string* why);

// One block: id, length (arrays x bytesPerArray) and the words of every
// non-null array, big-endian, appended to out; nothing when all are null.
void SettingsWriteBlock(std::string* out, uint32_t id, uint32_t bytesPerArray, const void* const arrays[6]);
// The arrays of a payload, one after the other, into every non-null
// destination in native order (the payload must hold them all).
void SettingsReadBlock(const uint8_t* payload, uint32_t bytesPerArray, void* const destinations[6]);

// Brings a record that arrived from another program into native byte order:
// a swapped flag turns every word round; an unknown flag is logged and the
// record left alone.
void SwapSettingsAsNeeded(VL_SettingsStruct* settings);

// Asks for a file with the save panel ('SvSt') and saves the record there.
// kQVErrCancelled when the user cancelled.
QVStatus CCSaveCurrentSettings(const VL_SettingsStruct* settings);
// Asks for a file with the open panel ('LdSt') and loads it over a record of
// defaults, which then replaces the caller's record. Cancel, an unreadable
// or a rejected file leave the caller's record as it was.
QVStatus CCLoadCurrentSettings(VL_SettingsStruct* settings);
