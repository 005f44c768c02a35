// The standard look of the controls: one drawing function per kind.
#include <algorithm>
#include <cmath>
#include <string>

#include "platform/ui/ui_internal.h"

namespace {

const UIColor kAccent{0.20, 0.46, 0.85, 1};
const UIColor kBorder{0.58, 0.58, 0.60, 1};
const UIColor kFace{0.99, 0.99, 0.99, 1};
const UIColor kFacePressed{0.80, 0.82, 0.86, 1};
const UIColor kWhite{1, 1, 1, 1};

bool Live(UIControl* c) { return UIIsControlEnabled(c) && UIIsControlActive(c); }

UIColor Dim(UIColor c, bool live) { return live ? c : UIColor{c.red, c.green, c.blue, c.alpha * 0.45}; }

void FillBackgroundFromProc(UIControl* c, UIContext* ctx) {
  if (!c->colorProc) return;
  UIColor bg;
  if (c->colorProc(c, kUIColorBackground, &bg) != kQVNoErr) return;
  UISetFillColor(ctx, bg);
  UIFillRect(ctx, c->bounds);
}

void DrawButtonFace(UIContext* ctx, const UIRect& r, bool pressed, bool isDefault, bool live, double radius) {
  UIColor face = isDefault ? kAccent : kFace;
  if (pressed) face = isDefault ? UIColor{0.14, 0.36, 0.72, 1} : kFacePressed;
  UISetFillColor(ctx, Dim(face, live));
  UIFillRoundRect(ctx, r, radius);
  UISetStrokeColor(ctx, Dim(isDefault ? UIColor{0.13, 0.33, 0.66, 1} : kBorder, live));
  UISetLineWidth(ctx, 1);
  UIFrameRoundRect(ctx, r, radius);
}

void DrawPushButton(UIControl* c, UIContext* ctx) {
  bool live = Live(c);
  bool isDefault = c->window && c->window->defaultButton == c;
  DrawButtonFace(ctx, c->bounds, c->hilite != 0, isDefault, live, 5);
  UISetFillColor(ctx, isDefault ? Dim(kWhite, live) : UIControlTextColor(c));
  UIDrawTextInRect(ctx, c->font, c->title.c_str(), UIRectInset(c->bounds, 4, 0), kUIAlignCenter);
}

void DrawBevelButton(UIControl* c, UIContext* ctx) {
  bool live = Live(c);
  bool down = c->hilite != 0 || (c->sticky && c->value != 0);
  DrawButtonFace(ctx, c->bounds, down, false, live, 3);
  UIRect inner = UIRectInset(c->bounds, 3, 3);
  UIImage* pic = c->pictureID ? UIGetPicture(c->pictureID) : nullptr;
  if (pic) {
    int32_t side = std::min({UIRectWidth(inner), UIRectHeight(inner), UIImageWidth(pic)});
    if (!c->title.empty()) side = std::min(side, UIRectHeight(inner));
    UIRect dst = UIMakeRect(inner.left + (c->title.empty() ? (UIRectWidth(inner) - side) / 2 : 2),
                            inner.top + (UIRectHeight(inner) - side) / 2, side, side);
    UIDrawImage(ctx, pic, nullptr, dst, true);
    inner.left = dst.right + 4;
  }
  if (!c->title.empty()) {
    UISetFillColor(ctx, UIControlTextColor(c));
    UIDrawTextInRect(ctx, c->font, c->title.c_str(), inner, pic ? kUIAlignLeft : kUIAlignCenter);
  }
}

void DrawCheckBox(UIControl* c, UIContext* ctx) {
  bool live = Live(c);
  FillBackgroundFromProc(c, ctx);
  int32_t side = 14;
  int32_t top = c->bounds.top + (UIRectHeight(c->bounds) - side) / 2;
  UIRect box = UIMakeRect(c->bounds.left + 1, top, side, side);
  bool on = c->value != 0;
  UISetFillColor(ctx, Dim(on ? kAccent : (c->hilite ? kFacePressed : kWhite), live));
  UIFillRoundRect(ctx, box, 3);
  UISetStrokeColor(ctx, Dim(on ? UIColor{0.13, 0.33, 0.66, 1} : kBorder, live));
  UISetLineWidth(ctx, 1);
  UIFrameRoundRect(ctx, box, 3);
  if (c->value == 1) {
    UISetStrokeColor(ctx, Dim(kWhite, live));
    UISetLineWidth(ctx, 2);
    UIBeginPath(ctx);
    UIMoveTo(ctx, box.left + 3.5, box.top + 7.5);
    UILineTo(ctx, box.left + 6, box.top + 10.5);
    UILineTo(ctx, box.left + 10.5, box.top + 3.5);
    UIStrokePath(ctx);
    UISetLineWidth(ctx, 1);
  } else if (c->value == 2) {
    UISetFillColor(ctx, Dim(kWhite, live));
    UIFillRect(ctx, UIMakeRect(box.left + 3, box.top + 6, side - 6, 2));
  }
  UIRect text = c->bounds;
  text.left = box.right + 6;
  UISetFillColor(ctx, UIControlTextColor(c));
  UIDrawTextInRect(ctx, c->font, c->title.c_str(), text, kUIAlignLeft);
}

void DrawPopupButton(UIControl* c, UIContext* ctx) {
  bool live = Live(c);
  DrawButtonFace(ctx, c->bounds, c->hilite != 0, false, live, 5);
  std::string label = c->title;
  if (c->menu && c->value >= 1 && c->value <= int32_t(c->menu->items.size()))
    label = c->menu->items[size_t(c->value - 1)].text;
  UIRect text = UIRectInset(c->bounds, 8, 0);
  text.right -= 16;
  UISetFillColor(ctx, UIControlTextColor(c));
  UIDrawTextInRect(ctx, c->font, label.c_str(), text, kUIAlignLeft);
  // Up and down chevrons on the right.
  double x = c->bounds.right - 13.5, y = (c->bounds.top + c->bounds.bottom) / 2.0;
  UISetStrokeColor(ctx, Dim(UIColor{0.3, 0.3, 0.3, 1}, live));
  UISetLineWidth(ctx, 1.5);
  UIBeginPath(ctx);
  UIMoveTo(ctx, x - 3.5, y - 2);
  UILineTo(ctx, x, y - 5.5);
  UILineTo(ctx, x + 3.5, y - 2);
  UIMoveTo(ctx, x - 3.5, y + 2);
  UILineTo(ctx, x, y + 5.5);
  UILineTo(ctx, x + 3.5, y + 2);
  UIStrokePath(ctx);
  UISetLineWidth(ctx, 1);
}

void DrawSlider(UIControl* c, UIContext* ctx) {
  bool live = Live(c);
  FillBackgroundFromProc(c, ctx);
  UIRect thumb = UISliderThumbRect(c);
  int32_t mid = (c->bounds.top + c->bounds.bottom) / 2;
  UIRect track = UIMakeRect(c->bounds.left + 2, mid - 2, UIRectWidth(c->bounds) - 4, 4);
  UISetFillColor(ctx, Dim(UIColor{0.74, 0.74, 0.76, 1}, live));
  UIFillRoundRect(ctx, track, 2);
  UIRect filled = track;
  filled.right = (thumb.left + thumb.right) / 2;
  UISetFillColor(ctx, Dim(kAccent, live));
  UIFillRoundRect(ctx, filled, 2);
  UISetFillColor(ctx, Dim(c->hilite == kUIPartThumb ? kFacePressed : kWhite, live));
  UIFillOval(ctx, thumb);
  UISetStrokeColor(ctx, Dim(kBorder, live));
  UIFrameOval(ctx, UIRectInset(thumb, 0, 0));
}

void DrawEditText(UIControl* c, UIContext* ctx) {
  bool live = Live(c);
  bool focused = c->window && c->window->focus == c && c->window == UIState().keyWindow;
  UISetFillColor(ctx, kWhite);
  UIFillRect(ctx, c->bounds);
  UISetStrokeColor(ctx, Dim(focused ? kAccent : kBorder, live));
  UISetLineWidth(ctx, focused ? 2 : 1);
  UIFrameRect(ctx, c->bounds);
  UISetLineWidth(ctx, 1);
  UIRect text = UIRectInset(c->bounds, 4, 2);
  UISave(ctx);
  UIClipRect(ctx, text);
  UITextMetrics m = UIMeasureText(c->font, c->title.c_str());
  double baseline = std::round((text.top + text.bottom) / 2.0 + (m.ascent - m.descent) / 2.0);
  if (focused) {
    std::string before = c->title.substr(0, size_t(c->selStart));
    std::string sel = c->title.substr(size_t(c->selStart), size_t(c->selEnd - c->selStart));
    double x0 = text.left + UIMeasureText(c->font, before.c_str()).width;
    double x1 = x0 + UIMeasureText(c->font, sel.c_str()).width;
    if (c->selEnd > c->selStart) {
      UISetFillColor(ctx, UIColor{0.70, 0.82, 1.0, 1});
      UIFillRect(ctx, UIRect{int32_t(baseline - m.ascent), int32_t(x0), int32_t(baseline + m.descent),
                             int32_t(std::ceil(x1))});
    } else {
      UISetStrokeColor(ctx, UIColor{0.1, 0.1, 0.1, 1});
      UIDrawLine(ctx, std::floor(x0) + 0.5, baseline - m.ascent, std::floor(x0) + 0.5, baseline + m.descent);
    }
  }
  UISetFillColor(ctx, UIControlTextColor(c));
  UIDrawText(ctx, c->font, c->title.c_str(), text.left, baseline, kUIAlignLeft);
  UIRestore(ctx);
}

void DrawStaticText(UIControl* c, UIContext* ctx) {
  FillBackgroundFromProc(c, ctx);
  UISetFillColor(ctx, UIControlTextColor(c));
  UITextMetrics m = UIMeasureText(c->font, c->title.c_str());
  if (UIRectHeight(c->bounds) >= 2 * (m.ascent + m.descent))
    UIDrawTextWrapped(ctx, c->font, c->title.c_str(), c->bounds);
  else
    UIDrawTextInRect(ctx, c->font, c->title.c_str(), c->bounds, kUIAlignLeft);
}

void DrawList(UIControl* c, UIContext* ctx) {
  UIListData& L = *c->list;
  bool live = Live(c);
  bool focused = c->window && c->window->focus == c;
  UISetFillColor(ctx, kWhite);
  UIFillRect(ctx, c->bounds);
  UISave(ctx);
  UIClipRect(ctx, c->bounds);
  UIRect header = c->bounds;
  header.bottom = header.top + kUIListHeaderHeight;
  UISetFillColor(ctx, UIColor{0.90, 0.90, 0.91, 1});
  UIFillRect(ctx, header);
  UISetStrokeColor(ctx, UIColor{0.75, 0.75, 0.77, 1});
  UIDrawLine(ctx, header.left, header.bottom - 0.5, header.right, header.bottom - 0.5);
  int32_t x = c->bounds.left;
  for (size_t col = 0; col < L.columns.size(); ++col) {
    const UIListColumn& column = L.columns[col];
    UIRect cell{header.top, x + 6, header.bottom, x + column.width - 4};
    UISetFillColor(ctx, UIControlTextColor(c));
    UIFont bold = UISmallFont();
    bold.bold = true;
    UIDrawTextInRect(ctx, bold, column.title.c_str(), cell, kUIAlignLeft);
    if (int32_t(col) == L.sortColumn) {
      double ax = x + column.width - 12, ay = (header.top + header.bottom) / 2.0;
      UIBeginPath(ctx);
      if (L.ascending) {
        UIMoveTo(ctx, ax - 4, ay + 2);
        UILineTo(ctx, ax + 4, ay + 2);
        UILineTo(ctx, ax, ay - 3);
      } else {
        UIMoveTo(ctx, ax - 4, ay - 2);
        UILineTo(ctx, ax + 4, ay - 2);
        UILineTo(ctx, ax, ay + 3);
      }
      UIClosePath(ctx);
      UISetFillColor(ctx, UIColor{0.35, 0.35, 0.35, 1});
      UIFillPath(ctx);
    }
    x += column.width;
    UISetStrokeColor(ctx, UIColor{0.78, 0.78, 0.80, 1});
    UIDrawLine(ctx, x - 0.5, header.top + 3, x - 0.5, header.bottom - 3);
  }
  int32_t y = header.bottom;
  for (size_t row = size_t(std::max(0, L.scroll)); row < L.rows.size() && y < c->bounds.bottom; ++row) {
    UIRect rowRect{y, c->bounds.left, y + kUIListRowHeight, c->bounds.right};
    bool selected = L.rows[row].selected;
    if (selected) {
      UISetFillColor(ctx, Dim(focused ? kAccent : UIColor{0.75, 0.78, 0.84, 1}, live));
      UIFillRect(ctx, rowRect);
    } else if (row % 2) {
      UISetFillColor(ctx, UIColor{0.96, 0.96, 0.97, 1});
      UIFillRect(ctx, rowRect);
    }
    x = c->bounds.left;
    for (size_t col = 0; col < L.columns.size(); ++col) {
      int32_t width = L.columns[col].width;
      UIRect cell{rowRect.top, x + 6, rowRect.bottom, x + width - 4};
      const std::string& text = col < L.rows[row].cells.size() ? L.rows[row].cells[col] : std::string();
      if (int32_t(row) == L.editRow && int32_t(col) == L.editColumn) {
        UIRect box{rowRect.top + 1, x + 2, rowRect.bottom - 1, x + width - 2};
        UISetFillColor(ctx, kWhite);
        UIFillRect(ctx, box);
        UISetStrokeColor(ctx, kAccent);
        UIFrameRect(ctx, box);
        UISetFillColor(ctx, UIColor{0.1, 0.1, 0.1, 1});
        UIDrawTextInRect(ctx, UISmallFont(), (L.editText + "|").c_str(), cell, kUIAlignLeft);
      } else {
        UISetFillColor(ctx, selected && focused ? kWhite : UIControlTextColor(c));
        UIDrawTextInRect(ctx, UISmallFont(), text.c_str(), cell,
                         L.columns[col].numeric ? kUIAlignRight : kUIAlignLeft);
      }
      x += width;
    }
    y += kUIListRowHeight;
  }
  UIRestore(ctx);
  UISetStrokeColor(ctx, Dim(focused ? kAccent : kBorder, live));
  UIFrameRect(ctx, c->bounds);
}

void DrawUserPane(UIControl* c, UIContext* ctx) {
  if (!c->pane.draw) return;
  UISave(ctx);
  UIClipRect(ctx, c->bounds);
  c->pane.draw(c, ctx);
  UIRestore(ctx);
}

using DrawProc = void (*)(UIControl*, UIContext*);
struct KindDraw {
  UIControlKind kind;
  DrawProc draw;
};
const KindDraw kDrawTable[] = {
    {kUIControlUserPane, DrawUserPane},     {kUIControlPushButton, DrawPushButton},
    {kUIControlBevelButton, DrawBevelButton}, {kUIControlCheckBox, DrawCheckBox},
    {kUIControlPopupButton, DrawPopupButton}, {kUIControlSlider, DrawSlider},
    {kUIControlEditText, DrawEditText},     {kUIControlStaticText, DrawStaticText},
    {kUIControlList, DrawList},
};

}  // namespace

