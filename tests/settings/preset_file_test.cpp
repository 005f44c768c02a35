// Preset files: the version-5 writer's exact bytes, reading back every
// version, older blocks converted, hostile files rejected without a change.
#include "settings/preset_file.h"

#include <gtest/gtest.h>

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
      if (offset >= head && offset < head + 76 && (w == 3 || w >= 13)) geometryKept = true;
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
    UIClearDialogScript();
    PLAlertScriptBegin();
  }
  void TearDown() override {
    PLAlertScriptEnd();
    UIClearDialogScript();
    PLPrefsDiscard(kQVPanelsDomain);
    unsetenv("VELMORA_PREFERENCES");
  }
  static void Answer(const std::string& path, QVStatus status = kQVNoErr) {
    UIDialogAnswer a;
    a.path = path;
    a.status = status;
    UIQueueDialogAnswer(a);
  }
  std::string dir_;
};

TEST_F(PresetPanels, SaveAndLoadThroughThePanels) {
  VL_SettingsStruct s = Defaults();
  s.hsl[kVLRangeMidtones].saturation = 140.0f;
  s.levelsEnable = 1;
  Answer(dir_ + "/warm.vlpreset");
  ASSERT_EQ(kQVNoErr, CCSaveCurrentSettings(&s));
  UIPanelSpec save = UIScriptedDialogRequests().back().panel;
  EXPECT_EQ("Save Correction Settings As", save.title);
  EXPECT_EQ("untitled preset", save.fileName);
  ASSERT_EQ(1u, save.types.size());
  EXPECT_EQ("vlpreset", save.types[0].extension);

  VL_SettingsStruct loaded = Defaults();
  Answer(dir_ + "/warm.vlpreset");
  ASSERT_EQ(kQVNoErr, CCLoadCurrentSettings(&loaded));
  EXPECT_EQ("Load Correction Settings", UIScriptedDialogRequests().back().panel.title);
  EXPECT_EQ("Settings", UIScriptedDialogRequests().back().panel.types[0].name);
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
