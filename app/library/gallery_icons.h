// The pictures of the gallery's rows and information panel, drawn by the
// program: the folder and preset icons, a file's icon from its thumbnail,
// the sample picture that shows what a preset does, and the placeholder of
// a file whose media cannot be read.
#pragma once

#include <cstdint>
#include <memory>

#include "core/settings_record.h"
#include "platform/file_ref.h"

struct TKImage;

std::shared_ptr<TKImage> GalleryFolderIcon();
std::shared_ptr<TKImage> GalleryPresetIcon();
// A 128-pixel icon from the file's thumbnail (128 x 128 x height / width for
// a landscape source, else 128 x 128); the source size is reported. A file
// without a thumbnail gets the placeholder.
std::shared_ptr<TKImage> GalleryFileIcon(const QVFileRef* file, int32_t* sourceWidth, int32_t* sourceHeight);
// The size of a thumbnail fitted into maxWidth x maxHeight (landscape by
// width, portrait and square by height).
void GalleryFitSize(int32_t sourceWidth, int32_t sourceHeight, int32_t maxWidth, int32_t maxHeight, int32_t* width,
                    int32_t* height);
// The sample picture processed through a preset (64 wide for a landscape
// picture, 54 high otherwise), with a one-pixel frame; the processing
// tables are built from the working record again afterwards. Null on failure.
std::shared_ptr<TKImage> GalleryPresetThumbnail(const VL_SettingsStruct* preset);
// The grey "Unsupported Media Format" placeholder of the given size.
std::shared_ptr<TKImage> GalleryPlaceholder(int32_t width, int32_t height);
// Shares an image with the toolkit's disposal.
std::shared_ptr<TKImage> GalleryShareImage(TKImage* image);
