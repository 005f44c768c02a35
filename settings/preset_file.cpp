// Correction preset files.
//
// A file is a header of two big-endian 32-bit words, then blocks back to back
// until the end of the file:
//
//   offset 0  version  5 when written; 1, 2, 3 or 5 read
//   offset 4  magic    0x11223344
//   block:    id (32 bits), payload length in bytes (32 bits), payload
//
// A payload is one to six arrays of equal size, each the 32-bit words of one
// section of the record (floats by their bit pattern), all big-endian. The
// table below lists every id with its array count and size; a block of a
// known id must have exactly that length. Ids 1-5, 7, 10, 12 and 26 hold the
// older section layouts (16.16 fixed-point values) and are converted while
// read; id 11 of any length and unassigned ids are skipped by their length.
//
// The start of a version-5 file written from a default record:
//
//   00 00 00 05  11 22 33 44              version, magic
//   00 00 00 1D  00 00 00 A0              block 29: four HSL ranges, 160 bytes
//   00 00 00 01  00 00 00 00  00 00 00 00 ...   master range: enable 1, hue 0.0, ...
//
// The byte-order flag, the seven untouched words, the video and linearization
// words are not stored.
#include "settings/preset_file.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/byte_order.h"
#include "platform/file_contents.h"
#include "platform/log.h"
#include "settings/older_settings.h"
#include "support/alerts.h"

