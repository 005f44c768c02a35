// Text of the scopes and image panes: the scopes' label font, the corner
// labels of a pane and labels with a dark shadow that stay readable over
// any picture.
#pragma once

#include <cstdint>

#include "platform/ui/ui_draw.h"

// The interface font's size, which scope labels never exceed.
constexpr int32_t kScopeInterfaceFontSize = 11;

// The scopes' label font for rect: plain "Helvetica" (fontconfig falls back
// to a sans face) at the interface size, but at most a rect height / 18.
// Returns the size (0 for a rect lower than 18 pixels: no label fits).
int32_t SetScopeFont(const TKRect& rect, TKFont* font);

// Corner labels: 0 bottom left, 1 bottom right, 2 top left, 3 top right.
enum : int32_t {
  kPaneCornerBottomLeft = 0,
  kPaneCornerBottomRight = 1,
  kPaneCornerTopLeft = 2,
  kPaneCornerTopRight = 3,
};
// Draws text in white bold "Helvetica" of min(rect height / 24, 12) points
// in a corner of rect (null: all of the context's picture), 6 pixels in from
// the side, the baseline half an ascent above the bottom or an ascent and a
// half below the top. The font goes with each call, so what the context
// keeps is untouched but its fill colour, which is left white.
void DrawPaneCornerLabels(TKContext* ctx, const TKRect* rect, const char* text, int32_t corner);

// Draws the text (at most 200 bytes, never cut inside a character) eight
// times in dark grey at the eight neighbours of (h, v), then once in white
// at (h, v), the baseline at v. The right-aligned twin ends the text at
// right. Both leave the context's fill colour white.
void DrawPaneLabelShadowed(TKContext* ctx, const TKFont& font, const char* text, double h, double v);
void DrawPaneLabelShadowedRight(TKContext* ctx, const TKFont& font, const char* text, double right, double v);
