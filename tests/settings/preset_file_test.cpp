// Preset files: the version-5 writer's exact bytes, reading back every
// version, older blocks converted, hostile files rejected without a change.
#include "settings/preset_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/alert_script.h"
#include "platform/byte_order.h"
#include "platform/prefs_store.h"
#include "platform/ui/ui_dialogs.h"
#include "settings/file_panels.h"
#include "tests/scratch_folder.h"

namespace {

constexpr uint32_t kOne = 65536;  // 1.0 in 16.16

VL_SettingsStruct Defaults() {
  VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  return s;
}

// A file built block by block.
struct FileBuilder {
  std::string bytes;
  explicit FileBuilder(uint32_t version = 5, uint32_t magic = kCCPresetMagic) {
    Word(version);
    Word(magic);
  }
  void Word(uint32_t w) {
    uint8_t be[4];
    QVWriteBE32(be, w);
    bytes.append(reinterpret_cast<char*>(be), 4);
  }
  void Block(uint32_t id, const std::vector<uint32_t>& words) {
    Word(id);
    Word(uint32_t(words.size() * 4));
    for (uint32_t w : words) Word(w);
  }
};

uint32_t FloatBits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

TEST(PresetFile, DefaultRecordWritesTheExactBlocks) {
  VL_SettingsStruct s = Defaults();
  std::string bytes = CCPresetFileBytes(&s);
  ASSERT_EQ(33720u, bytes.size());
  const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data());
  EXPECT_EQ(5u, QVReadBE32(p));
  EXPECT_EQ(0x11223344u, QVReadBE32(p + 4));
  struct Expected {
    uint32_t id, length;
  } blocks[] = {{29, 160}, {30, 208},   {31, 208}, {32, 208}, {33, 52}, {6, 160}, {27, 16432}, {8, 36},
                {9, 24},   {35, 744},   {37, 2760}, {39, 40}, {13, 28}, {14, 4},  {15, 4},     {16, 4},
                {17, 4},   {18, 4},     {19, 4},   {20, 4},   {21, 4},  {28, 4},  {36, 4},     {22, 4},
                {23, 4},   {24, 4},     {25, 4},   {40, 12324}, {41, 4}, {42, 4}, {43, 16}};
  size_t at = 8;
  for (const Expected& e : blocks) {
    ASSERT_LE(at + 8, bytes.size());
    EXPECT_EQ(e.id, QVReadBE32(p + at)) << "at " << at;
    EXPECT_EQ(e.length, QVReadBE32(p + at + 4)) << "block " << e.id;
    at += 8 + e.length;
  }
  EXPECT_EQ(bytes.size(), at);
  // Words are big-endian bit patterns: the master HSL range's gain (word 7 of
  // the first array) and the first curve's first x.
  EXPECT_EQ(FloatBits(s.hsl[0].gain), QVReadBE32(p + 16 + 7 * 4));
  const size_t curves = 8 + (8 + 160) + 3 * (8 + 208) + (8 + 52) + (8 + 160) + 8;
  EXPECT_EQ(FloatBits(s.rgbCurves[0].spline.x[1]), QVReadBE32(p + curves + 16 + 4));
  EXPECT_EQ(FloatBits(1.0f), QVReadBE32(p + curves + 16 + 4));
}

