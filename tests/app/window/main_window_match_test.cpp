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
UIControl* FindFirst(UIControl* control, uint32_t signature) {
  if (!control) return nullptr;
  if (UIGetControlID(control).signature == signature) return control;
  for (int32_t i = 0, n = UICountChildren(control); i < n; ++i)
    if (UIControl* found = FindFirst(UIGetChild(control, i), signature)) return found;
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
  UIPoint Centre(UIControl* c) {
    const UIRect r = UIGetControlBounds(c);
    return UIPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // Clicks the eyedropper, then presses and lets go over a point of the
  // current image view.
  void PickAt(UIControl* eyedropper, UIPoint where) {
    UIWindow* window = UIMainWindow();
    const double at = UINow() + 0.3;
    UIInjectClick(window, Centre(eyedropper));
    UIInjectMouseMove(window, where, at);
    UIInjectMouseDown(window, where, 0, at + 0.3);
    UIInjectMouseUp(window, where, 0, at + 0.6);
    UIRunPending();
  }
};

TEST_F(MainWindowMatchTest, PickSourceAndTargetThenMatchOnTheRGBTab) {
  Build();
  UIWindow* window = UIMainWindow();
  UIRenderWindow(window);
  ImagePaneRecord* view = ImagePaneRecordOf(gCurrentImagePane);
  ASSERT_TRUE(view);
  const UIRect drawn = view->drawnRect;
  ASSERT_FALSE(UIRectEmpty(drawn));

  // The group's eyedropper comes first in the window, the panel's second.
  UIControl* root = UIGetRootControl(window);
  UIControl* group = FindFirst(root, kVFSigReadoutPopup);
  ASSERT_TRUE(group);
  const int32_t groupID = UIGetControlID(group).id;
  UIControl* groupEyedropper = UIFindControlByID(window, UIControlID{kVFSigEyedropper, groupID});
  UIControl* button = FindFirst(root, QVFourCC("VFmc"));
  ASSERT_TRUE(groupEyedropper && button);
  const int32_t panelID = UIGetControlID(button).id;
  UIControl* panelEyedropper = UIFindControlByID(window, UIControlID{kVFSigEyedropper, panelID});
  UIControl* popup = UIFindControlByID(window, UIControlID{QVFourCC("VFmf"), panelID});
  ASSERT_TRUE(panelEyedropper && popup);

  // Source: the right edge of the picture (red high); target: the left edge.
  PickAt(groupEyedropper, UIPoint{drawn.right - 3, (drawn.top + drawn.bottom) / 2});
  EXPECT_GT(Triple(kSampler)[0], 0.9f);
  EXPECT_EQ(std::memcmp(Triple(kSampler), Triple(kSource), 12), 0) << "the group's pick is the match's source";
  PickAt(panelEyedropper, UIPoint{drawn.left + 3, (drawn.top + drawn.bottom) / 2});
  EXPECT_LT(Triple(kTarget)[0], 0.1f);
  EXPECT_GT(Triple(kSource)[0], 0.9f) << "the target's pick leaves the source";

  // The RGB tab puts the popup on its menu; mode 3 matches red alone.
  TabGroupSelect(gCorrectionTabs, 1);
  UIRunPending();
  EXPECT_EQ(gCorrectionTab, 1);
  EXPECT_EQ(UIGetMenuID(UIGetControlMenu(popup)), 162);
  UISetControlValue(popup, 3);
  const float red = Triple(kTarget)[0] / Triple(kSource)[0];
  const std::vector<float> before = Pixels(gResultFrame);
  const float greenGain = gUISettings.rgb[0].channel[1].gain;
  UIPressButton(button);
  UIRunPending();
  EXPECT_FLOAT_EQ(gUISettings.rgb[0].channel[0].gain, red);
  EXPECT_FLOAT_EQ(gUISettings.rgb[0].channel[1].gain, greenGain);
  EXPECT_EQ(gUISettings.rgbEnable, 1u);
  EXPECT_NE(Pixels(gResultFrame), before);

  FBFrameStruct* out = nullptr;
  ASSERT_EQ(FBCreateRGBFrameBuffer(32, 24, &out, kFBPixFormatPlanarFloat), kQVNoErr);
  VL_SettingsStruct copy = gUISettings;
  VL_UpdateProcessingTables(&copy);
  ProcessImage(gSourceFrame, out, 0, 0);
  EXPECT_EQ(Pixels(gResultFrame), Pixels(out));
  FBDisposeFrameBuffer(out);

  // Tabs without a match turn the panel off.
  TabGroupSelect(gCorrectionTabs, 5);
  UIRunPending();
  EXPECT_FALSE(UIIsControlActive(button));
}

}  // namespace
