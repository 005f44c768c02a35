// The toolkit of the 32-bit build, which has no window system and takes no
// drawing library: pictures are premultiplied 32-bit pixels read and written
// with our own PNG code, a drawing context only holds its picture (whoever
// draws writes the pixels), no toolkit runs, and a file panel answers as
// cancelled (there is nobody to choose a file).
#include <cstring>
#include <vector>

#include "platform/file_contents.h"
#include "platform/log.h"
#include "platform/png_codec.h"
#include "platform/ui/ui_dialogs.h"
#include "platform/ui/ui_draw.h"
#include "platform/ui/ui_window.h"

struct TKImage {
  int32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;  // A << 24 | R << 16 | G << 8 | B, premultiplied
};

struct TKContext {
  TKImage* image = nullptr;
};

namespace {

constexpr size_t kPictureMaxBytes = size_t(64) << 20;

// c x a / 255 rounded, as the 64-bit build's drawing library premultiplies.
uint32_t Premultiply(uint32_t c, uint32_t a) {
  uint32_t t = a * c + 0x80;
  return (t + (t >> 8)) >> 8;
}

}  // namespace

bool TKToolkitRunning() { return false; }

QVStatus TKRunFilePanelWithResult(const TKPanelRequest& desc, TKPanelResult*) {
  PLLogWrite("toolkit", ("no file panel in this build: \"" + desc.title + "\" answered as cancelled").c_str());
  return kQVErrCancelled;
}

TKImage* TKImageReadPNG(const char* path) {
  if (!path) return nullptr;
  std::string bytes;
  if (PLReadFileContents(path, kPictureMaxBytes, &bytes) != kQVNoErr) return nullptr;
  PLPngImage png;
  std::string why;
  if (!PLPngDecode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &png, &why)) return nullptr;
  auto* image = new TKImage;
  image->width = png.width;
  image->height = png.height;
  image->pixels.resize(size_t(png.width) * size_t(png.height));
  const int shift = png.bits == 16 ? 8 : 0;
  for (size_t i = 0; i < image->pixels.size(); ++i) {
    const uint16_t* s = &png.samples[i * 4];
    uint32_t a = s[3] >> shift;
    image->pixels[i] = a << 24 | Premultiply(s[0] >> shift, a) << 16 | Premultiply(s[1] >> shift, a) << 8 |
                       Premultiply(s[2] >> shift, a);
  }
  return image;
}

void TKImageDispose(TKImage* image) { delete image; }
int32_t TKImageWidth(const TKImage* image) { return image ? image->width : 0; }
int32_t TKImageHeight(const TKImage* image) { return image ? image->height : 0; }

QVStatus TKImageExport(TKImage* image, uint8_t* dst, int32_t rowBytes, uint32_t format) {
  if (!image || !dst) return kQVErrParam;
  if (rowBytes < image->width * 4) return kQVErrParam;
  if (format != kTKPixelFormatARGB && format != kTKPixelFormatBGRA) return kQVErrParam;
  for (int32_t y = 0; y < image->height; ++y) {
    uint8_t* d = dst + size_t(y) * size_t(rowBytes);
    for (int32_t x = 0; x < image->width; ++x, d += 4) {
      uint32_t p = image->pixels[size_t(y) * size_t(image->width) + size_t(x)];
      uint8_t a = uint8_t(p >> 24), r = uint8_t(p >> 16), g = uint8_t(p >> 8), b = uint8_t(p);
      if (format == kTKPixelFormatARGB) {
        d[0] = a, d[1] = r, d[2] = g, d[3] = b;
      } else {
        d[0] = b, d[1] = g, d[2] = r, d[3] = a;
      }
    }
  }
  return kQVNoErr;
}

TKImage* TKImageCreate(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0 || width > kPLPngMaxSide || height > kPLPngMaxSide) return nullptr;
  auto* image = new TKImage;
  image->width = width;
  image->height = height;
  image->pixels.assign(size_t(width) * size_t(height), 0);
  return image;
}

int32_t TKImageRowBytes(const TKImage* image) { return image ? image->width * 4 : 0; }
uint8_t* TKImagePixels(TKImage* image) {
  return image ? reinterpret_cast<uint8_t*>(image->pixels.data()) : nullptr;
}
void TKImageMarkDirty(TKImage*) {}

QVStatus TKImageWritePNG(TKImage* image, const char* path) {
  if (!image || !path) return kQVErrParam;
  PLPngImage png;
  png.width = image->width;
  png.height = image->height;
  png.samples.resize(image->pixels.size() * 4);
  for (size_t i = 0; i < image->pixels.size(); ++i) {
    const uint32_t p = image->pixels[i], a = p >> 24;
    for (int k = 0; k < 3; ++k) {
      const uint32_t c = (p >> (16 - 8 * k)) & 0xFF;  // premultiplied: back to straight colour
      png.samples[i * 4 + size_t(k)] = uint16_t(a ? (c * 255 + a / 2) / a : 0);
    }
    png.samples[i * 4 + 3] = uint16_t(a);
  }
  const std::vector<uint8_t> bytes = PLPngEncode(png);
  if (bytes.empty()) return kQVErrParam;
  return PLReplaceFileContents(path, bytes.data(), bytes.size());
}

TKContext* TKBeginDrawing(TKImage* image) {
  if (!image) return nullptr;
  auto* ctx = new TKContext;
  ctx->image = image;
  return ctx;
}
void TKEndDrawing(TKContext* ctx) { delete ctx; }
void TKSave(TKContext*) {}
void TKRestore(TKContext*) {}
void TKClipRect(TKContext*, const TKRect&) {}
