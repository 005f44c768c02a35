// The panel's fixed tables: control codes of the buttons and encoders, the
// mapping of each (mode, page), and the text layout of each page.
#include <array>
#include <cstdio>
#include <string>

#include "app/surfaces/tangent_mapping.h"
#include "core/settings_record.h"

const uint32_t kTangentButtonCodes[41] = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D,
    0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B,
    0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x4003, 0x4004, 0x4002, 0x4000, 0x4001,
};

const uint32_t kTangentEncoderCodes[19] = {
    0x100,  0x101,  0x102,  0x103,  0x104,  0x105,  0x106,  0x107,  0x108,  0x402A,
    0x402D, 0x4030, 0x400B, 0x4028, 0x4029, 0x402B, 0x402C, 0x402E, 0x402F,
};

namespace {

constexpr uint32_t kKnob = 0x100;
// Trackballs 1-3: x, y and ring codes.
constexpr uint32_t kBallX[3] = {0x4028, 0x402B, 0x402E};
constexpr uint32_t kBallY[3] = {0x4029, 0x402C, 0x402F};
constexpr uint32_t kRing[3] = {0x402A, 0x402D, 0x4030};
// The two buttons beside each ring.
constexpr uint32_t kRingButtonA[3] = {0x0D, 0x12, 0x17};
constexpr uint32_t kRingButtonB[3] = {0x0E, 0x13, 0x18};

enum Flags : uint8_t { kNone = 0, kLast = 1, kRefreshLast = 2 };

uint32_t Field(const std::string& name) {
  const VLSettingsFieldName* f = VL_FindSettingsField(name.c_str());
  return f ? f->offset : kTangentNoField;
}

struct PageBuilder {
  TangentMapPage* page;
  int32_t count = 0;

