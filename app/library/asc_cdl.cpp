// ASC CDL files written through the XML writers and read through the
// document readers.
#include "app/library/asc_cdl.h"

#include <libxml/tree.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "app/state/save_failure.h"
#include "core/settings_ranges.h"
#include "platform/fourcc.h"
#include "settings/file_panels.h"
#include "settings/prefs.h"
#include "support/alerts.h"
#include "support/files.h"
#include "support/output_file.h"
#include "support/time_text.h"
#include "support/xml_read.h"
#include "support/xml_write.h"

namespace {

constexpr const char* kAlertTitle = "Velmora 3 UI";

float GammaFactor(float gamma) { return gamma > 0.0f ? gamma : 1.0f; }

QVStatus Keep(QVStatus status, QVStatus next) { return status != kQVNoErr ? status : next; }
QVStatus TagStatus(int32_t printed) { return printed < 0 ? QVStatus(printed) : kQVNoErr; }

QVStatus WriteTriple(FILE* stream, const char* name, const float v[3]) {
  char text[128];
  std::snprintf(text, sizeof text, "%1.4f %1.4f %1.4f", double(v[0]), double(v[1]), double(v[2]));
  return XMLWriteTextElement(stream, name, text);
}

QVStatus WriteBody(FILE* stream, const VL_SettingsStruct* settings, const std::string& name, const char* mediaPath,
                   int32_t id) {
  ASCCDLValues v;
  ASCCDLFromSettings(settings, &v);
  char date[128], line[256];
  QVGetCurrentDateTimeAsCString(date, sizeof date, true, true);
  QVStatus status = XMLWriteString(stream, "<!-- Creator: Quorvane Velmora v3.0.14(309)   -->\n");
  std::snprintf(line, sizeof line, "<!-- Date:    %s         -->\n", date);
  status = Keep(status, XMLWriteString(stream, line));
  status = Keep(status, TagStatus(XMLWriteOpenTag(stream, "ColorDecisionList", "xmlns=\"urn:ASC:CDL:v1.01\"")));
  status = Keep(status, TagStatus(XMLWriteOpenTag(stream, "ColorDecision", "")));
  if (mediaPath && *mediaPath) {
    std::string attribute = "ref=\"" + XMLEscapedText(mediaPath) + "\"";
    status = Keep(status, XMLWriteEmptyElement(stream, "MediaRef", attribute.c_str()));
  }
  std::snprintf(line, sizeof line, "ref=\"urn:QuorvaneVL:cdl:cc%08ld\"", long(id));
  status = Keep(status, TagStatus(XMLWriteOpenTag(stream, "ColorCorrection", line)));
  status = Keep(status, TagStatus(XMLWriteOpenTag(stream, "SOPNode", "")));
  status = Keep(status, XMLWriteStringElement(stream, "Description", &name));
  status = Keep(status, WriteTriple(stream, "Slope", v.slope));
  status = Keep(status, WriteTriple(stream, "Offset", v.offset));
  status = Keep(status, WriteTriple(stream, "Power", v.power));
  status = Keep(status, TagStatus(XMLWriteCloseTag(stream, "SOPNode")));
  status = Keep(status, TagStatus(XMLWriteOpenTag(stream, "SatNode", "")));
  status = Keep(status, XMLWriteFloatElement(stream, "Saturation", v.saturation));
  status = Keep(status, TagStatus(XMLWriteCloseTag(stream, "SatNode")));
  status = Keep(status, TagStatus(XMLWriteCloseTag(stream, "ColorCorrection")));
  status = Keep(status, TagStatus(XMLWriteCloseTag(stream, "ColorDecision")));
  return Keep(status, TagStatus(XMLWriteCloseTag(stream, "ColorDecisionList")));
}

void InvalidCDL(const char* reason) {
  char message[160];
  std::snprintf(message, sizeof message, "Invalid CDL - %s", reason);
  QVErrorAlert(kAlertTitle, message, 1);
}

// A value the field at that offset may hold.
bool InRange(size_t offset, float value) {
  if (!std::isfinite(value)) return false;
  const VLSettingsFieldRange* range = VL_FindSettingsFieldRange(uint32_t(offset));
  return !range || (value >= range->min && value <= range->max);
}

// Exactly three finite numbers, nothing else but white space.
bool ParseTriple(const char* text, float out[3]) {
  if (!text) return false;
  size_t length = std::strlen(text), at = 0;
  for (int i = 0; i < 3; ++i) {
    size_t used = 0;
    if (!XMLParseFloatPrefix(text + at, length - at, &out[i], &used) || !std::isfinite(out[i])) return false;
    at += used;
    if (i < 2 && (at >= length || !std::strchr(" \t\r\n", text[at]))) return false;
  }
  for (; at < length; ++at)
    if (!std::strchr(" \t\r\n", text[at])) return false;
  return true;
}

// The offset of a channel field of the RGB master.
size_t ChannelOffset(int c, size_t field) {
  return offsetof(VL_SettingsStruct, rgb) + offsetof(VL_PrimaryControls, channel) +
         size_t(c) * sizeof(VL_ChannelControls) + field;
}

// The element's three numbers into one field of the three RGB master
// channels (as reciprocals for the power), only when all three parse and
// fit the field's range; a reciprocal needs a number above zero.
bool TakeChannels(xmlNode* sop, const char* element, size_t field, bool reciprocal, VL_RGBControls* rgb) {
  float v[3];
  if (!ParseTriple(XMLDocGetElementText(sop, element), v)) return false;
  for (int c = 0; c < 3; ++c) {
    if (reciprocal && !(v[c] > 0.0f)) return false;
    if (reciprocal) v[c] = 1.0f / v[c];
    if (!InRange(ChannelOffset(c, field), v[c])) return false;
  }
  for (int c = 0; c < 3; ++c)
    std::memcpy(reinterpret_cast<uint8_t*>(&rgb->channel[c]) + field, &v[c], sizeof(float));
  return true;
}

}  // namespace

