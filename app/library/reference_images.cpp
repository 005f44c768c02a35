// Loading still images and movie frames from files as the source frame or as
// the reference image, and the gallery's thumbnails.
#include "app/library/reference_images.h"

#include <cstring>
#include <memory>
#include <new>

#include "app/controls/input_linearization.h"
#include "app/state/service_hooks.h"
#include "app/state/shell_links.h"
#include "app/state/ui_state.h"
#include "app/views/central_update.h"
#include "app/views/image_pane.h"
#include "core/pixel_transfer.h"
#include "media/frame_cache.h"
#include "platform/ui/ui_draw.h"
#include "settings/file_panels.h"

namespace {

struct FrameDisposer {
  void operator()(FBFrameStruct* f) const { FBDisposeFrameBuffer(f); }
};
using FramePtr = std::unique_ptr<FBFrameStruct, FrameDisposer>;

QVMediaFileRef* gSourceMedia = nullptr;
QVMediaFileRef* gReferenceMedia = nullptr;

void Close(QVMediaFileRef** ref) {
  if (*ref) QVMediaCloseFile(ref);
  *ref = nullptr;
}

// The reference's current frame as a planar float frame at its own size.
QVStatus ReadFrame(QVMediaFileRef* ref, FramePtr* out) {
  uint32_t w = 0, h = 0;
  if (QVMediaErr err = QVMediaGetImageSize(ref, &w, &h)) return QVMediaStatusOf(err);
  FBFrameStruct* f = nullptr;
  if (QVStatus status = FBCreateRGBFrameBuffer(w, h, &f, kFBPixFormatPlanarFloat)) return status;
  out->reset(f);
  return QVMediaStatusOf(QVMediaFetchFrame(ref, f));
}

QVStatus LoadAsSource(QVMediaFileRef* ref, const uint32_t* linearization) {
  FramePtr frame;
  if (QVStatus status = ReadFrame(ref, &frame)) return status;
  if (!UIShell().importSourceFrame) return kQVErrUnimplemented;
  return UIShell().importSourceFrame(frame.get(), linearization);
}

QVStatus LoadAsReference(QVMediaFileRef* ref, TKImage** picture) {
  if (!*picture) {
    uint32_t w = 0, h = 0;
    if (QVMediaErr err = QVMediaGetImageSize(ref, &w, &h)) return QVMediaStatusOf(err);
    *picture = TKImageCreate(int32_t(w), int32_t(h));
    if (!*picture) return kQVErrMemory;
  }
  return QVMediaStatusOf(QVMediaDrawFrameToGWorld(ref, *picture));
}

void RedrawReferencePanes() {
  DrawOrInvalidateImagePane(GetViewPane(kPaneReference), true);
  DrawOrInvalidateImagePane(GetViewPane(kPaneReferenceAnalysis), true);
  RedrawImagePanes(true);
}

// The placeholder of a file that cannot be read: mid grey with a cross.
void DrawPlaceholder(TKImage* picture) {
  TKContext* ctx = TKBeginDrawing(picture);
  const int32_t w = TKImageWidth(picture), h = TKImageHeight(picture);
  TKClear(ctx, TKColor{0.35, 0.35, 0.35, 1});
  TKSetStrokeColor(ctx, TKColorRGB(0.55, 0.55, 0.55));
  TKBeginPath(ctx);
  TKMoveTo(ctx, 0, 0);
  TKLineTo(ctx, w, h);
  TKMoveTo(ctx, w, 0);
  TKLineTo(ctx, 0, h);
  TKStrokePath(ctx);
  TKEndDrawing(ctx);
}

TKImage* FramedCopy(TKImage* picture) {
  const int32_t w = TKImageWidth(picture), h = TKImageHeight(picture);
  TKImage* framed = TKImageCreate(w, h);
  if (!framed) return nullptr;
  TKContext* ctx = TKBeginDrawing(framed);
  TKClear(ctx, TKColor{1, 1, 1, 1});
  TKDrawImage(ctx, picture, nullptr, TKMakeRect(0, 0, w, h), true);
  TKSetStrokeColor(ctx, TKColorRGB(0, 0, 0));
  TKFrameRect(ctx, TKMakeRect(0, 0, w, h));
  TKEndDrawing(ctx);
  return framed;
}

}  // namespace

QVMediaFileRef* SourceMedia() { return gSourceMedia; }
QVMediaFileRef* ReferenceMedia() { return gReferenceMedia; }

