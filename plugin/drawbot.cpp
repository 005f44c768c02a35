#include "plugin/drawbot.h"

#include <cstdio>

namespace {

const char* const kDrawbotSuiteNames[5] = {kHISuiteEffectCustomUI, kHISuiteDrawbotDraw, kHISuiteDrawbotSupplier,
                                           kHISuiteDrawbotSurface, kHISuiteDrawbotPath};

const void** SuiteSlot(DrawbotSuites* s, int i) {
  switch (i) {
    case 0: return reinterpret_cast<const void**>(&s->customUI);
    case 1: return reinterpret_cast<const void**>(&s->draw);
    case 2: return reinterpret_cast<const void**>(&s->supplier);
    case 3: return reinterpret_cast<const void**>(&s->surface);
    default: return reinterpret_cast<const void**>(&s->path);
  }
}

}  // namespace

HIError AcquireDrawbotSuites(DrawbotSuites* suites, const HIBasicSuite* basic) {
  HIError err = kHIErrInvalidCallback;
  for (int i = 0; i < 5; ++i) {
    const void** slot = SuiteSlot(suites, i);
    *slot = nullptr;
    if (!basic || !basic->acquire_suite) continue;
    err = basic->acquire_suite(kDrawbotSuiteNames[i], kHISuiteDrawbotVersion, slot);
    if (err != kHINoErr) {
      *slot = nullptr;
      std::fprintf(stderr, "Unable to load AE suite \"%s\", version %d, err=%d\n", kDrawbotSuiteNames[i],
                   kHISuiteDrawbotVersion, int(err));
    }
  }
  return err;
}

void ReleaseDrawbotSuites(DrawbotSuites* suites, const HIBasicSuite* basic) {
  for (int i = 0; i < 5; ++i) {
    const void** slot = SuiteSlot(suites, i);
    if (*slot && basic && basic->release_suite) basic->release_suite(kDrawbotSuiteNames[i], kHISuiteDrawbotVersion);
    *slot = nullptr;
  }
}

DrawbotContext::DrawbotContext(const HIBasicSuite* basic, const HIEventContext* context) : basic_(basic) {
  AcquireDrawbotSuites(&suites, basic);
  if (!suites.customUI || !suites.draw || !suites.supplier || !suites.surface || !suites.path || !context) return;
  HIDrawRef ref = nullptr;
  if (suites.customUI->get_drawing_reference(context, &ref) != kHINoErr || !ref) return;
  if (suites.draw->get_supplier(ref, &supplierRef) != kHINoErr) supplierRef = nullptr;
  if (suites.draw->get_surface(ref, &surfaceRef) != kHINoErr) surfaceRef = nullptr;
}

DrawbotContext::~DrawbotContext() { ReleaseDrawbotSuites(&suites, basic_); }

void DrawbotFillRect(const QVRect& rect, const uint16_t rgb[3], DrawbotContext* draw) {
  if (!draw || !draw->ok()) return;
  HIDrawColor color{rgb[0] / 65535.0f, rgb[1] / 65535.0f, rgb[2] / 65535.0f, 1.0f};
  HIDrawRectF r{float(rect.left), float(rect.top), float(rect.right - rect.left), float(rect.bottom - rect.top)};
  draw->suites.surface->paint_rect(draw->surfaceRef, &color, &r);
}

void DrawPixelBuffer(const void* pixels, int32_t width, int32_t height, int32_t rowBytes, int32_t layout,
                     DrawbotContext* draw, float x, float y, const HIDrawPointF& translation) {
  if (!draw || !draw->ok() || !pixels) return;
  HIDrawObjectRef image = nullptr;
  if (draw->suites.supplier->new_image_from_buffer(draw->supplierRef, width, height, rowBytes, layout, pixels,
                                                   &image) != kHINoErr ||
      !image)
    return;
  HIDrawPointF origin{x + translation.x, y + translation.y};
  draw->suites.surface->draw_image(draw->surfaceRef, image, &origin, 1.0f);
  draw->suites.supplier->release_object(image);
}

DrawbotPath::DrawbotPath(DrawbotContext* draw) : draw_(draw) {
  if (draw_ && draw_->ok() && draw_->suites.supplier->new_path(draw_->supplierRef, &path_) != kHINoErr)
    path_ = nullptr;
}

DrawbotPath::~DrawbotPath() {
  if (path_) draw_->suites.supplier->release_object(path_);
}

void DrawbotPath::moveTo(double x, double y) {
  if (path_) draw_->suites.path->move_to(path_, float(x), float(y));
}

void DrawbotPath::lineTo(double x, double y) {
  if (path_) draw_->suites.path->line_to(path_, float(x), float(y));
}

void DrawbotPath::circle(double cx, double cy, double radius) {
  if (!path_) return;
  HIDrawPointF centre{float(cx), float(cy)};
  draw_->suites.path->move_to(path_, float(cx + radius), float(cy));
  draw_->suites.path->add_arc(path_, &centre, float(radius), 0.0f, 360.0f);
  draw_->suites.path->close(path_);
}

void DrawbotPath::stroke(const HIDrawColor& color, double width) {
  if (!path_) return;
  HIDrawObjectRef pen = nullptr;
  if (draw_->suites.supplier->new_pen(draw_->supplierRef, &color, float(width), &pen) != kHINoErr || !pen) return;
  draw_->suites.surface->stroke_path(draw_->surfaceRef, pen, path_);
  draw_->suites.supplier->release_object(pen);
}

void DrawbotPath::fill(const HIDrawColor& color) {
  if (!path_) return;
  HIDrawObjectRef brush = nullptr;
  if (draw_->suites.supplier->new_brush(draw_->supplierRef, &color, &brush) != kHINoErr || !brush) return;
  draw_->suites.surface->fill_path(draw_->surfaceRef, brush, path_, kHIDrawFillWinding);
  draw_->suites.supplier->release_object(brush);
}

void DrawbotString(DrawbotContext* draw, const char* utf8, double x, double y, double scale,
                   const HIDrawColor& color, float* size) {
  if (!draw || !draw->ok() || !utf8) return;
  float fontSize = 12.0f;
  draw->suites.supplier->get_default_font_size(draw->supplierRef, &fontSize);
  if (size) *size = fontSize;
  HIDrawObjectRef font = nullptr, brush = nullptr;
  if (draw->suites.supplier->new_default_font(draw->supplierRef, float(fontSize * scale), &font) == kHINoErr && font &&
      draw->suites.supplier->new_brush(draw->supplierRef, &color, &brush) == kHINoErr && brush) {
    HIDrawPointF origin{float(x), float(y)};
    draw->suites.surface->draw_string(draw->surfaceRef, brush, font, utf8, &origin, kHIDrawAlignLeft);
  }
  if (brush) draw->suites.supplier->release_object(brush);
  if (font) draw->suites.supplier->release_object(font);
}