const UIFont& UISystemFont() {
  static const UIFont font{"DejaVu Sans", 13.0, false, false};
  return font;
}

const UIFont& UISmallFont() {
  static const UIFont font{"DejaVu Sans", 11.0, false, false};
  return font;
}

UIColor UIControlTextColor(UIControl* c) {
  UIColor color{0.10, 0.10, 0.11, 1};
  if (c->colorProc) {
    UIColor fromProc;
    if (c->colorProc(c, kUIColorText, &fromProc) == kQVNoErr) return fromProc;
  }
  if (!Live(c)) color = UIColor{0.55, 0.55, 0.57, 1};
  return color;
}

void UIDrawControlTree(UIControl* c, UIContext* ctx) {
  if (!c || !c->visible) return;
  if (c->kind != kUIControlRoot) {
    UIEvent e = UIControlEvent(kUIEventDraw, c);
    e.ctx = ctx;
    UISave(ctx);
    QVStatus s = UISendThroughChains(e, false);
    UIRestore(ctx);
    if (s == kQVErrNotHandled) {
      for (const KindDraw& k : kDrawTable)
        if (k.kind == c->kind) {
          UISave(ctx);
          k.draw(c, ctx);
          UIRestore(ctx);
        }
    }
  }
  for (auto& child : c->children) UIDrawControlTree(child.get(), ctx);
}
