#include "tools/standin_host/sh_png.h"

#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "platform/file_contents.h"

namespace {

constexpr int32_t kMaxDimension = 16384;
// zlib level and PNG row filter of the frames written.
constexpr int kWriteCompressionLevel = 1;
constexpr int kWriteRowFilter = PNG_FILTER_SUB;
// PNG keeps 16-bit samples big-endian; on a little-endian machine the codec
// swaps them itself, so rows go straight between the file and the samples.
constexpr bool kSwapSamples = std::endian::native == std::endian::little;

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) std::fclose(f);
  }
};

}  // namespace

namespace {

std::string reason() { return std::strerror(errno); }

// An open PNG whose header has been read and checked.
struct Reader {
  std::unique_ptr<FILE, FileCloser> file;
  png_structp png = nullptr;
  png_infop info = nullptr;
  uint32_t width = 0, height = 0;
  ~Reader() { png_destroy_read_struct(&png, &info, nullptr); }
};

bool openPNG(const std::string& path, Reader* r, std::string* error) {
  r->file.reset(std::fopen(path.c_str(), "rb"));
  if (!r->file) {
    *error = path + ": " + reason();
    return false;
  }
  uint8_t signature[8];
  if (std::fread(signature, 1, 8, r->file.get()) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
    *error = path + ": not a PNG file";
    return false;
  }
  r->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  r->info = r->png ? png_create_info_struct(r->png) : nullptr;
  if (!r->png || !r->info) {
    *error = path + ": out of memory";
    return false;
  }
  if (setjmp(png_jmpbuf(r->png))) {
    *error = path + ": damaged PNG";
    return false;
  }
  png_init_io(r->png, r->file.get());
  png_set_sig_bytes(r->png, 8);
  png_read_info(r->png, r->info);
  r->width = png_get_image_width(r->png, r->info);
  r->height = png_get_image_height(r->png, r->info);
  if (r->width == 0 || r->height == 0 || r->width > uint32_t(kMaxDimension) || r->height > uint32_t(kMaxDimension)) {
    *error = path + ": unsupported frame size";
    return false;
  }
  return true;
}

}  // namespace

bool SHCheckPNG(const std::string& path, int32_t* width, int32_t* height, std::string* error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    *error = path + ": is a folder, not a frame";
    return false;
  }
  Reader r;
  if (!openPNG(path, &r, error)) return false;
  *width = int32_t(r.width);
  *height = int32_t(r.height);
  return true;
}

namespace {

// The rows of an opened PNG into out, through pixels for 8-bit rows and for
// byte orders the codec does not swap. A damaged file leaves by longjmp to
// the caller's setjmp: the vectors are the caller's, made before it, and this
// function is kept out of line so that no value of it is held in the frame
// that calls setjmp. False when the rows are not laid out as expected.
[[gnu::noinline]] bool readRows(png_structp png, png_infop info, uint32_t width, uint32_t height, SHImage* out,
                                std::vector<uint8_t>* pixels) {
  int depth = png_get_bit_depth(png, info);
  png_set_expand(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, depth == 16 ? 0xFFFF : 0xFF, PNG_FILLER_AFTER);
  if (depth == 16 && kSwapSamples) png_set_swap(png);
  int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  out->width = int32_t(width);
  out->height = int32_t(height);
  out->bits = depth == 16 ? 16 : 8;
  size_t rowSamples = size_t(width) * 4;
  size_t rowBytes = rowSamples * size_t(out->bits / 8);
  if (png_get_rowbytes(png, info) != rowBytes) return false;
  out->samples.resize(rowSamples * height);
  if (out->bits == 16 && kSwapSamples) {
    // 16-bit rows are read into the samples in the machine's byte order.
    uint8_t* rows = reinterpret_cast<uint8_t*>(out->samples.data());
    for (int pass = 0; pass < passes; ++pass)
      for (uint32_t y = 0; y < height; ++y) png_read_row(png, rows + rowBytes * y, nullptr);
  } else {
    pixels->resize(rowBytes * height);
    for (int pass = 0; pass < passes; ++pass) {
      for (uint32_t y = 0; y < height; ++y) png_read_row(png, pixels->data() + rowBytes * y, nullptr);
    }
    const std::vector<uint8_t>& p = *pixels;
    for (size_t i = 0; i < out->samples.size(); ++i) {
      out->samples[i] = out->bits == 8 ? p[i] : uint16_t((p[2 * i] << 8) | p[2 * i + 1]);
    }
  }
  return true;
}

}  // namespace

