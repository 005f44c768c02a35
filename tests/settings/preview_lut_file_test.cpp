// Preview LUT files: the writer's exact text for a neutral correction, reading
// it back, and the three reader kinds on small files.
#include "settings/preview_lut_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "core/processing_tables.h"
#include "platform/alert_script.h"
#include "platform/prefs_store.h"
#include "platform/ui/ui_dialogs.h"
#include "settings/file_panels.h"
#include "settings/lut_text.h"
#include "support/preview_lut.h"
#include "tests/scratch_folder.h"

namespace {

class PreviewLUTFile : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchFolder("lut");
    VL_SettingsStruct s;
    std::memset(&s, 0, sizeof s);
    VL_SetDefaultControlValues(&s, kVLMaskAll);
    ASSERT_EQ(kQVNoErr, VL_UpdateProcessingTables(&s));
    PLAlertScriptBegin();
  }
  void TearDown() override { PLAlertScriptEnd(); }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static void ExpectIdentity(const uint8_t* lut) {
    for (int j = 0; j < 768; ++j) ASSERT_EQ(j % 256, lut[j]) << "entry " << j;
  }
  std::string dir_;
};

TEST_F(PreviewLUTFile, NeutralCorrectionWritesTheRamp) {
  std::string text;
  ASSERT_EQ(kQVNoErr, PreviewLUTText(256, "Linux 6.1", "10 Dec 2026 14:05", &text));
  std::string expected =
      "#\n"
      "#   Preview LUT to convert 8-bit linear to 8-bit linear\n"
      "#\n"
      "#   Creator:  Quorvane Velmora 3.0.14(309)\n"
      "#   Platform: Linux 6.1\n"
      "#   Date:     10 Dec 2026 14:05\n"
      "#\n"
      "LUT: 3 256\n";
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 256; ++i) {
      char line[32];
      std::snprintf(line, sizeof line, "      %3d\n", i);
      expected += line;
    }
  EXPECT_EQ(expected, text);
  ASSERT_EQ(kQVNoErr, PreviewLUTText(4096, "p", "d", &text));
  EXPECT_NE(std::string::npos, text.find("to convert 12-bit linear to 12-bit linear\n"));
  EXPECT_NE(std::string::npos, text.find("LUT: 3 4096\n        0\n        1\n"));
  EXPECT_NE(std::string::npos, text.find("\n      4095\n        0\n")) << "red ends, green begins";
  ASSERT_EQ(kQVNoErr, PreviewLUTText(100, "p", "d", &text));
  EXPECT_NE(std::string::npos, text.find("#   Preview LUT\n#\n"));
  EXPECT_EQ(kQVErrParam, PreviewLUTText(1, "p", "d", &text));
}

TEST_F(PreviewLUTFile, WrittenFilesReadBackAsTheIdentity) {
  QVFileRef folder;
  ASSERT_EQ(kQVNoErr, PLFileRefFromPath(dir_.c_str(), &folder));
  for (uint32_t n : {4096u, 256u, 1024u}) {
    ASSERT_EQ(kQVNoErr, WritePreviewLUT(nullptr, &folder, "neutral.lut", n));
    uint8_t lut[768] = {};
    ASSERT_EQ(kQVNoErr, ReadChannelLUTFile((dir_ + "/neutral.lut").c_str(), lut)) << n;
    ExpectIdentity(lut);
  }
  // Through the save panel, with the written file's reference handed back.
  setenv("VELMORA_PREFERENCES", (dir_ + "/prefs").c_str(), 1);
  PLPrefsDiscard(kQVPanelsDomain);
  TKDialogAnswer answer;
  answer.path = dir_ + "/LUT_Untitled_VL_Preview.lut";
  TKQueueDialogAnswer(answer);
  QVFileRef written;
  ASSERT_EQ(kQVNoErr, SavePreviewLUT(nullptr, &written, "LUT_Untitled_VL_Preview", 4096));
  EXPECT_EQ(answer.path, std::string(written.path));
  TKPanelRequest panel = TKScriptedDialogRequests().back().panel;
  EXPECT_EQ("Save Preview LUT", panel.title);
  EXPECT_EQ("LUT_Untitled_VL_Preview", panel.fileName);
  uint8_t lut[768];
  ASSERT_EQ(kQVNoErr, ReadChannelLUTFileFromFSRef(&written, lut));
  ExpectIdentity(lut);
  TKClearDialogScript();
  PLPrefsDiscard(kQVPanelsDomain);
  unsetenv("VELMORA_PREFERENCES");
}

