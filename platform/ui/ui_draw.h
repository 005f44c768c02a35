// Off-screen 32-bit images and the 2D drawing context over them (cairo for
// shapes and images, pango for text). Pixels are premultiplied 32-bit words
// A<<24 | R<<16 | G<<8 | B in native order, which on this platform are the
// bytes B, G, R, A in memory: the 'BGRA' pixel format.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/ui_types.h"

struct UIImage;
struct UIContext;

constexpr uint32_t kUIPixelFormatARGB = 32;           // bytes A, R, G, B in memory
constexpr uint32_t kUIPixelFormatBGRA = 0x42475241;   // 'BGRA': bytes B, G, R, A

// Images. A new image is cleared to transparent black.
UIImage* UIImageCreate(int32_t width, int32_t height);
// An image drawing straight into caller memory in format 'BGRA' (rowBytes a
// multiple of 4). The memory must outlive the image.
UIImage* UIImageWrap(uint8_t* pixels, int32_t width, int32_t height, int32_t rowBytes);
void UIImageDispose(UIImage* image);
// Owns an image and disposes it when it goes.
struct UIImageDisposer {
  void operator()(UIImage* image) const { UIImageDispose(image); }
};
using UIImagePtr = std::unique_ptr<UIImage, UIImageDisposer>;
int32_t UIImageWidth(const UIImage* image);
int32_t UIImageHeight(const UIImage* image);
int32_t UIImageRowBytes(const UIImage* image);
uint8_t* UIImagePixels(UIImage* image);
// Tells the image that its pixels were written through UIImagePixels.
void UIImageMarkDirty(UIImage* image);
// The pixel at (x, y) as A<<24 | R<<16 | G<<8 | B; 0 outside the image.
uint32_t UIImageGetPixel(UIImage* image, int32_t x, int32_t y);
// Copies pixels in from or out to caller memory in format 32 or 'BGRA'.
QVStatus UIImageImport(UIImage* image, const uint8_t* src, int32_t rowBytes, uint32_t format);
QVStatus UIImageExport(UIImage* image, uint8_t* dst, int32_t rowBytes, uint32_t format);
QVStatus UIImageWritePNG(UIImage* image, const char* path);
// Null when the file cannot be read as a PNG.
UIImage* UIImageReadPNG(const char* path);

// Pictures by id: PNG files registered once, loaded on first use and kept,
// or images drawn by the program and handed over. Registering an id again
// replaces its picture.
QVStatus UIRegisterPicture(int32_t pictureID, const char* pngPath);
// kQVErrParam (and nothing registered) when image is null.
QVStatus UIRegisterPictureImage(int32_t pictureID, UIImagePtr image);
UIImage* UIGetPicture(int32_t pictureID);
void UIForgetPictures();

// Drawing contexts: one per drawing pass over an image.
UIContext* UIBeginDrawing(UIImage* image);
void UIEndDrawing(UIContext* ctx);
UIImage* UIContextImage(UIContext* ctx);

void UISave(UIContext* ctx);
void UIRestore(UIContext* ctx);
void UITranslate(UIContext* ctx, double dx, double dy);
// Switches to y-up coordinates with the origin at the bottom left of a
// height-pixel tall area, for drawing code written that way.
void UIFlipVertical(UIContext* ctx, double height);

void UISetFillColor(UIContext* ctx, UIColor c);
void UISetStrokeColor(UIContext* ctx, UIColor c);
void UISetLineWidth(UIContext* ctx, double width);
void UISetAntialias(UIContext* ctx, bool on);
// How drawing combines with what is there.
enum UIBlendMode : int32_t {
  kUIBlendNormal = 0,
  kUIBlendMultiply,
  kUIBlendScreen,
  kUIBlendOverlay,
  kUIBlendDarken,
  kUIBlendLighten,
  kUIBlendCopy,   // replaces, alpha included
  kUIBlendClear,  // erases to transparent
};
void UISetBlendMode(UIContext* ctx, UIBlendMode mode);

void UIFillRect(UIContext* ctx, const UIRect& r);
// Strokes just inside the rectangle, so a 1-pixel frame covers its edge pixels.
void UIFrameRect(UIContext* ctx, const UIRect& r);
void UIFillRoundRect(UIContext* ctx, const UIRect& r, double radius);
void UIFrameRoundRect(UIContext* ctx, const UIRect& r, double radius);
void UIFillOval(UIContext* ctx, const UIRect& r);
void UIFrameOval(UIContext* ctx, const UIRect& r);
void UIDrawLine(UIContext* ctx, double x1, double y1, double x2, double y2);
// Clears to transparent (or to a colour) ignoring the clip's blending.
void UIClear(UIContext* ctx, UIColor c);

// Paths.
void UIBeginPath(UIContext* ctx);
void UIMoveTo(UIContext* ctx, double x, double y);
void UILineTo(UIContext* ctx, double x, double y);
void UIArc(UIContext* ctx, double cx, double cy, double radius, double start, double end, bool clockwise);
void UIClosePath(UIContext* ctx);
void UIFillPath(UIContext* ctx);
void UIStrokePath(UIContext* ctx);

// Clipping: intersects the current clip (undone by UIRestore).
void UIClipRect(UIContext* ctx, const UIRect& r);

// Draws src (all of it, or srcRect) scaled into dst. smooth: bilinear,
// otherwise nearest pixel.
void UIDrawImage(UIContext* ctx, UIImage* src, const UIRect* srcRect, const UIRect& dst, bool smooth);
QVStatus UIDrawPicture(UIContext* ctx, int32_t pictureID, const UIRect& dst);

// Text. The family falls back through fontconfig to a sans-serif face.
struct UIFont {
  std::string family = "DejaVu Sans";
  double size = 12.0;
  bool bold = false;
  bool italic = false;
};
enum UITextAlign : int32_t { kUIAlignLeft = 1, kUIAlignRight = 2, kUIAlignCenter = 3 };
struct UITextMetrics {
  double width = 0;
  double ascent = 0;
  double descent = 0;
};
UITextMetrics UIMeasureText(const UIFont& font, const char* utf8);
// Draws one line with its baseline at y; x is the left end, the right end or
// the centre as align says.
void UIDrawText(UIContext* ctx, const UIFont& font, const char* utf8, double x, double y, UITextAlign align);
// Draws a line centred vertically in r, aligned horizontally in it, clipped to it.
void UIDrawTextInRect(UIContext* ctx, const UIFont& font, const char* utf8, const UIRect& r, UITextAlign align);
// Draws wrapped text inside r from its top.
void UIDrawTextWrapped(UIContext* ctx, const UIFont& font, const char* utf8, const UIRect& r);
// Height the wrapped text takes at the given width.
int32_t UIMeasureWrappedHeight(const UIFont& font, const char* utf8, int32_t width);
// Byte offset within utf8 of the character boundary nearest to x pixels.
int32_t UITextOffsetAtX(const UIFont& font, const char* utf8, double x);