namespace {

// Far above any file a writer makes (a version-5 file is 33,720 bytes).
constexpr size_t kMaxPresetBytes = 16u << 20;

enum class Read : uint8_t {
  kStore,        // arrays copied word for word
  kHSLV1,        // older layouts, converted
  kRGBV1,
  kYCbCrV1,
  kCMYV1,
  kHueOffsetV1,
  kCurveV1,
  kSecondaryV1,
  kSecondaryV2,
  kLimiterV1,
  kGeometry,     // read whole, then only the words the record takes
  kSkip,         // any length, skipped
};

struct Block {
  uint32_t id;
  const char* name;
  uint32_t arrays;
  uint32_t bytes;     // per array
  Read read;
  size_t offset;      // of the first destination section in VL_SettingsStruct
  size_t stride;      // from one destination section to the next
};

#define AT(field) offsetof(VL_SettingsStruct, field)
#define EVERY(type) sizeof(type)

const Block kBlocks[] = {
    {1, "kSettingsHSLControlsV1", 4, 36, Read::kHSLV1, AT(hsl), EVERY(VL_HSLControls)},
    {2, "kSettingsRGBControlsV1", 4, 52, Read::kRGBV1, AT(rgb), EVERY(VL_RGBControls)},
    {3, "kSettingsYCbCrControlsV1", 4, 52, Read::kYCbCrV1, AT(ycbcr), EVERY(VL_YCbCrControls)},
    {4, "kSettingsCMYControlsV1", 4, 52, Read::kCMYV1, AT(cmy), EVERY(VL_CMYControls)},
    {5, "kSettingsHSLOffsetControlsV1", 1, 52, Read::kHueOffsetV1, AT(hueOffsets), 0},
    {6, "kSettingsLevelControlsV1", 5, 32, Read::kStore, AT(levels), EVERY(VL_LevelControls)},
    {7, "kSettingsCurveControlsV1", 4, 140, Read::kCurveV1, AT(rgbCurves), EVERY(VL_CurveControls)},
    {8, "kSettingsCurvePointsV1", 3, 12, Read::kStore, AT(curvePoints), EVERY(VL_CurvePoints)},
    {9, "kSettingsLumaRangeControlsV1", 1, 24, Read::kStore, AT(lumaRanges), 0},
    {10, "kSettingsSecondaryControlsV1", 6, 108, Read::kSecondaryV1, AT(secondary), EVERY(VL_SecondaryControls)},
    {11, "kSettingsPrimariesControlsV1", 0, 0, Read::kSkip, 0, 0},
    {12, "kSettingsLimiterControlsV1", 1, 36, Read::kLimiterV1, AT(limiter), 0},
    {13, "kSettingsSamplerControlsV1", 1, 28, Read::kStore, AT(sampler), 0},
    {14, "kSettingsHSLEnable", 1, 4, Read::kStore, AT(hslEnable), 0},
    {15, "kSettingsHSLControlsEnable", 1, 4, Read::kStore, AT(hslControlsEnable), 0},
    {16, "kSettingsRGBEnable", 1, 4, Read::kStore, AT(rgbEnable), 0},
    {17, "kSettingsYCbCrEnable", 1, 4, Read::kStore, AT(ycbcrEnable), 0},
    {18, "kSettingsCMYEnable", 1, 4, Read::kStore, AT(cmyEnable), 0},
    {19, "kSettingsHSLHueOffsetEnable", 1, 4, Read::kStore, AT(hueOffsetEnable), 0},
    {20, "kSettingsLevelsEnable", 1, 4, Read::kStore, AT(levelsEnable), 0},
    {21, "kSettingsSecondaryEnable", 1, 4, Read::kStore, AT(secondaryEnable), 0},
    {22, "kSettingsCurvesEnable", 1, 4, Read::kStore, AT(curvesEnable), 0},
    {23, "kSettingsLumaRangesEnable", 1, 4, Read::kStore, AT(lumaRangesEnable), 0},
    {24, "kSettingsLimiterEnable", 1, 4, Read::kStore, AT(limiter_enable), 0},
    {25, "kSettingsLimiterPreview", 1, 4, Read::kStore, AT(limiter_preview), 0},
    {26, "kSettingsSecondaryControlsV2", 6, 120, Read::kSecondaryV2, AT(secondary), EVERY(VL_SecondaryControls)},
    {27, "kSettingsCurveControlsV2", 4, 4108, Read::kStore, AT(rgbCurves), EVERY(VL_CurveControls)},
    {28, "kSettingsSecondaryKeyerEnable", 1, 4, Read::kStore, AT(secondaryKeyerEnable), 0},
    {29, "kSettingsHSLControlsV5", 4, 40, Read::kStore, AT(hsl), EVERY(VL_HSLControls)},
    {30, "kSettingsRGBControlsV5", 4, 52, Read::kStore, AT(rgb), EVERY(VL_RGBControls)},
    {31, "kSettingsYCbCrControlsV5", 4, 52, Read::kStore, AT(ycbcr), EVERY(VL_YCbCrControls)},
    {32, "kSettingsCMYControlsV5", 4, 52, Read::kStore, AT(cmy), EVERY(VL_CMYControls)},
    {33, "kSettingsHSLOffsetControlsV5", 1, 52, Read::kStore, AT(hueOffsets), 0},
    {35, "kSettingsSecondaryControlsV5", 6, 124, Read::kStore, AT(secondary), EVERY(VL_SecondaryControls)},
    {36, "kSettingsSecondaryGeometryEnable", 1, 4, Read::kStore, AT(secondaryGeometryEnable), 0},
    {37, "kSettingsSecondaryGeometryControls", 6, 460, Read::kGeometry, AT(secondaryGeometry),
     EVERY(VL_SecondaryGeometryControls)},
    {39, "kSettingsLimiterControlsV5", 1, 40, Read::kStore, AT(limiter), 0},
    {40, "kSettingsCurveHSLControlsV5", 3, 4108, Read::kStore, AT(hslCurves), EVERY(VL_CurveControls)},
    {41, "kSettingsCurvesRGBEnableV5", 1, 4, Read::kStore, AT(rgbCurvesEnable), 0},
    {42, "kSettingsCurvesHSLEnableV5", 1, 4, Read::kStore, AT(hslCurvesEnable), 0},
    {43, "kSettingsInputControlsV5", 1, 16, Read::kStore, AT(input), 0},
};

#undef AT
#undef EVERY

// The version-5 writer's order.
const uint32_t kWriteOrder[] = {29, 30, 31, 32, 33, 6,  27, 8,  9,  35, 37, 39, 13, 14, 15, 16,
                                17, 18, 19, 20, 21, 28, 36, 22, 23, 24, 25, 40, 41, 42, 43};

const Block* FindBlock(uint32_t id) {
  for (const Block& b : kBlocks)
    if (b.id == id) return &b;
  return nullptr;
}

void PutWord(std::string* out, uint32_t word) {
  uint8_t be[4];
  QVWriteBE32(be, word);
  out->append(reinterpret_cast<const char*>(be), 4);
}

// The words of the bytes in native order.
void ReadWords(const uint8_t* from, uint32_t bytes, uint32_t* words) {
  for (uint32_t i = 0; i < bytes / 4; ++i) words[i] = QVReadBE32(from + 4 * i);
}

uint8_t* Section(VL_SettingsStruct* s, const Block& b, uint32_t index) {
  return reinterpret_cast<uint8_t*>(s) + b.offset + b.stride * index;
}

// Stores one block's payload (already checked to be arrays x bytes long).
void StoreBlock(const Block& b, const uint8_t* payload, VL_SettingsStruct* s) {
  uint32_t words[4108 / 4];
  for (uint32_t a = 0; a < b.arrays; ++a) {
    ReadWords(payload + size_t(a) * b.bytes, b.bytes, words);
    uint8_t* to = Section(s, b, a);
    switch (b.read) {
      case Read::kStore: {
        void* const one[6] = {to};
        SettingsReadBlock(payload + size_t(a) * b.bytes, b.bytes, one);
        break;
      }
      case Read::kHSLV1:
        TransferHSLSettingsV1toV5(words, reinterpret_cast<VL_HSLControls*>(to));
        break;
      case Read::kRGBV1:
        TransferRGBSettingsV1toV5(words, reinterpret_cast<VL_RGBControls*>(to));
        break;
      case Read::kYCbCrV1:
        TransferYCbCrSettingsV1toV5(words, reinterpret_cast<VL_YCbCrControls*>(to));
        break;
      case Read::kCMYV1:
        TransferCMYSettingsV1toV5(words, reinterpret_cast<VL_CMYControls*>(to));
        break;
      case Read::kHueOffsetV1:
        TransferHSLOffsetSettingsV1toV5(words, reinterpret_cast<VL_HSLOffsetControls*>(to));
        break;
      case Read::kCurveV1: {
        // word 0, word 1, point count, x[16], y[16]: a spline record.
        auto* curve = reinterpret_cast<VL_CurveControls*>(to);
        curve->word0 = words[0];
        curve->word1 = words[1];
        curve->modeFlags = 0;
        std::memcpy(&curve->spline, words + 2, sizeof curve->spline);
        break;
      }
      case Read::kSecondaryV1:
        s->secondaryKeyerEnable |= TransferSecondaryKeyerSettingsV1toV5(words, reinterpret_cast<VL_SecondaryControls*>(to));
        break;
      case Read::kSecondaryV2:
        s->secondaryKeyerEnable |= TransferSecondaryKeyerSettingsV2toV5(words, reinterpret_cast<VL_SecondaryControls*>(to));
        break;
      case Read::kLimiterV1:
        TransferLimiterSettingsV1toV5(words, reinterpret_cast<VL_LimiterControls*>(to));
        break;
      case Read::kGeometry:
        TransferSecondaryGeomSettings(words, reinterpret_cast<VL_SecondaryGeometryControls*>(to));
        break;
      case Read::kSkip:
        break;
    }
  }
}

}  // namespace

