// The one table of 3D LUT exports, and the save operation they share.
#include "app/library/lut3d_internal.h"
#include "app/state/save_failure.h"
#include "platform/fourcc.h"
#include "settings/file_panels.h"

namespace {

using PlainWriter = QVStatus (*)(const VL_SettingsStruct*, const QVFileRef*, const std::string&, int32_t, QVFileRef*);

template <PlainWriter writer>
QVStatus Plain(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name, int32_t divisions,
               const LUT3DFormat&, QVFileRef* result) {
  return writer(settings, folder, name, divisions, result);
}

QVStatus Academy(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                 int32_t divisions, const LUT3DFormat& f, QVFileRef* result) {
  return WriteAcademyLUT(settings, folder, name, divisions, f.inputBits, f.outputBits, result);
}

QVStatus ThreeDL(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                 int32_t divisions, const LUT3DFormat& f, QVFileRef* result) {
  return Write3dlLUT(settings, folder, name, divisions, f.inputBits, f.outputBits, f.flavour, result);
}

constexpr const char* kSaveTitle = "Save LUT File As";
constexpr const char* k3dlFilter = "3D LUTs (*.3dl)";

const LUT3DFormat kFormats[] = {
    {QVFourCC("FElA"), "Academy/ASC XML", "lut", 16, Academy, "LUT_untitled_AcademyLUT", "Academy LUT (*.lut)",
     kSaveTitle, 10, 12, 0},
    {QVFourCC("FEaL"), "Lustre", "3dl", 16, ThreeDL, "LUT_Untitled_Lustre", k3dlFilter,
     "Save Lustre 3D LUT File As", 10, 12, 1},
    {QVFourCC("FEaF"), "Flame", "3dl", 16, ThreeDL, "LUT_Untitled_Flame", k3dlFilter, "Save Flame 3D LUT File As",
     10, 12, 2},
    {QVFourCC("FEaS"), "Smoke", "3dl", 16, ThreeDL, "LUT_Untitled_Smoke", k3dlFilter, "Save Smoke 3D LUT File As",
     10, 12, 3},
    {QVFourCC("FEaG"), "Autodesk", "3dl", 16, ThreeDL, "LUT_Untitled_Autodesk", k3dlFilter,
     "Save Autodesk 3D LUT File As", 10, 12, 4},
    {QVFourCC("FElH"), "HDLinkPro", "3dl", 16, ThreeDL, "LUT_Untitled_HDLinkPro", k3dlFilter,
     "Save HDLinkPro 3D LUT File As", 10, 12, 6},
    {QVFourCC("FElc"), "Cinetal", "a3d", 16, Plain<WriteCinetalLUT>, "LUT_Untitled_Cinetal",
     "Cinetal LUT Files (*.a3d)", kSaveTitle, 0, 0, 0},
    {QVFourCC("FElL"), "Thomson LUTher", "txt", 16, Plain<WriteLUTherLUT>, "LUT_Untitled_LUTher",
     "LUTher LUT Files (*.txt)", kSaveTitle, 0, 0, 0},
    {QVFourCC("FElG"), "Panavision GDP", "txt", 16, Plain<WritePanavisionGDPLUT>, "LUT_Untitled_PanaGDP",
     "Panavision GDP LUT Files (*.txt)", kSaveTitle, 0, 0, 0},
    {QVFourCC("FElP"), "Pogle", "m3d", 16, Plain<WritePogleLUT>, "LUT_Untitled_Pogle", "Pogle LUT Files (*.m3d)",
     kSaveTitle, 0, 0, 0},
    {QVFourCC("FElS"), "Scratch", "lut", 16, Plain<WriteScratchLUT>, "LUT_Untitled_Scratch", "LUT Files (*.lut)",
     kSaveTitle, 0, 0, 0},
    {QVFourCC("FElT"), "Truelight", "cube", 15, Plain<WriteTruelightCube>, "LUT_Untitled_Truelight",
     "Truelight Cube Files (*.cube)", "Save Truelight Cube File As", 0, 0, 0},
};

}  // namespace

const LUT3DFormat* LUT3DFormats(size_t* count) {
  if (count) *count = sizeof kFormats / sizeof kFormats[0];
  return kFormats;
}

const LUT3DFormat* LUT3DFormatForCommand(uint32_t commandID) {
  for (const LUT3DFormat& f : kFormats)
    if (f.command == commandID) return &f;
  return nullptr;
}

QVStatus LUT3DSave(const VL_SettingsStruct* settings, const LUT3DFormat& format, QVFileRef* result) {
  QVFileRef folder;
  std::string name;
  QVPutFileReply reply;
  // Each format remembers its own folder: the command is the panel's id.
  QVStatus status = QVPutFileSelection(&folder, &name, &reply, format.title, "Save", nullptr, int32_t(format.command),
                                       format.extension, format.defaultName, 0, nullptr, format.filter);
  if (status != kQVNoErr) return status;
  status = format.writer(settings, &folder, name, format.divisions, format, result);
  // Releasing a reply cannot fail.
  QVIgnoreStatus(QVPutFileComplete(&reply));
  UIReportSaveFailure(std::string(folder.path) + "/" + name, status);
  return status;
}

QVStatus LUT3DExportCommand(uint32_t commandID, const VL_SettingsStruct* settings) {
  const LUT3DFormat* format = LUT3DFormatForCommand(commandID);
  return format ? LUT3DSave(settings, *format, nullptr) : kQVErrParam;
}
