#include "app/views/scope_labels.h"

#include <algorithm>
#include <string>

#include "support/paths.h"

namespace {

constexpr TKColor kLabelWhite{1, 1, 1, 1};
// The shadow's dark grey (12000 of 65535).
constexpr double kShadowGrey = 12000.0 / 65535.0;
constexpr size_t kShadowedTextLimit = 200;

}  // namespace

int32_t SetScopeFont(const TKRect& rect, TKFont* font) {
  const int32_t size = std::max(0, std::min(kScopeInterfaceFontSize, TKRectHeight(rect) / 18));
  if (font) *font = TKFont{"Helvetica", double(size), false, false};
  return size;
}

void DrawPaneCornerLabels(TKContext* ctx, const TKRect* rect, const char* text, int32_t corner) {
  if (!ctx || !text || !text[0] || corner < 0 || corner > 3) return;
  TKImage* image = TKContextImage(ctx);
  const TKRect r = rect ? *rect : TKMakeRect(0, 0, image ? TKImageWidth(image) : 0, image ? TKImageHeight(image) : 0);
  const int32_t size = std::min(TKRectHeight(r) / 24, 12);
  if (size < 1) return;
  const TKFont font{"Helvetica", double(size), true, false};
  const double ascent = TKMeasureText(font, text).ascent;
  const bool right = corner == kPaneCornerBottomRight || corner == kPaneCornerTopRight;
  const bool top = corner == kPaneCornerTopLeft || corner == kPaneCornerTopRight;
  const double x = right ? r.right - 6 : r.left + 6;
  const double y = top ? r.top + ascent + ascent / 2 : r.bottom - ascent / 2;
  TKSetFillColor(ctx, kLabelWhite);
  TKDrawText(ctx, font, text, x, y, right ? kTKAlignRight : kTKAlignLeft);
}

void DrawPaneLabelShadowed(TKContext* ctx, const TKFont& font, const char* text, double h, double v) {
  if (!ctx || !text) return;
  char cut[kShadowedTextLimit + 1];
  QVCopyCString(text, cut, sizeof cut);
  TKSetFillColor(ctx, TKColor{kShadowGrey, kShadowGrey, kShadowGrey, 1});
  for (int32_t dy = -1; dy <= 1; ++dy)
    for (int32_t dx = -1; dx <= 1; ++dx)
      if (dx || dy) TKDrawText(ctx, font, cut, h + dx, v + dy, kTKAlignLeft);
  TKSetFillColor(ctx, kLabelWhite);
  TKDrawText(ctx, font, cut, h, v, kTKAlignLeft);
}

void DrawPaneLabelShadowedRight(TKContext* ctx, const TKFont& font, const char* text, double right, double v) {
  if (!ctx || !text) return;
  char cut[kShadowedTextLimit + 1];
  QVCopyCString(text, cut, sizeof cut);
  DrawPaneLabelShadowed(ctx, font, cut, right - TKMeasureText(font, cut).width, v);
}
