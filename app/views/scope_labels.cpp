#include "app/views/scope_labels.h"

#include <algorithm>
#include <string>

#include "support/paths.h"

namespace {

constexpr UIColor kLabelWhite{1, 1, 1, 1};
// The shadow's dark grey (12000 of 65535).
constexpr double kShadowGrey = 12000.0 / 65535.0;
constexpr size_t kShadowedTextLimit = 200;

}  // namespace

int32_t SetScopeFont(const UIRect& rect, UIFont* font) {
  const int32_t size = std::max(0, std::min(kScopeInterfaceFontSize, UIRectHeight(rect) / 18));
  if (font) *font = UIFont{"Helvetica", double(size), false, false};
  return size;
}

void DrawPaneCornerLabels(UIContext* ctx, const UIRect* rect, const char* text, int32_t corner) {
  if (!ctx || !text || !text[0] || corner < 0 || corner > 3) return;
  UIImage* image = UIContextImage(ctx);
  const UIRect r = rect ? *rect : UIMakeRect(0, 0, image ? UIImageWidth(image) : 0, image ? UIImageHeight(image) : 0);
  const int32_t size = std::min(UIRectHeight(r) / 24, 12);
  if (size < 1) return;
  const UIFont font{"Helvetica", double(size), true, false};
  const double ascent = UIMeasureText(font, text).ascent;
  const bool right = corner == kPaneCornerBottomRight || corner == kPaneCornerTopRight;
  const bool top = corner == kPaneCornerTopLeft || corner == kPaneCornerTopRight;
  const double x = right ? r.right - 6 : r.left + 6;
  const double y = top ? r.top + ascent + ascent / 2 : r.bottom - ascent / 2;
  UISetFillColor(ctx, kLabelWhite);
  UIDrawText(ctx, font, text, x, y, right ? kUIAlignRight : kUIAlignLeft);
}

void DrawPaneLabelShadowed(UIContext* ctx, const UIFont& font, const char* text, double h, double v) {
  if (!ctx || !text) return;
  char cut[kShadowedTextLimit + 1];
  QVCopyCString(text, cut, sizeof cut);
  UISetFillColor(ctx, UIColor{kShadowGrey, kShadowGrey, kShadowGrey, 1});
  for (int32_t dy = -1; dy <= 1; ++dy)
    for (int32_t dx = -1; dx <= 1; ++dx)
      if (dx || dy) UIDrawText(ctx, font, cut, h + dx, v + dy, kUIAlignLeft);
  UISetFillColor(ctx, kLabelWhite);
  UIDrawText(ctx, font, cut, h, v, kUIAlignLeft);
}

void DrawPaneLabelShadowedRight(UIContext* ctx, const UIFont& font, const char* text, double right, double v) {
  if (!ctx || !text) return;
  char cut[kShadowedTextLimit + 1];
  QVCopyCString(text, cut, sizeof cut);
  DrawPaneLabelShadowed(ctx, font, cut, right - UIMeasureText(font, cut).width, v);
}
