// A headless correction window built as the application builds its own: the
// nine correction tabs with enable boxes bound to the working record, the
// HSL tab's range tabs with value sliders in one tab chain, an RGB slider,
// and the Limiting tab's check box and popup. The frames are a small colour
// ramp, processed by the shell's reprocessing, which every test counts.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/commands/controls_install.h"
#include "app/controls/bound_controls.h"
#include "app/controls/labels.h"
#include "app/controls/settings_sync.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/shell/host_link.h"
#include "app/shell/least_hooks.h"
#include "app/state/app_state.h"
#include "app/state/interface_colors.h"
#include "app/state/service_hooks.h"
#include "app/state/ui_state.h"
#include "app/state/undo_ring.h"
#include "core/frame_buffer.h"
#include "core/process_image.h"
#include "core/processing_tables.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_headless.h"

constexpr int32_t kLimitMenuID = 310;
constexpr uint32_t kOff(size_t offset) { return uint32_t(offset); }
#define VF_OFFSET(field) kOff(offsetof(VL_SettingsStruct, field))

class CorrectionWindowTest : public ::testing::Test {
 protected:
  TKWindow* window = nullptr;
  TKControl* mainTabs = nullptr;
  TKControl* hslRanges = nullptr;
  // Master range: hue, saturation, gain; highlights: gain; RGB master gain.
  TKControl* hue = nullptr;
  TKControl* saturation = nullptr;
  TKControl* gain = nullptr;
  TKControl* highlightGain = nullptr;
  TKControl* rgbGain = nullptr;
  TKControl* softClip = nullptr;
  TKControl* clipMethod = nullptr;
  int reprocessCount = 0;
  static inline CorrectionWindowTest* current = nullptr;
  VFServices savedServices;

  void SetUp() override {
    current = this;
    TKUseFakeClock(true);
    ASSERT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
    UIResetHooks();
    VFInstallControls();
    savedServices = VFGetServices();
    InitInterfaceColors();
    ApplyInterfaceBrightness(22282);
    ApplyInterfaceSaturation(26214);
    std::memset(gSettingsControls, 0, sizeof gSettingsControls);
    gVFTabGroups = VFMainTabGroups{};
    VFForgetUndoControl();
    UIResetState(20);
    gUISettings.hslEnable = 0;
    gUISettings.hsl[0].enable = 0;
    gUISettings.limiter_enable = 0;
    MakeFrames();
    VFGetServices().updatePreview = [] {
      ++current->reprocessCount;
      UIReprocess(true);
    };
    BuildWindow();
    SyncControlsWithSettings(&gUISettings, kVFSyncAll, kVFSyncAll, nullptr, 0);
    TKRunPending();
  }

  void TearDown() override {
    VFCommitPendingEdit(false);
    TKShutdownToolkit();
    TKUseFakeClock(false);
    UIResetHooks();
    VFGetServices() = savedServices;
    UIResetState(0);
    std::memset(gSettingsControls, 0, sizeof gSettingsControls);
    gVFTabGroups = VFMainTabGroups{};
    current = nullptr;
  }