void ASCCDLFromSettings(const VL_SettingsStruct* s, ASCCDLValues* v) {
  const VL_HSLControls& hsl = s->hsl[kVLRangeMaster];
  const VL_RGBControls& rgb = s->rgb[kVLRangeMaster];
  for (int c = 0; c < 3; ++c) {
    v->slope[c] = hsl.gain * rgb.gain * rgb.channel[c].gain;
    v->offset[c] = hsl.pedestal + rgb.pedestal + rgb.channel[c].ped;
    v->power[c] = 1.0f / (GammaFactor(hsl.gamma) * GammaFactor(rgb.gamma) * GammaFactor(rgb.channel[c].gamma));
  }
  v->saturation = hsl.saturation * 0.01f;
}

QVStatus WriteASCCDL(const VL_SettingsStruct* settings, const QVFileRef* folder, const std::string& name,
                     const char* mediaPath) {
  if (!settings || !folder) return kQVErrParam;
  char path[kQVMaxPath];
  if (!PLJoinPath(folder->path, name.c_str(), path, sizeof path)) return kQVErrParam;
  QVOutputFile file;
  QVStatus status = QVOutputFileOpen(path, &file);
  if (status != kQVNoErr) return status;
  const int32_t level = XMLIndentLevel();
  status = WriteBody(file.stream, settings, name, mediaPath, gPrefsSettings.cdlID);
  XMLSetIndentLevel(level);  // a failed file leaves the next one's indentation alone
  if (status != kQVNoErr) {
    QVOutputFileAbandon(&file);
    return status;
  }
  status = QVOutputFileCommit(&file);
  if (status != kQVNoErr) return status;
  ++gPrefsSettings.cdlID;
  // The file is written; its type codes are a courtesy the file system may not keep.
  QVIgnoreStatus(QVChangeTypeAndCreatorFromPath(path, kASCCDLCreator, kASCCDLFileType));
  return kQVNoErr;
}

