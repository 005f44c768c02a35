// The preset save and load commands: the panels, then the file.
#include <cstring>
#include <memory>
#include <new>

#include "platform/fourcc.h"
#include "settings/file_panels.h"
#include "settings/preset_file.h"

namespace {

const QVFileTypeListEntry kSaveTypes[] = {
    {kCCPresetFileType, ".vlpreset", "Velmora Preset (*.vlpreset)", nullptr},
    {0, nullptr, nullptr, nullptr},
};
const QVFileTypeListEntry kLoadTypes[] = {
    {kCCPresetFileType, ".vlpreset", "Settings", nullptr},
    {0, nullptr, nullptr, nullptr},
};

}  // namespace

QVStatus CCSaveCurrentSettings(const VL_SettingsStruct* settings) {
  if (!settings) return kQVErrParam;
  QVFileRef folder;
  std::string name;
  QVPutFileReply reply;
  QVStatus status = QVPutFileSelection(&folder, &name, &reply, "Save Correction Settings As", "Save", nullptr,
                                       int32_t(QVFourCC("SvSt")), kCCPresetExtension, "untitled preset",
                                       0, kSaveTypes);
  if (status != kQVNoErr) return status;
  status = CCSaveSettingsToRefAndString(&folder, name, settings);
  QVIgnoreStatus(QVPutFileComplete(&reply));  // releasing a reply cannot fail
  return status;
}

QVStatus CCLoadCurrentSettings(VL_SettingsStruct* settings) {
  if (!settings) return kQVErrParam;
  QVFileRef file;
  QVStatus status = QVGetFileSelectionSingle(&file, "Load Correction Settings", "Load", nullptr,
                                             int32_t(QVFourCC("LdSt")), kLoadTypes);
  if (status != kQVNoErr) return status;
  std::unique_ptr<VL_SettingsStruct> loaded(new (std::nothrow) VL_SettingsStruct);
  if (!loaded) return kQVErrMemory;
  std::memset(loaded.get(), 0, sizeof *loaded);
  VL_SetDefaultControlValues(loaded.get(), kVLMaskAll);
  status = CCLoadSettingsFromRef(&file, loaded.get());
  if (status == kQVNoErr) std::memcpy(settings, loaded.get(), sizeof *settings);
  return status;
}
