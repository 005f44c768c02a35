// Draws the pictures of the effect's panel into a folder at build time: the
// logo (dark and light text), the three states of each button and the about
// box's background.
//   make_panel_pictures <folder>
#include <cstdio>
#include <string>

#include "platform/ui/ui_draw.h"

namespace {

struct ButtonPicture {
  const char* name;
  const char* label;
  int32_t width;
};
const ButtonPicture kButtons[] = {{"Full", "Full Interface", 82}, {"Load", "Load", 75}, {"Reset", "Reset", 44},
                                  {"About", "About", 51}, {"Auto Color", "Auto Color", 89},
                                  {"Auto Exposure", "Auto Exposure", 89}};
constexpr int32_t kButtonHeight = 18;

bool Write(TKImage* image, const std::string& path) {
  if (TKImageWritePNG(image, path.c_str()) == kQVNoErr) return true;
  std::fprintf(stderr, "make_panel_pictures: %s: cannot write\n", path.c_str());
  return false;
}

bool Button(const std::string& folder, const ButtonPicture& b, int state) {
  static const char* const kStates[3] = {"Up", "Down", "Rollover"};
  static const TKColor kFaces[3] = {{0.86, 0.86, 0.88, 1}, {0.42, 0.45, 0.52, 1}, {0.93, 0.95, 1.0, 1}};
  static const TKColor kText[3] = {{0.1, 0.1, 0.12, 1}, {1, 1, 1, 1}, {0.05, 0.2, 0.55, 1}};
  TKImagePtr image(TKImageCreate(b.width, kButtonHeight));
  if (!image) return false;
  TKContext* ctx = TKBeginDrawing(image.get());
  TKSetFillColor(ctx, kFaces[state]);
  TKFillRoundRect(ctx, TKMakeRect(0, 0, b.width, kButtonHeight), 4);
  TKSetStrokeColor(ctx, TKColor{0.3, 0.3, 0.34, 1});
  TKSetLineWidth(ctx, 1);
  TKFrameRoundRect(ctx, TKMakeRect(0, 0, b.width, kButtonHeight), 4);
  TKFont font;
  font.size = 10;
  font.bold = true;
  TKSetFillColor(ctx, kText[state]);
  TKDrawTextInRect(ctx, font, b.label, TKMakeRect(0, 0, b.width, kButtonHeight), kTKAlignCenter);
  TKEndDrawing(ctx);
  return Write(image.get(), folder + "/" + b.name + " Button " + kStates[state] + ".png");
}

bool Logo(const std::string& folder, bool white) {
  TKImagePtr image(TKImageCreate(279, 26));
  if (!image) return false;
  TKContext* ctx = TKBeginDrawing(image.get());
  TKFont font;
  font.size = 17;
  font.bold = true;
  TKSetFillColor(ctx, white ? TKColor{1, 1, 1, 1} : TKColor{0.12, 0.12, 0.16, 1});
  TKDrawText(ctx, font, "Velmora", 6, 20, kTKAlignLeft);
  font.size = 10;
  font.bold = false;
  TKSetFillColor(ctx, TKColor{0.85, 0.35, 0.1, 1});
  TKDrawText(ctx, font, "colour correction 3", 92, 20, kTKAlignLeft);
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
  for (const ButtonPicture& b : kButtons)
    for (int state = 0; state < 3 && ok; ++state) ok = Button(folder, b, state);
  return ok ? 0 : 1;
}