void SettingsReadBlock(const uint8_t* payload, uint32_t bytesPerArray, void* const destinations[6]) {
  for (int a = 0; a < 6; ++a) {
    if (!destinations[a]) continue;
    uint8_t* to = static_cast<uint8_t*>(destinations[a]);
    for (uint32_t i = 0; i < bytesPerArray / 4; ++i) {
      uint32_t word = QVReadBE32(payload + 4 * i);
      std::memcpy(to + 4 * i, &word, 4);
    }
    payload += bytesPerArray;
  }
}

void SettingsWriteBlock(std::string* out, uint32_t id, uint32_t bytesPerArray, const void* const arrays[6]) {
  uint32_t count = 0;
  for (int a = 0; a < 6; ++a)
    if (arrays[a]) ++count;
  if (count == 0) return;
  PutWord(out, id);
  PutWord(out, count * bytesPerArray);
  for (int a = 0; a < 6; ++a) {
    if (!arrays[a]) continue;
    const uint8_t* bytes = static_cast<const uint8_t*>(arrays[a]);
    for (uint32_t i = 0; i < bytesPerArray / 4; ++i) {
      uint32_t word;
      std::memcpy(&word, bytes + 4 * i, 4);
      PutWord(out, word);
    }
  }
}

std::string CCPresetFileBytes(const VL_SettingsStruct* settings) {
  std::string out;
  out.reserve(34 * 1024);
  PutWord(&out, kCCPresetVersion);
  PutWord(&out, kCCPresetMagic);
  for (uint32_t id : kWriteOrder) {
    const Block* b = FindBlock(id);
    const void* arrays[6] = {};
    for (uint32_t a = 0; a < b->arrays; ++a)
      arrays[a] = Section(const_cast<VL_SettingsStruct*>(settings), *b, a);
    SettingsWriteBlock(&out, b->id, b->bytes, arrays);
  }
  return out;
}

