// JPEG and TIFF frames of the image-sequence jobs. A JPEG is 8-bit RGB
// (libjpeg-turbo, 4:4:4 at the job's quality) made in memory; a TIFF is
// 16-bit RGB, uncompressed, one strip per row group (libtiff). Either goes
// to a temporary file beside its name, synced, and is renamed into place, so
// a failed or cancelled frame never leaves a half-written file.

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

extern "C" {
#include <jpeglib.h>
#include <tiffio.h>
}

#include "media/output_internal.h"
#include "platform/file_contents.h"

namespace media {

namespace {

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void JpegFail(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }
void JpegQuiet(j_common_ptr, int) {}

// The JPEG bytes of 8-bit RGB rows, in *out (malloc'd); false on failure.
// Holds no object with a destructor across the jump.
bool EncodeJpeg(const uint8_t* rows, uint32_t width, uint32_t height, int quality, unsigned char** out,
                unsigned long* size) {
  jpeg_compress_struct info;
  JpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JpegFail;
  error.manager.emit_message = JpegQuiet;
  *out = nullptr;
  *size = 0;
  if (setjmp(error.jump)) {
    jpeg_destroy_compress(&info);
    std::free(*out);
    *out = nullptr;
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, out, size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  for (int c = 0; c < 3; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < height) {
    JSAMPROW row = const_cast<JSAMPROW>(rows + size_t(info.next_scanline) * width * 3);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

uint32_t WriteJpeg(const FBFrameStruct* frame, const char* path, int quality) {
  std::vector<uint8_t> rows(size_t(frame->width) * frame->height * 3);
  PlanarToRGB8(frame, rows.data(), size_t(frame->width) * 3);
  unsigned char* bytes = nullptr;
  unsigned long size = 0;
  if (!EncodeJpeg(rows.data(), frame->width, frame->height, quality, &bytes, &size)) return QVMediaErr_ExportFailed;
  const QVStatus err = PLReplaceFileContents(path, bytes, size);
  std::free(bytes);
  return err == kQVNoErr ? QVMediaErr_NoErr : QVMediaErr_ExportFailed;
}

void TiffQuiet(const char*, const char*, va_list) {}

uint32_t WriteTiff(const FBFrameStruct* frame, const char* path) {
  TIFFSetErrorHandler(TiffQuiet);
  TIFFSetWarningHandler(TiffQuiet);
  PLReplacement file;
  if (PLBeginReplacement(path, 0644, &file) != kQVNoErr) return QVMediaErr_ExportFailed;
  // libtiff closes the descriptor it is given: hand it a copy.
  const int fd = dup(file.fd);
  TIFF* tiff = fd >= 0 ? TIFFFdOpen(fd, file.temp.c_str(), "w") : nullptr;
  if (!tiff) {
    if (fd >= 0) close(fd);
    PLAbandonReplacement(&file);
    return QVMediaErr_ExportFailed;
  }
  const uint32_t width = frame->width, height = frame->height;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
  std::vector<uint16_t> rows(size_t(width) * height * 3);
  PlanarToRGB16(frame, rows.data(), size_t(width) * 6, false);
  bool ok = true;
  for (uint32_t y = 0; ok && y < height; ++y) ok = TIFFWriteScanline(tiff, rows.data() + size_t(y) * width * 3, y, 0) == 1;
  if (ok) ok = TIFFFlush(tiff) == 1;
  TIFFClose(tiff);
  if (!ok) {
    PLAbandonReplacement(&file);
    return QVMediaErr_ExportFailed;
  }
  return PLCommitReplacement(&file) == kQVNoErr ? QVMediaErr_NoErr : QVMediaErr_ExportFailed;
}

}  // namespace

uint32_t WriteStillImage(const FBFrameStruct* frame, const char* path, uint32_t kind, int quality) {
  if (!frame || frame->pixelFormat != kFBPixFormatPlanarFloat || !path) return QVMediaErr_ParameterError;
  if (kind == QVFourCC("JPEG")) return WriteJpeg(frame, path, quality);
  if (kind == QVFourCC("TIFF")) return WriteTiff(frame, path);
  return QVMediaErr_ParameterError;
}

}  // namespace media