TEST(PresetFile, RoundTripStoresEverySectionAndNothingElse) {
  VL_SettingsStruct s = Defaults();
  // Put a distinct value in every word so that no section can be missed.
  uint32_t* words = reinterpret_cast<uint32_t*>(&s);
  for (int i = 1; i < kVLSettingsWordCount; ++i) words[i] = 0x01000000u + uint32_t(i);
  std::string bytes = CCPresetFileBytes(&s);
  VL_SettingsStruct back;
  std::memset(&back, 0, sizeof back);
  ASSERT_EQ(kQVNoErr, CCReadPresetBytes(bytes, &back, nullptr));
  const uint32_t* read = reinterpret_cast<const uint32_t*>(&back);
  for (int i = 0; i < kVLSettingsWordCount; ++i) {
    uint32_t offset = uint32_t(i) * 4;
    bool unstored = i == 0 || (offset >= 33452 && offset < 33540);
    bool geometryKept = false;
    for (int n = 0; n < 6; ++n) {
      size_t head = offsetof(VL_SettingsStruct, secondaryGeometry) + n * sizeof(VL_SecondaryGeometryControls);
      size_t w = (offset - head) / 4;
      if (offset >= head && offset < head + 76 && w >= 13) geometryKept = true;
    }
    if (unstored || geometryKept)
      EXPECT_EQ(0u, read[i]) << "word at " << offset;
    else
      EXPECT_EQ(words[i], read[i]) << "word at " << offset;
  }
}

TEST(PresetFile, OlderBlocksAreConverted) {
  FileBuilder f(1);
  std::vector<uint32_t> hsl(4 * 9, 0);
  hsl[0] = 1;
  hsl[2] = 6553600;  // saturation 100
  f.Block(1, hsl);
  std::vector<uint32_t> secondaries(6 * 27, 0);
  secondaries[27 * 2] = 1;           // C enabled
  secondaries[27 * 2 + 1] = kOne / 2;  // luma tolerance 0.5
  f.Block(10, secondaries);
  std::vector<uint32_t> curves(4 * 35, 0);
  curves[35 + 2] = 3;  // red: three points
  curves[35 + 3 + 1] = FloatBits(0.25f);
  f.Block(7, curves);
  f.Block(11, {1, 2, 3});  // any length, skipped
  f.Block(99, {7});        // unassigned, skipped
  f.Block(12, {kOne, 0, kOne, 1, kOne / 2, kOne, kOne, 2, 1});
  VL_SettingsStruct s = Defaults();
  s.rgbCurves[kVLCurveRed].modeFlags = kVLCurveModeMap;
  ASSERT_EQ(kQVNoErr, CCReadPresetBytes(f.bytes, &s, nullptr));
  EXPECT_EQ(1u, s.hsl[0].enable);
  EXPECT_FLOAT_EQ(100.0f, s.hsl[0].saturation);
  EXPECT_EQ(0.0f, s.hsl[0].vibrance);
  EXPECT_EQ(1u, s.secondary[2].enable);
  EXPECT_FLOAT_EQ(0.5f, s.secondary[2].lumatol);
  EXPECT_EQ(1.0f, s.secondary[2].gain);
  EXPECT_EQ(1u, s.secondaryKeyerEnable);
  EXPECT_EQ(0u, s.rgbCurves[kVLCurveRed].modeFlags);
  EXPECT_EQ(3u, s.rgbCurves[kVLCurveRed].spline.pointCount);
  EXPECT_EQ(0.25f, s.rgbCurves[kVLCurveRed].spline.x[1]);
  EXPECT_EQ(1.0f, s.limiter.limiter_chroma_max);
  EXPECT_EQ(2u, s.limiter.limiter_clip_method);
  EXPECT_EQ(0.0f, s.limiter.limiter_highlight_recovery);
}

// A value as a 16.16 word of the older layouts; the record's value is first
// brought to what that word can hold, so that the file says the same thing.
uint32_t Fx(float* value) {
  int32_t word = int32_t(std::lround(double(*value) * 65536.0));
  *value = float(word) * (1.0f / 65536.0f);
  return uint32_t(word);
}

uint32_t Bits(const void* word) {
  uint32_t u;
  std::memcpy(&u, word, 4);
  return u;
}

