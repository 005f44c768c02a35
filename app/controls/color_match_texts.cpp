#include "app/controls/color_match_texts.h"

#include "app/controls/context_menus.h"
#include "platform/ui/toolkit.h"

namespace {

struct MenuTexts {
  int32_t menuID;
  const char* items[8];
};

// Item numbers are the modes: readout modes (150); components matched on the
// HSL tab (160) and the Secondary tab (167): hue, saturation, luma; on the
// RGB, CMY, YCbCr and Curves tabs: item 2 the luma alone, items 3 to 5 one
// channel, 6 to 8 two channels, 1 all three.
const MenuTexts kMenus[] = {
    {150, {"0-255", "0-1023", "0-32768", "0.0-1.0", "Percent", "HSL", "Hex"}},
    {160,
     {"Hue, Saturation and Luma", "Hue", "Saturation", "Luma", "Hue and Saturation", "Hue and Luma",
      "Saturation and Luma"}},
    {162,
     {"Red, Green and Blue", "Luma", "Red", "Green", "Blue", "Red and Green", "Red and Blue", "Green and Blue"}},
    {163,
     {"Cyan, Magenta and Yellow", "Luma", "Cyan", "Magenta", "Yellow", "Cyan and Magenta", "Cyan and Yellow",
      "Magenta and Yellow"}},
    {164, {"Y, Cb and Cr", "Luma", "Y", "Cb", "Cr", "Y and Cb", "Y and Cr", "Cb and Cr"}},
    {165,
     {"Red, Green and Blue", "Master", "Red", "Green", "Blue", "Red and Green", "Red and Blue", "Green and Blue"}},
    {167, {"Hue and Saturation", "Hue", "Saturation"}},
};

// Entries 5 to 14 of string list 2000.
const char* const kHelp[] = {
    "Pick the target color from the picture",
    ("Click, then click or drag in the picture to pick the color the source should become; Option-click to "
     "choose it in the color picker"),
    "Which parts of the color Match Color changes",
    "Change the selected tab's correction so that the source color becomes the target color",
    "The source color, picked with the color readout's eyedropper",
    "The target color",
    "Pick a color from the picture; Option-click to choose it in the color picker",
    "The picked color",
    "The picked color after the current correction",
    "How the color values are shown",
};

}  // namespace

TKMenu* VFColorMenu(int32_t menuID) {
  if (TKMenu* menu = TKGetMenu(menuID)) return menu;
  for (const MenuTexts& texts : kMenus) {
    if (texts.menuID != menuID) continue;
    TKMenu* menu = TKCreateMenu(menuID, "");
    for (const char* item : texts.items)
      if (menu && item) TKAppendMenuItem(menu, item, 0);
    return menu;
  }
  return nullptr;
}

void VFFillColorHelpStrings() {
  VFFillListStrings(kVFHelpStringList, 5, kHelp, int32_t(sizeof kHelp / sizeof kHelp[0]));
}
