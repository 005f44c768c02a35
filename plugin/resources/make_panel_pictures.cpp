// Draws the pictures of the effect's panel into a folder at build time: the
// logo (dark and light text), the three states of each button and the about
// box's background.
//   make_panel_pictures <folder>
#include <cstdio>
#include <string>

#include "platform/ui/ui_draw.h"
#include "plugin/panel_strip_looks.h"

namespace {

TKColor Color(const VLStripColor& c) { return TKColor{c.red, c.green, c.blue, 1}; }

bool Write(TKImage* image, const std::string& path) {
  if (TKImageWritePNG(image, path.c_str()) == kQVNoErr) return true;
  std::fprintf(stderr, "make_panel_pictures: %s: cannot write\n", path.c_str());
  return false;
}

bool Button(const std::string& folder, const VLStripButtonLook& b, int state) {
  static const char* const kStates[3] = {"Up", "Down", "Rollover"};
  TKImagePtr image(TKImageCreate(b.width, kVLStripButtonHeight));
  if (!image) return false;
  TKContext* ctx = TKBeginDrawing(image.get());
  const TKRect bounds = TKMakeRect(0, 0, b.width, kVLStripButtonHeight);
  TKSetFillColor(ctx, Color(kVLStripButtonFaces[state]));
  TKFillRoundRect(ctx, bounds, kVLStripButtonCornerRadius);
  TKSetStrokeColor(ctx, Color(kVLStripButtonEdge));
  TKSetLineWidth(ctx, 1);
  TKFrameRoundRect(ctx, bounds, kVLStripButtonCornerRadius);
  TKFont font;
  font.size = 10;
  font.bold = true;
  TKSetFillColor(ctx, Color(kVLStripButtonLabels[state]));
  TKDrawTextInRect(ctx, font, b.label, bounds, kTKAlignCenter);
  TKEndDrawing(ctx);
  return Write(image.get(), folder + "/" + b.picture + " Button " + kStates[state] + ".png");
}

bool Logo(const std::string& folder, bool white) {
  TKImagePtr image(TKImageCreate(kVLLogoWidth, kVLLogoHeight));
  if (!image) return false;
  TKContext* ctx = TKBeginDrawing(image.get());
  TKFont font;
  font.size = 17;
  font.bold = true;
  TKSetFillColor(ctx, Color(white ? kVLLogoNameWhite : kVLLogoNameDark));
  TKDrawText(ctx, font, kVLLogoName, kVLLogoNameLeft, kVLLogoBaseline, kTKAlignLeft);
  font.size = 10;
  font.bold = false;
  TKSetFillColor(ctx, Color(kVLLogoLineColor));
  TKDrawText(ctx, font, kVLLogoLine, kVLLogoLineLeft, kVLLogoBaseline, kTKAlignLeft);
  TKEndDrawing(ctx);
  return Write(image.get(), folder + (white ? "/Plugin Logo White.png" : "/Plugin Logo.png"));
}

bool About(const std::string& folder) {
  TKImagePtr image(TKImageCreate(350, 300));
  if (!image) return false;
  TKContext* ctx = TKBeginDrawing(image.get());
  TKSetFillColor(ctx, TKColor{0.14, 0.15, 0.18, 1});
  TKFillRoundRect(ctx, TKMakeRect(0, 0, 350, 300), 12);
  TKFont font;
  font.size = 30;
  font.bold = true;
  TKSetFillColor(ctx, TKColor{1, 1, 1, 1});
  TKDrawText(ctx, font, "Velmora 3", 175, 120, kTKAlignCenter);
  font.size = 12;
  font.bold = false;
  TKSetFillColor(ctx, TKColor{0.8, 0.8, 0.85, 1});
  TKDrawText(ctx, font, "Version 3.0.14", 175, 150, kTKAlignCenter);
  TKDrawText(ctx, font, "Click to close", 175, 270, kTKAlignCenter);
  TKEndDrawing(ctx);
  return Write(image.get(), folder + "/AboutBG.png");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_panel_pictures <folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  bool ok = Logo(folder, false) && Logo(folder, true) && About(folder);
  for (const VLStripButtonLook& b : kVLStripButtons)
    for (int state = 0; state < 3 && ok; ++state) ok = Button(folder, b, state);
  return ok ? 0 : 1;
}
