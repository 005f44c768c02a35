// Off-screen 32-bit images and the 2D drawing context over them (cairo for
// shapes and images, pango for text). Pixels are premultiplied 32-bit words
// A<<24 | R<<16 | G<<8 | B in native order, which on this platform are the
// bytes B, G, R, A in memory: the 'BGRA' pixel format.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/ui_types.h"

struct TKImage;
struct TKContext;

constexpr uint32_t kTKPixelFormatARGB = 32;           // bytes A, R, G, B in memory
constexpr uint32_t kTKPixelFormatBGRA = 0x42475241;   // 'BGRA': bytes B, G, R, A

// Images. A new image is cleared to transparent black.
TKImage* TKImageCreate(int32_t width, int32_t height);
// An image drawing straight into caller memory in format 'BGRA' (rowBytes a
// multiple of 4). The memory must outlive the image.
TKImage* TKImageWrap(uint8_t* pixels, int32_t width, int32_t height, int32_t rowBytes);
void TKImageDispose(TKImage* image);
// Owns an image and disposes it when it goes.
struct TKImageDisposer {
  void operator()(TKImage* image) const { TKImageDispose(image); }
};
using TKImagePtr = std::unique_ptr<TKImage, TKImageDisposer>;
int32_t TKImageWidth(const TKImage* image);
int32_t TKImageHeight(const TKImage* image);
int32_t TKImageRowBytes(const TKImage* image);
uint8_t* TKImagePixels(TKImage* image);
// Tells the image that its pixels were written through TKImagePixels.
void TKImageMarkDirty(TKImage* image);
// The pixel at (x, y) as A<<24 | R<<16 | G<<8 | B; 0 outside the image.
uint32_t TKImageGetPixel(TKImage* image, int32_t x, int32_t y);
// Copies pixels in from or out to caller memory in format 32 or 'BGRA'.
QVStatus TKImageImport(TKImage* image, const uint8_t* src, int32_t rowBytes, uint32_t format);
QVStatus TKImageExport(TKImage* image, uint8_t* dst, int32_t rowBytes, uint32_t format);
QVStatus TKImageWritePNG(TKImage* image, const char* path);
// Null when the file cannot be read as a PNG.
TKImage* TKImageReadPNG(const char* path);

// Pictures by id: PNG files registered once, loaded on first use and kept,
// or images drawn by the program and handed over. Registering an id again
// replaces its picture.
QVStatus TKRegisterPicture(int32_t pictureID, const char* pngPath);
// kQVErrParam (and nothing registered) when image is null.
QVStatus TKRegisterPictureImage(int32_t pictureID, TKImagePtr image);
TKImage* TKGetPicture(int32_t pictureID);
void TKForgetPictures();

// Drawing contexts: one per drawing pass over an image.
TKContext* TKBeginDrawing(TKImage* image);
void TKEndDrawing(TKContext* ctx);
TKImage* TKContextImage(TKContext* ctx);

void TKSave(TKContext* ctx);
void TKRestore(TKContext* ctx);
void TKTranslate(TKContext* ctx, double dx, double dy);
// Switches to y-up coordinates with the origin at the bottom left of a
// height-pixel tall area, for drawing code written that way.
void TKFlipVertical(TKContext* ctx, double height);

void TKSetFillColor(TKContext* ctx, TKColor c);
void TKSetStrokeColor(TKContext* ctx, TKColor c);
void TKSetLineWidth(TKContext* ctx, double width);
void TKSetAntialias(TKContext* ctx, bool on);
// How drawing combines with what is there.
enum TKBlendMode : int32_t {
  kTKBlendNormal = 0,
  kTKBlendMultiply,
  kTKBlendScreen,
  kTKBlendOverlay,
  kTKBlendDarken,
  kTKBlendLighten,
  kTKBlendCopy,   // replaces, alpha included
  kTKBlendClear,  // erases to transparent
};
void TKSetBlendMode(TKContext* ctx, TKBlendMode mode);

void TKFillRect(TKContext* ctx, const TKRect& r);
// Strokes just inside the rectangle, so a 1-pixel frame covers its edge pixels.
void TKFrameRect(TKContext* ctx, const TKRect& r);
void TKFillRoundRect(TKContext* ctx, const TKRect& r, double radius);
void TKFrameRoundRect(TKContext* ctx, const TKRect& r, double radius);
void TKFillOval(TKContext* ctx, const TKRect& r);
void TKFrameOval(TKContext* ctx, const TKRect& r);
void TKDrawLine(TKContext* ctx, double x1, double y1, double x2, double y2);
// Clears to transparent (or to a colour) ignoring the clip's blending.
void TKClear(TKContext* ctx, TKColor c);

// Paths.
void TKBeginPath(TKContext* ctx);
void TKMoveTo(TKContext* ctx, double x, double y);
void TKLineTo(TKContext* ctx, double x, double y);
void TKArc(TKContext* ctx, double cx, double cy, double radius, double start, double end, bool clockwise);
void TKClosePath(TKContext* ctx);
void TKFillPath(TKContext* ctx);
void TKStrokePath(TKContext* ctx);

// Clipping: intersects the current clip (undone by TKRestore).
void TKClipRect(TKContext* ctx, const TKRect& r);

// Draws src (all of it, or srcRect) scaled into dst. smooth: bilinear,
// otherwise nearest pixel.
void TKDrawImage(TKContext* ctx, TKImage* src, const TKRect* srcRect, const TKRect& dst, bool smooth);
QVStatus TKDrawPicture(TKContext* ctx, int32_t pictureID, const TKRect& dst);

// Text. The family falls back through fontconfig to a sans-serif face.
struct TKFont {
  std::string family = "DejaVu Sans";
  double size = 12.0;
  bool bold = false;
  bool italic = false;
};
enum TKTextAlign : int32_t { kTKAlignLeft = 1, kTKAlignRight = 2, kTKAlignCenter = 3 };
struct TKTextMetrics {
  double width = 0;
  double ascent = 0;
  double descent = 0;
};
TKTextMetrics TKMeasureText(const TKFont& font, const char* utf8);
// Draws one line with its baseline at y; x is the left end, the right end or
// the centre as align says.
void TKDrawText(TKContext* ctx, const TKFont& font, const char* utf8, double x, double y, TKTextAlign align);
// Draws a line centred vertically in r, aligned horizontally in it, clipped to it.
void TKDrawTextInRect(TKContext* ctx, const TKFont& font, const char* utf8, const TKRect& r, TKTextAlign align);
// Draws wrapped text inside r from its top.
void TKDrawTextWrapped(TKContext* ctx, const TKFont& font, const char* utf8, const TKRect& r);
// Height the wrapped text takes at the given width.
int32_t TKMeasureWrappedHeight(const TKFont& font, const char* utf8, int32_t width);
// Byte offset within utf8 of the character boundary nearest to x pixels.
int32_t TKTextOffsetAtX(const TKFont& font, const char* utf8, double x);