void SetSourceMedia(QVMediaFileRef* ref) {
  if (gSourceMedia != ref) Close(&gSourceMedia);
  gSourceMedia = ref;
}

void SetReferenceMedia(QVMediaFileRef* ref) {
  if (gReferenceMedia != ref) Close(&gReferenceMedia);
  gReferenceMedia = ref;
}

void CloseLoadedMedia() {
  Close(&gSourceMedia);
  Close(&gReferenceMedia);
}

QVStatus LoadImageFileFromPath(const char* path, TKImage** picture, QVMediaFileRef** mediaSlot, bool asSource,
                               const uint32_t* linearization) {
  if (!path || (!asSource && !picture)) return kQVErrParam;
  QVMediaFileRef* ref = nullptr;
  const QVMediaErr opened = QVMediaOpenPath(path, &ref, mediaSlot ? 0 : kReferenceOpenMode);
  if (opened == QVMediaErr_FileNotFound || opened == QVMediaErr_UnsupportedMediaType) return kQVErrFileNotFound;
  if (opened != QVMediaErr_NoErr) return QVMediaStatusOf(opened);
  if (!QVMediaHasVideo(ref)) {
    QVMediaCloseFile(&ref);
    return kQVErrFileNotFound;
  }
  QVMediaSetCurrentFrame(ref, 0);
  const QVStatus status = asSource ? LoadAsSource(ref, linearization) : LoadAsReference(ref, picture);
  if (status != kQVNoErr || !mediaSlot) {
    QVMediaCloseFile(&ref);
    return status;
  }
  if (*mediaSlot && *mediaSlot != ref) Close(mediaSlot);
  *mediaSlot = ref;
  if (!asSource) RedrawReferencePanes();
  return kQVNoErr;
}

QVStatus LoadImageFileFromFSRef(const QVFileRef* file, TKImage** picture, QVMediaFileRef** mediaSlot,
                                bool asSource, const uint32_t* linearization) {
  if (!file || !file->path[0]) return kQVErrFileNotFound;
  return LoadImageFileFromPath(file->path, picture, mediaSlot, asSource, linearization);
}

QVStatus ImportImageFile(TKImage** picture, QVMediaFileRef** mediaSlot, QVFileRef* fileOut, bool asSource) {
  static const QVFileTypeListEntry kImages[] = {
      {QVFourCC("????"), ".*", "Images", nullptr},
      {0, nullptr, nullptr, nullptr},
  };
  QVFileRef file;
  if (QVStatus status = QVGetFileSelectionSingle(&file, "Import Image", "Import", nullptr, int32_t(QVFourCC("LdFi")),
                                                 kImages))
    return status;
  if (fileOut) *fileOut = file;
  return LoadImageFileFromFSRef(&file, picture, mediaSlot, asSource, gUILinearization);
}

QVStatus ReloadCurrentSourceFrame() {
  if (!gSourceMedia) return kQVErrParam;
  return LoadAsSource(gSourceMedia, nullptr);
}

QVStatus ReloadReferenceFrame() {
  if (!gReferenceMedia || !gReferenceGWorld) return kQVErrParam;
  const QVStatus status = QVMediaStatusOf(QVMediaDrawFrameToGWorld(gReferenceMedia, gReferenceGWorld));
  if (status == kQVNoErr) RedrawReferencePanes();
  return status;
}

QVStatus ImportMediaFrameToGWorld(QVMediaFileRef* ref, TKImage* picture, FBFrameStruct* frame, TKControl* pane) {
  if (!frame) return kQVErrParam;
  if (ref) {
    if (QVStatus status = QVMediaStatusOf(QVMediaFetchFrame(ref, frame))) return status;
  }
  if (picture && TKImageWidth(picture) == int32_t(frame->width) && TKImageHeight(picture) == int32_t(frame->height)) {
    FBTransferFBFrameToPix(frame, TKImagePixels(picture), uint32_t(TKImageRowBytes(picture)), kFBPixFormat32ARGB, 1,
                           nullptr);
    TKImageMarkDirty(picture);
  }
  ApplyInputLinearizationWords(frame, gUILinearization);
  if (pane) DrawOrInvalidateImagePane(pane, true);
  return kQVNoErr;
}

void ThumbnailSize(uint32_t w, uint32_t h, int32_t boxHeight, int32_t boxWidth, int32_t* height, int32_t* width) {
  if (w > h) {
    *width = boxWidth;
    *height = int32_t(int64_t(boxWidth) * h / w);
  } else if (w == h) {
    *width = *height = boxWidth < boxHeight ? boxWidth : boxHeight;
  } else {
    *height = boxHeight;
    *width = int32_t(int64_t(boxHeight) * w / h);
  }
  if (*width < 1) *width = 1;
  if (*height < 1) *height = 1;
}

