// The drawing suites the stand-in host offers: a drawing reference is the
// panel picture being drawn; pens, brushes, fonts, images and paths are
// small records replayed onto it with the toolkit's drawing layer.
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/standin_host/sh_panel_internal.h"

namespace {

struct PathStep {
  enum Kind { move, line, arc, close } kind;
  float x, y, radius, start, sweep;
};

struct DrawObject {
  enum Kind { pen, brush, font, image, path } kind;
  TKColor color;
  float width = 1;
  float size = 12;
  TKImage* picture = nullptr;
  std::vector<PathStep> steps;
  ~DrawObject() {
    if (picture) TKImageDispose(picture);
  }
};

DrawObject* Obj(HIDrawObjectRef ref) { return reinterpret_cast<DrawObject*>(ref); }
SHPanelDrawing* Drawing(const void* ref) { return static_cast<SHPanelDrawing*>(const_cast<void*>(ref)); }
HIDrawObjectRef Ref(DrawObject* o) { return reinterpret_cast<HIDrawObjectRef>(o); }
TKColor Colour(const HIDrawColor* c) { return TKColor{c->red, c->green, c->blue, c->alpha}; }

constexpr float kDefaultFontSize = 11.0f;
constexpr double kDegrees = 3.14159265358979323846 / 180.0;

HIError getDrawingReference(const HIEventContext* context, HIDrawRef* draw) {
  if (!context || !draw) return kHIErrBadCallbackParam;
  *draw = static_cast<HIDrawRef>(context->host_context);
  return *draw ? kHINoErr : kHIErrBadCallbackParam;
}
HIError getSupplier(HIDrawRef draw, HIDrawSupplierRef* supplier) {
  if (!draw || !supplier) return kHIErrBadCallbackParam;
  *supplier = reinterpret_cast<HIDrawSupplierRef>(draw);
  return kHINoErr;
}
HIError getSurface(HIDrawRef draw, HIDrawSurfaceRef* surface) {
  if (!draw || !surface) return kHIErrBadCallbackParam;
  *surface = reinterpret_cast<HIDrawSurfaceRef>(draw);
  return kHINoErr;
}

HIError newObject(DrawObject::Kind kind, const HIDrawColor* color, HIDrawObjectRef* out, DrawObject** made) {
  if (!out) return kHIErrBadCallbackParam;
  auto* o = new DrawObject;
  o->kind = kind;
  if (color) o->color = Colour(color);
  *out = Ref(o);
  if (made) *made = o;
  return kHINoErr;
}
HIError newPen(HIDrawSupplierRef, const HIDrawColor* color, float width, HIDrawObjectRef* pen) {
  DrawObject* o = nullptr;
  if (!color) return kHIErrBadCallbackParam;
  HIError err = newObject(DrawObject::pen, color, pen, &o);
  if (o) o->width = width;
  return err;
}
HIError newBrush(HIDrawSupplierRef, const HIDrawColor* color, HIDrawObjectRef* brush) {
  if (!color) return kHIErrBadCallbackParam;
  return newObject(DrawObject::brush, color, brush, nullptr);
}
HIError defaultFontSize(HIDrawSupplierRef, float* size) {
  if (!size) return kHIErrBadCallbackParam;
  *size = kDefaultFontSize;
  return kHINoErr;
}
HIError newDefaultFont(HIDrawSupplierRef, float size, HIDrawObjectRef* font) {
  DrawObject* o = nullptr;
  HIError err = newObject(DrawObject::font, nullptr, font, &o);
  if (o) o->size = size;
  return err;
}
HIError newImage(HIDrawSupplierRef, int32_t width, int32_t height, int32_t rowBytes, int32_t layout,
                 const void* pixels, HIDrawObjectRef* image) {
  if (!image || !pixels || width <= 0 || height <= 0 || rowBytes < width * 4) return kHIErrBadCallbackParam;
  if (layout != kHIDrawPixelLayoutBGRA && layout != kHIDrawPixelLayoutARGB) return kHIErrBadCallbackParam;
  TKImage* picture = TKImageCreate(width, height);
  if (!picture) return kHIErrOutOfMemory;
  // Cannot fail: the picture was just made and the size and layout checked above.
  QVIgnoreStatus(TKImageImport(picture, static_cast<const uint8_t*>(pixels), rowBytes,
                layout == kHIDrawPixelLayoutBGRA ? kTKPixelFormatBGRA : kTKPixelFormatARGB));
  DrawObject* o = nullptr;
  newObject(DrawObject::image, nullptr, image, &o);
  o->picture = picture;
  return kHINoErr;
}
HIError newPath(HIDrawSupplierRef, HIDrawObjectRef* path) { return newObject(DrawObject::path, nullptr, path, nullptr); }
HIError releaseObject(HIDrawObjectRef object) {
  delete Obj(object);
  return kHINoErr;
}

HIError pushState(HIDrawSurfaceRef s) {
  TKSave(Drawing(s)->ctx);
  return kHINoErr;
}
HIError popState(HIDrawSurfaceRef s) {
  TKRestore(Drawing(s)->ctx);
  return kHINoErr;
}
HIError translate(HIDrawSurfaceRef s, float dx, float dy) {
  TKTranslate(Drawing(s)->ctx, dx, dy);
  return kHINoErr;
}
HIError paintRect(HIDrawSurfaceRef s, const HIDrawColor* color, const HIDrawRectF* r) {
  if (!color || !r) return kHIErrBadCallbackParam;
  TKContext* ctx = Drawing(s)->ctx;
  TKSetFillColor(ctx, Colour(color));
  TKBeginPath(ctx);
  TKMoveTo(ctx, r->left, r->top);
  TKLineTo(ctx, r->left + r->width, r->top);
  TKLineTo(ctx, r->left + r->width, r->top + r->height);
  TKLineTo(ctx, r->left, r->top + r->height);
  TKClosePath(ctx);
  TKFillPath(ctx);
  return kHINoErr;
}
void TracePath(TKContext* ctx, const DrawObject& path) {
  TKBeginPath(ctx);
  for (const PathStep& s : path.steps) {
    switch (s.kind) {
      case PathStep::move: TKMoveTo(ctx, s.x, s.y); break;
      case PathStep::line: TKLineTo(ctx, s.x, s.y); break;
      case PathStep::arc:
        TKArc(ctx, s.x, s.y, s.radius, s.start * kDegrees, (s.start + s.sweep) * kDegrees, s.sweep < 0);
        break;
      case PathStep::close: TKClosePath(ctx); break;
    }
  }
}
HIError fillPath(HIDrawSurfaceRef s, HIDrawObjectRef brush, HIDrawObjectRef path, int32_t) {
  if (!brush || !path || Obj(path)->kind != DrawObject::path) return kHIErrBadCallbackParam;
  TKContext* ctx = Drawing(s)->ctx;
  TKSetFillColor(ctx, Obj(brush)->color);
  TracePath(ctx, *Obj(path));
  TKFillPath(ctx);
  return kHINoErr;
}
HIError strokePath(HIDrawSurfaceRef s, HIDrawObjectRef pen, HIDrawObjectRef path) {
  if (!pen || !path || Obj(path)->kind != DrawObject::path) return kHIErrBadCallbackParam;
  TKContext* ctx = Drawing(s)->ctx;
  TKSetStrokeColor(ctx, Obj(pen)->color);
  TKSetLineWidth(ctx, Obj(pen)->width);
  TracePath(ctx, *Obj(path));
  TKStrokePath(ctx);
  return kHINoErr;
}
HIError drawImage(HIDrawSurfaceRef s, HIDrawObjectRef image, const HIDrawPointF* origin, float opacity) {
  if (!image || !origin || Obj(image)->kind != DrawObject::image) return kHIErrBadCallbackParam;
  TKImage* picture = Obj(image)->picture;
  TKContext* ctx = Drawing(s)->ctx;
  TKRect dst = TKMakeRect(int32_t(std::lround(origin->x)), int32_t(std::lround(origin->y)), TKImageWidth(picture),
                          TKImageHeight(picture));
  (void)opacity;  // drawn opaque: every caller asks for opacity 1
  TKDrawImage(ctx, picture, nullptr, dst, false);
  return kHINoErr;
}
HIError drawString(HIDrawSurfaceRef s, HIDrawObjectRef brush, HIDrawObjectRef font, const char* utf8,
                   const HIDrawPointF* origin, int32_t align) {
  if (!brush || !font || !utf8 || !origin) return kHIErrBadCallbackParam;
  TKContext* ctx = Drawing(s)->ctx;
  TKFont f;
  f.size = Obj(font)->size;
  TKSetFillColor(ctx, Obj(brush)->color);
  TKTextAlign a = align == kHIDrawAlignCenter ? kTKAlignCenter : align == kHIDrawAlignRight ? kTKAlignRight : kTKAlignLeft;
  TKDrawText(ctx, f, utf8, origin->x, origin->y, a);
  Drawing(s)->strings.push_back(utf8);
  return kHINoErr;
}

HIError addStep(HIDrawObjectRef path, PathStep step) {
  if (!path || Obj(path)->kind != DrawObject::path) return kHIErrBadCallbackParam;
  Obj(path)->steps.push_back(step);
  return kHINoErr;
}
HIError moveTo(HIDrawObjectRef path, float x, float y) { return addStep(path, {PathStep::move, x, y, 0, 0, 0}); }
HIError lineTo(HIDrawObjectRef path, float x, float y) { return addStep(path, {PathStep::line, x, y, 0, 0, 0}); }
HIError addArc(HIDrawObjectRef path, const HIDrawPointF* centre, float radius, float start, float sweep) {
  if (!centre) return kHIErrBadCallbackParam;
  return addStep(path, {PathStep::arc, centre->x, centre->y, radius, start, sweep});
}
HIError closePath(HIDrawObjectRef path) { return addStep(path, {PathStep::close, 0, 0, 0, 0, 0}); }

}  // namespace

const HIEffectCustomUISuite1 kSHCustomUISuite = {getDrawingReference};
const HIDrawbotDrawSuite1 kSHDrawSuite = {getSupplier, getSurface};
const HIDrawbotSupplierSuite1 kSHSupplierSuite = {newPen, newBrush, defaultFontSize, newDefaultFont,
                                                  newImage, newPath, releaseObject};
const HIDrawbotSurfaceSuite1 kSHSurfaceSuite = {pushState, popState, translate, paintRect,
                                                fillPath, strokePath, drawImage, drawString};
const HIDrawbotPathSuite1 kSHPathSuite = {moveTo, lineTo, addArc, closePath};
