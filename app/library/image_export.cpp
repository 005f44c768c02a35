// Pictures written as JPEG files through libjpeg-turbo: the picture's pixels
// (through the main image pane's display LUT when it shows one) as 8-bit RGB
// with full-resolution colour, compressed in memory and put in place of the
// file through a temporary file beside it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "app/library/reference_images.h"
#include "app/state/save_failure.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "platform/file_contents.h"
#include "platform/ui/ui_draw.h"

namespace {

struct JPEGError {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void OnJPEGError(j_common_ptr info) {
  JPEGError* e = reinterpret_cast<JPEGError*>(info->err);
  std::longjmp(e->jump, 1);
}

// The exporter's quality scale (0 to 1024, 1023 the best lossy) as a
// libjpeg quality (1 to 100).
int JPEGQuality(int32_t quality) {
  const int q = int((int64_t(quality < 0 ? 0 : quality) * 100 + 512) / 1024);
  return q < 1 ? 1 : q > 100 ? 100 : q;
}

// The picture as rows of R, G, B bytes, through the LUT when given.
std::vector<uint8_t> RGBRows(TKImage* picture, const uint8_t* lut) {
  const int32_t w = TKImageWidth(picture), h = TKImageHeight(picture);
  std::vector<uint8_t> rgb(size_t(w) * 3 * size_t(h));
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t v = TKImageGetPixel(picture, x, y);
      uint8_t* p = &rgb[(size_t(y) * w + x) * 3];
      p[0] = uint8_t(v >> 16);
      p[1] = uint8_t(v >> 8);
      p[2] = uint8_t(v);
      if (lut) {
        p[0] = lut[p[0]];
        p[1] = lut[256 + p[1]];
        p[2] = lut[512 + p[2]];
      }
    }
  return rgb;
}

// Compresses into bytes; false when the library reports an error.
bool Compress(const std::vector<uint8_t>& rgb, int32_t w, int32_t h, int quality, std::vector<uint8_t>* out) {
  jpeg_compress_struct info;
  JPEGError error;
  info.err = jpeg_std_error(&error.base);
  error.base.error_exit = OnJPEGError;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  if (setjmp(error.jump)) {
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = JDIMENSION(w);
  info.image_height = JDIMENSION(h);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  // Full-resolution colour: the reference is compared pixel by pixel.
  for (int c = 0; c < info.num_components; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&rgb[size_t(info.next_scanline) * size_t(w) * 3]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  out->assign(buffer, buffer + size);
  std::free(buffer);
  return true;
}

// The display LUT of the main image pane, when it shows one.
const uint8_t* MainPaneLUT() { return ImagePaneGetActiveLUT(GetViewPane(kPaneResult)); }

}  // namespace

QVStatus WriteJPEGImageFile(TKImage* picture, const char* path, const uint8_t* lut, int32_t quality) {
  if (!picture || !path || !*path) return kQVErrParam;
  const int32_t w = TKImageWidth(picture), h = TKImageHeight(picture);
  if (w <= 0 || h <= 0 || w > JPEG_MAX_DIMENSION || h > JPEG_MAX_DIMENSION) return kQVErrParam;
  std::vector<uint8_t> bytes;
  if (!Compress(RGBRows(picture, lut), w, h, JPEGQuality(quality), &bytes)) return kQVErrIO;
  return PLReplaceFileContents(path, bytes.data(), bytes.size());
}

QVStatus ExportGWorldToImageFile(TKImage* picture, const QVFileRef* folder, const char* name, uint32_t subtype,
                                 uint32_t codec, int32_t depth, int32_t quality, const void* settings) {
  (void)settings;  // the exporter's settings are the arguments themselves
  const std::string path = (folder ? std::string(folder->path) + "/" : std::string()) + (name ? name : "");
  QVStatus status = kQVNoErr;
  if (!picture || !folder || !name || !*name) status = kQVErrParam;
  else if (subtype != kImageExporterJPEG || codec != kImageCodecJPEG || (depth != 24 && depth != 32))
    status = kQVErrUnimplemented;
  if (status == kQVNoErr) status = WriteJPEGImageFile(picture, path.c_str(), MainPaneLUT(), quality);
  UIReportSaveFailure(path, status);
  return status;
}
