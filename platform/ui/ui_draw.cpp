// Off-screen images and drawing over cairo; text over pango.
#include "platform/ui/ui_draw.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>

struct TKImage {
  cairo_surface_t* surface = nullptr;
};

struct TKContext {
  TKImage* image = nullptr;
  cairo_t* cr = nullptr;
  TKColor fill{0, 0, 0, 1};
  TKColor stroke{0, 0, 0, 1};
};

TKRect TKRectIntersect(const TKRect& a, const TKRect& b) {
  TKRect r{std::max(a.top, b.top), std::max(a.left, b.left), std::min(a.bottom, b.bottom),
           std::min(a.right, b.right)};
  if (TKRectEmpty(r)) return TKRect{};
  return r;
}

namespace {

// Largest side we agree to allocate: keeps a bad size from asking for gigabytes.
constexpr int32_t kMaxSide = 16384;

void SetColor(cairo_t* cr, TKColor c) { cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha); }

void RectPath(cairo_t* cr, const TKRect& r) {
  cairo_rectangle(cr, r.left, r.top, TKRectWidth(r), TKRectHeight(r));
}

void RoundRectPath(cairo_t* cr, const TKRect& r, double radius) {
  double x = r.left, y = r.top, w = TKRectWidth(r), h = TKRectHeight(r);
  radius = std::min(radius, std::min(w, h) / 2.0);
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - radius, y + radius, radius, -M_PI / 2, 0);
  cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
  cairo_arc(cr, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
  cairo_arc(cr, x + radius, y + radius, radius, M_PI, 1.5 * M_PI);
  cairo_close_path(cr);
}

void OvalPath(cairo_t* cr, const TKRect& r) {
  double w = TKRectWidth(r), h = TKRectHeight(r);
  if (w <= 0 || h <= 0) return;
  cairo_save(cr);
  cairo_translate(cr, r.left + w / 2.0, r.top + h / 2.0);
  cairo_scale(cr, w / 2.0, h / 2.0);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
}

PangoLayout* MakeLayout(cairo_t* cr, const TKFont& font, const char* utf8) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* desc = pango_font_description_new();
  // Fontconfig resolves the list in order, so a missing family falls back.
  std::string families = font.family + ",DejaVu Sans,sans-serif";
  pango_font_description_set_family(desc, families.c_str());
  pango_font_description_set_absolute_size(desc, font.size * PANGO_SCALE);
  pango_font_description_set_weight(desc, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(desc, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_layout_set_font_description(layout, desc);
  pango_font_description_free(desc);
  pango_layout_set_text(layout, utf8 ? utf8 : "", -1);
  return layout;
}

// A scratch context for measuring text outside a drawing pass.
cairo_t* MeasureContext() {
  static std::mutex lock;
  static cairo_t* cr = nullptr;
  std::lock_guard<std::mutex> guard(lock);
  if (!cr) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cr = cairo_create(s);
    cairo_surface_destroy(s);
  }
  return cr;
}

// Copies rows of 32-bit pixels; swap reverses the four bytes of each pixel
// (format 32 to and from 'BGRA').
void CopyRows(const uint8_t* src, int32_t srcStride, uint8_t* dst, int32_t dstStride, int32_t w, int32_t h,
              bool swap) {
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* s = src + size_t(y) * srcStride;
    uint8_t* d = dst + size_t(y) * dstStride;
    if (!swap) {
      std::memcpy(d, s, size_t(w) * 4);
      continue;
    }
    for (int32_t x = 0; x < w; ++x) {
      d[4 * x + 0] = s[4 * x + 3];
      d[4 * x + 1] = s[4 * x + 2];
      d[4 * x + 2] = s[4 * x + 1];
      d[4 * x + 3] = s[4 * x + 0];
    }
  }
}

// Registered pictures by id: a file path and the image once loaded, or an
// image handed over with no path. The
// drawing layer works without the toolkit running and from any thread, so the
// table is its own, locked, and kept until TKForgetPictures.
struct PictureTable {
  struct Entry {
    std::string path;
    TKImagePtr image;
  };
  std::mutex lock;
  std::map<int32_t, Entry> entries;
};

