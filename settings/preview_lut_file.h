// Preview LUT files: the current correction written as a 1D text LUT, and
// four kinds of 1D LUT file read into a preview LUT (three 256-entry 8-bit
// tables, red, green, blue; see support/preview_lut.h).
#pragma once

#include <cstdint>
#include <string>

#include "core/settings_record.h"
#include "platform/file_ref.h"
#include "platform/status.h"

constexpr const char* kPreviewLUTAlertTitle = "Velmora 3 UI";
constexpr uint32_t kPreviewLUTFileType = 0x564C6C74u;  // 'VLlt'
constexpr const char* kPreviewLUTCreatorName = "Velmora";
constexpr const char* kPreviewLUTVersionText = "3.0.14(309)";

// The file's text for N entries per channel: header, then the ramp i / (N - 1)
// through the current processing tables, each output as round(out x (N - 1))
// clamped to 0..N - 1. platform and date fill their header lines.
// kQVErrParam for N below 2 or above 65536, kQVErrMemory without frames.
QVStatus PreviewLUTText(uint32_t entries, const std::string& platform, const std::string& date, std::string* text);

// Writes folder/name (replacing a file of that name only once the new one is
// whole) from the current processing tables, which the caller has built from
// the settings. kQVNoErr or the failure's status.
QVStatus WritePreviewLUT(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                         uint32_t entries);

// The save panel ('SVcl'), then WritePreviewLUT; the written file's
// reference in *written when asked. kQVErrCancelled when cancelled. The
// chosen file's path goes to *chosen when asked, also when the write fails.
QVStatus SavePreviewLUT(const VL_SettingsStruct* settings, QVFileRef* written, const char* defaultName,
                        uint32_t entries, std::string* chosen = nullptr);

// Readers into a 768-byte preview LUT, which changes only on success. The
// text readers show their alert (title "Velmora 3 UI") and return
// kQVErrEndOfFile, kQVErrParam (unsupported kind, too few channels),
// kQVErrFileNotFound or kQVErrIO; the binary reader shows none and returns
// kQVErrFileNotFound when the file cannot be read, kQVErrEndOfFile when it
// holds no whole table.
QVStatus ReadChannelLUTFile(const char* path, uint8_t* lut);
QVStatus ReadGridLUTFile(const char* path, uint8_t* lut);
QVStatus ReadBinaryLUTFile(const char* path, uint8_t* lut);
QVStatus ReadChannelLUTFileFromFSRef(const QVFileRef* file, uint8_t* lut);
QVStatus ReadGridLUTFileFromFSRef(const QVFileRef* file, uint8_t* lut);
QVStatus ReadBinaryLUTFileFromFSRef(const QVFileRef* file, uint8_t* lut);

// The kinds of the Load LUT panel, in popup order.
struct PreviewLUTFileKind {
  uint32_t type;
  const char* extension;
  const char* name;
  QVStatus (*reader)(const char* path, uint8_t* lut);
};
extern const PreviewLUTFileKind kPreviewLUTFileKinds[4];

// The open panel over those kinds, then the chosen kind's reader: 1 when the
// table was filled, 0 otherwise (the loader behind the "Other..." choice).
int PreviewLUTLoadWithPanel(uint8_t* lut);
// The same under another panel id (each id remembers its own folder).
int PreviewLUTLoadWithPanelID(uint8_t* lut, int32_t dialogID);