QVStatus SaveASCCDL(const VL_SettingsStruct* settings, const char* mediaPath) {
  static const QVFileTypeListEntry kTypes[] = {
      {QVFourCC("TEXT"), ".cdl", "Color Decision Lists (*.cdl)", nullptr},
      {0, nullptr, nullptr, nullptr},
  };
  QVFileRef folder;
  std::string name;
  QVPutFileReply reply;
  QVStatus status = QVPutFileSelection(&folder, &name, &reply, "Save ASC CDL", "Save", nullptr,
                                       int32_t(QVFourCC("Excd")), "cdl", "Untitled ASC CDL", kASCCDLCreator, kTypes,
                                       "Color Decision Lists (*.cdl)");
  if (status != kQVNoErr) return status;
  status = WriteASCCDL(settings, &folder, name, mediaPath);
  // Releasing a reply cannot fail.
  QVIgnoreStatus(QVPutFileComplete(&reply));
  UIReportSaveFailure(std::string(folder.path) + "/" + name, status);
  return status;
}

QVStatus ReadASCCDL(VL_SettingsStruct* settings, const QVFileRef* file) {
  if (!settings || !file) return kQVErrParam;
  xmlDoc* doc = XMLDocReadFromFSRef(file);
  if (!doc) {
    InvalidCDL("Not a readable XML document");
    return kQVErrParam;
  }
  const char* missing = nullptr;
  xmlNode* list = XMLDocFindElement(reinterpret_cast<xmlNode*>(doc), "ColorDecisionList", nullptr);
  xmlNode* correction = list ? XMLDocFindElement(list, "ColorCorrection", nullptr) : nullptr;
  xmlNode* sop = correction ? XMLDocFindElement(correction, "SOPNode", nullptr) : nullptr;
  if (!list)
    missing = "Missing ColorDecisionList element";
  else if (!correction)
    missing = "Missing ColorCorrection element";
  else if (!sop)
    missing = "Missing SOPNode element";
  if (missing) {
    xmlFreeDoc(doc);
    InvalidCDL(missing);
    return kQVErrParam;
  }

  // Everything is checked into a copy; the record changes only at the end.
  VL_SettingsStruct result = *settings;
  VL_RGBControls& rgb = result.rgb[kVLRangeMaster];
  bool took = TakeChannels(sop, "Slope", offsetof(VL_ChannelControls, gain), false, &rgb);
  took = TakeChannels(sop, "Offset", offsetof(VL_ChannelControls, ped), false, &rgb) || took;
  took = TakeChannels(sop, "Power", offsetof(VL_ChannelControls, gamma), true, &rgb) || took;
  if (took) {
    result.rgbEnable = 1;
    rgb.enable = 1;
  }
  if (xmlNode* sat = XMLDocFindElement(correction, "SatNode", nullptr)) {
    float s[1];
    const char* text = XMLDocGetElementText(sat, "Saturation");
    size_t used = 0;
    bool whole = text && XMLParseFloatPrefix(text, std::strlen(text), &s[0], &used) &&
                 std::strspn(text + used, " \t\r\n") == std::strlen(text + used);
    const size_t offset = offsetof(VL_SettingsStruct, hsl) + offsetof(VL_HSLControls, saturation);
    if (whole && InRange(offset, s[0] * 100.0f)) {
      result.hsl[kVLRangeMaster].saturation = s[0] * 100.0f;
      result.hslEnable = 1;
      result.hslControlsEnable = 1;
      result.hsl[kVLRangeMaster].enable = 1;
      took = true;
    }
  }
  xmlFreeDoc(doc);
  if (!took) {
    InvalidCDL("No usable Slope, Offset, Power or Saturation values");
    return kQVErrParam;
  }
  *settings = result;
  return kQVNoErr;
}

QVStatus LoadASCCDL(VL_SettingsStruct* settings, QVFileRef* chosen) {
  static const QVFileTypeListEntry kTypes[] = {
      {QVFourCC("TEXT"), ".cdl", "Color Decision List (*.cdl)", nullptr},
      {0, nullptr, nullptr, nullptr},
  };
  QVFileRef file;
  QVStatus status =
      QVGetFileSelectionSingle(&file, "Load ASC CDL", "Load", nullptr, int32_t(QVFourCC("Lmcd")), kTypes);
  if (status != kQVNoErr) return status;
  status = ReadASCCDL(settings, &file);
  if (status == kQVNoErr && chosen) *chosen = file;
  return status;
}
