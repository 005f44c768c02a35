// A thin drawing object for one drawing pass, in top-left, y-down
// coordinates with the origin on pixel centres' grid (translated by half a
// pixel so that one-pixel lines fall on whole pixels), over the toolkit's
// drawing layer; text through its text layer. It draws into a drawing
// context it is given, or into 8-bit 'BGRA' pixels (a format-32 frame's
// memory) it wraps itself.
//
// Every method does nothing (or answers null or 0) when there is no
// context, except the two shadow setters, which only remember the shadow.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui/ui_draw.h"
#include "support/support_types.h"

enum QVGTextAlignment : int32_t { kQVGAlignLeft = 1, kQVGAlignRight = 2, kQVGAlignCenter = 3 };
using QVGBlendMode = TKBlendMode;

// A font made by createFontRef, released with releaseFontRef.
struct QVGFont {
  TKFont font;
};
// One line of text in a font and colour, made by createCTLineFromCString.
struct QVGTextLine {
  std::string text;
  TKFont font;
  TKColor color;
};
struct QVGRect {
  double x, y, width, height;
};

class QVGraphics {
 public:
  // Draws into the context (not owned), over an area `height` pixels tall.
  QVGraphics(TKContext* context, int32_t height);
  // Draws into 8-bit 'BGRA' pixels; null pixels give no context.
  QVGraphics(uint8_t* pixels, int32_t width, int32_t height, int32_t rowBytes);
  ~QVGraphics();
  QVGraphics(const QVGraphics&) = delete;
  QVGraphics& operator=(const QVGraphics&) = delete;

  TKContext* context() const { return context_; }

  void releaseFontRef(QVGFont* font);
  // Null without text or font; the caller deletes it.
  QVGTextLine* createCTLineFromCString(const char* text, const QVGFont* font);
  double getTextLineTypographicBounds(const char* text, const QVGFont* font, double* ascent, double* descent,
                                      double* leading);
  void setTextPosition(double x, double y);
  void drawTextLine(const char* text, const QVGFont* font, QVGTextAlignment alignment = kQVGAlignLeft);
  // Null without context or name.
  QVGFont* createFontRef(const char* name, double size);
  void translateCTM(double tx, double ty);
  void addArcToPoint(double x1, double y1, double x2, double y2, double radius);
  void addArc(double x, double y, double radius, double startAngle, double endAngle, bool clockwise);
  void addLineToPoint(double x, double y);
  void moveToPoint(double x, double y);
  void fillPath();
  void strokePath();
  void beginPath();
  // QuickDraw-style rectangle: top, left, bottom, right.
  void strokeRect(const QVRect& r);
  void strokeRect(const QVGRect& r);
  void fillRect(const QVGRect& r);
  void fillRect(const QVRect& r);
  void setLineWidth(double width);
  void setShadowWithBlack(double dx, double dy, double blur);
  void setShadowWithColor(double dx, double dy, double blur, const QVRGBColor& color, double alpha);
  void setRGBTextColor(double red, double green, double blue, double alpha);
  void setRGBStrokeColor(double red, double green, double blue, double alpha);
  void setRGBFillColor(double red, double green, double blue, double alpha);
  void setRGBTextColor(const QVRGBColor& color, double alpha);
  void setRGBStrokeColor(const QVRGBColor& color, double alpha);
  void setRGBFillColor(const QVRGBColor& color, double alpha);
  void setBlendMode(QVGBlendMode mode);
  void flush();
  void saveGraphicsState();
  void restoreGraphicsState();

 private:
  void setUp();
  TKContext* context_ = nullptr;
  TKImage* ownedImage_ = nullptr;
  bool ownsContext_ = false;
  TKColor textColor_{0, 0, 0, 1};
  double textX_ = 0, textY_ = 0;
  double pathX_ = 0, pathY_ = 0;  // the path's current point, for arcs to a point
  double shadowDX_ = 0, shadowDY_ = 0, shadowBlur_ = 0;
  TKColor shadowColor_{0, 0, 0, 1.0 / 3.0};
};
