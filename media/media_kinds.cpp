// The file-kind table: extension (and the file type the files of other
// systems carry; files here have none, so the placeholder never matches)
// to the kind text shown to the user, and whether the kind is a movie.
#include <strings.h>

#include <cstring>

#include "media/media_internal.h"
#include "platform/fourcc.h"

namespace media {

namespace {

constexpr uint32_t kNoType = QVFourCC("xx?x");

const KindRow kKinds[] = {
    {QVFourCC("MooV"), "mov", "QuickTime Movie", true},
    {QVFourCC("AVIC"), "avi", "AVI Movie", true},
    {kNoType, "mp4", "MPEG-4 Movie", true},
    {kNoType, "m4v", "MPEG-4 Movie", true},
    {kNoType, "mxf", "MXF Movie", true},
    {kNoType, "mkv", "Matroska Movie", true},
    {kNoType, "cine", "Phantom Cine", true},
    {kNoType, "ari", "ARRIRAW Footage", true},
    {kNoType, "zrx", "Zrn", false},
    {kNoType, "zrn", "Zrn", false},
    {QVFourCC("PICT"), "pct", "PICT", false},
    {QVFourCC("PICT"), "pict", "PICT", false},
    {QVFourCC("TIFF"), "tif", "TIFF", false},
    {QVFourCC("TIFF"), "tiff", "TIFF", false},
    {QVFourCC("PNTG"), "pnt", "MacPaint", false},
    {QVFourCC("QTIF"), "qt", "QuickTime Image", false},
    {QVFourCC("TPIC"), "tga", "Targa", false},
    {QVFourCC("BMPf"), "bmp", "BMP", false},
    {QVFourCC("PNGf"), "png", "PNG", false},
    {QVFourCC("8BPS"), "psd", "Photoshop", false},
    {QVFourCC(".SGI"), "sgi", "SGI", false},
    {QVFourCC("JPEG"), "jpg", "JPEG", false},
    {QVFourCC("JFIF"), "jpeg", "JPEG", false},
    {QVFourCC("jp2 "), "jp2", "JPEG 2000", false},
    {QVFourCC("PDF "), "pdf", "Portable Document Format", false},
    {kNoType, "cin", "Cineon", false},
    {kNoType, "dpx", "DPX", false},
    {kNoType, "exr", "OpenEXR", false},
    {QVFourCC("WAVE"), "wav", "Broadcast Wave Format", false},
    {QVFourCC("WAVE"), "bwf", "Broadcast Wave Format", false},
};

}  // namespace

const KindRow* FindKind(const char* extension) {
  for (const KindRow& row : kKinds)
    if (strcasecmp(row.extension, extension) == 0) return &row;
  return nullptr;
}

const char* PathExtension(const char* path) {
  const char* name = std::strrchr(path, '/');
  name = name ? name + 1 : path;
  const char* dot = std::strrchr(name, '.');
  return dot ? dot + 1 : name + std::strlen(name);
}

bool ExtensionIs(const char* path, const char* extension) {
  return strcasecmp(PathExtension(path), extension) == 0;
}

}  // namespace media
