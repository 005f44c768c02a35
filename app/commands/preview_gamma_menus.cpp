#include "app/commands/preview_gamma_menus.h"

#include "platform/ui/ui_menu.h"
#include "settings/preview_lut_file.h"
#include "support/preview_lut.h"

namespace {

struct MenuChoice {
  int32_t choice;
  const char* title;
};
const MenuChoice kMenuChoices[] = {
    {kPreviewLUTNone, "None"},
    {kPreviewLUTRec601, "ITU.R 601 Gamma"},
    {kPreviewLUTRec709, "ITU.R 709 Gamma"},
    {kPreviewLUTSMPTE240M, "SMPTE 240M Gamma"},
    {kPreviewLUTInvert, "Invert"},
    {kPreviewLUTFromFile, "Other..."},
};

}  // namespace

int32_t FillLinearizationMenu(TKMenu* menu, uint32_t commandBase) {
  if (!menu) return 0;
  for (const MenuChoice& c : kMenuChoices) TKAppendMenuItem(menu, c.title, commandBase + uint32_t(c.choice));
  return int32_t(std::size(kMenuChoices));
}

int32_t LinearizationChoiceForCommand(uint32_t command, uint32_t commandBase) {
  for (const MenuChoice& c : kMenuChoices)
    if (command == commandBase + uint32_t(c.choice)) return c.choice;
  return 0;
}

int LoadLinearizationLUTFile(uint8_t* table) { return PreviewLUTLoadWithPanelID(table, int32_t(QVFourCC("LdLu"))); }
