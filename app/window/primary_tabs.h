// The primary correction tabs (HSL, RGB, CMY, YCbCr): each holds four range
// tabs "Master", "Highlights", "Midtones", "Shadows" of value sliders bound
// to one range record of the working settings and a Reset button for that
// range; the HSL tab puts its ranges under "Controls" beside "Hue Offsets"
// with four hue-offset wheels. The builders are declared in
// correction_tabs.h; the groups they make are kept here and in gVFTabGroups.
#pragma once

#include <cstdint>

struct TKControl;

extern TKControl* gHSLRangeTabs;
extern TKControl* gRGBRangeTabs;
extern TKControl* gCMYRangeTabs;
extern TKControl* gYCbCrRangeTabs;
extern TKControl* gHSLSubTabs;

// Column widths (the second column starts the width + 20 px right of the
// first): RGB, CMY and YCbCr split the range group's width, HSL takes the
// sub-tab group's width less 40; both between 220 and 330 px, and narrower
// where two columns that wide would run past the group's right edge.
int32_t PrimaryColumnWidth(int32_t groupWidth);
int32_t HSLColumnWidth(int32_t subTabGroupWidth);
constexpr int32_t kPrimaryColumnGap = 20;

// Side of each of the four hue-offset wheels in a sub-tab group of this size.
int32_t HueOffsetWheelSide(int32_t subTabGroupWidth, int32_t subTabGroupHeight);