bool SHReadPNG(const std::string& path, SHImage* image, std::string* error) {
  Reader r;
  if (!openPNG(path, &r, error)) return false;
  SHImage out;
  std::vector<uint8_t> pixels;
  if (setjmp(png_jmpbuf(r.png))) {
    *error = path + ": damaged PNG";
    return false;
  }
  if (!readRows(r.png, r.info, r.width, r.height, &out, &pixels)) {
    *error = path + ": unexpected row layout";
    return false;
  }
  *image = std::move(out);
  return true;
}

bool SHWritePNG(const std::string& path, const SHImage& image, std::string* error) {
  if (image.width <= 0 || image.height <= 0 ||
      image.samples.size() != size_t(image.width) * size_t(image.height) * 4 ||
      (image.bits != 8 && image.bits != 16)) {
    *error = "bad image";
    return false;
  }
  // A new file beside the output, renamed over it once complete.
  PLReplacement replacement;
  if (PLBeginReplacement(path.c_str(), 0644, &replacement) != kQVNoErr) {
    *error = "cannot write " + path + ": " + reason();
    return false;
  }
  const int fd = dup(replacement.fd);
  std::unique_ptr<FILE, FileCloser> file(fd < 0 ? nullptr : fdopen(fd, "wb"));
  if (!file) {
    if (fd >= 0) close(fd);
    *error = "cannot write " + path + ": " + reason();
    PLAbandonReplacement(&replacement);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    file.reset();
    PLAbandonReplacement(&replacement);
    *error = path + ": out of memory";
    return false;
  }
  size_t rowSamples = size_t(image.width) * 4;
  std::vector<uint8_t> row(rowSamples * size_t(image.bits / 8));
  if (setjmp(png_jmpbuf(png))) {
    std::string why = reason();
    png_destroy_write_struct(&png, &info);
    file.reset();
    PLAbandonReplacement(&replacement);
    *error = "cannot write " + path + ": " + why;
    return false;
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, uint32_t(image.width), uint32_t(image.height), image.bits, PNG_COLOR_TYPE_RGBA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Fast compression, as image tools write by default: zlib's quickest level
  // and one row filter instead of trying all five on every row. The file
  // stays lossless; it is only somewhat larger.
  png_set_compression_level(png, kWriteCompressionLevel);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, kWriteRowFilter);
  png_write_info(png, info);
  if (image.bits == 16 && kSwapSamples) png_set_swap(png);
  for (int32_t y = 0; y < image.height; ++y) {
    const uint16_t* src = image.samples.data() + size_t(y) * rowSamples;
    if (image.bits == 16 && kSwapSamples) {
      // The codec swaps a copy of the row; the samples are left as they are.
      png_write_row(png, reinterpret_cast<png_const_bytep>(src));
      continue;
    }
    if (image.bits == 8) {
      for (size_t i = 0; i < rowSamples; ++i) row[i] = uint8_t(src[i] > 255 ? 255 : src[i]);
    } else {
      for (size_t i = 0; i < rowSamples; ++i) {  // PNG stores 16-bit samples big-endian
        row[2 * i] = uint8_t(src[i] >> 8);
        row[2 * i + 1] = uint8_t(src[i]);
      }
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file.release()) != 0) {
    std::string why = reason();
    PLAbandonReplacement(&replacement);
    *error = "cannot write " + path + ": " + why;
    return false;
  }
  if (PLCommitReplacement(&replacement) != kQVNoErr) {
    *error = "cannot write " + path + ": " + reason();
    return false;
  }
  return true;
}
