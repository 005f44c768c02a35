// The texts of the colour controls: the readout menu (150), the menus of
// match modes per correction tab (160 to 167) and their help tags (string
// list 2000). Each is made the first time a control asks for it.
#pragma once

#include <cstdint>

struct TKMenu;

constexpr int32_t kVFHelpStringList = 2000;

// The menu with its items, made when no menu has the ID yet; null for an ID
// without texts here.
TKMenu* VFColorMenu(int32_t menuID);
// Fills the colour controls' entries of string list 2000 that are still empty.
void VFFillColorHelpStrings();
