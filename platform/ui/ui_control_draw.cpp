// The standard look of the controls: one drawing function per kind.
#include <algorithm>
#include <cmath>
#include <string>

#include "platform/ui/ui_internal.h"

namespace {

const TKColor kAccent{0.20, 0.46, 0.85, 1};
const TKColor kBorder{0.58, 0.58, 0.60, 1};
const TKColor kFace{0.99, 0.99, 0.99, 1};
const TKColor kFacePressed{0.80, 0.82, 0.86, 1};
const TKColor kWhite{1, 1, 1, 1};

bool Live(TKControl* c) { return TKIsControlEnabled(c) && TKIsControlActive(c); }

TKColor Dim(TKColor c, bool live) { return live ? c : TKColor{c.red, c.green, c.blue, c.alpha * 0.45}; }

void FillBackgroundFromProc(TKControl* c, TKContext* ctx) {
  if (!c->colorProc) return;
  TKColor bg;
  if (c->colorProc(c, kTKColorBackground, &bg) != kQVNoErr) return;
  TKSetFillColor(ctx, bg);
  TKFillRect(ctx, c->bounds);
}

void DrawButtonFace(TKContext* ctx, const TKRect& r, bool pressed, bool isDefault, bool live, double radius) {
  TKColor face = isDefault ? kAccent : kFace;
  if (pressed) face = isDefault ? TKColor{0.14, 0.36, 0.72, 1} : kFacePressed;
  TKSetFillColor(ctx, Dim(face, live));
  TKFillRoundRect(ctx, r, radius);
  TKSetStrokeColor(ctx, Dim(isDefault ? TKColor{0.13, 0.33, 0.66, 1} : kBorder, live));
  TKSetLineWidth(ctx, 1);
  TKFrameRoundRect(ctx, r, radius);
}

void DrawPushButton(TKControl* c, TKContext* ctx) {
  bool live = Live(c);
  bool isDefault = c->window && c->window->defaultButton == c;
  DrawButtonFace(ctx, c->bounds, c->hilite != 0, isDefault, live, 5);
  TKSetFillColor(ctx, isDefault ? Dim(kWhite, live) : TKControlTextColor(c));
  TKDrawTextInRect(ctx, c->font, c->title.c_str(), TKRectInset(c->bounds, 4, 0), kTKAlignCenter);
}

void DrawBevelButton(TKControl* c, TKContext* ctx) {
  bool live = Live(c);
  bool down = c->hilite != 0 || (c->sticky && c->value != 0);
  DrawButtonFace(ctx, c->bounds, down, false, live, 3);
  TKRect inner = TKRectInset(c->bounds, 3, 3);
  TKImage* pic = c->pictureID ? TKGetPicture(c->pictureID) : nullptr;
  if (pic) {
    int32_t side = std::min({TKRectWidth(inner), TKRectHeight(inner), TKImageWidth(pic)});
    if (!c->title.empty()) side = std::min(side, TKRectHeight(inner));
    TKRect dst = TKMakeRect(inner.left + (c->title.empty() ? (TKRectWidth(inner) - side) / 2 : 2),
                            inner.top + (TKRectHeight(inner) - side) / 2, side, side);
    TKDrawImage(ctx, pic, nullptr, dst, true);
    inner.left = dst.right + 4;
  }
  if (!c->title.empty()) {
    TKSetFillColor(ctx, TKControlTextColor(c));
    TKDrawTextInRect(ctx, c->font, c->title.c_str(), inner, pic ? kTKAlignLeft : kTKAlignCenter);
  }
}

void DrawCheckBox(TKControl* c, TKContext* ctx) {
  bool live = Live(c);
  FillBackgroundFromProc(c, ctx);
  int32_t side = 14;
  int32_t top = c->bounds.top + (TKRectHeight(c->bounds) - side) / 2;
  TKRect box = TKMakeRect(c->bounds.left + 1, top, side, side);
  bool on = c->value != 0;
  TKSetFillColor(ctx, Dim(on ? kAccent : (c->hilite ? kFacePressed : kWhite), live));
  TKFillRoundRect(ctx, box, 3);
  TKSetStrokeColor(ctx, Dim(on ? TKColor{0.13, 0.33, 0.66, 1} : kBorder, live));
  TKSetLineWidth(ctx, 1);
  TKFrameRoundRect(ctx, box, 3);
  if (c->value == 1) {
    TKSetStrokeColor(ctx, Dim(kWhite, live));
    TKSetLineWidth(ctx, 2);
    TKBeginPath(ctx);
    TKMoveTo(ctx, box.left + 3.5, box.top + 7.5);
    TKLineTo(ctx, box.left + 6, box.top + 10.5);
    TKLineTo(ctx, box.left + 10.5, box.top + 3.5);
    TKStrokePath(ctx);
    TKSetLineWidth(ctx, 1);
  } else if (c->value == 2) {
    TKSetFillColor(ctx, Dim(kWhite, live));
    TKFillRect(ctx, TKMakeRect(box.left + 3, box.top + 6, side - 6, 2));
  }
  TKRect text = c->bounds;
  text.left = box.right + 6;
  TKSetFillColor(ctx, TKControlTextColor(c));
  TKDrawTextInRect(ctx, c->font, c->title.c_str(), text, kTKAlignLeft);
}

void DrawPopupButton(TKControl* c, TKContext* ctx) {
  bool live = Live(c);
  DrawButtonFace(ctx, c->bounds, c->hilite != 0, false, live, 5);
  std::string label = c->title;
  if (c->menu && c->value >= 1 && c->value <= int32_t(c->menu->items.size()))
    label = c->menu->items[size_t(c->value - 1)].text;
  TKRect text = TKRectInset(c->bounds, 8, 0);
  text.right -= 16;
  TKSetFillColor(ctx, TKControlTextColor(c));
  TKDrawTextInRect(ctx, c->font, label.c_str(), text, kTKAlignLeft);
  // Up and down chevrons on the right.
  double x = c->bounds.right - 13.5, y = (c->bounds.top + c->bounds.bottom) / 2.0;
  TKSetStrokeColor(ctx, Dim(TKColor{0.3, 0.3, 0.3, 1}, live));
  TKSetLineWidth(ctx, 1.5);
  TKBeginPath(ctx);
  TKMoveTo(ctx, x - 3.5, y - 2);
  TKLineTo(ctx, x, y - 5.5);
  TKLineTo(ctx, x + 3.5, y - 2);
  TKMoveTo(ctx, x - 3.5, y + 2);
  TKLineTo(ctx, x, y + 5.5);
  TKLineTo(ctx, x + 3.5, y + 2);
  TKStrokePath(ctx);
  TKSetLineWidth(ctx, 1);
}

void DrawSlider(TKControl* c, TKContext* ctx) {
  bool live = Live(c);
  FillBackgroundFromProc(c, ctx);
  TKRect thumb = TKSliderThumbRect(c);
  int32_t mid = (c->bounds.top + c->bounds.bottom) / 2;
  TKRect track = TKMakeRect(c->bounds.left + 2, mid - 2, TKRectWidth(c->bounds) - 4, 4);
  TKSetFillColor(ctx, Dim(TKColor{0.74, 0.74, 0.76, 1}, live));
  TKFillRoundRect(ctx, track, 2);
  TKRect filled = track;
  filled.right = (thumb.left + thumb.right) / 2;
  TKSetFillColor(ctx, Dim(kAccent, live));
  TKFillRoundRect(ctx, filled, 2);
  TKSetFillColor(ctx, Dim(c->hilite == kTKPartThumb ? kFacePressed : kWhite, live));
  TKFillOval(ctx, thumb);
  TKSetStrokeColor(ctx, Dim(kBorder, live));
  TKFrameOval(ctx, TKRectInset(thumb, 0, 0));
}

void DrawEditText(TKControl* c, TKContext* ctx) {
  bool live = Live(c);
  bool focused = c->window && c->window->focus == c && c->window == TKState().keyWindow;
  TKSetFillColor(ctx, kWhite);
  TKFillRect(ctx, c->bounds);
  TKSetStrokeColor(ctx, Dim(focused ? kAccent : kBorder, live));
  TKSetLineWidth(ctx, focused ? 2 : 1);
  TKFrameRect(ctx, c->bounds);
  TKSetLineWidth(ctx, 1);
  TKRect text = TKRectInset(c->bounds, 4, 2);
  TKSave(ctx);
  TKClipRect(ctx, text);
  TKTextMetrics m = TKMeasureText(c->font, c->title.c_str());
  double baseline = std::round((text.top + text.bottom) / 2.0 + (m.ascent - m.descent) / 2.0);
  if (focused) {
    std::string before = c->title.substr(0, size_t(c->selStart));
    std::string sel = c->title.substr(size_t(c->selStart), size_t(c->selEnd - c->selStart));
    double x0 = text.left + TKMeasureText(c->font, before.c_str()).width;
    double x1 = x0 + TKMeasureText(c->font, sel.c_str()).width;
    if (c->selEnd > c->selStart) {
      TKSetFillColor(ctx, TKColor{0.70, 0.82, 1.0, 1});
      TKFillRect(ctx, TKRect{int32_t(baseline - m.ascent), int32_t(x0), int32_t(baseline + m.descent),
                             int32_t(std::ceil(x1))});
    } else {
      TKSetStrokeColor(ctx, TKColor{0.1, 0.1, 0.1, 1});
      TKDrawLine(ctx, std::floor(x0) + 0.5, baseline - m.ascent, std::floor(x0) + 0.5, baseline + m.descent);
    }
  }
  TKSetFillColor(ctx, TKControlTextColor(c));
  TKDrawText(ctx, c->font, c->title.c_str(), text.left, baseline, kTKAlignLeft);
  TKRestore(ctx);
}

void DrawStaticText(TKControl* c, TKContext* ctx) {
  FillBackgroundFromProc(c, ctx);
  TKSetFillColor(ctx, TKControlTextColor(c));
  TKTextMetrics m = TKMeasureText(c->font, c->title.c_str());
  if (TKRectHeight(c->bounds) >= 2 * (m.ascent + m.descent))
    TKDrawTextWrapped(ctx, c->font, c->title.c_str(), c->bounds);
  else
    TKDrawTextInRect(ctx, c->font, c->title.c_str(), c->bounds, kTKAlignLeft);
}

void DrawList(TKControl* c, TKContext* ctx) {
  TKListData& L = *c->list;
  bool live = Live(c);
  bool focused = c->window && c->window->focus == c;
  TKSetFillColor(ctx, kWhite);
  TKFillRect(ctx, c->bounds);
  TKSave(ctx);
  TKClipRect(ctx, c->bounds);
  TKRect header = c->bounds;
  header.bottom = header.top + kTKListHeaderHeight;
  TKSetFillColor(ctx, TKColor{0.90, 0.90, 0.91, 1});
  TKFillRect(ctx, header);
  TKSetStrokeColor(ctx, TKColor{0.75, 0.75, 0.77, 1});
  TKDrawLine(ctx, header.left, header.bottom - 0.5, header.right, header.bottom - 0.5);
  int32_t x = c->bounds.left;
  for (int32_t index : L.order) {
    size_t col = size_t(index);
    const TKListColumn& column = L.columns[col];
    TKRect cell{header.top, x + 6, header.bottom, x + column.width - 4};
    TKSetFillColor(ctx, TKControlTextColor(c));
    TKFont bold = TKSmallFont();
    bold.bold = true;
    TKDrawTextInRect(ctx, bold, column.title.c_str(), cell, kTKAlignLeft);
    if (int32_t(col) == L.sortColumn) {
      double ax = x + column.width - 12, ay = (header.top + header.bottom) / 2.0;
      TKBeginPath(ctx);
      if (L.ascending) {
        TKMoveTo(ctx, ax - 4, ay + 2);
        TKLineTo(ctx, ax + 4, ay + 2);
        TKLineTo(ctx, ax, ay - 3);
      } else {
        TKMoveTo(ctx, ax - 4, ay - 2);
        TKLineTo(ctx, ax + 4, ay - 2);
        TKLineTo(ctx, ax, ay + 3);
      }
      TKClosePath(ctx);
      TKSetFillColor(ctx, TKColor{0.35, 0.35, 0.35, 1});
      TKFillPath(ctx);
    }
    x += column.width;
    TKSetStrokeColor(ctx, TKColor{0.78, 0.78, 0.80, 1});
    TKDrawLine(ctx, x - 0.5, header.top + 3, x - 0.5, header.bottom - 3);
  }
  int32_t y = header.bottom;
  for (size_t row = size_t(std::max(0, L.scroll)); row < L.rows.size() && y < c->bounds.bottom; ++row) {
    const TKListData::Row& r = L.rows[row];
    TKRect rowRect{y, c->bounds.left, y + kTKListRowHeight, c->bounds.right};
    bool selected = r.selected;
    if (selected) {
      TKSetFillColor(ctx, Dim(focused ? kAccent : TKColor{0.75, 0.78, 0.84, 1}, live));
      TKFillRect(ctx, rowRect);
    } else if (row % 2) {
      TKSetFillColor(ctx, TKColor{0.96, 0.96, 0.97, 1});
      TKFillRect(ctx, rowRect);
    }
    if (int32_t(row) == L.dropTarget) {
      TKSetStrokeColor(ctx, kAccent);
      TKSetLineWidth(ctx, 2);
      TKFrameRect(ctx, TKRect{rowRect.top + 1, rowRect.left + 1, rowRect.bottom - 1, rowRect.right - 1});
      TKSetLineWidth(ctx, 1);
    }
    TKColor textColor = selected && focused ? kWhite : TKControlTextColor(c);
    x = c->bounds.left;
    for (int32_t index : L.order) {
      size_t col = size_t(index);
      int32_t width = L.columns[col].width;
      int32_t textLeft = x + 6;
      if (col == 0) {
        // Column 0 carries the tree: indent, disclosure triangle, icon.
        int32_t indent = x + 2 + r.depth * kTKListIndent;
        if (r.container) {
          double cx = indent + kTKListIndent / 2.0, cy = rowRect.top + kTKListRowHeight / 2.0;
          TKBeginPath(ctx);
          if (r.open) {
            TKMoveTo(ctx, cx - 4, cy - 2);
            TKLineTo(ctx, cx + 4, cy - 2);
            TKLineTo(ctx, cx, cy + 3);
          } else {
            TKMoveTo(ctx, cx - 2, cy - 4);
            TKLineTo(ctx, cx - 2, cy + 4);
            TKLineTo(ctx, cx + 3, cy);
          }
          TKClosePath(ctx);
          TKSetFillColor(ctx, selected && focused ? kWhite : TKColor{0.40, 0.40, 0.42, 1});
          TKFillPath(ctx);
        }
        textLeft = indent + kTKListIndent;
        if (r.icon) {
          TKDrawImage(ctx, r.icon.get(), nullptr, TKRect{rowRect.top + 1, textLeft, rowRect.top + 17, textLeft + 16}, true);
          textLeft += 20;
        }
      }
      TKRect cell{rowRect.top, textLeft, rowRect.bottom, x + width - 4};
      if (int32_t(row) == L.editRow && int32_t(col) == L.editColumn) {
        TKRect box{rowRect.top + 1, textLeft - 4, rowRect.bottom - 1, x + width - 2};
        TKSetFillColor(ctx, kWhite);
        TKFillRect(ctx, box);
        TKSetStrokeColor(ctx, kAccent);
        TKFrameRect(ctx, box);
        TKSetFillColor(ctx, TKColor{0.1, 0.1, 0.1, 1});
        TKDrawTextInRect(ctx, TKSmallFont(), (L.editText + "|").c_str(), cell, kTKAlignLeft);
      } else {
        TKSetFillColor(ctx, textColor);
        TKDrawTextInRect(ctx, TKSmallFont(), TKListCellText(L, row, col).c_str(), cell,
                         L.columns[col].numeric ? kTKAlignRight : kTKAlignLeft);
      }
      x += width;
    }
    y += kTKListRowHeight;
  }
  TKRestore(ctx);
  TKSetStrokeColor(ctx, Dim(focused ? kAccent : kBorder, live));
  TKFrameRect(ctx, c->bounds);
}

void DrawUserPane(TKControl* c, TKContext* ctx) {
  if (!c->pane.draw) return;
  TKSave(ctx);
  TKClipRect(ctx, c->bounds);
  c->pane.draw(c, ctx);
  TKRestore(ctx);
}

using DrawProc = void (*)(TKControl*, TKContext*);
struct KindDraw {
  TKControlKind kind;
  DrawProc draw;
};
const KindDraw kDrawTable[] = {
    {kTKControlUserPane, DrawUserPane},     {kTKControlPushButton, DrawPushButton},
    {kTKControlBevelButton, DrawBevelButton}, {kTKControlCheckBox, DrawCheckBox},
    {kTKControlPopupButton, DrawPopupButton}, {kTKControlSlider, DrawSlider},
    {kTKControlEditText, DrawEditText},     {kTKControlStaticText, DrawStaticText},
    {kTKControlList, DrawList},
};

}  // namespace