TEST_F(PreviewLUTFile, ChannelAndGridReductions) {
  // N = 300 (k = 1): entry j is value j of the channel-after-channel sequence,
  // so green starts inside the red block's tail.
  std::ostringstream channel;
  channel << "# capitals as the writer writes them\nLUT: 3 300\n";
  for (int v = 0; v < 900; ++v) channel << (v % 300) << "\n";
  uint8_t lut[768];
  ASSERT_EQ(kQVNoErr, ReadChannelLUTFile(Write("odd.lut", channel.str()).c_str(), lut));
  EXPECT_EQ(255 / 4, lut[255]);          // D = 1024 (largest 299): 255 / 4
  EXPECT_EQ(299 / 4, lut[299]);
  EXPECT_EQ(0, lut[300]) << "the second channel's first value";
  // 1024 rows with gmax 1023: groups of four averaged and divided by four.
  std::ostringstream grid;
  grid << "TABLE x 2\ngmax 1023\ngsize 1024\nR G B\n";
  for (int i = 0; i < 1024; ++i) grid << i << " " << 1023 - i << " " << i / 4 << "\n";
  ASSERT_EQ(kQVNoErr, ReadGridLUTFile(Write("grid.txt", grid.str()).c_str(), lut));
  EXPECT_EQ(10, lut[10]);                 // (40 + 41 + 42 + 43) / 4 / 4
  EXPECT_EQ(255 - 10, lut[256 + 10]);
  EXPECT_EQ(2, lut[512 + 10]);            // (10 + 10 + 10 + 10) / 4 / 4
  // Fewer than 256 entries and a gmax below 255 still give full tables.
  ASSERT_EQ(kQVNoErr, ReadGridLUTFile(Write("small.txt", "table a 2\ngmax 100\ngsize 2\nr g b\n0 0 0\n100 100 100\n").c_str(), lut));
  EXPECT_EQ(0, lut[127]);
  EXPECT_EQ(255, lut[128]);
}

TEST_F(PreviewLUTFile, BinaryMapsCompose) {
  std::string ramp(256, '\0'), invert(256, '\0');
  for (int i = 0; i < 256; ++i) {
    ramp[size_t(i)] = char(i / 2);
    invert[size_t(i)] = char(255 - i);
  }
  uint8_t lut[768];
  ASSERT_EQ(kQVNoErr, ReadBinaryLUTFile(Write("two.amp", ramp + invert).c_str(), lut));
  EXPECT_EQ(255 - 50, lut[100]);   // red: the second table after the first
  EXPECT_EQ(50, lut[256 + 100]);   // green and blue: the first
  EXPECT_EQ(50, lut[512 + 100]);
  ASSERT_EQ(kQVNoErr, ReadBinaryLUTFile(Write("four.amp", ramp + invert + invert + ramp + "tail").c_str(), lut));
  EXPECT_EQ(25, lut[512 + 100]);   // blue: the fourth after the first
  uint8_t kept[768];
  std::memset(kept, 7, sizeof kept);
  EXPECT_EQ(kQVErrEndOfFile, ReadBinaryLUTFile(Write("short.amp", ramp.substr(0, 200)).c_str(), kept));
  EXPECT_EQ(kQVErrFileNotFound, ReadBinaryLUTFile((dir_ + "/none.amp").c_str(), kept));
  for (uint8_t b : kept) ASSERT_EQ(7, b);
  EXPECT_TRUE(PLAlertScriptRecorded().empty());
}

