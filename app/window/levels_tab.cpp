// The Levels tab: four channel sub-tabs (master, red, green, blue), each
// with its levels control and Reset button; the master channel adds the
// input highlight recovery slider and the Auto Exposure and Auto Color
// buttons.
#include <cstddef>
#include <utility>

#include "app/controls/bound_controls.h"
#include "app/controls/composite_controls.h"
#include "app/controls/settings_sync.h"
#include "app/controls/tab_group.h"
#include "app/controls/value_slider.h"
#include "app/state/focus_text.h"
#include "app/state/interface_colors.h"
#include "app/state/view_state.h"
#include "app/window/correction_tabs.h"
#include "app/window/main_window.h"
#include "platform/ui/toolkit.h"

TKControl* gLevelsChannelTabs = nullptr;

namespace {

constexpr uint32_t kLevelsBlock = offsetof(VL_SettingsStruct, levels);
constexpr uint32_t kLevelsBlockBytes = sizeof(VL_LevelControls);
constexpr uint32_t kInputRecovery = offsetof(VL_SettingsStruct, input.inputControls_highlight_recovery);
static_assert(kLevelsBlock == 868 && kLevelsBlockBytes == 32 && kInputRecovery == 33540);

// A levels control takes seven control numbers.
constexpr int32_t kLevelsControlIDs = 7;
// Room kept right of the levels controls (the recovery slider) and below
// them (the buttons).
constexpr int32_t kSliderColumn = 250;
constexpr int32_t kButtonRow = 40;
constexpr int32_t kMargin = 10;

constexpr uint32_t kCommandAutoExposure = QVFourCC("VLae");
constexpr uint32_t kCommandAutoColor = QVFourCC("VLac");

}  // namespace

void BuildLevelsTab(TKWindow* window, TKControl* correctionTabs, const TKRect& bounds) {
  TabGroupBindItemCheck(correctionTabs, kCorrectionTabLevels, &gUISettings.levelsEnable);
  TKControl* tab = TabGroupGetPane(correctionTabs, kCorrectionTabLevels);
  static const VFTabEntry kChannels[] = {{"Master", 1, 1}, {"Red", 1, 0}, {"Green", 1, 0}, {"Blue", 1, 0}};
  TKControl* channels = nullptr;
  if (CreateTabGroup(window, bounds, 4, kChannels, true, &channels) != kQVNoErr) return;
  // Embedding a control made in the parent's window cannot fail.
  if (tab) QVIgnoreStatus(TKEmbedControl(channels, tab));
  TabGroupSetSwitchProc(channels, LevelsChannelSwitchProc);
  TabGroupSetEnableProc(channels, CorrectionTabEnableProc);
  for (int32_t c = 0; c < 4; ++c) TabGroupBindItemCheck(channels, c, &gUISettings.levels[c].enable);
  gLevelsChannelTabs = channels;
  gVFTabGroups.levelsChannels = channels;

  static const char* const kNames[4] = {"Master", "Red", "Green", "Blue"};
  for (int32_t c = 0; c < 4; ++c) {
    TKControl* pane = TabGroupGetPane(channels, c);
    const TKRect content = TKGetControlBounds(pane);
    const uint32_t block = kLevelsBlock + kLevelsBlockBytes * uint32_t(c);
    const uint32_t offsets[7] = {block, block + 8, block + 12, block + 16, block + 20, block + 24, block + 28};
    const TKRect area{content.top + kMargin, content.left + kMargin, content.bottom - kButtonRow,
                      content.right - kSliderColumn};
    TKControl* levels = CreateLevelsControl(window, area, kNames[c], pane, kLevelsChannelMaster + c, &gUISettings,
                                            offsets, gNextValueControlID, gSettingsControls);
    gNextValueControlID += kLevelsControlIDs;
    const VLSettingsSectionMask mask = VLSettingsSectionMask(1) << (kVLMaskBitLevels + c);
    TKControl* reset = VFCreateResetButton(window, pane, content, mask);
    if (c != 0) continue;

    // Beside the master control: the input highlight recovery.
    // Beside the master control where the tab is wide enough, below its
    // strip otherwise.
    const TKRect strip = levels ? TKGetControlBounds(levels) : area;
    int32_t sliderLeft = strip.right + 20;
    int32_t sliderTop = area.top + 14;
    if (sliderLeft + kSliderColumn - 40 > content.right - kMargin) {
      sliderLeft = area.left;
      sliderTop = strip.bottom + 4;
    }
    TKRect frame{sliderTop, sliderLeft, sliderTop + 34, sliderLeft + kSliderColumn - 40};
    VFBeginTabChain();
    VFCreateValueSlider(window, &frame, "Highlight Recovery (Input)", 0, 1, 0, 1, kVFCorrectionSlider, pane,
                        &gUISettings, kInputRecovery, &gUIDefaultSettings, gNextValueControlID++, gSettingsControls);
    VFCloseTabChain();

    // Auto Color and Auto Exposure stand left of Reset, in its row.
    const TKRect resetFrame = reset ? TKGetControlBounds(reset) : TKRect{};
    int32_t right = resetFrame.left - kMargin;
    for (const auto& [title, command] : {std::pair{"Auto Color", kCommandAutoColor},
                                         std::pair{"Auto Exposure", kCommandAutoExposure}}) {
      const int32_t width = QVGetThemeTextWidth(title, 0) + 20;
      VFCreateSectionButton(window, pane, TKRect{resetFrame.top, right - width, resetFrame.bottom, right}, title,
                            command, mask);
      right -= width + kMargin;
    }
  }
  TabGroupSelect(channels, 0);
}