QVStatus CreateMediaThumbnail(const QVFileRef* file, QVMediaFileRef* ref, int32_t boxHeight, int32_t boxWidth,
                              bool movie, int32_t* heightOut, int32_t* widthOut, TKImage** picture,
                              TKImage** framed, MediaThumbnailInfo* info) {
  if (boxHeight <= 0 || boxWidth <= 0 || boxHeight > 4096 || boxWidth > 4096) return kQVErrParam;
  MediaThumbnailInfo localInfo{};
  MediaThumbnailInfo& about = info ? *info : localInfo;
  about = MediaThumbnailInfo{};
  if (picture) *picture = nullptr;
  if (framed) *framed = nullptr;
  QVMediaFileRef* opened = nullptr;
  if (!ref && file) {
    const uint8_t mode = movie ? kQVMediaOpenNotCacheable : kQVMediaOpenNotCacheable | kQVMediaOpenSingleImage;
    if (QVMediaOpenFile(file, &opened, mode) == QVMediaErr_NoErr && QVMediaHasVideo(opened)) ref = opened;
  }
  uint32_t w = 0, h = 0;
  if (!ref || QVMediaGetImageSize(ref, &w, &h) != QVMediaErr_NoErr || w == 0 || h == 0) {
    if (opened) QVMediaCloseFile(&opened);
    TKImagePtr placeholder(TKImageCreate(boxWidth, boxHeight));
    if (!placeholder) return kQVErrMemory;
    DrawPlaceholder(placeholder.get());
    std::snprintf(about.name, sizeof about.name, "Unsupported Media Format");
    about.unsupported = about.unsupportedFormat = true;
    if (heightOut) *heightOut = boxHeight;
    if (widthOut) *widthOut = boxWidth;
    if (framed) *framed = FramedCopy(placeholder.get());
    if (picture) *picture = placeholder.release();
    return kQVNoErr;
  }
  about.width = w;
  about.height = h;
  int32_t tw = 0, th = 0;
  ThumbnailSize(w, h, boxHeight, boxWidth, &th, &tw);
  TKImagePtr thumb(TKImageCreate(tw, th));
  QVStatus status = thumb ? kQVNoErr : kQVErrMemory;
  if (status == kQVNoErr) {
    if (opened) {
      int64_t poster = 0;
      QVMediaGetPosterFrame(opened, &poster);
      QVMediaSetCurrentFrame(opened, poster);
    }
    status = QVMediaStatusOf(QVMediaDrawFrameToGWorld(ref, thumb.get()));
  }
  if (opened) QVMediaCloseFile(&opened);
  if (status != kQVNoErr) return status;
  if (heightOut) *heightOut = th;
  if (widthOut) *widthOut = tw;
  if (framed) *framed = FramedCopy(thumb.get());
  if (picture) *picture = thumb.release();
  return kQVNoErr;
}

QVStatus SaveReferenceImage(TKImage* picture, QVFileRef* fileOut, const char* defaultName) {
  if (!picture) return kQVErrParam;
  static const QVFileTypeListEntry kJPEG[] = {
      {QVFourCC("JPEG"), ".jpg", "JPEG", nullptr},
      {0, nullptr, nullptr, nullptr},
  };
  QVFileRef folder;
  std::string name;
  QVPutFileReply reply;
  QVStatus status = QVPutFileSelection(&folder, &name, &reply, "Save Reference Image", "Save", nullptr,
                                       int32_t(QVFourCC("SVIm")), "jpg",
                                       defaultName && *defaultName ? defaultName : "Untitled Ref Image", 0, kJPEG,
                                       "JPEG Images (*.jpg)");
  if (status != kQVNoErr) return status;
  // The new file replaces an old one of that name in one step.
  status = ExportGWorldToImageFile(picture, &folder, name.c_str(), kImageExporterJPEG, kImageCodecJPEG, 24, 1023,
                                   nullptr);
  // Releasing a reply cannot fail.
  QVIgnoreStatus(QVPutFileComplete(&reply));
  if (status == kQVNoErr && fileOut) {
    const std::string path = std::string(folder.path) + "/" + name;
    // The file was just written at this path: naming it cannot fail.
    QVIgnoreStatus(PLFileRefFromPath(path.c_str(), fileOut));
  }
  return status;
}