  void Add(uint32_t code, uint32_t kind, uint32_t slot, float scale, float scale2, uint32_t value, uint32_t value2,
           Flags flags) {
    if (count >= kTangentEntriesPerPage) return;
    TangentMapEntry& e = page->entries[count++];
    e = TangentMapEntry{code, kind, slot, scale, scale2, value, value2, 0, 0, 0, 0};
    e.refreshDisplay = flags == kRefreshLast;
    e.last = flags != kNone;
  }
  // An entry that names only a field, acting on its bound control.
  void Knob(uint32_t code, uint32_t kind, uint32_t field, float scale) {
    Add(code, kind, field, scale, 0, field, kTangentNoField, kRefreshLast);
  }
  void Reset(uint32_t code, uint32_t field, uint32_t field2, Flags flags) {
    Add(code, kTangentKindReset, kTangentNoField, 0, 0, field, field2, flags);
  }
  void Finish() { page->entries[count].code = kTangentEndCode; }
};

// The entries every enabled page has, after its own.
void AddCommonEntries(PageBuilder& b, int32_t mode) {
  struct ModeButton {
    uint32_t code;
    int32_t mode;
    int32_t tab;
  };
  static const ModeButton kModeButtons[] = {{0x0A, 1, 0}, {0x0B, 2, 1}, {0x0C, 3, 2}, {0x0F, 4, 3},
                                            {0x10, 5, 5}, {0x11, 6, 7}, {0x14, 7, 8}};
  const uint32_t none = kTangentNoField;
  for (const ModeButton& m : kModeButtons) {
    b.Add(m.code, kTangentKindSelectMode, none, float(m.mode), 0, none, none, kNone);
    b.Add(m.code, kTangentKindSettingsTab, none, float(m.tab), 0, none, none, kNone);
    if (m.mode == 1)
      b.Add(m.code, kTangentKindNestedTab, none, 0, 0, none, none, kLast);
    else
      b.Add(m.code, kTangentKindNestedTabByPage, none, 0, 0, none, none, kLast);
  }
  b.Add(0x15, kTangentKindUndo, none, 0, 0, none, none, kRefreshLast);
  b.Add(0x215, kTangentKindRedo, none, 0, 0, none, none, kRefreshLast);
  b.Add(0x16, kTangentKindToggleImageMode, none, 1, 0, none, none, kLast);
  for (const uint32_t code : {0x19u, 0x1Au}) {
    const float step = code == 0x19 ? -1.0f : 1.0f;
    b.Add(code, kTangentKindStepPage, none, step, 0, none, none, kNone);
    b.Add(code, kTangentKindModeTab, none, 0, 0, none, none, kNone);
    if (mode == 1) {
      b.Add(code, kTangentKindNestedTab, none, 0, 0, none, none, kNone);
      b.Add(code, kTangentKindSecondLevelTab, none, 0, 0, none, none, kLast);
    } else {
      b.Add(code, kTangentKindNestedTabByPage, none, 0, 0, none, none, kLast);
    }
  }
  static const uint32_t kSlotCodes[8] = {0x21, 0x22, 0x23, 0x1E, 0x1F, 0x20, 0x1B, 0x1C};
  for (int32_t s = 0; s < 8; ++s)
    b.Add(kSlotCodes[s], kTangentKindRecallSlot, none, float(s + 1), 0, none, none, kRefreshLast);
  for (int32_t s = 0; s < 8; ++s)
    b.Add(kSlotCodes[s] + kTangentBanked, kTangentKindStoreSlot, none, float(s + 1), 0, none, none, kRefreshLast);
  b.Add(0x1D, kTangentKindRefresh, none, 0, 0, none, none, kRefreshLast);
  b.Add(0x21D, kTangentKindResetAll, none, 0, 0, none, none, kRefreshLast);
}

const char* const kRangeNames[4] = {"master", "highlights", "midtones", "shadows"};
const char* const kWheelNames[3] = {"shadow", "midtone", "highlight"};

// Trackball 1-3 (x and y), rings and ring buttons on the three tonal hue-offset wheels.
void AddHueOffsetBalls(PageBuilder& b) {
  for (int32_t i = 0; i < 3; ++i) {
    const std::string w = std::string("hueoffset_") + kWheelNames[i] + "_";
    const uint32_t wheel = Field(w + "huewheel"), angle = Field(w + "tintangle"), strength = Field(w + "strength");
    b.Add(kBallX[i], kTangentKindTrackball, wheel, 0.02f, 0, angle, strength, kLast);
    b.Add(kBallY[i], kTangentKindTrackball, wheel, 0, -0.02f, angle, strength, kLast);
  }
  for (int32_t i = 0; i < 3; ++i) {
    const std::string w = std::string("hueoffset_") + kWheelNames[i] + "_";
    b.Add(kRing[i], kTangentKindRing, Field(w + "huewheel"), 0.25f, 0, Field(w + "tintangle"), kTangentNoField,
          kLast);
  }
  for (int32_t i = 0; i < 3; ++i) {
    const std::string w = std::string("hueoffset_") + kWheelNames[i] + "_";
    b.Reset(kRingButtonA[i], Field(w + "tintangle"), kTangentNoField, kLast);
    b.Reset(kRingButtonB[i], Field(w + "tintangle"), Field(w + "strength"), kLast);
  }
}

void BuildHSL(PageBuilder& b, int32_t page) {
  static const char* const kFields[9] = {"hue",   "saturation", "contrast",   "gain",          "gamma",
                                         "pedestal", "vibrance", "brightness", "contrastCenter"};
  const std::string prefix = std::string("hsl_") + kRangeNames[page - 1] + "_";
  for (int32_t k = 0; k < 9; ++k) {
    float scale = 0.125f;
    if (k == 2) scale = 0.25f;
    if (k == 0 && page == 1) scale = 0.1f;
    b.Knob(kKnob + uint32_t(k), kTangentKindSlider, Field(prefix + kFields[k]), scale);
  }
  for (int32_t k = 0; k < 9; ++k) b.Reset(uint32_t(k), Field(prefix + kFields[k]), kTangentNoField, kRefreshLast);
  AddHueOffsetBalls(b);
}

// RGB, CMY and YCbCr: per channel pedestal, gamma and gain on the knobs; the
// rings drive the range's all-channel pedestal, gamma and gain.
void BuildChannels(PageBuilder& b, const char* section, const char* const channels[3], int32_t page) {
  const std::string prefix = std::string(section) + "_" + kRangeNames[page - 1] + "_";
  static const char* const kParts[3] = {"ped", "gamma", "gain"};
  for (int32_t c = 0; c < 3; ++c)
    for (int32_t p = 0; p < 3; ++p)
      b.Knob(kKnob + uint32_t(c * 3 + p), kTangentKindSlider, Field(prefix + channels[c] + "_" + kParts[p]), 0.125f);
  for (int32_t c = 0; c < 3; ++c)
    for (int32_t p = 0; p < 3; ++p)
      b.Reset(uint32_t(c * 3 + p), Field(prefix + channels[c] + "_" + kParts[p]), kTangentNoField, kRefreshLast);
  for (int32_t p = 0; p < 3; ++p) {
    const uint32_t field = Field(prefix + kParts[p]);
    b.Add(kRing[p], kTangentKindSlider, field, 0.25f, 0, field, kTangentNoField, kLast);
  }
  for (int32_t p = 0; p < 3; ++p) b.Reset(kRingButtonA[p], Field(prefix + kParts[p]), kTangentNoField, kLast);
  for (int32_t i = 0; i < 3; ++i) {
    const std::string w = std::string("hueoffset_") + kWheelNames[i] + "_";
    b.Reset(kRingButtonB[i], Field(w + "tintangle"), Field(w + "strength"), kLast);
  }
}

void BuildLevels(PageBuilder& b, int32_t page) {
  static const char* const kChannels[4] = {"master", "red", "green", "blue"};
  static const char* const kPoints[6] = {"inblackpt", "ingraypt", "inwhitept", "outblackpt", "outgraypt", "outwhitept"};
  static const int32_t kKnobPoints[5] = {0, 1, 2, 3, 5};  // knob k = point k
  const std::string prefix = std::string("levels_") + kChannels[page - 1] + "_";
  const uint32_t control = uint32_t(offsetof(VL_SettingsStruct, levels)) + 32u * uint32_t(page - 1);
  for (const int32_t k : kKnobPoints) {
    b.Add(kKnob + uint32_t(k), kTangentKindLevelsPoint, control, 0.0005f, float(k), Field(prefix + kPoints[k]),
          kTangentNoField, kRefreshLast);
  }
  const uint32_t recovery = Field("inputControls_highlight_recovery");
  if (page == 1) b.Knob(kKnob + 6, kTangentKindSlider, recovery, 0.5f);
  for (const int32_t k : kKnobPoints) b.Reset(uint32_t(k), Field(prefix + kPoints[k]), kTangentNoField, kRefreshLast);
  if (page == 1) b.Reset(6, recovery, kTangentNoField, kRefreshLast);
}

void BuildSecondary(PageBuilder& b, int32_t page) {
  const std::string prefix = std::string("secondary_") + char('a' + page - 1) + "_";
  struct KnobField {
    const char* name;
    float scale;
  };
  static const KnobField kKnobs[8] = {{"chromatol", 0.5f}, {"lumatol", 0.5f}, {"softness", 0.5f},
                                      {"hue", 0.125f},     {"saturation", 0.125f}, {"gain", 0.125f},
                                      {"gamma", 0.125f},   {"ped", 0.125f}};
  for (int32_t k = 0; k < 8; ++k) b.Knob(kKnob + uint32_t(k), kTangentKindSlider, Field(prefix + kKnobs[k].name), kKnobs[k].scale);
  for (int32_t k = 0; k < 8; ++k) b.Reset(uint32_t(k), Field(prefix + kKnobs[k].name), kTangentNoField, kRefreshLast);
  const uint32_t record = uint32_t(offsetof(VL_SettingsStruct, secondary)) +
                          uint32_t(sizeof(VL_SecondaryControls)) * uint32_t(page - 1);
  b.Add(0x08, kTangentKindPreviewCycle, kTangentNoField, 1, 0, record, kTangentNoField, kRefreshLast);
  b.Add(0x208, kTangentKindPreviewCycle, kTangentNoField, 100, 0, record, kTangentNoField, kRefreshLast);
  const uint32_t wheel = Field(prefix + "hueoffset_huewheel"), angle = Field(prefix + "hueoffset_tintangle"),
                 strength = Field(prefix + "hueoffset_strength");
  b.Add(kBallX[0], kTangentKindTrackball, wheel, 0.02f, 0, angle, strength, kLast);
  b.Add(kBallY[0], kTangentKindTrackball, wheel, 0, -0.02f, angle, strength, kLast);
  static const char* const kParts[3] = {"ped", "gamma", "gain"};
  for (int32_t p = 0; p < 3; ++p) {
    const uint32_t field = Field(prefix + kParts[p]);
    b.Add(kRing[p], kTangentKindSlider, field, 0.25f, 0, field, kTangentNoField, kLast);
  }
  for (int32_t p = 0; p < 3; ++p) b.Reset(kRingButtonA[p], Field(prefix + kParts[p]), kTangentNoField, kLast);
  b.Reset(kRingButtonB[0], angle, strength, kLast);
}

void BuildLimiting(PageBuilder& b) {
  static const char* const kKnobs[6] = {"limiter_softclip_knee", "limiter_softclip_white_level",
                                        "limiter_softclip_max_level", "limiter_luma_max",
                                        "limiter_chroma_min", "limiter_chroma_max"};
  for (int32_t k = 0; k < 6; ++k) b.Knob(kKnob + uint32_t(k), kTangentKindSlider, Field(kKnobs[k]), 0.125f);
  for (int32_t k = 0; k < 6; ++k) b.Reset(uint32_t(k), Field(kKnobs[k]), kTangentNoField, kRefreshLast);
  const uint32_t method = Field("limiter_clip_method"), system = Field("limiter_system");
  b.Add(0x06, kTangentKindCycleMethod, method, 0, 0, method, kTangentNoField, kRefreshLast);
  b.Add(0x07, kTangentKindCycleSystem, system, 0, 0, system, kTangentNoField, kRefreshLast);
}

// Pages that exist: modes 1-5 pages 1-4, mode 6 pages 1-6, mode 7 page 1.
bool PageExists(int32_t mode, int32_t page) {
  if (mode >= 1 && mode <= 5) return page >= 1 && page <= 4;
  if (mode == 6) return page >= 1 && page <= 6;
  if (mode == 7) return page == 1;
  return false;
}

struct MapTables {
  std::array<TangentMapPage, kTangentModeCount * kTangentPageCount> pages{};
  MapTables() {
    static const char* const kRGB[3] = {"r", "g", "b"};
    static const char* const kCMY[3] = {"c", "m", "y"};
    static const char* const kYCbCr[3] = {"y", "cb", "cr"};
    for (int32_t mode = 1; mode <= kTangentModeCount; ++mode) {
      for (int32_t page = 1; page <= kTangentPageCount; ++page) {
        TangentMapPage& p = pages[size_t((mode - 1) * kTangentPageCount + page - 1)];
        PageBuilder b{&p};
        if (PageExists(mode, page)) {
          p.enabled = 1;
          switch (mode) {
            case 1: BuildHSL(b, page); break;
            case 2: BuildChannels(b, "rgb", kRGB, page); break;
            case 3: BuildChannels(b, "cmy", kCMY, page); break;
            case 4: BuildChannels(b, "ycbcr", kYCbCr, page); break;
            case 5: BuildLevels(b, page); break;
            case 6: BuildSecondary(b, page); break;
            default: BuildLimiting(b); break;
          }
          AddCommonEntries(b, mode);
        }
        b.Finish();
      }
    }
  }
};

// Knob labels of display 0, 1 and 2 per (mode, page).
const char* const kKnobLabels[7][6][3] = {
    {{"  Mst Hue |  Mst Sat | Mst Ctrst", " Mst Gain | Mst Gamma|  Mst Ped ", "  Mst Vib |Mst Bright|Mst Cn Ctr"},
     {"  Hi Hue  |  Hi Sat  | Hi Ctrst ", " Hi Gain  | Hi Gamma |  Hi Ped  ", "  Hi Vib  | Hi Bright| Hi Cn Ctr"},
     {"  Mid Hue |  Mid Sat | Mid Ctrst", " Mid Gain | Mid Gamma|  Mid Ped ", "  Mid Vib |Mid Bright|Mid Cn Ctr"},
     {" Shdw Hue | Shdw Sat |Shdw Ctrst", "Shdw Gain |Shdw Gamma| Shdw Ped ", " Shdw Vib |Shd Bright|Shd Cn Ctr"}},
    {{" Mst R Ped| Mst R Gam|Mst R Gain", " Mst G Ped| Mst G Gam|Mst G Gain", " Mst B Ped| Mst B Gam|Mst B Gain"},
     {" Hi R Ped | Hi R Gam | Hi R Gain", " Hi G Ped | Hi G Gam | Hi G Gain", " Hi B Ped | Hi B Gam | Hi B Gain"},
     {" Mid R Ped| Mid R Gam|Mid R Gain", " Mid G Ped| Mid G Gam|Mid G Gain", " Mid B Ped| Mid B Gam|Mid B Gain"},
     {" Shd R Ped| Shd R Gam|Shd R Gain", " Shd G Ped| Shd G Gam|Shd G Gain", " Shd B Ped| Shd B Gam|Shd B Gain"}},
    {{" Mst C Ped| Mst C Gam|Mst C Gain", " Mst M Ped| Mst M Gam|Mst M Gain", " Mst Y Ped| Mst Y Gam|Mst Y Gain"},
     {" Hi C Ped | Hi C Gam | Hi C Gain", " Hi M Ped | Hi M Gam | Hi M Gain", " Hi Y Ped | Hi Y Gam | Hi Y Gain"},
     {" Mid C Ped| Mid C Gam|Mid C Gain", " Mid M Ped| Mid M Gam|Mid M Gain", " Mid Y Ped| Mid Y Gam|Mid Y Gain"},
     {" Shd C Ped| Shd C Gam|Shd C Gain", " Shd M Ped| Shd M Gam|Shd M Gain", " Shd Y Ped| Shd Y Gam|Shd Y Gain"}},
    {{" Mst Y Ped| Mst Y Gam|Mst Y Gain", "Mst Cb Ped|Mst Cb Gam|Ms Cb Gain", "Mst Cr Ped|Mst Cr Gam|Ms Cr Gain"},
     {" Hi Y Ped | Hi Y Gam | Hi Y Gain", " Hi Cb Ped| Hi Cb Gam|Hi Cb Gain", " Hi Cr Ped| Hi Cr Gam|Hi Cr Gain"},
     {" Mid Y Ped| Mid Y Gam|Mid Y Gain", "Mid Cb Ped|Mid Cb Gam|Md Cb Gain", "Mid Cr Ped|Mid Cr Gam|Md Cr Gain"},
     {" Shd Y Ped| Shd Y Gam|Shd Y Gain", "Shd Cb Ped|Shd Cb Gam|Ch Cb Gain", "Shd Cr Ped|Shd Cr Gam|Sh Cr Gain"}},
    {{"Input Blk | Input Mid| Input Wht", "Output Blk|          |Output Wht", "Hilt Rcvry|          |          "},
     {" In R Blk | In R Mid | In R Wht ", "Out R Blk |          | Out R Wht", "          |          |          "},
     {" In G Blk | In G Mid | In G Wht ", "Out G Blk |          | Out G Wht", "          |          |          "},
     {" In B Blk | In B Mid | In B Wht ", "Out B Blk |          | Out B Wht", "          |          |          "}},
    {{"A Chro Tol|A Luma Tol|A Softness", "  A Hue   |  A Sat   |  A Gain  ", " A Gamma  |  A Ped   | A Preview"},
     {"B Chro Tol|B Luma Tol|B Softness", "  B Hue   |  B Sat   |  B Gain  ", " B Gamma  |  B Ped   | B Preview"},
     {"C Chro Tol|C Luma Tol|C Softness", "  C Hue   |  C Sat   |  C Gain  ", " C Gamma  |  C Ped   | C Preview"},
     {"D Chro Tol|D Luma Tol|D Softness", "  D Hue   |  D Sat   |  D Gain  ", " D Gamma  |  D Ped   | D Preview"},
     {"E Chro Tol|E Luma Tol|E Softness", "  E Hue   |  E Sat   |  E Gain  ", " E Gamma  |  E Ped   | E Preview"},
     {"F Chro Tol|F Luma Tol|F Softness", "  F Hue   |  F Sat   |  F Gain  ", " F Gamma  |  F Ped   | F Preview"}},
    {{" Clip Knee|Clip White| Clip Max ", " Luma Hard|Chroma Min|Chroma Max", "Limit Meth| Video Sys|          "}},
};

const char* const kValueLine = "          |          |          ";
const char* const kSeparatorLine = "__________+__________+__________";
const char* const kButtonLabels[3][2] = {
    {"  Select  |  Select  |  Select  ", "   HSL    |   RGB    |   CMY    "},
    {"  Select  |  Select  |  Select  ", "   YCbCr  |  Levels  | Secondary"},
    {"  Select  |   Undo   |  Toggle  ", " Limiting |   Redo   |  Preview "},
};

struct LayoutTables {
  std::array<TangentLayoutPage, kTangentModeCount * kTangentPageCount> pages{};
  LayoutTables() {
    for (int32_t mode = 1; mode <= kTangentModeCount; ++mode) {
      for (int32_t page = 1; page <= kTangentPageCount; ++page) {
        TangentLayoutPage& p = pages[size_t((mode - 1) * kTangentPageCount + page - 1)];
        if (!PageExists(mode, page)) continue;
        p.enabled = 1;
        for (uint32_t d = 0; d < 3; ++d) {
          const char* const texts[5] = {kKnobLabels[mode - 1][page - 1][d], kValueLine, kSeparatorLine,
                                        kButtonLabels[d][0], kButtonLabels[d][1]};
          for (uint32_t line = 0; line < 5; ++line) p.lines[p.lineCount++] = TangentLayoutLine{0, d, line, texts[line]};
        }
      }
    }
  }
};

}  // namespace

const TangentMapPage* TangentMapTable(int32_t mode, int32_t page) {
  static const MapTables tables;
  if (mode < 1 || mode > kTangentModeCount || page < 1 || page > kTangentPageCount) return nullptr;
  return &tables.pages[size_t((mode - 1) * kTangentPageCount + page - 1)];
}

const TangentLayoutPage* TangentLayoutTable(int32_t mode, int32_t page) {
  static const LayoutTables tables;
  if (mode < 1 || mode > kTangentModeCount || page < 1 || page > kTangentPageCount) return nullptr;
  return &tables.pages[size_t((mode - 1) * kTangentPageCount + page - 1)];
}

bool TangentPageUsable(int32_t mode, int32_t page) {
  const TangentMapPage* map = TangentMapTable(mode, page);
  const TangentLayoutPage* layout = TangentLayoutTable(mode, page);
  return map && layout && (map->enabled & 0xFF) != 0 && layout->enabled != 0;
}
