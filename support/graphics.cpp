#include "support/graphics.h"

#include <algorithm>
#include <cmath>

namespace {

TKColor FromRGB(const QVRGBColor& c, double alpha) {
  return TKColor{c.red / 65536.0, c.green / 65536.0, c.blue / 65536.0, alpha};
}

}  // namespace

QVGraphics::QVGraphics(TKContext* context, int32_t) : context_(context) { setUp(); }

QVGraphics::QVGraphics(uint8_t* pixels, int32_t width, int32_t height, int32_t rowBytes) {
  if (!pixels || width <= 0 || height <= 0) return;
  ownedImage_ = TKImageWrap(pixels, width, height, rowBytes);
  if (!ownedImage_) return;
  context_ = TKBeginDrawing(ownedImage_);
  ownsContext_ = context_ != nullptr;
  setUp();
}

// The drawing layer is already y-down; moving by half a pixel puts whole
// coordinates on pixel centres, so one-pixel strokes cover whole pixels.
void QVGraphics::setUp() {
  if (!context_) return;
  TKSave(context_);
  TKTranslate(context_, 0.5, 0.5);
}

QVGraphics::~QVGraphics() {
  if (!context_) {
    if (ownedImage_) TKImageDispose(ownedImage_);
    return;
  }
  TKRestore(context_);
  if (ownsContext_) TKEndDrawing(context_);
  if (ownedImage_) TKImageDispose(ownedImage_);
}

void QVGraphics::releaseFontRef(QVGFont* font) { delete font; }

QVGTextLine* QVGraphics::createCTLineFromCString(const char* text, const QVGFont* font) {
  if (!context_ || !text || !font) return nullptr;
  return new QVGTextLine{text, font->font, textColor_};
}

double QVGraphics::getTextLineTypographicBounds(const char* text, const QVGFont* font, double* ascent,
                                                double* descent, double* leading) {
  if (!context_ || !text || !font) return 0.0;
  TKTextMetrics m = TKMeasureText(font->font, text);
  if (ascent) *ascent = m.ascent;
  if (descent) *descent = m.descent;
  if (leading) *leading = 0.0;
  return m.width;
}

void QVGraphics::setTextPosition(double x, double y) {
  textX_ = x;
  textY_ = y;
}

void QVGraphics::drawTextLine(const char* text, const QVGFont* font, QVGTextAlignment alignment) {
  QVGTextLine* line = createCTLineFromCString(text, font);
  if (!line) return;
  double width = TKMeasureText(line->font, line->text.c_str()).width;
  if (alignment == kQVGAlignRight) textX_ -= width;
  if (alignment == kQVGAlignCenter) textX_ -= 0.5 * width;
  TKSave(context_);
  TKSetFillColor(context_, line->color);
  TKDrawText(context_, line->font, line->text.c_str(), textX_ - 0.5, textY_ - 0.5, kTKAlignLeft);
  TKRestore(context_);
  delete line;
}

QVGFont* QVGraphics::createFontRef(const char* name, double size) {
  if (!context_ || !name) return nullptr;
  QVGFont* font = new QVGFont;
  font->font.family = name;
  font->font.size = size;
  return font;
}

void QVGraphics::translateCTM(double tx, double ty) {
  if (context_) TKTranslate(context_, tx, ty);
}

// An arc of the radius tangent to the lines from the current point to
// (x1, y1) and from there to (x2, y2), joined by a line from the current point.
void QVGraphics::addArcToPoint(double x1, double y1, double x2, double y2, double radius) {
  if (!context_) return;
  double ax = pathX_ - x1, ay = pathY_ - y1, bx = x2 - x1, by = y2 - y1;
  double la = std::hypot(ax, ay), lb = std::hypot(bx, by);
  double cross = ax * by - ay * bx;
  if (la == 0 || lb == 0 || std::fabs(cross) < 1e-12 || radius <= 0) {
    addLineToPoint(x1, y1);
    return;
  }
  ax /= la, ay /= la, bx /= lb, by /= lb;
  double angle = std::acos(std::clamp(ax * bx + ay * by, -1.0, 1.0));
  double d = radius / std::tan(angle / 2);
  double t1x = x1 + ax * d, t1y = y1 + ay * d, t2x = x1 + bx * d, t2y = y1 + by * d;
  double bisx = ax + bx, bisy = ay + by, lbis = std::hypot(bisx, bisy);
  double h = radius / std::sin(angle / 2);
  double cx = x1 + bisx / lbis * h, cy = y1 + bisy / lbis * h;
  addLineToPoint(t1x, t1y);
  double a1 = std::atan2(t1y - cy, t1x - cx), a2 = std::atan2(t2y - cy, t2x - cx);
  TKArc(context_, cx, cy, radius, a1, a2, cross > 0);
  pathX_ = t2x;
  pathY_ = t2y;
}

