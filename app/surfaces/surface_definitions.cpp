#include "app/surfaces/surface_definitions.h"

#include <cstring>

#include "core/settings_record.h"

SurfacePageDefinition gSurfacePages[kSurfacePageCount];
SurfaceControlDefinition gSurfaceControls[kSurfacePageCount][kSurfaceControlsPerPage];
int32_t gSurfaceCurrentPage = 0;

namespace {

// The surface's own controls, ids 0 to 125.
const char* const kPhysicalNames[kSurfaceLastPhysicalID + 1] = {
    "button_mrewind", "button_mffwd", "button_mstop", "button_mplay", "button_mrecord", "button_mw1",
    "button_mw2", "button_mw3", "button_mw4", "button_mw5", "button_mw6", "button_mw7", "button_mf1",
    "button_mf2", "button_mf3", "button_mf4", "button_mf5", "button_mf6", "vstick_up", "vstick_right",
    "vstick_down", "vstick_left", "shuttle_mode", "jog_mode", "wheel", "unused1", "ring", "unused2",
    "button_mf7", "button_mf8", "shift", "button_mm1", "button_mm2", "button_mm3", "button_mm4", "button_mm5",
    "buttonmbank1", "buttonmbank2", "buttonmbank3", "buttonmbank4", "button_mp1", "button_mp2", "button_mp3",
    "button_mp4", "button_mp5", "button_mp6", "button_mp7", "button_mp8", "button_mkpd_0", "button_mkpd_1",
    "button_mkpd_2", "button_mkpd_3", "button_mkpd_4", "button_mkpd_5", "button_mkpd_6", "button_mkpd_7",
    "button_mkpd_8", "button_mkpd_9", "button_mkpd_sign", "button_mkpd_enter", "button_mkpd_loc",
    "button_mkpd_set", "button_mkpd_can", "button_mkpd_last", "encoder_m1_left", "encoder_m1_right",
    "encoder_m2_left", "encoder_m2_right", "encoder_m3_left", "encoder_m3_right", "encoder_m4_left",
    "encoder_m4_right", "encoder_m5_left", "encoder_m5_right", "page_s1", "page_s2", "page_s3", "page_s4",
    "page_s5", "page_s6", "page_s7", "page_s8", "button_sb1", "button_sr1", "button_sb2", "button_sr2",
    "button_sb3", "button_sr3", "encoder_s1", "encoder_s2", "encoder_s3", "encoder_s4", "encoder_s5",
    "encoder_s6", "trackball1_ring", "trackball1_horiz", "trackball1_vert", "trackball2_1ring",
    "trackball2_horiz", "trackball2_vert", "trackball3_ring", "trackball3_horiz", "trackball3_vert",
    "encoder_n1", "encoder_n2", "encoder_n3", "encoder_n4", "encoder_n5", "encoder_n6", "encoderbutton_n1",
    "encoderbutton_n2", "encoderbutton_n3", "encoderbutton_n4", "encoderbutton_n5", "encoderbutton_n6",
    "button_n1", "button_n2", "button_n3", "button_n4", "button_n5", "button_n6", "button_n7", "button_n8",
    "trackball4_ring", "trackball4_horiz", "trackball4_vert",
};

// The announcement and the click detector's controls, ids 512 to 552.
const char* const kVirtualNames[kSurfaceLastVirtualID - kSurfaceAnnounceID + 1] = {
    "id", "navbutton1_sglclk", "navbutton2_sglclk", "navbutton3_sglclk", "navbutton4_sglclk",
    "navbutton5_sglclk", "navbutton6_sglclk", "navbutton7_sglclk", "navbutton8_sglclk", "navbutton1_dblclk",
    "navbutton2_dblclk", "navbutton3_dblclk", "navbutton4_dblclk", "navbutton5_dblclk", "navbutton6_dblclk",
    "navbutton7_dblclk", "navbutton8_dblclk", "nav_enc_button1_sglclk", "nav_enc_button2_sglclk",
    "nav_enc_button3_sglclk", "nav_enc_button4_sglclk", "nav_enc_button5_sglclk", "nav_enc_button6_sglclk",
    "nav_enc_button1_dblclk", "nav_enc_button2_dblclk", "nav_enc_button3_dblclk", "nav_enc_button4_dblclk",
    "nav_enc_button5_dblclk", "nav_enc_button6_dblclk", "button_sb1_sglclk", "button_sr1_sglclk",
    "button_sb2_sglclk", "button_sr2_sglclk", "button_sb3_sglclk", "button_sr3_sglclk", "button_sb1_dblclk",
    "button_sr1_dblclk", "button_sb2_dblclk", "button_sr2_dblclk", "button_sb3_dblclk", "button_sr3_dblclk",
};

const char* const kActionNames[kSurfaceActionCount] = {
    "placeholder",      "none",           "adjust_slider",        "adjust_hue_offset",  "adjust_hue_angle",
    "set_control_value", "toggle_control", "select_left_pane",     "select_rightpane",   "select_settings_pane",
    "toggle_left_pane",  "toggle_right_pane", "toggle_settings_pane", "wipe_left_pane", "wipe_right_pane",
    "save_settings",     "restore_settings", "compare_eqs",        "compare_eqm",        "compare_masks",
    "compare_maskm",
};

struct ColorName {
  const char* name;
  uint32_t color;
};
// In the order names are matched.
constexpr ColorName kColors[] = {
    {"black", kSurfaceBlack}, {"white", kSurfaceWhite},     {"red", kSurfaceRed},       {"green", kSurfaceGreen},
    {"blue", kSurfaceBlue},   {"cyan", kSurfaceCyan},       {"magenta", kSurfaceMagenta}, {"yellow", kSurfaceYellow},
};

}  // namespace