// One correction as the older writers stored it: the range, hue-offset,
// curve, secondary and limiter sections in their version-1 layouts (values
// in 16.16), the rest as the current writer stores it. version 2 stores the
// secondaries with their gain, gamma and pedestal; version 3 also the full
// curve records and the keyer enable.
std::string OlderFile(uint32_t version, VL_SettingsStruct* s) {
  FileBuilder f(version);
  std::vector<uint32_t> w;
  for (VL_HSLControls& h : s->hsl) {
    h.vibrance = 0;
    w.push_back(h.enable);
    for (float* v : {&h.hue, &h.saturation, &h.brightness, &h.contrast, &h.contrastCenter, &h.gain, &h.gamma, &h.pedestal})
      w.push_back(Fx(v));
  }
  f.Block(1, w);
  VL_PrimaryControls* families[3] = {s->rgb, s->ycbcr, s->cmy};
  for (int family = 0; family < 3; ++family) {
    w.clear();
    for (int r = 0; r < 4; ++r) {
      VL_PrimaryControls& p = families[family][r];
      w.push_back(p.enable);
      float* values = &p.gain;
      for (int i = 0; i < 12; ++i) w.push_back(Fx(values + i));
    }
    f.Block(2 + uint32_t(family), w);
  }
  w = {s->hueOffsets.word0};
  for (VL_HueWheelControls& wheel : s->hueOffsets.wheel) {
    w.push_back(wheel.huewheel);
    w.push_back(Fx(&wheel.tintangle));
    w.push_back(Fx(&wheel.strength));
  }
  f.Block(5, w);
  w.clear();
  for (const VL_LevelControls& l : s->levels)
    for (int i = 0; i < 8; ++i) w.push_back(Bits(reinterpret_cast<const uint32_t*>(&l) + i));
  f.Block(6, w);
  w.clear();
  for (VL_CurveControls& c : s->rgbCurves) {
    c.modeFlags = 0;
    if (version == 3) continue;
    w.push_back(c.word0);
    w.push_back(c.word1);
    for (int i = 0; i < 33; ++i) w.push_back(Bits(reinterpret_cast<const uint32_t*>(&c.spline) + i));
  }
  if (version == 3) {
    for (const VL_CurveControls& c : s->rgbCurves)
      for (size_t i = 0; i < sizeof c / 4; ++i) w.push_back(Bits(reinterpret_cast<const uint32_t*>(&c) + i));
    f.Block(27, w);
  } else {
    f.Block(7, w);
  }
  w.clear();
  for (const VL_CurvePoints& p : s->curvePoints)
    for (uint32_t word : p.word) w.push_back(word);
  f.Block(8, w);
  w.clear();
  for (size_t i = 0; i < 6; ++i) w.push_back(Bits(reinterpret_cast<const uint32_t*>(&s->lumaRanges) + i));
  f.Block(9, w);
  w.clear();
  for (VL_SecondaryControls& k : s->secondary) {
    k.preview = k.preview ? 1 : 0;
    k.previewMode = 1;
    w.push_back(k.enable);
    for (float* v : {&k.lumatol, &k.chromatol, &k.softness}) w.push_back(Fx(v));
    w.push_back(k.preview);
    w.push_back(k.invert);
    w.push_back(Fx(&k.hue));
    w.push_back(Fx(&k.saturation));
    w.push_back(k.hueoffset_huewheel);
    w.push_back(Fx(&k.hueoffset_tintangle));
    w.push_back(Fx(&k.hueoffset_strength));
    for (size_t i = 0; i < 16; ++i) w.push_back(Bits(reinterpret_cast<const uint32_t*>(k.sample) + i));
    if (version == 1) {
      k.gain = k.gamma = 1.0f;
      k.ped = 0;
    } else {
      for (float* v : {&k.gain, &k.gamma, &k.ped}) w.push_back(Fx(v));
    }
  }
  f.Block(version == 1 ? 10 : 26, w);
  VL_LimiterControls& m = s->limiter;
  m.limiter_highlight_recovery = 0;
  w = {Fx(&m.limiter_chroma_max), Fx(&m.limiter_chroma_min), Fx(&m.limiter_luma_max), m.limiter_softclip_enable,
       Fx(&m.limiter_softclip_knee), Fx(&m.limiter_softclip_white_level), Fx(&m.limiter_softclip_max_level),
       m.limiter_clip_method, m.limiter_system};
  f.Block(12, w);
  w.clear();
  for (uint32_t word : s->sampler.word) w.push_back(word);
  f.Block(13, w);
  const uint32_t enables[] = {s->hslEnable,     s->hslControlsEnable, s->rgbEnable,        s->ycbcrEnable,
                              s->cmyEnable,     s->hueOffsetEnable,   s->levelsEnable,     s->secondaryEnable,
                              s->curvesEnable,  s->lumaRangesEnable,  s->limiter_enable,   s->limiter_preview};
  const uint32_t ids[] = {14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25};
  for (size_t i = 0; i < std::size(ids); ++i) f.Block(ids[i], {enables[i]});
  // Older files carry no keyer enable of their own: the enabled secondaries set it.
  if (version == 3) f.Block(28, {s->secondaryKeyerEnable});
  return f.bytes;
}

