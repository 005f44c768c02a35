// The preview LUT menus and the "Other..." loader behind them.
#include "app/commands/preview_gamma_menus.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/prefs_store.h"
#include "platform/ui/ui_dialogs.h"
#include "platform/ui/ui_menu.h"
#include "settings/file_panels.h"
#include "tests/platform/ui/ui_test_fixture.h"

namespace {

class PreviewGammaMenus : public TKHeadlessTest {};

TEST_F(PreviewGammaMenus, ThreeMenusOfSixChoicesWithCommandsFromTheirBase) {
  struct Case {
    int32_t menuID;
    uint32_t base;
    uint32_t first;
    uint32_t last;
  } cases[] = {{kPrimaryLUTMenuID, kPrimaryLUTCommandBase, QVFourCC("VCpb"), QVFourCC("VCph")},
               {kSecondaryLUTMenuID, kSecondaryLUTCommandBase, QVFourCC("VCsb"), QVFourCC("VCsh")},
               {kExternalLUTMenuID, kExternalLUTCommandBase, QVFourCC("VCeb"), QVFourCC("VCeh")}};
  const char* titles[6] = {"None", "ITU.R 601 Gamma", "ITU.R 709 Gamma", "SMPTE 240M Gamma", "Invert", "Other..."};
  const int32_t choices[6] = {50, 51, 52, 53, 54, 56};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.menuID);
    TKMenu* menu = TKCreateMenu(c.menuID, "LUT");
    EXPECT_EQ(FillLinearizationMenu(menu, c.base), 6);
    ASSERT_EQ(TKCountMenuItems(menu), 6);
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(TKGetMenuItemText(menu, i + 1), titles[i]);
      EXPECT_EQ(TKGetMenuItemCommand(menu, i + 1), c.base + uint32_t(choices[i]));
      EXPECT_EQ(LinearizationChoiceForCommand(c.base + uint32_t(choices[i]), c.base), choices[i]);
    }
    EXPECT_EQ(TKGetMenuItemCommand(menu, 1), c.first);
    EXPECT_EQ(TKGetMenuItemCommand(menu, 6), c.last);
    // Choice 55 has no item; another menu's commands are not this one's.
    EXPECT_EQ(LinearizationChoiceForCommand(c.base + 55, c.base), 0);
    EXPECT_EQ(LinearizationChoiceForCommand(QVFourCC("VCxb"), c.base), 0);
  }
  EXPECT_EQ(FillLinearizationMenu(nullptr, kPrimaryLUTCommandBase), 0);
}

TEST_F(PreviewGammaMenus, OtherLoadsAFileThroughItsOwnPanel) {
  const std::string dir = MakeScratchFolder("gamma-menus");
  setenv("VELMORA_PREFERENCES", (dir + "/prefs").c_str(), 1);
  PLPrefsDiscard(kQVPanelsDomain);
  const std::string path = dir + "/invert.txt";
  {
    std::ofstream out(path);
    out << "table x 2\ngmax 255\ngsize 256\nr g b\n";
    for (int i = 0; i < 256; ++i) out << 255 - i << " " << 255 - i << " " << 255 - i << "\n";
  }
  TKDialogAnswer answer;
  answer.path = path;
  answer.typeIndex = 2;  // the grid text kind
  TKQueueDialogAnswer(answer);
  uint8_t table[768] = {};
  EXPECT_EQ(LoadLinearizationLUTFile(table), 1);
  EXPECT_EQ(table[0], 255);
  EXPECT_EQ(table[512 + 255], 0);
  const TKPanelRequest panel = TKScriptedDialogRequests().back().panel;
  EXPECT_EQ(panel.title, "Load LUT");
  EXPECT_EQ(panel.prompt, "Load");
  EXPECT_EQ(panel.types.size(), 4u);
  std::string folder;
  EXPECT_TRUE(GetOpenPanelPathPref(kQVPanelKindGet, int32_t(QVFourCC("LdLu")), &folder));

  // Cancelled: nothing read, the table stays.
  TKDialogAnswer cancel;
  cancel.status = kQVErrCancelled;
  TKQueueDialogAnswer(cancel);
  uint8_t kept[768];
  std::memcpy(kept, table, sizeof kept);
  EXPECT_EQ(LoadLinearizationLUTFile(table), 0);
  EXPECT_EQ(std::memcmp(kept, table, sizeof kept), 0);
  TKClearDialogScript();
  PLPrefsDiscard(kQVPanelsDomain);
  unsetenv("VELMORA_PREFERENCES");
}

}  // namespace