QVStatus CCSaveSettingsToRefAndString(const QVFileRef* folder, const std::string& name,
                                      const VL_SettingsStruct* settings) {
  if (!folder || !settings) return kQVErrParam;
  char path[kQVMaxPath];
  if (!PLJoinPath(folder->path, name.c_str(), path, sizeof path)) return kQVErrParam;
  std::string bytes = CCPresetFileBytes(settings);
  return PLReplaceFileContents(path, bytes.data(), bytes.size());
}

QVStatus CCReadPresetBytes(const std::string& file, VL_SettingsStruct* settings, std::string* why) {
  auto fail = [&](const std::string& reason) {
    if (why) *why = reason;
    return kQVErrParam;
  };
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(file.data());
  const size_t size = file.size();
  if (size < 8) return fail("the file is shorter than its header");
  uint32_t version = QVReadBE32(bytes);
  if (QVReadBE32(bytes + 4) != kCCPresetMagic) return fail("the magic word is not 0x11223344");
  if (version != 1 && version != 2 && version != 3 && version != 5) return fail("unknown version " + std::to_string(version));

  // Every block is checked before anything is stored.
  struct Found {
    const Block* block;
    size_t at;
  };
  std::vector<Found> found;
  for (size_t at = 8; at < size;) {
    if (size - at < 8) return fail("a block header is cut short at byte " + std::to_string(at));
    uint32_t id = QVReadBE32(bytes + at);
    uint32_t length = QVReadBE32(bytes + at + 4);
    at += 8;
    if (length > size - at)
      return fail("block " + std::to_string(id) + " at byte " + std::to_string(at - 8) + " claims " +
                  std::to_string(length) + " bytes, " + std::to_string(size - at) + " remain");
    const Block* b = FindBlock(id);
    if (b && b->read != Read::kSkip && length != b->arrays * b->bytes)
      return fail("block " + std::to_string(id) + " at byte " + std::to_string(at - 8) + " holds " +
                  std::to_string(length) + " bytes, not " + std::to_string(b->arrays * b->bytes));
    found.push_back({b, at});
    if (!b || b->read == Read::kSkip) found.back().block = nullptr;
    at += length;
  }

  std::unique_ptr<VL_SettingsStruct> scratch(new (std::nothrow) VL_SettingsStruct);
  if (!scratch) return kQVErrMemory;
  std::memcpy(scratch.get(), settings, sizeof *settings);
  std::printf("Starting read of settings:\n");
  for (const Found& f : found) {
    uint32_t id = QVReadBE32(bytes + f.at - 8);
    if (!f.block) {
      if (id == 11)
        std::printf("\tkSettingsPrimariesControlsV1\n");
      else
        std::printf("\tUnrecognized blockID %ld\n", long(id));
      continue;
    }
    std::printf("\t%s\n", f.block->name);
    StoreBlock(*f.block, bytes + f.at, scratch.get());
  }
  std::fflush(stdout);
  std::memcpy(settings, scratch.get(), sizeof *settings);
  return kQVNoErr;
}

QVStatus CCLoadSettingsFromRef(const QVFileRef* file, VL_SettingsStruct* settings) {
  if (!file || !settings) return kQVErrParam;
  std::string bytes;
  QVStatus status = PLReadFileContents(file->path, kMaxPresetBytes, &bytes);
  std::string why;
  if (status == kQVErrParam) {
    why = "the file is too large";
  } else if (status != kQVNoErr) {
    return status;
  } else {
    status = CCReadPresetBytes(bytes, settings, &why);
  }
  if (status == kQVErrParam) {
    PLLogWrite("Velmora", ("rejected settings file " + std::string(file->path) + ": " + why).c_str());
    QVErrorAlert(kCCPresetAlertTitle, kCCInvalidSettingsFile, 1);
  }
  return status;
}

void SwapSettingsAsNeeded(VL_SettingsStruct* settings) {
  if (!settings || settings->byteOrderFlag == kVLSettingsByteOrderFlag) return;
  if (VL_SettingsNeedByteSwap(settings)) {
    VL_ByteSwapSettings(settings);
    return;
  }
  logprintf("Velmora", "Unknown settings byte order. Initialized flag is %lx\n", (unsigned long)settings->byteOrderFlag);
}
