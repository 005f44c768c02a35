// The Settings menu's "Input Settings..." command: enabled only while a
// frame of the exchange is loaded, it edits the record the frame arrived
// with and makes the source frame again from the arriving values.
#include <cstring>
#include <vector>

#include "app/commands/app_commands.h"
#include "app/controls/input_linearization.h"
#include "app/window/input_settings_dialog.h"
#include "app/window/input_settings_dialog_internal.h"
#include "core/pixel_transfer.h"
#include "core/task_pool.h"
#include "settings/comm_block.h"
#include "settings/prefs.h"
#include "tests/app/controls/correction_window.h"
#include "tests/app/controls/input_linearization_record.h"

namespace {

constexpr int32_t kWidth = 16, kHeight = 4, kRowBytes = kWidth * 4;
constexpr size_t kFrameBytes = size_t(kRowBytes) * kHeight;

TKPoint RectCentre(const TKRect& r) { return TKPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

void TypeInto(InputSettingsDialog* d, const InputSettingsSlider& s, const char* text) {
  TKInjectClick(d->window, RectCentre(TKGetControlBounds(s.readout)));
  TKInjectKey('a', kTKModCommand);
  TKInjectText(text);
}

// The dialog's scripted input for the next run.
void (*gScript)(InputSettingsDialog*) = nullptr;
int gDialogRuns = 0;

class InputSettingsCommand : public CorrectionWindowTest {
 protected:
  std::vector<uint64_t> segment;  // the block, 8-aligned
  std::vector<uint8_t> pixels;    // the frame as the plug-in sends it ('BGRA')
  PrefsSettings savedPrefs{};

  CCUIComm* Block() { return reinterpret_cast<CCUIComm*>(segment.data()); }

  void SetUp() override {
    savedPrefs = gPrefsSettings;
    PFLoadDefaultPreferences(&gPrefsSettings);
    std::memset(gPrefsSettings.adjustHostPixels, 0, sizeof gPrefsSettings.adjustHostPixels);
    CorrectionWindowTest::SetUp();
    InstallAppCommands();
    BuildMenuBar();
    EnableSessionMenus(true);
    gDialogRuns = 0;
    SetInputSettingsDialogOpenedHook([](InputSettingsDialog* d) {
      ++gDialogRuns;
      if (gScript) gScript(d);
    });

    // A block holding one inline frame: a ramp in each channel.
    segment.assign((kCCHeaderBytes + kFrameBytes + 7) / 8, 0);
    pixels.resize(kFrameBytes);
    for (size_t i = 0; i < kFrameBytes; ++i) pixels[i] = (i % 4 == 3) ? 255 : uint8_t((i * 37) % 256);
    CCUIComm* b = Block();
    b->width = kWidth;
    b->height = kHeight;
    b->rowBytes = kRowBytes;
    b->pixelFormat = kFBPixFormatBGRA;
    b->chunkSize = uint32_t(kFrameBytes);
    b->flags = kCCFlagInline;
    b->hostCreator = QVFourCC("tEsT");
    std::memcpy(b->frameData, pixels.data(), kFrameBytes);
    gUIComm = CCView{b, segment.size() * 8, false};
  }

  void TearDown() override {
    SetInputSettingsDialogOpenedHook(nullptr);
    gScript = nullptr;
    gImageLoaded = false;
    gUIComm = CCView{};
    EnableSessionMenus(false);
    UIDisposeFrames();
    CorrectionWindowTest::TearDown();
    gPrefsSettings = savedPrefs;
  }

  // The exchange's frame imported with the record in the block.
  void Import(const InputLinearization& record) {
    InputLinearizationToWords(record, Block()->linearization);
    ASSERT_EQ(UICommImportFrame(), kQVNoErr);
  }

  // The plug-in's pixels as a source frame, through the record: what the
  // source frame should hold.
  std::vector<float> Expected(const InputLinearization& record) {
    FBFrameStruct* f = nullptr;
    EXPECT_EQ(FBCreateRGBFrameBuffer(kWidth, kHeight, &f, kFBPixFormatPlanarFloat), kQVNoErr);
    FBTransferPixToFBFramePremultiplied(pixels.data(), kRowBytes, kFBPixFormatBGRA, f, 1, nullptr);
    ApplyInputLinearization(f, &record);
    std::vector<float> values = Values(f);
    FBDisposeFrameBuffer(f);
    return values;
  }

  static std::vector<float> Values(const FBFrameStruct* f) {
    std::vector<float> v;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        float rgba[4];
        FBGetRGBPixel(f, x, y, rgba);
        v.insert(v.end(), {rgba[0], rgba[1], rgba[2]});
      }
    return v;
  }

  InputLinearization Stored() { return InputLinearizationFromWords(gUILinearization); }
  InputLinearization InBlock() { return InputLinearizationFromWords(Block()->linearization); }
};

bool Same(const InputLinearization& a, const InputLinearization& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_F(InputSettingsCommand, TheItemIsEnabledOnlyWithAFrameOfTheExchange) {
  TKMenu* menu = nullptr;
  int32_t item = 0;
  ASSERT_TRUE(TKFindMenuCommand(kAppCmdInputSettings, &menu, &item));
  EXPECT_EQ(TKGetMenuID(menu), kAppMenuSettings);
  EXPECT_EQ(TKGetMenuItemText(menu, item), "Input Settings...");

  EXPECT_FALSE(AppMenuCommandEnabled(kAppCmdInputSettings)) << "block attached, no frame imported yet";
  gImageLoaded = true;
  EXPECT_FALSE(AppMenuCommandEnabled(kAppCmdInputSettings)) << "a picture, but not one that arrived";
  Import(ActiveInputLinRecord(2, 0, 255, 2.0f));
  EXPECT_TRUE(AppMenuCommandEnabled(kAppCmdInputSettings));
  EnableSessionMenus(false);
  EXPECT_FALSE(AppMenuCommandEnabled(kAppCmdInputSettings)) << "session menus off";
  EnableSessionMenus(true);
  gUIComm = CCView{};
  EXPECT_FALSE(AppMenuCommandEnabled(kAppCmdInputSettings)) << "exchange let go";
  // Not enabled, not run: the dialog does not open.
  EXPECT_EQ(HandleAppCommand(kAppCmdInputSettings, nullptr), kQVErrNotHandled);
  EXPECT_EQ(gDialogRuns, 0);
}

// OK applies the new record to the frame as it arrived, once: running the
// dialog again and pressing OK on the same record leaves the same frame.
TEST_F(InputSettingsCommand, OKRelinearizesTheArrivingFrameOnce) {
  const InputLinearization arrived = ActiveInputLinRecord(2, 0, 255, 2.0f);
  Import(arrived);
  ASSERT_EQ(Values(gSourceFrame), Expected(arrived));
  const InputLinearization edited = ActiveInputLinRecord(2, 16, 235, 0.5f);
  ASSERT_NE(Expected(edited), Expected(arrived));

  gScript = [](InputSettingsDialog* d) {
    TypeInto(d, d->black, "16");
    TypeInto(d, d->white, "235");
    TypeInto(d, d->gamma, "0.5");
    TKInjectKey(kTKKeyReturn);
  };
  const std::vector<float> result = Values(gResultFrame);
  const uint32_t shown = TKImageGetPixel(gSourceGWorld, 5, 1);
  EXPECT_EQ(HandleAppCommand(kAppCmdInputSettings, nullptr), kQVErrNotHandled);
  EXPECT_EQ(gDialogRuns, 1);
  EXPECT_TRUE(Same(Stored(), edited)) << std::hex << Stored().flags << " " << Stored().gamma;
  EXPECT_TRUE(Same(InBlock(), edited)) << "later frames of the exchange get the record too";
  EXPECT_EQ(Values(gSourceFrame), Expected(edited));
  EXPECT_NE(Values(gResultFrame), result) << "reprocessed";
  EXPECT_NE(TKImageGetPixel(gSourceGWorld, 5, 1), shown) << "the source picture shows the new frame";

  gScript = [](InputSettingsDialog*) { TKInjectKey(kTKKeyReturn); };
  for (int run = 2; run <= 3; ++run) {
    SCOPED_TRACE(run);
    EXPECT_EQ(HandleAppCommand(kAppCmdInputSettings, nullptr), kQVErrNotHandled);
    EXPECT_EQ(gDialogRuns, run);
    EXPECT_TRUE(Same(Stored(), edited));
    EXPECT_EQ(Values(gSourceFrame), Expected(edited));
  }
}

TEST_F(InputSettingsCommand, CancelLeavesEverything) {
  InputLinearization arrived = ActiveInputLinRecord(5, 95, 685, 1.7f);
  arrived.reserved[1] = 0xABCD;  // kept word for word
  Import(arrived);
  const std::vector<float> source = Values(gSourceFrame);
  const std::vector<float> result = Values(gResultFrame);
  std::vector<uint64_t> block = segment;
  const VL_SettingsStruct settings = gUISettings;

  gScript = [](InputSettingsDialog* d) {
    TypeInto(d, d->black, "10");
    TKInjectClick(d->window, RectCentre(kInputSettingsSoftClipRect));
    TKInjectKey(kTKKeyEscape);
  };
  const uint32_t shown = TKImageGetPixel(gSourceGWorld, 5, 1);
  EXPECT_EQ(HandleAppCommand(kAppCmdInputSettings, nullptr), kQVErrNotHandled);
  EXPECT_EQ(gDialogRuns, 1);
  EXPECT_TRUE(Same(Stored(), arrived));
  EXPECT_TRUE(segment == block) << "the block is untouched";
  EXPECT_EQ(Values(gSourceFrame), source);
  EXPECT_EQ(Values(gResultFrame), result);
  EXPECT_EQ(std::memcmp(&settings, &gUISettings, sizeof settings), 0);
  EXPECT_EQ(TKImageGetPixel(gSourceGWorld, 5, 1), shown);
}

}  // namespace
