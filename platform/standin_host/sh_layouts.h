// Host pixel layouts the stand-in host renders in, and conversion between
// them and RGBA images. The Y'CbCr layouts use Rec. 601 video-range
// coefficients, the same the plug-in's transfers use.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/host/host_interface.h"
#include "platform/png_codec.h"

// An RGBA picture as files hold it: 8 or 16 bits, R, G, B, A samples in row order.
using SHImage = PLPngImage;

enum SHLayout : int32_t {
  kSHLayoutARGB8,       // 8-bit A, R, G, B
  kSHLayoutARGB16,      // u16 A, R, G, B, full scale 32768
  kSHLayoutARGBFloat,   // float A, R, G, B
  kSHLayoutBGRA8,       // Premiere-style 8-bit B, G, R, A
  kSHLayoutBGRAFloat,   // Premiere-style float B, G, R, A
  kSHLayoutVUYA8,       // Premiere-style 8-bit Cr, Cb, Y, A
  kSHLayoutVUYAFloat,   // Premiere-style float Cr, Cb, Y, A
  kSHLayoutPProARGBFloat,  // Premiere's float A, R, G, B
  kSHLayoutCount
};

struct SHLayoutInfo {
  const char* name;
  uint32_t format;          // the host's pixel-format word
  int32_t bytes_per_pixel;
  uint32_t world_flags;
  int32_t bitdepth;         // 8, 16 or 32, as the smart-render request names it
  bool premiere;            // a Premiere-style host ('PPro') renders in it
  bool world;               // a host with the world suite renders in it
};

const SHLayoutInfo& SHGetLayoutInfo(SHLayout layout);
// False when no layout has that name.
bool SHFindLayout(const char* name, SHLayout* layout);

// A world with its own pixel storage.
struct SHFrame {
  SHLayout layout = kSHLayoutARGB8;
  HIWorld world{};
  std::vector<uint64_t> storage;
};

// A zero-filled frame; rows are padded by extra_row_bytes.
void SHMakeFrame(SHLayout layout, int32_t width, int32_t height, int32_t extra_row_bytes, SHFrame* frame);
// The image's pixels into the frame (sizes must match).
void SHImageToFrame(const SHImage& image, SHFrame* frame);
// The frame's pixels as an image of the given bit depth (8 or 16).
void SHFrameToImage(const SHFrame& frame, int32_t bits, SHImage* image);
// A test picture: colour ramps, a grey wedge, a moving disc and soft alpha at
// the edges; frame_index moves the disc.
void SHMakeTestImage(int32_t width, int32_t height, int32_t bits, int32_t frame_index, SHImage* image);