PictureTable& Pictures() {
  static PictureTable table;
  return table;
}

}  // namespace

TKImage* TKImageCreate(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  return new TKImage{s};
}

TKImage* TKImageWrap(uint8_t* pixels, int32_t width, int32_t height, int32_t rowBytes) {
  if (!pixels || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  if (rowBytes < width * 4 || rowBytes % 4 != 0) return nullptr;
  cairo_surface_t* s = cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_ARGB32, width, height, rowBytes);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  return new TKImage{s};
}

void TKImageDispose(TKImage* image) {
  if (!image) return;
  cairo_surface_destroy(image->surface);
  delete image;
}

int32_t TKImageWidth(const TKImage* image) { return image ? cairo_image_surface_get_width(image->surface) : 0; }
int32_t TKImageHeight(const TKImage* image) { return image ? cairo_image_surface_get_height(image->surface) : 0; }
int32_t TKImageRowBytes(const TKImage* image) { return image ? cairo_image_surface_get_stride(image->surface) : 0; }
uint8_t* TKImagePixels(TKImage* image) {
  if (!image) return nullptr;
  cairo_surface_flush(image->surface);
  return cairo_image_surface_get_data(image->surface);
}

void TKImageMarkDirty(TKImage* image) {
  if (image) cairo_surface_mark_dirty(image->surface);
}

uint32_t TKImageGetPixel(TKImage* image, int32_t x, int32_t y) {
  if (!image || x < 0 || y < 0 || x >= TKImageWidth(image) || y >= TKImageHeight(image)) return 0;
  const uint8_t* row = TKImagePixels(image) + size_t(y) * TKImageRowBytes(image);
  uint32_t v;
  std::memcpy(&v, row + size_t(x) * 4, 4);
  return v;
}

QVStatus TKImageImport(TKImage* image, const uint8_t* src, int32_t rowBytes, uint32_t format) {
  if (!image || !src) return kQVErrParam;
  int32_t w = TKImageWidth(image), h = TKImageHeight(image);
  if (rowBytes < w * 4) return kQVErrParam;
  if (format != kTKPixelFormatARGB && format != kTKPixelFormatBGRA) return kQVErrParam;
  CopyRows(src, rowBytes, TKImagePixels(image), TKImageRowBytes(image), w, h, format == kTKPixelFormatARGB);
  cairo_surface_mark_dirty(image->surface);
  return kQVNoErr;
}

QVStatus TKImageExport(TKImage* image, uint8_t* dst, int32_t rowBytes, uint32_t format) {
  if (!image || !dst) return kQVErrParam;
  int32_t w = TKImageWidth(image), h = TKImageHeight(image);
  if (rowBytes < w * 4) return kQVErrParam;
  if (format != kTKPixelFormatARGB && format != kTKPixelFormatBGRA) return kQVErrParam;
  CopyRows(TKImagePixels(image), TKImageRowBytes(image), dst, rowBytes, w, h, format == kTKPixelFormatARGB);
  return kQVNoErr;
}

QVStatus TKImageWritePNG(TKImage* image, const char* path) {
  if (!image || !path) return kQVErrParam;
  cairo_surface_flush(image->surface);
  return cairo_surface_write_to_png(image->surface, path) == CAIRO_STATUS_SUCCESS ? kQVNoErr : kQVErrIO;
}

TKImage* TKImageReadPNG(const char* path) {
  if (!path) return nullptr;
  cairo_surface_t* s = cairo_image_surface_create_from_png(path);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  // Copy into an ARGB32 surface so every image has one layout.
  int32_t w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  TKImage* image = TKImageCreate(w, h);
  if (image) {
    cairo_t* cr = cairo_create(image->surface);
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
  }
  cairo_surface_destroy(s);
  return image;
}

QVStatus TKRegisterPicture(int32_t pictureID, const char* pngPath) {
  if (!pngPath) return kQVErrParam;
  PictureTable& table = Pictures();
  std::lock_guard<std::mutex> guard(table.lock);
  table.entries[pictureID] = PictureTable::Entry{pngPath, nullptr};
  return kQVNoErr;
}

