// Colour matching in the main window: the colour-match group's pick is also
// the match's source, the panel's eyedropper picks the target, and Match
// Color on the RGB tab changes the record and the picture as the engine
// does.
#include <cstring>
#include <vector>

#include "app/controls/color_swatch.h"
#include "app/views/image_pane_internal.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "main_window_fixture.h"

namespace {

constexpr uint32_t kSampler = 33424, kSource = 33452, kTarget = 33464;

const float* Triple(uint32_t offset) {
  return reinterpret_cast<const float*>(reinterpret_cast<const uint8_t*>(&gUISettings) + offset);
}

// The eyedropper and button of each kind in the window (there is one of each).
TKControl* FindFirst(TKControl* control, uint32_t signature) {
  if (!control) return nullptr;
  if (TKGetControlID(control).signature == signature) return control;
  for (int32_t i = 0, n = TKCountChildren(control); i < n; ++i)
    if (TKControl* found = FindFirst(TKGetChild(control, i), signature)) return found;
  return nullptr;
}

std::vector<float> Pixels(const FBFrameStruct* frame) {
  std::vector<float> all;
  for (uint32_t y = 0; y < frame->height; ++y)
    for (uint32_t x = 0; x < frame->width; ++x) {
      float p[4];
      FBGetRGBPixel(frame, int32_t(x), int32_t(y), p);
      all.insert(all.end(), p, p + 3);
    }
  return all;
}

class MainWindowMatchTest : public MainWindowTest {
 protected:
  TKPoint Centre(TKControl* c) {
    const TKRect r = TKGetControlBounds(c);
    return TKPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // Clicks the eyedropper, then presses and lets go over a point of the
  // current image view.
  void PickAt(TKControl* eyedropper, TKPoint where) {
    TKWindow* window = UIMainWindow();
    const double at = TKNow() + 0.3;
    TKInjectClick(window, Centre(eyedropper));
    TKInjectMouseMove(window, where, at);
    TKInjectMouseDown(window, where, 0, at + 0.3);
    TKInjectMouseUp(window, where, 0, at + 0.6);
    TKRunPending();
  }
};

TEST_F(MainWindowMatchTest, PickSourceAndTargetThenMatchOnTheRGBTab) {
  Build();
  TKWindow* window = UIMainWindow();
  TKRenderWindow(window);
  ImagePaneRecord* view = ImagePaneRecordOf(gCurrentImagePane);
  ASSERT_TRUE(view);
  const TKRect drawn = view->drawnRect;
  ASSERT_FALSE(TKRectEmpty(drawn));

  // The group's eyedropper comes first in the window, the panel's second.
  TKControl* root = TKGetRootControl(window);
  TKControl* group = FindFirst(root, kVFSigReadoutPopup);
  ASSERT_TRUE(group);
  const int32_t groupID = TKGetControlID(group).id;
  TKControl* groupEyedropper = TKFindControlByID(window, TKControlID{kVFSigEyedropper, groupID});
  TKControl* button = FindFirst(root, QVFourCC("VFmc"));
  ASSERT_TRUE(groupEyedropper && button);
  const int32_t panelID = TKGetControlID(button).id;
  TKControl* panelEyedropper = TKFindControlByID(window, TKControlID{kVFSigEyedropper, panelID});
  TKControl* popup = TKFindControlByID(window, TKControlID{QVFourCC("VFmf"), panelID});
  ASSERT_TRUE(panelEyedropper && popup);

  // Source: the right edge of the picture (red high); target: the left edge.
  PickAt(groupEyedropper, TKPoint{drawn.right - 3, (drawn.top + drawn.bottom) / 2});
  EXPECT_GT(Triple(kSampler)[0], 0.9f);
  EXPECT_EQ(std::memcmp(Triple(kSampler), Triple(kSource), 12), 0) << "the group's pick is the match's source";
  PickAt(panelEyedropper, TKPoint{drawn.left + 3, (drawn.top + drawn.bottom) / 2});
  EXPECT_LT(Triple(kTarget)[0], 0.1f);
  EXPECT_GT(Triple(kSource)[0], 0.9f) << "the target's pick leaves the source";

  // The RGB tab puts the popup on its menu; mode 3 matches red alone.
  TabGroupSelect(gCorrectionTabs, 1);
  TKRunPending();
  EXPECT_EQ(gCorrectionTab, 1);
  EXPECT_EQ(TKGetMenuID(TKGetControlMenu(popup)), 162);
  TKSetControlValue(popup, 3);
  const float red = Triple(kTarget)[0] / Triple(kSource)[0];
  const std::vector<float> before = Pixels(gResultFrame);
  const float greenGain = gUISettings.rgb[0].channel[1].gain;
  TKPressButton(button);
  TKRunPending();
  EXPECT_FLOAT_EQ(gUISettings.rgb[0].channel[0].gain, red);
  EXPECT_FLOAT_EQ(gUISettings.rgb[0].channel[1].gain, greenGain);
  EXPECT_EQ(gUISettings.rgbEnable, 1u);
  EXPECT_NE(Pixels(gResultFrame), before);

  FBFrameStruct* out = nullptr;
  ASSERT_EQ(FBCreateRGBFrameBuffer(32, 24, &out, kFBPixFormatPlanarFloat), kQVNoErr);
  VL_SettingsStruct copy = gUISettings;
  EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&copy));
  EXPECT_EQ(kQVNoErr, ProcessImage(gSourceFrame, out, 0, 0));
  EXPECT_EQ(Pixels(gResultFrame), Pixels(out));
  FBDisposeFrameBuffer(out);

  // Tabs without a match turn the panel off.
  TabGroupSelect(gCorrectionTabs, 5);
  TKRunPending();
  EXPECT_FALSE(TKIsControlActive(button));
}

}  // namespace
