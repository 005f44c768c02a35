// Photoshop image files (.psd), written only: one flattened RGB picture.
//
// Every integer is big-endian. The file is four sections and the pixels:
//   header, 26 bytes:
//     signature     4   "8BPS"
//     version       2   1
//     reserved      6   zeros
//     channels      2   3 (red, green, blue; no alpha)
//     height        4   rows, 1..30000
//     width         4   columns, 1..30000
//     depth         2   bits per sample, 8 or 16
//     colour mode   2   3 (RGB)
//   colour mode data    length 4: 0 (RGB has none)
//   image resources     length 4: 0 (none)
//   layers and masks    length 4: 0 (the flattened picture alone)
//   image data:
//     compression   2   0 (raw samples)
//     the red plane, then the green plane, then the blue plane; each plane
//     is height rows of width samples, top row first, 1 byte per sample at
//     depth 8 and 2 bytes (big-endian) at depth 16; no row padding.
//
// A 2 x 1 picture at depth 8, red (255, 0, 0) then blue (0, 0, 255), is these
// 46 bytes:
//   38 42 50 53  00 01  00 00 00 00 00 00  00 03  00 00 00 01  00 00 00 02
//   00 08  00 03
//   00 00 00 00  00 00 00 00  00 00 00 00
//   00 00  FF 00  00 00  00 FF
#include "settings/psd_writer.h"

#include <cstring>

#include "platform/byte_order.h"
#include "platform/file_contents.h"

namespace {

constexpr size_t kHeaderBytes = 26;
constexpr size_t kSectionLengthsBytes = 12;  // colour mode data, image resources, layers and masks
constexpr size_t kCompressionBytes = 2;
constexpr uint16_t kPSDVersion = 1;
constexpr uint16_t kPSDChannels = 3;
constexpr uint16_t kPSDModeRGB = 3;
constexpr uint16_t kPSDRaw = 0;

// Where the samples of a picture are: sample c (0 red, 1 green, 2 blue) of
// pixel (x, y) starts at base + y x rowBytes + x x pixelBytes + first + c x
// sampleBytes, a byte at depth 8 and a native 16-bit word at depth 16.
struct Picture {
  const uint8_t* base;
  size_t rowBytes;
  size_t pixelBytes;
  size_t first;
  int depth;
};

void Put16(uint8_t** p, uint16_t v) {
  QVWriteBE16(*p, v);
  *p += 2;
}

void Put32(uint8_t** p, uint32_t v) {
  QVWriteBE32(*p, v);
  *p += 4;
}

bool SideFits(int32_t side) { return side >= 1 && side <= kPSDMaxSide; }

QVStatus Encode(int32_t width, int32_t height, const Picture& pic, std::string* out) {
  if (!out) return kQVErrParam;
  out->clear();
  if (!pic.base || !SideFits(width) || !SideFits(height) || (pic.depth != 8 && pic.depth != 16)) return kQVErrParam;
  const size_t sampleBytes = size_t(pic.depth / 8);
  const size_t planeBytes = size_t(width) * size_t(height) * sampleBytes;
  const size_t total = kHeaderBytes + kSectionLengthsBytes + kCompressionBytes + kPSDChannels * planeBytes;
  try {
    out->resize(total);
  } catch (const std::bad_alloc&) {
    return kQVErrMemory;
  }
  uint8_t* p = reinterpret_cast<uint8_t*>(out->data());
  std::memcpy(p, "8BPS", 4);
  p += 4;
  Put16(&p, kPSDVersion);
  std::memset(p, 0, 6);
  p += 6;
  Put16(&p, kPSDChannels);
  Put32(&p, uint32_t(height));
  Put32(&p, uint32_t(width));
  Put16(&p, uint16_t(pic.depth));
  Put16(&p, kPSDModeRGB);
  for (size_t i = 0; i < kSectionLengthsBytes / 4; ++i) Put32(&p, 0);
  Put16(&p, kPSDRaw);
  for (size_t c = 0; c < kPSDChannels; ++c) {
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* sample = pic.base + size_t(y) * pic.rowBytes + pic.first + c * sampleBytes;
      for (int32_t x = 0; x < width; ++x, sample += pic.pixelBytes) {
        if (pic.depth == 8) {
          *p++ = *sample;
        } else {
          uint16_t v;
          std::memcpy(&v, sample, 2);
          Put16(&p, v);
        }
      }
    }
  }
  return kQVNoErr;
}

struct Reason {
  QVStatus status;
  const char* text;
};

constexpr Reason kReasons[] = {
    {kQVErrParam, "bad picture size or name"},
    {kQVErrMemory, "not enough memory for the picture"},
    {kQVErrFileNotFound, "the folder does not exist"},
    {kQVErrBusy, "the file is busy"},
    {kQVErrDuplicate, "a folder of that name is in the way"},
    {kQVErrIO, "the file could not be written (no permission, or the disk is full)"},
};

void Explain(std::string* why, const char* path, QVStatus status) {
  if (!why) return;
  const char* text = "the file could not be written";
  for (const Reason& r : kReasons)
    if (r.status == status) text = r.text;
  *why = std::string("Cannot save \"") + (path ? path : "") + "\": " + text + " (error " + std::to_string(status) + ")";
}

QVStatus Write(const char* path, int32_t width, int32_t height, const Picture& pic, std::string* why) {
  if (why) why->clear();
  QVStatus status = kQVErrParam;
  std::string bytes;
  if (path && *path) status = Encode(width, height, pic, &bytes);
  if (status == kQVNoErr) status = PLReplaceFileContents(path, bytes.data(), bytes.size());
  if (status != kQVNoErr) Explain(why, path, status);
  return status;
}

Picture Packed8(int32_t width, const uint8_t* rgb) {
  return {rgb, size_t(width > 0 ? width : 0) * 3, 3, 0, 8};
}

Picture Packed16(int32_t width, const uint16_t* rgb) {
  return {reinterpret_cast<const uint8_t*>(rgb), size_t(width > 0 ? width : 0) * 6, 6, 0, 16};
}

}  // namespace

QVStatus PSDEncodeRGB8(int32_t width, int32_t height, const uint8_t* rgb, std::string* out) {
  return Encode(width, height, Packed8(width, rgb), out);
}

QVStatus PSDEncodeRGB16(int32_t width, int32_t height, const uint16_t* rgb, std::string* out) {
  return Encode(width, height, Packed16(width, rgb), out);
}

QVStatus PSDWriteRGB8(const char* path, int32_t width, int32_t height, const uint8_t* rgb, std::string* why) {
  return Write(path, width, height, Packed8(width, rgb), why);
}

QVStatus PSDWriteRGB16(const char* path, int32_t width, int32_t height, const uint16_t* rgb, std::string* why) {
  return Write(path, width, height, Packed16(width, rgb), why);
}

QVStatus PSDWriteXRGB8(const char* path, int32_t width, int32_t height, const uint8_t* pixels, size_t rowBytes,
                       std::string* why) {
  if (width > 0 && rowBytes < size_t(width) * 4) {
    if (why) Explain(why, path, kQVErrParam);
    return kQVErrParam;
  }
  return Write(path, width, height, {pixels, rowBytes, 4, 1, 8}, why);
}