TEST(PresetFile, EveryVersionReadsIntoTheSameRecord) {
  for (uint32_t version : {1u, 2u, 3u}) {
    SCOPED_TRACE("version " + std::to_string(version));
    // A correction with something set in every section the older files hold.
    VL_SettingsStruct s = Defaults();
    s.hslEnable = 1;
    s.hsl[kVLRangeMidtones] = {1, 12.5f, 140.0f, 0.0f, 0.1f, 1.25f, 0.4f, 1.1f, 0.9f, -0.05f};
    s.rgbEnable = 1;
    s.rgb[kVLRangeShadows].enable = 1;
    s.rgb[kVLRangeShadows].channel[0].gain = 1.3f;
    s.ycbcr[kVLRangeMaster].channel[2].ped = -0.02f;
    s.cmyEnable = 1;
    s.cmy[kVLRangeHighlights].gamma = 0.8f;
    s.hueOffsetEnable = 1;
    s.hueOffsets.wheel[kVLWheelMidtone] = {7, 215.0f, 0.3f};
    s.levelsEnable = 1;
    s.levels[kVLLevelsGreen].enable = 1;
    s.levels[kVLLevelsGreen].ingraypt = 0.45f;
    s.curvesEnable = 1;
    s.rgbCurves[kVLCurveRed].spline.pointCount = 3;
    s.rgbCurves[kVLCurveRed].spline.x[1] = 0.4f;
    s.rgbCurves[kVLCurveRed].spline.y[1] = 0.55f;
    s.rgbCurves[kVLCurveRed].spline.x[2] = 1.0f;
    s.rgbCurves[kVLCurveRed].spline.y[2] = 1.0f;
    s.lumaRangesEnable = 1;
    s.lumaRanges.lumarange_shadowx = 0.3f;
    s.secondaryEnable = 1;
    s.secondary[1].enable = 1;
    s.secondary[1].lumatol = 0.2f;
    s.secondary[1].hue = -30.0f;
    s.secondary[1].sample[0] = {1, 0.8f, 0.4f, 0.2f};
    s.secondary[1].gain = 1.2f;
    s.secondary[1].preview = 5;
    s.secondaryKeyerEnable = 1;
    s.limiter_enable = 1;
    s.limiter.limiter_chroma_max = 1.1f;
    s.limiter.limiter_clip_method = 2;
    s.sampler.word[3] = 99;
    std::string older = OlderFile(version, &s);  // brings s to what the older file can say

    VL_SettingsStruct fromOlder = Defaults(), fromCurrent = Defaults();
    ASSERT_EQ(kQVNoErr, CCReadPresetBytes(older, &fromOlder, nullptr));
    ASSERT_EQ(kQVNoErr, CCReadPresetBytes(CCPresetFileBytes(&s), &fromCurrent, nullptr));
    EXPECT_EQ(1u, fromOlder.secondaryKeyerEnable);
    EXPECT_EQ(version == 1 ? 1.0f : s.secondary[1].gain, fromOlder.secondary[1].gain);
    EXPECT_FLOAT_EQ(140.0f, fromOlder.hsl[kVLRangeMidtones].saturation);
    const uint32_t* a = reinterpret_cast<const uint32_t*>(&fromCurrent);
    const uint32_t* b = reinterpret_cast<const uint32_t*>(&fromOlder);
    for (int i = 0; i < kVLSettingsWordCount; ++i) EXPECT_EQ(a[i], b[i]) << "word at " << i * 4;
  }
}