TEST_F(PreviewLUTFile, BadFilesAlertAndChangeNothing) {
  struct Case {
    const char* story;
    QVStatus (*reader)(const char*, uint8_t*);
    std::string text;
    QVStatus status;
    const char* message;
  } cases[] = {
      {"too short", ReadChannelLUTFile, "LUT: 3 256\n1\n2\n", kQVErrEndOfFile, kLUTErrorShort},
      {"two channels", ReadChannelLUTFile, "LUT: 2 1\n1\n2\n3\n", kQVErrParam, kLUTErrorTooFewChannels},
      {"table 1", ReadGridLUTFile, "table x 1\ngmax 255\ngsize 1\nr g b\n1 1 1\n", kQVErrParam, kLUTErrorUnsupported},
      {"junk", ReadGridLUTFile, "table x 2\ngmax 255\ngsize 1\nr g b\n\x01\x02\x03 \xff\xfe\n", kQVErrIO, kLUTErrorReading},
      {"no LUT: line", ReadChannelLUTFile, "# nothing\n1\n2\n3\n", kQVErrEndOfFile, kLUTErrorShort},
      {"no entries", ReadChannelLUTFile, "LUT: 3 0\n", kQVErrIO, kLUTErrorReading},
      {"too many entries", ReadChannelLUTFile, "LUT: 3 65537\n1\n", kQVErrIO, kLUTErrorReading},
      {"a huge count in a small file", ReadChannelLUTFile, "LUT: 3 65536\n1\n2\n", kQVErrEndOfFile, kLUTErrorShort},
      {"value above 65535", ReadChannelLUTFile, "LUT: 3 1\n1\n70000\n1\n", kQVErrIO, kLUTErrorReading},
      {"negative value", ReadChannelLUTFile, "LUT: 3 1\n1\n-1\n1\n", kQVErrIO, kLUTErrorReading},
      {"two values on a line", ReadChannelLUTFile, "LUT: 3 1\n1 2\n1\n1\n", kQVErrIO, kLUTErrorReading},
      {"grid cut part-way", ReadGridLUTFile, "table x 2\ngmax 255\ngsize 2\nr g b\n0 0 0\n\n\n\n\n\n\n", kQVErrEndOfFile, kLUTErrorShort},
      {"grid value above gmax", ReadGridLUTFile, "table x 2\ngmax 255\ngsize 1\nr g b\n1 256 1\n", kQVErrIO, kLUTErrorReading},
      {"grid of no rows", ReadGridLUTFile, "table x 2\ngmax 255\ngsize 0\nr g b\n", kQVErrIO, kLUTErrorReading},
      {"grid without its heading", ReadGridLUTFile, "table x 2\ngmax 255\ngsize 1\n1 1 1\n", kQVErrEndOfFile, kLUTErrorShort},
  };
  for (const Case& k : cases) {
    PLAlertScriptBegin();
    uint8_t lut[768];
    std::memset(lut, 9, sizeof lut);
    EXPECT_EQ(k.status, k.reader(Write("bad", k.text).c_str(), lut)) << k.story;
    for (uint8_t b : lut) ASSERT_EQ(9, b) << k.story;
    ASSERT_EQ(1u, PLAlertScriptRecorded().size()) << k.story;
    EXPECT_EQ(k.message, PLAlertScriptRecorded()[0].message) << k.story;
    EXPECT_EQ("Velmora 3 UI", PLAlertScriptRecorded()[0].title) << k.story;
  }
}

TEST_F(PreviewLUTFile, OtherChoiceLoadsThroughThePanel) {
  setenv("VELMORA_PREFERENCES", (dir_ + "/prefs").c_str(), 1);
  PLPrefsDiscard(kQVPanelsDomain);
  SetLinearizationLUTFileLoader(PreviewLUTLoadWithPanel);
  std::string grid = Write("g.txt", "table x 2\ngmax 255\ngsize 256\nr g b\n" + [] {
    std::string rows;
    for (int i = 0; i < 256; ++i) rows += std::to_string(255 - i) + " 0 " + std::to_string(i) + "\n";
    return rows;
  }());
  TKDialogAnswer answer;
  answer.path = grid;
  answer.typeIndex = 2;
  TKQueueDialogAnswer(answer);
  uint8_t table[768] = {};
  EXPECT_EQ(kQVNoErr, BuildLinearizationLUT(kPreviewLUTFromFile, table));
  EXPECT_EQ(255, table[0]);
  EXPECT_EQ(0, table[256 + 7]);
  EXPECT_EQ(7, table[512 + 7]);
  ASSERT_EQ(4u, TKScriptedDialogRequests().back().panel.types.size());
  // The same file read as a "LUT:" text LUT fails: the table stays.
  answer.typeIndex = 0;
  TKQueueDialogAnswer(answer);
  uint8_t kept[768];
  std::memcpy(kept, table, sizeof kept);
  EXPECT_EQ(kQVErrCancelled, BuildLinearizationLUT(kPreviewLUTFromFile, table));
  EXPECT_EQ(0, std::memcmp(kept, table, sizeof kept));
  SetLinearizationLUTFileLoader(nullptr);
  TKClearDialogScript();
  PLPrefsDiscard(kQVPanelsDomain);
  unsetenv("VELMORA_PREFERENCES");
}

}  // namespace