QVStatus TKRegisterPictureImage(int32_t pictureID, TKImagePtr image) {
  if (!image) return kQVErrParam;
  PictureTable& table = Pictures();
  std::lock_guard<std::mutex> guard(table.lock);
  table.entries[pictureID] = PictureTable::Entry{std::string(), std::move(image)};
  return kQVNoErr;
}

TKImage* TKGetPicture(int32_t pictureID) {
  PictureTable& table = Pictures();
  std::lock_guard<std::mutex> guard(table.lock);
  auto it = table.entries.find(pictureID);
  if (it == table.entries.end()) return nullptr;
  PictureTable::Entry& e = it->second;
  if (!e.image && !e.path.empty()) e.image.reset(TKImageReadPNG(e.path.c_str()));
  return e.image.get();
}

void TKForgetPictures() {
  PictureTable& table = Pictures();
  std::lock_guard<std::mutex> guard(table.lock);
  table.entries.clear();
}

TKContext* TKBeginDrawing(TKImage* image) {
  if (!image) return nullptr;
  TKContext* ctx = new TKContext;
  ctx->image = image;
  ctx->cr = cairo_create(image->surface);
  cairo_set_line_width(ctx->cr, 1.0);
  return ctx;
}

void TKEndDrawing(TKContext* ctx) {
  if (!ctx) return;
  cairo_destroy(ctx->cr);
  cairo_surface_flush(ctx->image->surface);
  delete ctx;
}