TEST(PresetFile, HostileFilesAreRejectedAndChangeNothing) {
  FileBuilder good;
  good.Block(20, {1});
  good.Block(6, std::vector<uint32_t>(40, 0));
  struct Case {
    const char* story;
    std::string bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"version 4", FileBuilder(4).bytes + good.bytes.substr(8)});
  cases.push_back({"wrong magic", FileBuilder(5, 0x44332211).bytes});
  cases.push_back({"shorter than the header", good.bytes.substr(0, 6)});
  cases.push_back({"block header cut short", good.bytes.substr(0, good.bytes.size() - 160 - 5)});
  cases.push_back({"payload cut short", good.bytes.substr(0, good.bytes.size() - 1)});
  FileBuilder huge;
  huge.Word(11);
  huge.Word(0xFFFFFFF0u);  // a length far past the end of the file
  cases.push_back({"length past the end", huge.bytes});
  FileBuilder wrong;
  wrong.Block(27, {1, 2, 3});  // a curve block must be 16,432 bytes
  cases.push_back({"known block of the wrong length", wrong.bytes});
  cases.push_back({"junk", std::string(64, '\xA5')});
  // Written in the other byte order: every word turned round.
  std::string swapped = good.bytes;
  for (size_t i = 0; i + 4 <= swapped.size(); i += 4) std::swap(swapped[i], swapped[i + 3]), std::swap(swapped[i + 1], swapped[i + 2]);
  cases.push_back({"byte-swapped", swapped});

  std::string dir = MakeScratchFolder("hostile");
  PLAlertScriptBegin();
  for (const Case& c : cases) {
    VL_SettingsStruct s = Defaults();
    s.levelsEnable = 7;
    VL_SettingsStruct before = s;
    std::string why;
    EXPECT_EQ(kQVErrParam, CCReadPresetBytes(c.bytes, &s, &why)) << c.story;
    EXPECT_FALSE(why.empty()) << c.story;
    EXPECT_TRUE(VL_SettingsAreSame(&s, &before)) << c.story;
    // Through a file: the alert, and still no change.
    std::string path = dir + "/bad.vlpreset";
    std::ofstream(path, std::ios::binary) << c.bytes;
    QVFileRef ref;
    ASSERT_EQ(kQVNoErr, PLFileRefFromPath(path.c_str(), &ref));
    EXPECT_EQ(kQVErrParam, CCLoadSettingsFromRef(&ref, &s)) << c.story;
    EXPECT_TRUE(VL_SettingsAreSame(&s, &before)) << c.story;
  }
  std::vector<PLRecordedAlert> alerts = PLAlertScriptRecorded();
  PLAlertScriptEnd();
  ASSERT_EQ(cases.size(), alerts.size());
  EXPECT_EQ("Invalid settings file", alerts[0].message);
  EXPECT_EQ("Velmora 3 PI", alerts[0].title);
  // The good file itself is read.
  VL_SettingsStruct s = Defaults();
  EXPECT_EQ(kQVNoErr, CCReadPresetBytes(good.bytes, &s, nullptr));
  EXPECT_EQ(1u, s.levelsEnable);
}

