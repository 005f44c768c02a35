// The curve file kinds of the load panel and the curve save and load commands.
#include "platform/fourcc.h"
#include "settings/curve_files.h"
#include "settings/file_panels.h"

const CurveFileKind kCurveFileKinds[] = {
    {QVFourCC("8BSC"), ".acv", "Curve Files", CurveReadACV},
    {QVFourCC("8BLT"), ".amp", "Arbitrary Map Files", CurveReadArbitraryMap},
    {QVFourCC("TEXT"), ".txt", "Quantel iQ 1D LUT Files", CurveReadGridLUT},
    {QVFourCC("TEXT"), ".lut", "Autodesk 1D LUT Files", CurveReadChannelLUT},
    {QVFourCC("????"), "", "-", nullptr},
    {QVFourCC("????"), ".*", "All Documents", nullptr},
};
const int kCurveFileKindCount = int(sizeof kCurveFileKinds / sizeof kCurveFileKinds[0]);

QVStatus SaveCurrentCurves(const VL_CurveControls* curves, std::string* chosen) {
  if (!curves) return kQVErrParam;
  static const QVFileTypeListEntry kTypes[] = {
      {QVFourCC("8BSC"), ".acv", "Curves", nullptr},
      {0, nullptr, nullptr, nullptr},
  };
  char path[kQVMaxPath];
  QVPutFileReply reply;
  QVStatus status = QVPutFileSelectionAsPath(path, sizeof path, &reply, "Save Curve", "Save", nullptr,
                                             int32_t(QVFourCC("SvCv")), "acv", "Untitled Curve", QVFourCC("8BIM"),
                                             kTypes, "Curves (*.acv)");
  if (status != kQVNoErr) return status;
  if (chosen) *chosen = path;
  return CurveWriteACV(path, curves);
}

QVStatus LoadCurrentCurves(VL_CurveControls* curves) {
  if (!curves) return kQVErrParam;
  QVFileTypeListEntry types[kCurveFileKindCount + 1] = {};
  for (int i = 0; i < kCurveFileKindCount; ++i)
    types[i] = {kCurveFileKinds[i].type, kCurveFileKinds[i].extension, kCurveFileKinds[i].name, nullptr};
  char path[kQVMaxPath];
  int32_t kind = -1;
  QVStatus status = QVGetFileSelectionSingleAsPathWithTypeList(path, sizeof path, &kind, "Load Curve", "Load",
                                                               nullptr, int32_t(QVFourCC("LdCv")), types);
  if (status != kQVNoErr) return status;
  if (kind < 0 || kind >= kCurveFileKindCount || !kCurveFileKinds[kind].reader) return kQVErrCancelled;
  return kCurveFileKinds[kind].reader(path, curves);
}