  void MakeFrames() {
    ASSERT_EQ(FBCreateRGBFrameBuffer(16, 4, &gSourceFrame, kFBPixFormatPlanarFloat), kQVNoErr);
    ASSERT_EQ(FBCreateRGBFrameBuffer(16, 4, &gResultFrame, kFBPixFormatPlanarFloat), kQVNoErr);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 16; ++x)
        FBSetRGBPixel(gSourceFrame, x, y, x / 15.0f, 0.2f + 0.15f * y, 1.0f - x / 15.0f, 1.0f);
  }

  // Tests of whole tabs build their own window in its place.
  virtual void BuildWindow() {
    window = TKCreateWindow(kTKWindowPlain, TKMakeRect(40, 40, 560, 420), "Correction");
    TKSetWindowContentColor(window, VFColor(kUIColorControlBackground));
    static const VFTabEntry kMain[] = {{"HSL", 1, 1},    {"RGB", 1, 0},        {"CMY", 1, 0},
                                       {"YCbCr", 1, 0},  {"Curves", 1, 0},     {"Levels", 1, 0},
                                       {"Luma Range", 1, 0}, {"Secondary", 1, 0}, {"Limiting", 1, 0}};
    ASSERT_EQ(CreateTabGroup(window, TKMakeRect(10, 10, 540, 400), 9, kMain, true, &mainTabs), kQVNoErr);
    TabGroupBindItemCheck(mainTabs, 0, &gUISettings.hslEnable);
    TabGroupBindItemCheck(mainTabs, 1, &gUISettings.rgbEnable);
    TabGroupBindItemCheck(mainTabs, 8, &gUISettings.limiter_enable);
    gVFTabGroups.correction = mainTabs;

    static const VFTabEntry kRanges[] = {{"Master", 1, 1}, {"Highlights", 1, 0}, {"Midtones", 1, 0}, {"Shadows", 1, 0}};
    TKControl* hslPane = TabGroupGetPane(mainTabs, 0);
    const TKRect inner = TKGetControlBounds(hslPane);
    ASSERT_EQ(CreateTabGroup(window, TKRectInset(inner, 4, 4), 4, kRanges, true, &hslRanges), kQVNoErr);
    EXPECT_EQ(kQVNoErr, TKEmbedControl(hslRanges, hslPane));
    for (int i = 0; i < 4; ++i) TabGroupBindItemCheck(hslRanges, i, &gUISettings.hsl[i].enable);
    gVFTabGroups.ranges[0] = hslRanges;

    TKControl* master = TabGroupGetPane(hslRanges, 0);
    TKRect frame = FirstRow(master);
    VFBeginTabChain();
    hue = Slider(&frame, "Hue", -180, 180, master, VF_OFFSET(hsl[0].hue), 1);
    saturation = Slider(&frame, "Saturation", 0, 200, master, VF_OFFSET(hsl[0].saturation), 2);
    gain = Slider(&frame, "Gain", 0, 4, master, VF_OFFSET(hsl[0].gain), 3);
    VFCloseTabChain();
    TKControl* highlights = TabGroupGetPane(hslRanges, 1);
    frame = FirstRow(highlights);
    VFBeginTabChain();
    highlightGain = Slider(&frame, "Gain", 0, 4, highlights, VF_OFFSET(hsl[1].gain), 4);
    VFCloseTabChain();

    TKControl* rgbPane = TabGroupGetPane(mainTabs, 1);
    frame = FirstRow(rgbPane);
    VFBeginTabChain();
    rgbGain = Slider(&frame, "Gain", 0, 4, rgbPane, VF_OFFSET(rgb[0].gain), 5);
    VFCloseTabChain();

    TKControl* limiting = TabGroupGetPane(mainTabs, 8);
    frame = TKGetControlBounds(limiting);
    frame = TKRect{frame.top + 6, frame.left + 6, frame.top + 24, frame.left + 200};
    softClip = VFCreateCheckBox(window, &frame, "Soft Clip", limiting, &gUISettings,
                                VF_OFFSET(limiter.limiter_softclip_enable), 6, gSettingsControls, true);
    TKMenu* menu = TKGetMenu(kLimitMenuID);
    if (!menu) {
      menu = TKCreateMenu(kLimitMenuID, "");
      for (const char* t : {"Reduce Chroma", "Reduce Luma", "Smart"}) TKAppendMenuItem(menu, t, 0);
    }
    frame.bottom = frame.top + 34;
    frame.right = frame.left + 260;
    clipMethod = VFCreatePopup(window, &frame, "Limit Method", kLimitMenuID, limiting, &gUISettings,
                               VF_OFFSET(limiter.limiter_clip_method), 7, gSettingsControls, true);
    TKShowWindow(window);
    TKSelectWindow(window);
  }

  // The frame of the first control in a pane.
  static TKRect FirstRow(TKControl* pane) {
    const TKRect b = TKGetControlBounds(pane);
    return TKRect{b.top + 6, b.left + 6, b.top + 40, b.right - 6};
  }

  TKControl* Slider(TKRect* frame, const char* label, double min, double max, TKControl* parent, uint32_t offset,
                    int32_t id) {
    return VFCreateValueSlider(window, frame, label, min, max, min, max, kVFCorrectionSlider, parent, &gUISettings,
                               offset, &gUIDefaultSettings, id, gSettingsControls);
  }

  // Parts of a slider's composite.
  static VFValueSlider* Parts(TKControl* slider) { return VFGetValueSlider(slider); }
  static TKPoint Centre(TKControl* c) {
    const TKRect r = TKGetControlBounds(c);
    return TKPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void Click(TKControl* c, uint32_t modifiers = 0) {
    TKInjectClick(window, Centre(c), modifiers);
    TKRunPending();
  }
  void Key(uint32_t charCode, uint32_t modifiers = 0) {
    TKInjectKey(charCode, modifiers);
    TKRunPending();
  }
  void Type(const char* text) {
    TKInjectText(text);
    TKRunPending();
  }

  // The result the engine gives for the working record, processed apart.
  static std::vector<float> Expected() {
    FBFrameStruct* out = nullptr;
    EXPECT_EQ(FBCreateRGBFrameBuffer(16, 4, &out, kFBPixFormatPlanarFloat), kQVNoErr);
    VL_SettingsStruct copy;
    std::memcpy(&copy, &gUISettings, sizeof copy);
    EXPECT_EQ(kQVNoErr, VL_UpdateProcessingTables(&copy));
    EXPECT_EQ(kQVNoErr, ProcessImage(gSourceFrame, out, 0, 0));
    std::vector<float> pixels = Pixels(out);
    FBDisposeFrameBuffer(out);
    return pixels;
  }
  static std::vector<float> Pixels(const FBFrameStruct* frame) {
    std::vector<float> all;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 16; ++x) {
        float p[4];
        FBGetRGBPixel(frame, x, y, p);
        all.insert(all.end(), p, p + 3);
      }
    return all;
  }
};

// The byte offsets of the 32-bit words in which two records differ.
inline std::vector<uint32_t> ChangedWords(const VL_SettingsStruct& a, const VL_SettingsStruct& b) {
  std::vector<uint32_t> changed;
  const auto* pa = reinterpret_cast<const uint8_t*>(&a);
  const auto* pb = reinterpret_cast<const uint8_t*>(&b);
  for (uint32_t off = 0; off < sizeof a; off += 4)
    if (std::memcmp(pa + off, pb + off, 4) != 0) changed.push_back(off);
  return changed;
}