TEST(PresetFile, HugeFilesAreRejectedUnread) {
  // A well-formed file far larger than any correction: one skipped block of 17 MB.
  const uint32_t size = 17u << 20;
  FileBuilder f;
  f.Word(11);
  f.Word(size - 16);
  std::string dir = MakeScratchFolder("huge");
  std::string path = dir + "/huge.vlpreset";
  std::ofstream(path, std::ios::binary) << f.bytes;
  std::filesystem::resize_file(path, size);
  QVFileRef ref;
  ASSERT_EQ(kQVNoErr, PLFileRefFromPath(path.c_str(), &ref));
  VL_SettingsStruct s = Defaults();
  s.levelsEnable = 3;
  VL_SettingsStruct before = s;
  PLAlertScriptBegin();
  EXPECT_EQ(kQVErrParam, CCLoadSettingsFromRef(&ref, &s));
  std::vector<PLRecordedAlert> alerts = PLAlertScriptRecorded();
  PLAlertScriptEnd();
  EXPECT_TRUE(VL_SettingsAreSame(&s, &before));
  ASSERT_EQ(1u, alerts.size());
  EXPECT_EQ("Invalid settings file", alerts[0].message);
  std::filesystem::remove_all(dir);
}

TEST(PresetFile, HeaderOnlyFileChangesNothing) {
  VL_SettingsStruct s = Defaults(), before = s;
  EXPECT_EQ(kQVNoErr, CCReadPresetBytes(FileBuilder().bytes, &s, nullptr));
  EXPECT_TRUE(VL_SettingsAreSame(&s, &before));
}

TEST(PresetFile, SaveReplacesWholeFilesOnly) {
  std::string dir = MakeScratchFolder("save");
  QVFileRef folder;
  ASSERT_EQ(kQVNoErr, PLFileRefFromPath(dir.c_str(), &folder));
  std::string path = dir + "/look.vlpreset";
  std::ofstream(path) << "an older file";
  VL_SettingsStruct s = Defaults();
  ASSERT_EQ(kQVNoErr, CCSaveSettingsToRefAndString(&folder, "look.vlpreset", &s));
  EXPECT_EQ(33720u, std::filesystem::file_size(path));
  size_t entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir)) entries += e.is_regular_file();
  EXPECT_EQ(1u, entries) << "no temporary file is left behind";
  // A folder in the way: the rename fails once the whole file was written,
  // the folder stays and no temporary file is left.
  std::filesystem::create_directories(dir + "/taken.vlpreset/inside");
  EXPECT_NE(kQVNoErr, CCSaveSettingsToRefAndString(&folder, "taken.vlpreset", &s));
  EXPECT_TRUE(std::filesystem::is_directory(dir + "/taken.vlpreset/inside"));
  entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir)) entries += e.is_regular_file();
  EXPECT_EQ(1u, entries) << "no temporary file is left behind";
  // A name that cannot be made is refused and writes nothing.
  EXPECT_NE(kQVNoErr, CCSaveSettingsToRefAndString(&folder, "a/b.vlpreset", &s));
  QVFileRef gone;
  ASSERT_EQ(kQVNoErr, PLFileRefFromPath(dir.c_str(), &gone));
  std::filesystem::remove_all(dir);
  EXPECT_NE(kQVNoErr, CCSaveSettingsToRefAndString(&gone, "look.vlpreset", &s));
  EXPECT_FALSE(std::filesystem::exists(dir));
}