TKImage* TKContextImage(TKContext* ctx) { return ctx ? ctx->image : nullptr; }
void TKSave(TKContext* ctx) { cairo_save(ctx->cr); }
void TKRestore(TKContext* ctx) { cairo_restore(ctx->cr); }
void TKTranslate(TKContext* ctx, double dx, double dy) { cairo_translate(ctx->cr, dx, dy); }
void TKFlipVertical(TKContext* ctx, double height) {
  cairo_translate(ctx->cr, 0, height);
  cairo_scale(ctx->cr, 1, -1);
}
void TKSetFillColor(TKContext* ctx, TKColor c) { ctx->fill = c; }
void TKSetStrokeColor(TKContext* ctx, TKColor c) { ctx->stroke = c; }
void TKSetLineWidth(TKContext* ctx, double width) { cairo_set_line_width(ctx->cr, width); }
void TKSetAntialias(TKContext* ctx, bool on) {
  cairo_set_antialias(ctx->cr, on ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

void TKSetBlendMode(TKContext* ctx, TKBlendMode mode) {
  static const cairo_operator_t kOperators[] = {
      CAIRO_OPERATOR_OVER,   CAIRO_OPERATOR_MULTIPLY, CAIRO_OPERATOR_SCREEN, CAIRO_OPERATOR_OVERLAY,
      CAIRO_OPERATOR_DARKEN, CAIRO_OPERATOR_LIGHTEN,  CAIRO_OPERATOR_SOURCE, CAIRO_OPERATOR_CLEAR,
  };
  int32_t i = int32_t(mode);
  if (i < 0 || i >= int32_t(sizeof kOperators / sizeof kOperators[0])) i = 0;
  cairo_set_operator(ctx->cr, kOperators[i]);
}

void TKFillRect(TKContext* ctx, const TKRect& r) {
  cairo_new_path(ctx->cr);
  RectPath(ctx->cr, r);
  TKFillPath(ctx);
}

void TKFrameRect(TKContext* ctx, const TKRect& r) {
  double lw = cairo_get_line_width(ctx->cr);
  cairo_new_path(ctx->cr);
  cairo_rectangle(ctx->cr, r.left + lw / 2, r.top + lw / 2, TKRectWidth(r) - lw, TKRectHeight(r) - lw);
  TKStrokePath(ctx);
}

void TKFillRoundRect(TKContext* ctx, const TKRect& r, double radius) {
  cairo_new_path(ctx->cr);
  RoundRectPath(ctx->cr, r, radius);
  TKFillPath(ctx);
}

void TKFrameRoundRect(TKContext* ctx, const TKRect& r, double radius) {
  double lw = cairo_get_line_width(ctx->cr);
  TKRect inner = r;
  cairo_new_path(ctx->cr);
  cairo_save(ctx->cr);
  cairo_translate(ctx->cr, lw / 2, lw / 2);
  inner.right -= int32_t(std::lround(lw));
  inner.bottom -= int32_t(std::lround(lw));
  RoundRectPath(ctx->cr, inner, radius);
  cairo_restore(ctx->cr);
  TKStrokePath(ctx);
}

void TKFillOval(TKContext* ctx, const TKRect& r) {
  cairo_new_path(ctx->cr);
  OvalPath(ctx->cr, r);
  TKFillPath(ctx);
}

void TKFrameOval(TKContext* ctx, const TKRect& r) {
  cairo_new_path(ctx->cr);
  OvalPath(ctx->cr, TKRectInset(r, 0, 0));
  TKStrokePath(ctx);
}

void TKDrawLine(TKContext* ctx, double x1, double y1, double x2, double y2) {
  cairo_new_path(ctx->cr);
  cairo_move_to(ctx->cr, x1, y1);
  cairo_line_to(ctx->cr, x2, y2);
  TKStrokePath(ctx);
}

void TKClear(TKContext* ctx, TKColor c) {
  cairo_save(ctx->cr);
  cairo_set_operator(ctx->cr, CAIRO_OPERATOR_SOURCE);
  SetColor(ctx->cr, c);
  cairo_paint(ctx->cr);
  cairo_restore(ctx->cr);
}

void TKBeginPath(TKContext* ctx) { cairo_new_path(ctx->cr); }
void TKMoveTo(TKContext* ctx, double x, double y) { cairo_move_to(ctx->cr, x, y); }
void TKLineTo(TKContext* ctx, double x, double y) { cairo_line_to(ctx->cr, x, y); }
void TKArc(TKContext* ctx, double cx, double cy, double radius, double start, double end, bool clockwise) {
  if (clockwise)
    cairo_arc_negative(ctx->cr, cx, cy, radius, start, end);
  else
    cairo_arc(ctx->cr, cx, cy, radius, start, end);
}
void TKClosePath(TKContext* ctx) { cairo_close_path(ctx->cr); }
void TKFillPath(TKContext* ctx) {
  SetColor(ctx->cr, ctx->fill);
  cairo_fill(ctx->cr);
}
void TKStrokePath(TKContext* ctx) {
  SetColor(ctx->cr, ctx->stroke);
  cairo_stroke(ctx->cr);
}

void TKClipRect(TKContext* ctx, const TKRect& r) {
  cairo_new_path(ctx->cr);
  RectPath(ctx->cr, r);
  cairo_clip(ctx->cr);
}

void TKDrawImage(TKContext* ctx, TKImage* src, const TKRect* srcRect, const TKRect& dst, bool smooth) {
  if (!ctx || !src || TKRectEmpty(dst)) return;
  TKRect s = srcRect ? *srcRect : TKMakeRect(0, 0, TKImageWidth(src), TKImageHeight(src));
  if (TKRectEmpty(s)) return;
  cairo_t* cr = ctx->cr;
  cairo_save(cr);
  cairo_new_path(cr);
  RectPath(cr, dst);
  cairo_clip(cr);
  cairo_translate(cr, dst.left, dst.top);
  cairo_scale(cr, double(TKRectWidth(dst)) / TKRectWidth(s), double(TKRectHeight(dst)) / TKRectHeight(s));
  cairo_set_source_surface(cr, src->surface, -s.left, -s.top);
  cairo_pattern_set_filter(cairo_get_source(cr), smooth ? CAIRO_FILTER_BILINEAR : CAIRO_FILTER_NEAREST);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_paint(cr);
  cairo_restore(cr);
}

QVStatus TKDrawPicture(TKContext* ctx, int32_t pictureID, const TKRect& dst) {
  TKImage* picture = TKGetPicture(pictureID);
  if (!picture) return kQVErrFileNotFound;
  TKDrawImage(ctx, picture, nullptr, dst, true);
  return kQVNoErr;
}

TKTextMetrics TKMeasureText(const TKFont& font, const char* utf8) {
  TKTextMetrics m;
  cairo_t* cr = MeasureContext();
  PangoLayout* layout = MakeLayout(cr, font, utf8);
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  m.width = double(logical.width) / PANGO_SCALE;
  double baseline = double(pango_layout_get_baseline(layout)) / PANGO_SCALE;
  m.ascent = baseline - double(logical.y) / PANGO_SCALE;
  m.descent = double(logical.y + logical.height) / PANGO_SCALE - baseline;
  g_object_unref(layout);
  return m;
}

void TKDrawText(TKContext* ctx, const TKFont& font, const char* utf8, double x, double y, TKTextAlign align) {
  if (!ctx || !utf8) return;
  cairo_t* cr = ctx->cr;
  PangoLayout* layout = MakeLayout(cr, font, utf8);
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  double width = double(logical.width) / PANGO_SCALE;
  double baseline = double(pango_layout_get_baseline(layout)) / PANGO_SCALE;
  if (align == kTKAlignRight) x -= width;
  if (align == kTKAlignCenter) x -= width / 2.0;
  cairo_save(cr);
  // Text stays upright even inside a y-up transform.
  cairo_matrix_t m;
  cairo_get_matrix(cr, &m);
  cairo_move_to(cr, x, y);
  if (m.yy < 0) cairo_scale(cr, 1, -1);
  cairo_rel_move_to(cr, 0, -baseline);
  SetColor(cr, ctx->fill);
  pango_cairo_show_layout(cr, layout);
  cairo_restore(cr);
  g_object_unref(layout);
}

void TKDrawTextInRect(TKContext* ctx, const TKFont& font, const char* utf8, const TKRect& r, TKTextAlign align) {
  if (!ctx || !utf8) return;
  TKTextMetrics m = TKMeasureText(font, utf8);
  double x = align == kTKAlignLeft ? r.left : align == kTKAlignRight ? r.right : (r.left + r.right) / 2.0;
  double y = (r.top + r.bottom) / 2.0 + (m.ascent - m.descent) / 2.0;
  cairo_save(ctx->cr);
  cairo_new_path(ctx->cr);
  RectPath(ctx->cr, r);
  cairo_clip(ctx->cr);
  TKDrawText(ctx, font, utf8, x, std::round(y), align);
  cairo_restore(ctx->cr);
}

void TKDrawTextWrapped(TKContext* ctx, const TKFont& font, const char* utf8, const TKRect& r) {
  if (!ctx || !utf8) return;
  cairo_t* cr = ctx->cr;
  PangoLayout* layout = MakeLayout(cr, font, utf8);
  pango_layout_set_width(layout, TKRectWidth(r) * PANGO_SCALE);
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  cairo_save(cr);
  cairo_new_path(cr);
  RectPath(cr, r);
  cairo_clip(cr);
  cairo_move_to(cr, r.left, r.top);
  SetColor(cr, ctx->fill);
  pango_cairo_show_layout(cr, layout);
  cairo_restore(cr);
  g_object_unref(layout);
}

int32_t TKMeasureWrappedHeight(const TKFont& font, const char* utf8, int32_t width) {
  PangoLayout* layout = MakeLayout(MeasureContext(), font, utf8);
  pango_layout_set_width(layout, std::max(1, width) * PANGO_SCALE);
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  int w = 0, h = 0;
  pango_layout_get_pixel_size(layout, &w, &h);
  g_object_unref(layout);
  return h;
}

int32_t TKTextOffsetAtX(const TKFont& font, const char* utf8, double x) {
  if (!utf8 || !*utf8) return 0;
  PangoLayout* layout = MakeLayout(MeasureContext(), font, utf8);
  int index = 0, trailing = 0;
  pango_layout_xy_to_index(layout, int(x * PANGO_SCALE), 0, &index, &trailing);
  const char* p = utf8 + index;
  for (int i = 0; i < trailing && *p; ++i) p = g_utf8_next_char(p);
  g_object_unref(layout);
  return int32_t(p - utf8);
}