void QVGraphics::addArc(double x, double y, double radius, double startAngle, double endAngle, bool clockwise) {
  if (!context_) return;
  TKArc(context_, x, y, radius, startAngle, endAngle, clockwise);
  pathX_ = x + radius * std::cos(endAngle);
  pathY_ = y + radius * std::sin(endAngle);
}

void QVGraphics::addLineToPoint(double x, double y) {
  if (!context_) return;
  TKLineTo(context_, x, y);
  pathX_ = x;
  pathY_ = y;
}

void QVGraphics::moveToPoint(double x, double y) {
  if (!context_) return;
  TKMoveTo(context_, x, y);
  pathX_ = x;
  pathY_ = y;
}

void QVGraphics::fillPath() {
  if (context_) TKFillPath(context_);
}
void QVGraphics::strokePath() {
  if (context_) TKStrokePath(context_);
}
void QVGraphics::beginPath() {
  if (context_) TKBeginPath(context_);
}

void QVGraphics::strokeRect(const QVRect& r) {
  strokeRect(QVGRect{double(r.left), double(r.top), double(r.right - r.left), double(r.bottom - r.top)});
}

void QVGraphics::strokeRect(const QVGRect& r) {
  if (!context_) return;
  TKBeginPath(context_);
  TKMoveTo(context_, r.x, r.y);
  TKLineTo(context_, r.x + r.width, r.y);
  TKLineTo(context_, r.x + r.width, r.y + r.height);
  TKLineTo(context_, r.x, r.y + r.height);
  TKClosePath(context_);
  TKStrokePath(context_);
}

// Filled rectangles cover whole pixels: the half-pixel shift is undone.
void QVGraphics::fillRect(const QVGRect& r) {
  if (!context_) return;
  TKBeginPath(context_);
  TKMoveTo(context_, r.x - 0.5, r.y - 0.5);
  TKLineTo(context_, r.x - 0.5 + r.width, r.y - 0.5);
  TKLineTo(context_, r.x - 0.5 + r.width, r.y - 0.5 + r.height);
  TKLineTo(context_, r.x - 0.5, r.y - 0.5 + r.height);
  TKClosePath(context_);
  TKFillPath(context_);
}

void QVGraphics::fillRect(const QVRect& r) {
  fillRect(QVGRect{double(r.left), double(r.top), double(r.right - r.left), double(r.bottom - r.top)});
}

void QVGraphics::setLineWidth(double width) {
  if (context_) TKSetLineWidth(context_, width);
}

// The drawing layer draws no shadows; the values are kept for callers that ask.
void QVGraphics::setShadowWithBlack(double dx, double dy, double blur) {
  shadowDX_ = dx, shadowDY_ = dy, shadowBlur_ = blur;
  shadowColor_ = TKColor{0, 0, 0, 1.0 / 3.0};
}

void QVGraphics::setShadowWithColor(double dx, double dy, double blur, const QVRGBColor& color, double alpha) {
  shadowDX_ = dx, shadowDY_ = dy, shadowBlur_ = blur;
  shadowColor_ = FromRGB(color, alpha);
}

void QVGraphics::setRGBTextColor(double red, double green, double blue, double alpha) {
  if (context_) textColor_ = TKColor{red, green, blue, alpha};
}
void QVGraphics::setRGBStrokeColor(double red, double green, double blue, double alpha) {
  if (context_) TKSetStrokeColor(context_, TKColor{red, green, blue, alpha});
}
void QVGraphics::setRGBFillColor(double red, double green, double blue, double alpha) {
  if (context_) TKSetFillColor(context_, TKColor{red, green, blue, alpha});
}
void QVGraphics::setRGBTextColor(const QVRGBColor& color, double alpha) {
  TKColor c = FromRGB(color, alpha);
  setRGBTextColor(c.red, c.green, c.blue, c.alpha);
}
void QVGraphics::setRGBStrokeColor(const QVRGBColor& color, double alpha) {
  TKColor c = FromRGB(color, alpha);
  setRGBStrokeColor(c.red, c.green, c.blue, c.alpha);
}
void QVGraphics::setRGBFillColor(const QVRGBColor& color, double alpha) {
  TKColor c = FromRGB(color, alpha);
  setRGBFillColor(c.red, c.green, c.blue, c.alpha);
}

void QVGraphics::setBlendMode(QVGBlendMode mode) {
  if (context_) TKSetBlendMode(context_, mode);
}

void QVGraphics::flush() {}

void QVGraphics::saveGraphicsState() {
  if (context_) TKSave(context_);
}
void QVGraphics::restoreGraphicsState() {
  if (context_) TKRestore(context_);
}