TEST(PresetFile, SwapSettingsAsNeeded) {
  VL_SettingsStruct s = Defaults(), native = s;
  uint32_t* w = reinterpret_cast<uint32_t*>(&s);
  for (int i = 0; i < kVLSettingsWordCount; ++i) w[i] = QVByteSwap32(w[i]);
  ASSERT_EQ(0x10323412u, s.byteOrderFlag);
  SwapSettingsAsNeeded(&s);
  EXPECT_TRUE(VL_SettingsAreSame(&s, &native));
  SwapSettingsAsNeeded(&s);
  EXPECT_TRUE(VL_SettingsAreSame(&s, &native));
  s.byteOrderFlag = 0;
  VL_SettingsStruct unknown = s;
  SwapSettingsAsNeeded(&s);
  EXPECT_TRUE(VL_SettingsAreSame(&s, &unknown));
}

}  // namespace

namespace {

class PresetPanels : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchFolder("presets");
    setenv("VELMORA_PREFERENCES", (dir_ + "/prefs").c_str(), 1);
    PLPrefsDiscard(kQVPanelsDomain);
    TKClearDialogScript();
    PLAlertScriptBegin();
  }
  void TearDown() override {
    PLAlertScriptEnd();
    TKClearDialogScript();
    PLPrefsDiscard(kQVPanelsDomain);
    unsetenv("VELMORA_PREFERENCES");
  }
  static void Answer(const std::string& path, QVStatus status = kQVNoErr) {
    TKDialogAnswer a;
    a.path = path;
    a.status = status;
    TKQueueDialogAnswer(a);
  }
  std::string dir_;
};

TEST_F(PresetPanels, SaveAndLoadThroughThePanels) {
  VL_SettingsStruct s = Defaults();
  s.hsl[kVLRangeMidtones].saturation = 140.0f;
  s.levelsEnable = 1;
  Answer(dir_ + "/warm.vlpreset");
  ASSERT_EQ(kQVNoErr, CCSaveCurrentSettings(&s));
  TKPanelRequest save = TKScriptedDialogRequests().back().panel;
  EXPECT_EQ("Save Correction Settings As", save.title);
  EXPECT_EQ("untitled preset", save.fileName);
  ASSERT_EQ(1u, save.types.size());
  EXPECT_EQ("vlpreset", save.types[0].extension);

  VL_SettingsStruct loaded = Defaults();
  Answer(dir_ + "/warm.vlpreset");
  ASSERT_EQ(kQVNoErr, CCLoadCurrentSettings(&loaded));
  EXPECT_EQ("Load Correction Settings", TKScriptedDialogRequests().back().panel.title);
  EXPECT_EQ("Settings", TKScriptedDialogRequests().back().panel.types[0].name);
  EXPECT_TRUE(VL_SettingsAreSame(&s, &loaded));

  // A file of only the header loads as a record of defaults.
  std::ofstream(dir_ + "/empty.vlpreset", std::ios::binary) << std::string("\0\0\0\x05\x11\x22\x33\x44", 8);
  Answer(dir_ + "/empty.vlpreset");
  ASSERT_EQ(kQVNoErr, CCLoadCurrentSettings(&loaded));
  VL_SettingsStruct defaults = Defaults();
  EXPECT_TRUE(VL_SettingsAreSame(&defaults, &loaded));

  // Cancel, a rejected file and a missing file leave the record.
  std::ofstream(dir_ + "/v4.vlpreset", std::ios::binary) << std::string("\0\0\0\x04\x11\x22\x33\x44", 8);
  for (const char* name : {"v4.vlpreset", "missing.vlpreset"}) {
    VL_SettingsStruct kept = s;
    Answer(dir_ + "/" + name);
    EXPECT_NE(kQVNoErr, CCLoadCurrentSettings(&kept)) << name;
    EXPECT_TRUE(VL_SettingsAreSame(&s, &kept)) << name;
  }
  Answer("", kQVErrCancelled);
  EXPECT_EQ(kQVErrCancelled, CCLoadCurrentSettings(&loaded));
  Answer("", kQVErrCancelled);
  EXPECT_EQ(kQVErrCancelled, CCSaveCurrentSettings(&s));
  EXPECT_EQ(1u, PLAlertScriptRecorded().size()) << "the rejected file alone is reported";
}

}  // namespace
