// Small media files made by the tests: DPX frames through our writer, WAVE
// files byte by byte.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/frame_buffer.h"
#include "media/dpx_header.h"
#include "media/movie_writer.h"

// A frame of four floats per pixel whose value at (x, y) channel c is f(x, y, c).
template <typename F>
FBFrameStruct* MakeFloatFrame(uint32_t width, uint32_t height, F f) {
  FBFrameStruct* frame = nullptr;
  EXPECT_EQ(FBCreateRGBFrameBuffer(width, height, &frame, kFBPixFormatFloatRGBA), kQVNoErr);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      float v[4] = {f(x, y, 0), f(x, y, 1), f(x, y, 2), 1.0f};
      std::memcpy(frame->baseAddr + size_t(y) * frame->rowBytes + size_t(x) * 16, v, 16);
    }
  return frame;
}

inline DPXHeaderInfo MakeDPXInfo(uint32_t width, uint32_t height, float rate = 0, uint32_t timecode = 0) {
  DPXHeaderInfo info{};
  info.width = width;
  info.height = height;
  info.elementCount = 1;
  std::snprintf(info.creator, sizeof info.creator, "Quorvane Velmora");
  info.frameRate = rate;
  info.timecode = timecode;
  return info;
}

inline DPXWriteParams LinearParams() { return DPXWriteParams{10, 50, 0, 1.0f, false, 1023, 0}; }

// A 10-bit DPX file of a small gradient in folder/name.
inline void WriteTestDPX(const std::string& folder, const std::string& name, uint32_t width = 4, uint32_t height = 2,
                         float rate = 0, uint32_t timecode = 0) {
  FBFrameStruct* frame = MakeFloatFrame(width, height, [](uint32_t x, uint32_t y, int c) {
    return float((x * 7 + y * 13 + c * 5) % 32) / 31.0f;
  });
  DPXHeaderInfo info = MakeDPXInfo(width, height, rate, timecode);
  DPXWriteParams params = LinearParams();
  ASSERT_EQ(DPXCreateFile(folder.c_str(), name.c_str(), &info, frame, &params), kQVNoErr);
  FBDisposeFrameBuffer(frame);
}

// A DPX clip in folder (which must exist): shot_0100.dpx and on, `frames`
// frames at 24 frames a second from timecode 01:00:00:00, the value of frame
// n at (x, y) channel c being value(x, y, c, n). The first frame's path.
template <typename F>
std::string WriteTestClip(const std::string& folder, uint32_t width, uint32_t height, uint32_t frames, F value) {
  for (uint32_t n = 0; n < frames; ++n) {
    FBFrameStruct* frame = MakeFloatFrame(width, height, [&](uint32_t x, uint32_t y, int c) { return value(x, y, c, n); });
    DPXHeaderInfo info = MakeDPXInfo(width, height, 24, 0x01000000u + ((n / 10) << 4 | (n % 10)));
    DPXWriteParams params = LinearParams();
    char name[64];
    std::snprintf(name, sizeof name, "shot_%04u.dpx", 100 + n);
    EXPECT_EQ(DPXCreateFile(folder.c_str(), name, &info, frame, &params), kQVNoErr);
    FBDisposeFrameBuffer(frame);
  }
  return folder + "/shot_0100.dpx";
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes.insert(bytes.end(), block, block + n);
    std::fclose(f);
  }
  return bytes;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  if (!bytes.empty()) {
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
  }
  ASSERT_EQ(std::fclose(f), 0);
}

// WAVE files chunk by chunk.
struct WaveBuilder {
  std::vector<uint8_t> chunks;
  static void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
  }
  WaveBuilder& Chunk(const char* id, const std::vector<uint8_t>& body, bool pad = true) {
    chunks.insert(chunks.end(), id, id + 4);
    Put32(chunks, uint32_t(body.size()));
    chunks.insert(chunks.end(), body.begin(), body.end());
    if (pad && (body.size() & 1)) chunks.push_back(0);
    return *this;
  }
  static std::vector<uint8_t> Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                                     uint16_t blockAlign) {
    std::vector<uint8_t> f;
    f.push_back(uint8_t(tag)); f.push_back(uint8_t(tag >> 8));
    f.push_back(uint8_t(channels)); f.push_back(uint8_t(channels >> 8));
    Put32(f, rate);
    Put32(f, rate * blockAlign);
    f.push_back(uint8_t(blockAlign)); f.push_back(uint8_t(blockAlign >> 8));
    f.push_back(uint8_t(bits)); f.push_back(uint8_t(bits >> 8));
    return f;
  }
  static std::vector<uint8_t> Extension(uint64_t timeReference, size_t size = 602) {
    std::vector<uint8_t> b(size, 0);
    std::memcpy(b.data(), "A test take", 11);
    for (int i = 0; i < 8 && 338 + i < int(size); ++i) b[338 + i] = uint8_t(timeReference >> (8 * i));
    return b;
  }
  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    Put32(out, uint32_t(chunks.size() + 4));
    out.insert(out.end(), {'W', 'A', 'V', 'E'});
    out.insert(out.end(), chunks.begin(), chunks.end());
    return out;
  }
};

// A movie of the given size at 24 frames a second, at the finest quality.
inline QVMovieWriterSettings MovieSettings(uint32_t codec, uint32_t width, uint32_t height) {
  QVMovieWriterSettings s{};
  s.width = width;
  s.height = height;
  s.rateNumerator = 24;
  s.rateDenominator = 1;
  s.codec = codec;
  s.quality = 1000;
  return s;
}
