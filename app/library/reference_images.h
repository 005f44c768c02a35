// Still images and movie frames loaded from files, as the frame to correct
// (the source) or as the reference image to compare against; the reference
// image (or any picture) saved as a JPEG file; and the thumbnails the gallery
// shows. Files are read through the media library; JPEG files are written
// through libjpeg-turbo, through the main image pane's display LUT when it
// shows one, so the file looks as the pane does.
#pragma once

#include <cstdint>

#include "core/frame_buffer.h"
#include "media/media_file.h"
#include "platform/file_ref.h"
#include "platform/fourcc.h"
#include "platform/status.h"

struct TKControl;
struct TKImage;

// The open mode of image files: a single image (never a sequence), not kept
// in the frame cache.
constexpr uint8_t kReferenceOpenMode = kQVMediaOpenSingleImage | kQVMediaOpenNotCacheable;

// Loads the first frame of the file at path. As source it becomes the frame
// to correct (its size the new frame size, the linearization, when given,
// the new input linearization); as reference it is drawn, scaled, into
// *picture (made at the file's size when *picture is null). With mediaSlot
// the media reference stays open there (a slot holding an older reference
// has it closed first) and the frame can be reloaded from it later; without
// one the file is closed again. 0, -43 (kQVErrFileNotFound) when the file
// cannot be opened or its kind is not supported, or the first failing status.
QVStatus LoadImageFileFromPath(const char* path, TKImage** picture, QVMediaFileRef** mediaSlot, bool asSource,
                               const uint32_t* linearization);
QVStatus LoadImageFileFromFSRef(const QVFileRef* file, TKImage** picture, QVMediaFileRef** mediaSlot,
                                bool asSource, const uint32_t* linearization);
// The "Import Image" open panel, then LoadImageFileFromPath with the
// current input linearization; the chosen file in *fileOut when given.
QVStatus ImportImageFile(TKImage** picture, QVMediaFileRef** mediaSlot, QVFileRef* fileOut, bool asSource);

// The source media loaded with a slot: its current frame read again into
// the source frame, linearized, and the result reprocessed.
QVStatus ReloadCurrentSourceFrame();
// The reference media loaded with a slot: its current frame drawn into the
// reference picture and the panes redrawn.
QVStatus ReloadReferenceFrame();
// The media references held by the loaders (null when none).
QVMediaFileRef* SourceMedia();
QVMediaFileRef* ReferenceMedia();
// Takes a reference as the loaded source or reference media (closing the
// one held before, unless it is the same).
void SetSourceMedia(QVMediaFileRef* ref);
void SetReferenceMedia(QVMediaFileRef* ref);
// Closes both.
void CloseLoadedMedia();

// With a media reference: its current frame read into frame. The frame is
// then transferred into picture (format 32 bytes, the picture's own) and the
// input linearization applied to it; a pane given is redrawn.
QVStatus ImportMediaFrameToGWorld(QVMediaFileRef* ref, TKImage* picture, FBFrameStruct* frame, TKControl* pane);

// What a thumbnail says about its file.
struct MediaThumbnailInfo {
  char name[64];           // "Unsupported Media Format" when unreadable
  bool unsupported;        // the file could not be read
  bool unsupportedFormat;  // ... because of its format
  uint32_t width, height;  // the media's own size (0 when unreadable)
};
// A thumbnail fitted inside a box of boxWidth x boxHeight with the media's
// proportions: landscape takes the box width, portrait the box height, a
// square the smaller side. Uses ref when given (left open), else opens the
// file (mode 2 for a movie, 10 otherwise) and closes it again. An unreadable
// file gives the box-sized placeholder and 0. *picture is a new picture the
// caller disposes; *framed, when asked, a copy with a one-pixel black frame.
QVStatus CreateMediaThumbnail(const QVFileRef* file, QVMediaFileRef* ref, int32_t boxHeight, int32_t boxWidth,
                              bool movie, int32_t* heightOut, int32_t* widthOut, TKImage** picture,
                              TKImage** framed, MediaThumbnailInfo* info);
// The size of such a thumbnail for media of w x h.
void ThumbnailSize(uint32_t w, uint32_t h, int32_t boxHeight, int32_t boxWidth, int32_t* height, int32_t* width);

// Writes the picture as an image file named name in folder, through the main
// pane's display LUT when it shows one. Only the 'JPEG' exporter is known
// (codec 'jpeg', depth 24; quality 0 to 1023 as the exporter's scale, 1023 the
// best). The file is written beside its place and renamed over it. 0, or the
// failing status after the application's save-failure alert naming the file.
constexpr uint32_t kImageExporterJPEG = QVFourCC("JPEG");
constexpr uint32_t kImageCodecJPEG = QVFourCC("jpeg");
QVStatus ExportGWorldToImageFile(TKImage* picture, const QVFileRef* folder, const char* name, uint32_t subtype,
                                 uint32_t codec, int32_t depth, int32_t quality, const void* settings);
// The same with an explicit display LUT (256 red, 256 green, 256 blue; null
// for none) and no alert.
QVStatus WriteJPEGImageFile(TKImage* picture, const char* path, const uint8_t* lut, int32_t quality);

// The "Save Reference Image" panel (default name the given one or "Untitled
// Ref Image"), then the picture written as a best-quality JPEG; the new
// file's reference in *fileOut when given.
QVStatus SaveReferenceImage(TKImage* picture, QVFileRef* fileOut, const char* defaultName);
