// Gallery pictures drawn by the program.
#include "app/library/gallery_icons.h"

#include <algorithm>
#include <cmath>

#include "app/library/gallery_model.h"
#include "app/library/reference_images.h"
#include "app/state/view_state.h"
#include "app/views/central_update.h"
#include "app/views/pictures.h"
#include "core/frame_buffer.h"
#include "core/pixel_transfer.h"
#include "core/processing_tables.h"
#include "core/task_pool.h"
#include "platform/ui/ui_draw.h"

namespace {

constexpr int32_t kIconSize = 128;

TKImage* NewPicture(int32_t width, int32_t height) { return TKImageCreate(std::max(1, width), std::max(1, height)); }

// A folder: tab and body in the interface's blue.
std::shared_ptr<TKImage> DrawFolder() {
  TKImage* image = NewPicture(kIconSize, kIconSize);
  if (!image) return nullptr;
  TKContext* ctx = TKBeginDrawing(image);
  TKSetFillColor(ctx, TKColor{0.36, 0.60, 0.86, 1});
  TKFillRoundRect(ctx, TKRect{22, 8, 44, 58}, 6);
  TKSetFillColor(ctx, TKColor{0.45, 0.70, 0.94, 1});
  TKFillRoundRect(ctx, TKRect{34, 8, 112, 120}, 8);
  TKSetStrokeColor(ctx, TKColor{0.25, 0.45, 0.70, 1});
  TKSetLineWidth(ctx, 3);
  TKFrameRoundRect(ctx, TKRect{34, 8, 112, 120}, 8);
  TKEndDrawing(ctx);
  return GalleryShareImage(image);
}

// A preset: a page with three curves, red, green and blue.
std::shared_ptr<TKImage> DrawPreset() {
  TKImage* image = NewPicture(kIconSize, kIconSize);
  if (!image) return nullptr;
  TKContext* ctx = TKBeginDrawing(image);
  TKSetFillColor(ctx, TKColor{0.97, 0.97, 0.95, 1});
  TKFillRoundRect(ctx, TKRect{8, 20, 120, 108}, 6);
  TKSetStrokeColor(ctx, TKColor{0.45, 0.45, 0.45, 1});
  TKSetLineWidth(ctx, 3);
  TKFrameRoundRect(ctx, TKRect{8, 20, 120, 108}, 6);
  const TKColor colours[3] = {{0.85, 0.2, 0.2, 1}, {0.2, 0.7, 0.25, 1}, {0.2, 0.35, 0.9, 1}};
  for (int c = 0; c < 3; ++c) {
    TKSetStrokeColor(ctx, colours[c]);
    TKBeginPath(ctx);
    for (int x = 0; x <= 70; x += 5) {
      double t = x / 70.0;
      double y = 100 - 80 * std::pow(t, 0.6 + 0.4 * c);
      if (x == 0) TKMoveTo(ctx, 29 + x, y);
      else TKLineTo(ctx, 29 + x, y);
    }
    TKStrokePath(ctx);
  }
  TKEndDrawing(ctx);
  return GalleryShareImage(image);
}

// The sample the presets are shown on: a sky, a warm foreground, a grey
// ramp and three colour patches, so that every kind of correction shows.
TKImage* SamplePicture(int32_t width, int32_t height) {
  TKImage* image = NewPicture(width, height);
  if (!image) return nullptr;
  uint8_t* pixels = TKImagePixels(image);
  const int32_t rowBytes = TKImageRowBytes(image);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      double u = double(x) / std::max(1, width - 1), v = double(y) / std::max(1, height - 1);
      double r, g, b;
      if (v < 0.45) {
        r = 0.35 + 0.3 * v, g = 0.55 + 0.3 * v, b = 0.85;
      } else if (v < 0.8) {
        r = 0.75 - 0.3 * u, g = 0.5 - 0.1 * u, b = 0.3;
        if (u > 0.6 && u < 0.72) r = 0.9, g = 0.2, b = 0.2;
        if (u > 0.74 && u < 0.86) r = 0.2, g = 0.75, b = 0.25;
        if (u > 0.88) r = 0.2, g = 0.3, b = 0.85;
      } else {
        r = g = b = u;
      }
      uint8_t* p = pixels + y * rowBytes + x * 4;
      p[0] = uint8_t(std::lround(b * 255));
      p[1] = uint8_t(std::lround(g * 255));
      p[2] = uint8_t(std::lround(r * 255));
      p[3] = 255;
    }
  }
  TKImageMarkDirty(image);
  return image;
}

}  // namespace

std::shared_ptr<TKImage> GalleryShareImage(TKImage* image) {
  if (!image) return nullptr;
  return std::shared_ptr<TKImage>(image, [](TKImage* i) { TKImageDispose(i); });
}

std::shared_ptr<TKImage> GalleryFolderIcon() {
  static std::weak_ptr<TKImage> shared;
  std::shared_ptr<TKImage> icon = shared.lock();
  if (!icon) shared = icon = DrawFolder();
  return icon;
}