const TKFont& TKSystemFont() {
  static const TKFont font{"DejaVu Sans", 13.0, false, false};
  return font;
}

const TKFont& TKSmallFont() {
  static const TKFont font{"DejaVu Sans", 11.0, false, false};
  return font;
}

TKColor TKControlTextColor(TKControl* c) {
  TKColor color{0.10, 0.10, 0.11, 1};
  if (c->colorProc) {
    TKColor fromProc;
    if (c->colorProc(c, kTKColorText, &fromProc) == kQVNoErr) return fromProc;
  }
  if (!Live(c)) color = TKColor{0.55, 0.55, 0.57, 1};
  return color;
}

void TKDrawControlTree(TKControl* c, TKContext* ctx) {
  if (!c || !c->visible) return;
  if (c->kind != kTKControlRoot) {
    TKEvent e = TKControlEvent(kTKEventDraw, c);
    e.ctx = ctx;
    TKSave(ctx);
    QVStatus s = TKSendThroughChains(e, false);
    TKRestore(ctx);
    if (s == kQVErrNotHandled) {
      for (const KindDraw& k : kDrawTable)
        if (k.kind == c->kind) {
          TKSave(ctx);
          k.draw(c, ctx);
          TKRestore(ctx);
        }
    }
  }
  for (auto& child : c->children) TKDrawControlTree(child.get(), ctx);
}
