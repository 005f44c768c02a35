// The program's own pictures and cursors, drawn with the toolkit's drawing
// calls when the main window is built, so that no image files ship with it.
#include "app/controls/control_pictures.h"

#include <cmath>
#include <utility>

#include "app/views/pictures.h"
#include "platform/ui/ui_draw.h"
#include "platform/ui/ui_window.h"

namespace {

const TKColor kInk = TKColorRGB(0.12, 0.12, 0.12);
const TKColor kHalo = TKColorRGB(1, 1, 1);

// Eyedroppers: the icon or cursor picture, the colour of the liquid in the
// tube, and whether it carries a white halo (cursors, to show over dark
// pictures). Cursors point with the tube's tip. Cursors are drawn without
// antialiasing: every pixel fully covered or clear, so a window system that
// takes the pixels as unpremultiplied shows them exactly.
struct EyedropperPicture {
  int32_t pictureID;
  TKColor liquid;
  bool halo;
};
const EyedropperPicture kEyedroppers[] = {
    {128, TKColorRGB(0.80, 0.88, 0.96), false},  // colour sample and match
    {129, TKColorRGB(0, 0, 0), false},           // black point
    {130, TKColorRGB(0.5, 0.5, 0.5), false},     // grey point
    {131, TKColorRGB(1, 1, 1), false},           // white point
    {500, TKColorRGB(0.80, 0.88, 0.96), true},
    {501, TKColorRGB(0, 0, 0), true},
    {502, TKColorRGB(0.5, 0.5, 0.5), true},
    {503, TKColorRGB(1, 1, 1), true},
};
constexpr TKPoint kEyedropperTip{1, 14};

// The curve editor's cursors: over a point (a four-way move sign) and
// elsewhere over the graph (a cross with an open centre).
constexpr int32_t kMovePicture = 504;
constexpr int32_t kCrossPicture = 505;
constexpr TKPoint kCentre{7, 7};

struct CursorUse {
  int32_t cursorID;
  int32_t pictureID;
  TKPoint hotSpot;
};
const CursorUse kCursors[] = {
    {500, 500, kEyedropperTip}, {501, 501, kEyedropperTip}, {502, 502, kEyedropperTip},
    {503, 503, kEyedropperTip}, {504, kMovePicture, kCentre}, {505, kCrossPicture, kCentre},
};

// The picture pane's artwork for dark and light interface colours.
struct PaneArtwork {
  int32_t pictureID;
  double topGrey, bottomGrey;
  TKColor text;
};
const PaneArtwork kPaneArtwork[] = {
    {kVFPaneArtworkDarkID, 0.22, 0.07, TKColorRGB(0.86, 0.86, 0.86)},
    {kVFPaneArtworkLightID, 0.94, 0.76, TKColorRGB(0.18, 0.18, 0.18)},
};

constexpr const char* kProgramName = "Velmora";
constexpr const char* kSuspendedText = "Updates suspended";

// The eyedropper's outline: a slanted tube from the bulb at the top right
// down to the tip at the bottom left.
void TubePath(TKContext* ctx) {
  TKBeginPath(ctx);
  TKMoveTo(ctx, 11.0, 7.0);
  TKLineTo(ctx, 9.0, 5.0);
  TKLineTo(ctx, 2.8, 11.2);
  TKLineTo(ctx, 1.5, 14.5);
  TKLineTo(ctx, 4.8, 13.2);
  TKClosePath(ctx);
}

void DrawEyedropper(TKContext* ctx, const EyedropperPicture& e) {
  if (e.halo) {
    TKSetAntialias(ctx, false);
    TKSetStrokeColor(ctx, kHalo);
    TKSetFillColor(ctx, kHalo);
    TKSetLineWidth(ctx, 3.0);
    TubePath(ctx);
    TKStrokePath(ctx);
    TKDrawLine(ctx, 8.5, 4.0, 12.0, 7.5);
    TKFillOval(ctx, TKRect{0, 9, 8, 16});
  }
  TKSetFillColor(ctx, e.liquid);
  TubePath(ctx);
  TKFillPath(ctx);
  TKSetStrokeColor(ctx, kInk);
  TKSetLineWidth(ctx, 1.0);
  TubePath(ctx);
  TKStrokePath(ctx);
  // The collar and the bulb.
  TKSetLineWidth(ctx, 2.4);
  TKDrawLine(ctx, 8.5, 4.0, 12.0, 7.5);
  TKSetFillColor(ctx, kInk);
  TKFillOval(ctx, TKRect{1, 10, 7, 16});
}

// Draws a cursor's strokes twice: white and wide for a halo, then dark.
void StrokeTwice(TKContext* ctx, void (*strokes)(TKContext*)) {
  TKSetAntialias(ctx, false);
  TKSetStrokeColor(ctx, kHalo);
  TKSetFillColor(ctx, kHalo);
  TKSetLineWidth(ctx, 3.0);
  strokes(ctx);
  TKSetStrokeColor(ctx, kInk);
  TKSetFillColor(ctx, kInk);
  TKSetLineWidth(ctx, 1.0);
  strokes(ctx);
}

void MoveStrokes(TKContext* ctx) {
  TKDrawLine(ctx, 2.5, 7.5, 12.5, 7.5);
  TKDrawLine(ctx, 7.5, 2.5, 7.5, 12.5);
  // Arrowheads at the four ends.
  const double heads[4][6] = {{7.5, 0.5, 5.0, 3.5, 10.0, 3.5}, {7.5, 14.5, 5.0, 11.5, 10.0, 11.5},
                              {0.5, 7.5, 3.5, 5.0, 3.5, 10.0}, {14.5, 7.5, 11.5, 5.0, 11.5, 10.0}};
  for (const auto& h : heads) {
    for (int32_t pass = 0; pass < 2; ++pass) {
      TKBeginPath(ctx);
      TKMoveTo(ctx, h[0], h[1]);
      TKLineTo(ctx, h[2], h[3]);
      TKLineTo(ctx, h[4], h[5]);
      TKClosePath(ctx);
      if (pass == 0)
        TKStrokePath(ctx);
      else
        TKFillPath(ctx);
    }
  }
}

void CrossStrokes(TKContext* ctx) {
  TKDrawLine(ctx, 7.5, 0.5, 7.5, 5.0);
  TKDrawLine(ctx, 7.5, 10.0, 7.5, 14.5);
  TKDrawLine(ctx, 0.5, 7.5, 5.0, 7.5);
  TKDrawLine(ctx, 10.0, 7.5, 14.5, 7.5);
}

// Fully saturated colour of a hue in [0, 1).
TKColor HueColor(double hue) {
  const double h = hue * 6.0;
  const double f = h - std::floor(h);
  switch (int32_t(h) % 6) {
    case 0: return TKColorRGB(1, f, 0);
    case 1: return TKColorRGB(1 - f, 1, 0);
    case 2: return TKColorRGB(0, 1, f);
    case 3: return TKColorRGB(0, 1 - f, 1);
    case 4: return TKColorRGB(f, 0, 1);
    default: return TKColorRGB(1, 0, 1 - f);
  }
}

// A vertical grey gradient, the program's name and a thin hue ribbon under it.
void DrawPaneArtwork(TKContext* ctx, const PaneArtwork& a) {
  for (int32_t y = 0; y < kVFPaneArtworkHeight; ++y) {
    const double t = double(y) / (kVFPaneArtworkHeight - 1);
    const double grey = a.topGrey + (a.bottomGrey - a.topGrey) * t;
    TKSetFillColor(ctx, TKColorRGB(grey, grey, grey));
    TKFillRect(ctx, TKMakeRect(0, y, kVFPaneArtworkWidth, 1));
  }
  TKFont font;
  font.size = 24;
  font.bold = true;
  TKSetFillColor(ctx, a.text);
  TKDrawText(ctx, font, kProgramName, kVFPaneArtworkWidth / 2.0, 50, kTKAlignCenter);
  constexpr int32_t kRibbonWidth = 96;
  const int32_t left = (kVFPaneArtworkWidth - kRibbonWidth) / 2;
  for (int32_t x = 0; x < kRibbonWidth; ++x) {
    TKSetFillColor(ctx, HueColor(double(x) / kRibbonWidth));
    TKFillRect(ctx, TKMakeRect(left + x, 60, 1, 2));
  }
}

void DrawSuspendedLabel(TKContext* ctx) {
  TKFont font;
  font.size = 18;
  font.bold = true;
  TKSetFillColor(ctx, TKColorFrom16(48000, 0, 0));
  TKDrawText(ctx, font, kSuspendedText, 0, 21, kTKAlignLeft);
}

// Draws a new picture of the given size with draw and registers it.
template <typename Draw>
void Register(int32_t pictureID, int32_t width, int32_t height, Draw draw) {
  TKImagePtr image(TKImageCreate(width, height));
  if (!image) return;
  TKContext* ctx = TKBeginDrawing(image.get());
  draw(ctx);
  TKEndDrawing(ctx);
  // A picture that cannot be registered draws as nothing; the controls still work.
  QVIgnoreStatus(TKRegisterPictureImage(pictureID, std::move(image)));
}

}  // namespace

void VFRegisterControlPictures() {
  for (const EyedropperPicture& e : kEyedroppers)
    Register(e.pictureID, kVFIconSide, kVFIconSide, [&](TKContext* ctx) { DrawEyedropper(ctx, e); });
  Register(kMovePicture, kVFIconSide, kVFIconSide, [](TKContext* ctx) { StrokeTwice(ctx, MoveStrokes); });
  Register(kCrossPicture, kVFIconSide, kVFIconSide, [](TKContext* ctx) { StrokeTwice(ctx, CrossStrokes); });
  for (const PaneArtwork& a : kPaneArtwork)
    Register(a.pictureID, kVFPaneArtworkWidth, kVFPaneArtworkHeight, [&](TKContext* ctx) { DrawPaneArtwork(ctx, a); });
  Register(kUpdatesSuspendedPictureID, kVFSuspendedLabelWidth, kVFSuspendedLabelHeight, DrawSuspendedLabel);
  if (!TKToolkitRunning()) return;
  // A cursor that cannot be defined leaves the arrow.
  for (const CursorUse& c : kCursors) QVIgnoreStatus(TKDefineCursor(c.cursorID, c.pictureID, c.hotSpot));
}
