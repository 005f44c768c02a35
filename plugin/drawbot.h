// The host's drawing suites as the panel's displays and strips use them:
// the five suites acquired together for one drawing, and small wrappers for
// rectangles, pixel buffers, pens, brushes, paths and text.
#pragma once

#include <cstdint>

#include "platform/host/host_interface.h"
#include "plugin/plugin_data.h"
#include "support/support_types.h"

struct DrawbotSuites {
  const HIEffectCustomUISuite1* customUI = nullptr;
  const HIDrawbotDrawSuite1* draw = nullptr;
  const HIDrawbotSupplierSuite1* supplier = nullptr;
  const HIDrawbotSurfaceSuite1* surface = nullptr;
  const HIDrawbotPathSuite1* path = nullptr;
};

// Acquires the five suites in order (version 1 each); for each one the host
// refuses, a line goes to standard error and the next is tried. Returns the
// result of the last acquisition.
HIError AcquireDrawbotSuites(DrawbotSuites* suites, const HIBasicSuite* basic);
// Releases the suites that were given.
void ReleaseDrawbotSuites(DrawbotSuites* suites, const HIBasicSuite* basic);

// One drawing pass: the suites and the supplier and surface of an event's
// context. ok() is false when any of them is missing; nothing is drawn then.
class DrawbotContext {
 public:
  DrawbotContext(const HIBasicSuite* basic, const HIEventContext* context);
  ~DrawbotContext();
  DrawbotContext(const DrawbotContext&) = delete;
  DrawbotContext& operator=(const DrawbotContext&) = delete;
  bool ok() const { return supplierRef != nullptr && surfaceRef != nullptr; }

  DrawbotSuites suites;
  HIDrawSupplierRef supplierRef = nullptr;
  HIDrawSurfaceRef surfaceRef = nullptr;

 private:
  const HIBasicSuite* basic_;
};

// Rectangles as top, left, bottom, right; colours as 16-bit channels.
void DrawbotFillRect(const QVRect& rect, const uint16_t rgb[3], DrawbotContext* draw);
// Draws a buffer of 8-bit premultiplied pixels in the layout at (x, y) plus
// the translation, with opacity 1.
void DrawPixelBuffer(const void* pixels, int32_t width, int32_t height, int32_t rowBytes, int32_t layout,
                     DrawbotContext* draw, float x, float y, const HIDrawPointF& translation);

// A path built with the path suite; released with the object.
class DrawbotPath {
 public:
  explicit DrawbotPath(DrawbotContext* draw);
  ~DrawbotPath();
  DrawbotPath(const DrawbotPath&) = delete;
  DrawbotPath& operator=(const DrawbotPath&) = delete;
  void moveTo(double x, double y);
  void lineTo(double x, double y);
  // A whole circle as its own subpath.
  void circle(double cx, double cy, double radius);
  void stroke(const HIDrawColor& color, double width);
  void fill(const HIDrawColor& color);

 private:
  DrawbotContext* draw_;
  HIDrawObjectRef path_ = nullptr;
};

// One line of text in the host's default font scaled by `scale`, with its
// baseline at (x, y). The default font size in *size when not null.
void DrawbotString(DrawbotContext* draw, const char* utf8, double x, double y, double scale,
                   const HIDrawColor& color, float* size = nullptr);