std::shared_ptr<TKImage> GalleryPresetIcon() {
  static std::weak_ptr<TKImage> shared;
  std::shared_ptr<TKImage> icon = shared.lock();
  if (!icon) shared = icon = DrawPreset();
  return icon;
}

void GalleryFitSize(int32_t sourceWidth, int32_t sourceHeight, int32_t maxWidth, int32_t maxHeight, int32_t* width,
                    int32_t* height) {
  if (sourceWidth <= 0 || sourceHeight <= 0) {
    *width = maxWidth;
    *height = maxHeight;
    return;
  }
  if (sourceWidth > sourceHeight) {
    *width = maxWidth;
    *height = std::max(1, int32_t(int64_t(maxWidth) * sourceHeight / sourceWidth));
    if (*height > maxHeight) {
      *height = maxHeight;
      *width = std::max(1, int32_t(int64_t(maxHeight) * sourceWidth / sourceHeight));
    }
  } else {
    *height = maxHeight;
    *width = std::max(1, int32_t(int64_t(maxHeight) * sourceWidth / sourceHeight));
  }
}

std::shared_ptr<TKImage> GalleryFileThumbnail(const QVFileRef* file, bool movie, int32_t* sourceWidth,
                                              int32_t* sourceHeight) {
  TKImage* thumb = nullptr;
  int32_t h = 0, w = 0;
  MediaThumbnailInfo info{};
  if (CreateMediaThumbnail(file, nullptr, 54, 64, movie, &h, &w, &thumb, nullptr, &info) != kQVNoErr || !thumb)
    return nullptr;
  if (sourceWidth) *sourceWidth = int32_t(info.width);
  if (sourceHeight) *sourceHeight = int32_t(info.height);
  return GalleryShareImage(thumb);
}

std::shared_ptr<TKImage> GalleryFileIcon(const QVFileRef* file, bool movie, int32_t* sourceWidth,
                                         int32_t* sourceHeight) {
  TKImage* thumb = nullptr;
  int32_t th = 0, tw = 0;
  MediaThumbnailInfo info{};
  if (CreateMediaThumbnail(file, nullptr, kIconSize, kIconSize, movie, &th, &tw, &thumb, nullptr, &info) != kQVNoErr ||
      !thumb)
    return nullptr;
  const int32_t w = int32_t(info.width), h = int32_t(info.height);
  if (sourceWidth) *sourceWidth = w;
  if (sourceHeight) *sourceHeight = h;
  // Landscape sources give a shorter icon; square and portrait ones fill a square.
  const int32_t iconHeight = (w > h && w > 0) ? std::max(1, int32_t(int64_t(kIconSize) * h / w)) : kIconSize;
  TKImage* icon = NewPicture(kIconSize, iconHeight);
  if (icon) {
    int32_t fw = 0, fh = 0;
    GalleryFitSize(TKImageWidth(thumb), TKImageHeight(thumb), kIconSize, iconHeight, &fw, &fh);
    TKContext* ctx = TKBeginDrawing(icon);
    const int32_t left = (kIconSize - fw) / 2, top = (iconHeight - fh) / 2;
    TKDrawImage(ctx, thumb, nullptr, TKRect{top, left, top + fh, left + fw}, true);
    TKEndDrawing(ctx);
  }
  TKImageDispose(thumb);
  return GalleryShareImage(icon);
}

std::shared_ptr<TKImage> GalleryPresetThumbnail(const VL_SettingsStruct* preset) {
  constexpr int32_t kSampleWidth = 64, kSampleHeight = 42;
  TKImage* sample = SamplePicture(kSampleWidth, kSampleHeight);
  if (!sample || !preset) {
    if (sample) TKImageDispose(sample);
    return nullptr;
  }
  FBFrameStruct* frame = nullptr;
  std::shared_ptr<TKImage> result;
  if (FBCreateRGBFrameBuffer(uint32_t(kSampleWidth), uint32_t(kSampleHeight), &frame, kFBPixFormatPlanarFloat) ==
      kQVNoErr) {
    FBTransferPixToFBFrame(TKImagePixels(sample), uint32_t(TKImageRowBytes(sample)), 0, kFBPixFormat32ARGB, frame,
                           gNumProcessors, &gVLMPMaster);
    if (ProcessFrameWithSettings(frame, frame, preset) == kQVNoErr && ConvertFrameToPicture(frame, sample) == kQVNoErr) {
      TKContext* ctx = TKBeginDrawing(sample);
      TKSetStrokeColor(ctx, TKColor{0.1, 0.1, 0.1, 1});
      TKFrameRect(ctx, TKRect{0, 0, kSampleHeight, kSampleWidth});
      TKEndDrawing(ctx);
      result = GalleryShareImage(sample);
      sample = nullptr;
    }
    FBDisposeFrameBuffer(frame);
  }
  if (sample) TKImageDispose(sample);
  // The tables belong to the working record again.
  // Tables that cannot be built keep the last ones; the next change tries again.
  QVIgnoreStatus(VL_UpdateProcessingTables(&gUISettings));
  return result;
}
