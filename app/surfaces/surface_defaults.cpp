#include "app/surfaces/surface_defaults.h"

#include <cstring>
#include <iterator>

#include "app/surfaces/surface_definitions.h"

namespace {

struct Row {
  const char* control;
  int32_t action;
  const char* field;  // target control and target 1; null for none
  float scaleX, scaleY;
  uint8_t updateLEDs;
};

// Page 1: the HSL master on the top encoders, the RGB range gains on the
// trackball rings with the range hue offsets on the balls, the RGB master
// channels on the lower encoders; the navigation buttons recall (single
// click) and store (double click) the saved slots; the select buttons switch
// the tab groups between their first tab and the last other one.
const Row kPrimary[] = {
    {"encoder_s1", kSurfaceActionAdjustSlider, "hsl_master_hue", 1, 0, 0},
    {"encoder_s2", kSurfaceActionAdjustSlider, "hsl_master_saturation", 1, 0, 0},
    {"encoder_s3", kSurfaceActionAdjustSlider, "hsl_master_brightness", 1, 0, 0},
    {"encoder_s4", kSurfaceActionAdjustSlider, "hsl_master_contrast", 1, 0, 0},
    {"encoder_s5", kSurfaceActionAdjustSlider, "hsl_master_gain", 1, 0, 0},
    {"encoder_s6", kSurfaceActionAdjustSlider, "hsl_master_gamma", 1, 0, 0},
    {"trackball1_ring", kSurfaceActionAdjustSlider, "rgb_shadows_gain", 1, 0, 0},
    {"trackball2_1ring", kSurfaceActionAdjustSlider, "rgb_midtones_gain", 1, 0, 0},
    {"trackball3_ring", kSurfaceActionAdjustSlider, "rgb_highlights_gain", 1, 0, 0},
    {"trackball1_horiz", kSurfaceActionAdjustHueOffset, "hueoffset_shadow_huewheel", 1, 0, 0},
    {"trackball1_vert", kSurfaceActionAdjustHueOffset, "hueoffset_shadow_huewheel", 0, -1, 0},
    {"trackball2_horiz", kSurfaceActionAdjustHueOffset, "hueoffset_midtone_huewheel", 1, 0, 0},
    {"trackball2_vert", kSurfaceActionAdjustHueOffset, "hueoffset_midtone_huewheel", 0, -1, 0},
    {"trackball3_horiz", kSurfaceActionAdjustHueOffset, "hueoffset_highlight_huewheel", 1, 0, 0},
    {"trackball3_vert", kSurfaceActionAdjustHueOffset, "hueoffset_highlight_huewheel", 0, -1, 0},
    {"trackball4_horiz", kSurfaceActionAdjustHueOffset, "hueoffset_master_huewheel", 1, 0, 0},
    {"trackball4_vert", kSurfaceActionAdjustHueOffset, "hueoffset_master_huewheel", 0, -1, 0},
    {"encoder_n1", kSurfaceActionAdjustSlider, "rgb_master_r_gain", 1, 0, 0},
    {"encoder_n2", kSurfaceActionAdjustSlider, "rgb_master_g_gain", 1, 0, 0},
    {"encoder_n3", kSurfaceActionAdjustSlider, "rgb_master_b_gain", 1, 0, 0},
    {"encoder_n4", kSurfaceActionAdjustSlider, "rgb_master_r_gamma", 1, 0, 0},
    {"encoder_n5", kSurfaceActionAdjustSlider, "rgb_master_g_gamma", 1, 0, 0},
    {"encoder_n6", kSurfaceActionAdjustSlider, "rgb_master_b_gamma", 1, 0, 0},
    {"button_sb1_sglclk", kSurfaceActionToggleSettingsPane, nullptr, 0, 0, 0},
    {"button_sb2_sglclk", kSurfaceActionToggleLeftPane, nullptr, 0, 0, 0},
    {"button_sb3_sglclk", kSurfaceActionToggleRightPane, nullptr, 0, 0, 0},
};

// Page 2: the RGB master channels' gain, gamma and pedestal, knobs that step
// the tab groups, the limiter.
const Row kRGB[] = {
    {"encoder_s1", kSurfaceActionAdjustSlider, "rgb_master_r_gain", 1, 0, 0},
    {"encoder_s2", kSurfaceActionAdjustSlider, "rgb_master_g_gain", 1, 0, 0},
    {"encoder_s3", kSurfaceActionAdjustSlider, "rgb_master_b_gain", 1, 0, 0},
    {"encoder_s4", kSurfaceActionAdjustSlider, "rgb_master_r_ped", 1, 0, 0},
    {"encoder_s5", kSurfaceActionAdjustSlider, "rgb_master_g_ped", 1, 0, 0},
    {"encoder_s6", kSurfaceActionAdjustSlider, "rgb_master_b_ped", 1, 0, 0},
    {"encoder_n1", kSurfaceActionAdjustSlider, "rgb_master_r_gamma", 1, 0, 0},
    {"encoder_n2", kSurfaceActionAdjustSlider, "rgb_master_g_gamma", 1, 0, 0},
    {"encoder_n3", kSurfaceActionAdjustSlider, "rgb_master_b_gamma", 1, 0, 0},
    {"encoder_n4", kSurfaceActionSelectSettingsPane, nullptr, 1, 0, 0},
    {"encoder_n5", kSurfaceActionSelectLeftPane, nullptr, 1, 0, 0},
    {"encoder_n6", kSurfaceActionSelectRightPane, nullptr, 1, 0, 0},
    {"button_sb1_sglclk", kSurfaceActionToggleControl, "limiter_enable", 0, 0, 1},
    {"button_sr1_sglclk", kSurfaceActionToggleControl, "limiter_softclip_enable", 0, 0, 1},
};

void Line(char* field, const char* text) { std::strncpy(field, text, kSurfaceDisplayLineBytes - 1); }

void Fill(int32_t page, const Row* rows, size_t count) {
  SurfaceControlDefinition* d = SurfacePageControls(page);
  for (size_t i = 0; i < count; ++i) {
    const int32_t target = rows[i].field ? SurfaceFieldFromName(rows[i].field) : kSurfaceNoTarget;
    d[i] = SurfaceControlDefinition{SurfaceControlIDFromName(rows[i].control), rows[i].action, target, rows[i].scaleX,
                                    rows[i].scaleY, target, kSurfaceNoTarget, rows[i].updateLEDs, {}};
  }
}

// The navigation buttons: single click recalls a slot, double click stores it.
void Slots(int32_t page, size_t from) {
  SurfaceControlDefinition* d = SurfacePageControls(page) + from;
  for (int32_t slot = 1; slot <= 8; ++slot) {
    d[2 * (slot - 1)] = {512 + slot, kSurfaceActionRestoreSettings, kSurfaceNoTarget, float(slot), 0,
                         kSurfaceNoTarget, kSurfaceNoTarget, 1, {}};
    d[2 * (slot - 1) + 1] = {520 + slot, kSurfaceActionSaveSettings, kSurfaceNoTarget, float(slot), 0,
                             kSurfaceNoTarget, kSurfaceNoTarget, 1, {}};
  }
}

}  // namespace

void SurfaceSetDefaultDefinitions() {
  SurfaceClearDefinitions();
  SurfacePageDefinition& one = *SurfacePageHeader(1);
  one.active = 1;
  Line(one.leftLine1, "Primary");
  Line(one.leftLine2, "HSL  Master");
  Line(one.rightLine1, "RGB Ranges");
  Line(one.rightLine2, "Hue Offsets");
  const uint32_t colors[4] = {kSurfaceRed, kSurfaceGreen, kSurfaceBlue, kSurfaceRed};
  std::memcpy(one.trackballColor, colors, sizeof colors);
  Fill(1, kPrimary, std::size(kPrimary));
  Slots(1, std::size(kPrimary));

  SurfacePageDefinition& two = *SurfacePageHeader(2);
  two.active = 1;
  Line(two.leftLine1, "RGB Master");
  Line(two.leftLine2, "Gain  Pedestal");
  Line(two.rightLine1, "Gamma");
  Line(two.rightLine2, "Limiter");
  std::memcpy(two.trackballColor, colors, sizeof colors);
  Fill(2, kRGB, std::size(kRGB));
  Slots(2, std::size(kRGB));
}
