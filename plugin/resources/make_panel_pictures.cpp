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

bool Write(UIImage* image, const std::string& path) {
  if (UIImageWritePNG(image, path.c_str()) == kQVNoErr) return true;
  std::fprintf(stderr, "make_panel_pictures: %s: cannot write\n", path.c_str());
  return false;
}

bool Button(const std::string& folder, const ButtonPicture& b, int state) {
  static const char* const kStates[3] = {"Up", "Down", "Rollover"};
  static const UIColor kFaces[3] = {{0.86, 0.86, 0.88, 1}, {0.42, 0.45, 0.52, 1}, {0.93, 0.95, 1.0, 1}};
  static const UIColor kText[3] = {{0.1, 0.1, 0.12, 1}, {1, 1, 1, 1}, {0.05, 0.2, 0.55, 1}};
  UIImagePtr image(UIImageCreate(b.width, kButtonHeight));
  if (!image) return false;
  UIContext* ctx = UIBeginDrawing(image.get());
  UISetFillColor(ctx, kFaces[state]);
  UIFillRoundRect(ctx, UIMakeRect(0, 0, b.width, kButtonHeight), 4);
  UISetStrokeColor(ctx, UIColor{0.3, 0.3, 0.34, 1});
  UISetLineWidth(ctx, 1);
  UIFrameRoundRect(ctx, UIMakeRect(0, 0, b.width, kButtonHeight), 4);
  UIFont font;
  font.size = 10;
  font.bold = true;
  UISetFillColor(ctx, kText[state]);
  UIDrawTextInRect(ctx, font, b.label, UIMakeRect(0, 0, b.width, kButtonHeight), kUIAlignCenter);
  UIEndDrawing(ctx);
  return Write(image.get(), folder + "/" + b.name + " Button " + kStates[state] + ".png");
}

bool Logo(const std::string& folder, bool white) {
  UIImagePtr image(UIImageCreate(279, 26));
  if (!image) return false;
  UIContext* ctx = UIBeginDrawing(image.get());
  UIFont font;
  font.size = 17;
  font.bold = true;
  UISetFillColor(ctx, white ? UIColor{1, 1, 1, 1} : UIColor{0.12, 0.12, 0.16, 1});
  UIDrawText(ctx, font, "Velmora", 6, 20, kUIAlignLeft);
  font.size = 10;
  font.bold = false;
  UISetFillColor(ctx, UIColor{0.85, 0.35, 0.1, 1});
  UIDrawText(ctx, font, "colour correction 3", 92, 20, kUIAlignLeft);
  UIEndDrawing(ctx);
  return Write(image.get(), folder + (white ? "/Plugin Logo White.png" : "/Plugin Logo.png"));
}

bool About(const std::string& folder) {
  UIImagePtr image(UIImageCreate(350, 300));
  if (!image) return false;
  UIContext* ctx = UIBeginDrawing(image.get());
  UISetFillColor(ctx, UIColor{0.14, 0.15, 0.18, 1});
  UIFillRoundRect(ctx, UIMakeRect(0, 0, 350, 300), 12);
  UIFont font;
  font.size = 30;
  font.bold = true;
  UISetFillColor(ctx, UIColor{1, 1, 1, 1});
  UIDrawText(ctx, font, "Velmora 3", 175, 120, kUIAlignCenter);
  font.size = 12;
  font.bold = false;
  UISetFillColor(ctx, UIColor{0.8, 0.8, 0.85, 1});
  UIDrawText(ctx, font, "Version 3.0.14", 175, 150, kUIAlignCenter);
  UIDrawText(ctx, font, "Click to close", 175, 270, kUIAlignCenter);
  UIEndDrawing(ctx);
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