SurfacePageDefinition* SurfacePageHeader(int32_t page) {
  return page >= 1 && page <= kSurfacePageCount ? &gSurfacePages[page - 1] : nullptr;
}

SurfaceControlDefinition* SurfacePageControls(int32_t page) {
  return page >= 1 && page <= kSurfacePageCount ? gSurfaceControls[page - 1] : nullptr;
}

void SurfaceClearDefinitions() {
  for (SurfacePageDefinition& p : gSurfacePages) {
    p = SurfacePageDefinition{};
    for (uint32_t& c : p.trackballColor) c = kSurfaceBlack;
  }
  for (auto& page : gSurfaceControls)
    for (SurfaceControlDefinition& d : page) {
      d = SurfaceControlDefinition{};
      d.targetControl = d.target1 = d.target2 = kSurfaceNoTarget;
    }
  gSurfaceCurrentPage = 0;
}

const char* SurfaceControlIDName(int32_t id) {
  if (id >= 0 && id <= kSurfaceLastPhysicalID) return kPhysicalNames[id];
  if (id >= kSurfaceAnnounceID && id <= kSurfaceLastVirtualID) return kVirtualNames[id - kSurfaceAnnounceID];
  return kSurfaceUnknownName;
}

int32_t SurfaceControlIDFromName(const char* name) {
  if (!name) return 0;
  for (int32_t i = 0; i <= kSurfaceLastPhysicalID; ++i)
    if (std::strcmp(kPhysicalNames[i], name) == 0) return i;
  for (int32_t i = 0; i <= kSurfaceLastVirtualID - kSurfaceAnnounceID; ++i)
    if (std::strcmp(kVirtualNames[i], name) == 0) return kSurfaceAnnounceID + i;
  return 0;
}

const char* SurfaceActionName(int32_t action) {
  return action >= 0 && action < kSurfaceActionCount ? kActionNames[action] : kSurfaceUnknownName;
}

int32_t SurfaceActionFromName(const char* name) {
  if (!name) return kSurfaceActionPlaceholder;
  for (int32_t i = 0; i < kSurfaceActionCount; ++i)
    if (std::strcmp(kActionNames[i], name) == 0) return i;
  return kSurfaceActionPlaceholder;
}

const char* SurfaceFieldName(int32_t offset) {
  for (const VLSettingsFieldName& f : kSettingsFieldNames)
    if (int64_t(f.offset) == offset) return f.name;
  return kSurfaceUnknownName;
}

int32_t SurfaceFieldFromName(const char* name) {
  const VLSettingsFieldName* f = VL_FindSettingsField(name);
  return f ? int32_t(f->offset) : kSurfaceNoTarget;
}

uint32_t SurfaceColorFromName(const char* name) {
  if (!name) return kSurfaceBlack;
  for (const ColorName& c : kColors)
    if (std::strcmp(c.name, name) == 0) return c.color;
  return kSurfaceBlack;
}

const char* SurfaceColorName(uint32_t color) {
  for (const ColorName& c : kColors)
    if (c.color == color) return c.name;
  return "black";
}
