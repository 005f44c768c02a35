#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/library/lut3d_export.h"
#include "app/library/lut3d_internal.h"
#include "platform/file_contents.h"
#include "platform/fourcc.h"
#include "tests/scratch_folder.h"

namespace {

VL_SettingsStruct Neutral() {
  VL_SettingsStruct s;
  std::memset(&s, 0, sizeof s);
  VL_SetDefaultControlValues(&s, kVLMaskAll);
  return s;
}

QVFileRef Folder(const std::string& name) {
  QVFileRef ref;
  EXPECT_EQ(PLFileRefFromPath(MakeScratchFolder(name).c_str(), &ref), kQVNoErr);
  return ref;
}

std::vector<std::string> Lines(const QVFileRef& folder, const std::string& name) {
  std::string text;
  EXPECT_EQ(PLReadFileContents((std::string(folder.path) + "/" + name).c_str(), 1 << 24, &text), kQVNoErr) << name;
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  EXPECT_TRUE(text.empty() || text.back() == '\n') << name << " ends inside a line";
  return lines;
}

// The lines that name the date or the platform differ from run to run.
bool Varies(const std::string& line) {
  return line.find("Date:") != std::string::npos || line.find("#created:") == 0 ||
         line.find("Platform:") != std::string::npos;
}

struct Expected {
  uint32_t command;
  std::vector<std::string> head;  // the first lines, varying ones as ""
  size_t rowsFrom;                // the index of the first row
  std::vector<std::string> rows;  // the first rows
  std::string lastRow;    // the last row (none: not checked)
  size_t lineCount;       // the rows and the lines after them included
  size_t trailing;        // lines after the last row
};

}  // namespace

TEST(LUT3DExport, EveryFormatsLayoutForANeutralCorrection) {
  const std::string breakpoints = "0 64 128 192 256 320 384 448 512 576 640 704 768 832 896 960 1023";
  const Expected cases[] = {
      {QVFourCC("FElA"),
       {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
        "<ProcessList xmlns=\"urn:NATAS:ASC:LUT:v0.95\" id=\"look.lut\" name=\"\">", "\t<Description>",
        "\t\tLUT Creator:\tQuorvane Velmora v3.0.14(309)", "\t</Description>", "\t<InputDescriptor>",
        "\t\tRec709 primaries and gamma. Black at 0, white at 1023.", "\t</InputDescriptor>", "\t<OutputDescriptor>",
        "\t\tRec709 primaries and gamma. Black at 0, white at 4095.", "\t</OutputDescriptor>",
        "\t<LUT3D id=\"\" name=\"\" interpolation=\"trilinear\" inBitDepth=\"10i\" outBitDepth=\"12i\">",
        "\t\t<Description/>", "\t\t<Array dim=\"17 17 17 3\">"},
       14, {"   0    0    0", "   0    0  256", "   0    0  512"}, "4095 4095 4095", 14 + 4913 + 3, 3},
      {QVFourCC("FElc"),
       {"#HEADER", "#filename:\tlook.a3d", "#type:\t\tMegaGamma file", "#format:\t1.00", "",
        "#owner:\t\tQuorvane Velmora 3 v3.0.14(309)", "#title:\t\tlook.a3d", "#END", "", "channel 3d", "in 4913",
        "out 65536", "", "format lut", "", "values  red  green  blue"},
       16, {"   0     0     0     0", "   1     0     0  4096"}, "4912 65535 65535 65535", 16 + 4913, 0},
      {QVFourCC("FElP"), {"#HEADER", "#filename:\tlook.m3d", "#type:\t\tPogle MegaGamma file"}, 16,
       {"   0     0     0     0"}, "4912 65535 65535 65535", 16 + 4913, 0},
      {QVFourCC("FEaL"),
       {"#LUT created by Quorvane Velmora 3 3.0.14(309)", "# 3 columns rgb", "# 4913 rows", "# input [0..1023]",
        "# output [0..4095]", "", breakpoints, ""},
       8, {"   0    0    0", "   0    0  256"}, "4095 4095 4095", 8 + 4913, 0},
      {QVFourCC("FEaF"), {breakpoints, ""}, 2, {"   0    0    0", "   0    0  256"}, "4095 4095 4095", 2 + 4913, 0},
      {QVFourCC("FEaS"), {breakpoints, ""}, 2, {"   0    0    0"}, "4095 4095 4095", 2 + 4913, 0},
      {QVFourCC("FEaG"), {"#Do not edit", "# LUT created by Quorvane Velmora 3 3.0.14(309)", "", "3DMESH", "Mesh 4 12",
                breakpoints, ""},
       7, {"   0    0    0"}, "4095 4095 4095", 7 + 4913, 0},
      {QVFourCC("FElH"), {breakpoints, ""}, 2, {"   0    0    0"}, "4095 4095 4095", 2 + 4913, 0},
      {QVFourCC("FElL"),
       {"# channels: c3", "# entries = 4913", "# ", "# Creator:  Quorvane Velmora 3", "# Version:  3.0.14(309)", "",
        "# Target:   Thomson LUTher", "", "# "},
       9, {"  64   64   64", "  64   64  128", "  64   64  192"}, "1019 1019 1019", 9 + 4913, 0},
      {QVFourCC("FElG"), {"# channels: c3", "# entries = 4913"}, 9, {"  64   64   64"}, "1019 1019 1019", 9 + 4913, 0},
      {QVFourCC("FElS"), {breakpoints}, 1, {"   0      0      0", "   0      0     64"}, "1023   1023   1023", 1 + 4913, 0},
      {QVFourCC("FElT"),
       {"# Truelight Cube v2.0", "# iDims          3", "# oDims          3", "# width          16 16 16", "",
        "# Cube"},
       6, {"0.000000   0.000000   0.000000", "0.066667   0.000000   0.000000"}, "1.000000   1.000000   1.000000", 6 + 4096 + 2, 2},
  };
  VL_SettingsStruct neutral = Neutral();
  QVFileRef folder = Folder("formats");
  for (const Expected& k : cases) {
    const LUT3DFormat* format = LUT3DFormatForCommand(k.command);
    ASSERT_NE(format, nullptr) << k.command;
    std::string name = std::string("look.") + format->extension;
    ASSERT_EQ(format->writer(&neutral, &folder, name, format->divisions, *format, nullptr), kQVNoErr) << k.command;
    std::vector<std::string> lines = Lines(folder, name);
    ASSERT_EQ(lines.size(), k.lineCount) << k.command;
    for (size_t i = 0; i < k.head.size(); ++i) {
      if (Varies(lines[i])) continue;
      EXPECT_EQ(lines[i], k.head[i]) << k.command << " line " << i;
    }
    for (size_t i = 0; i < k.rows.size(); ++i) EXPECT_EQ(lines[k.rowsFrom + i], k.rows[i]) << k.command << " row " << i;
    EXPECT_EQ(lines[k.lineCount - k.trailing - 1], k.lastRow) << k.command;
  }
  // The Truelight cube ends with its trailer; LUTher clamps past 1019.
  std::vector<std::string> cube = Lines(folder, "look.cube");
  EXPECT_EQ(cube[cube.size() - 3], "1.000000   1.000000   1.000000");
  EXPECT_EQ(cube[cube.size() - 2], "");
  EXPECT_EQ(cube.back(), "# end");
  std::vector<std::string> luther = Lines(folder, "look.txt");  // the last written .txt: Panavision GDP
  EXPECT_EQ(luther[9 + 14], "  64   64  960");
  EXPECT_EQ(luther[9 + 15], "  64   64 1019");
  EXPECT_EQ(luther[9 + 16], "  64   64 1019");
}

TEST(LUT3DExport, FlavoursWithoutHeaderOrBreakpoints) {
  VL_SettingsStruct neutral = Neutral();
  QVFileRef folder = Folder("flavours");
  struct Case {
    int32_t flavour;
    const char* firstLine;
    size_t lines;
  };
  const Case cases[] = {{5, "3DMESH", 2 + 4913}, {7, "   0    0    0", 4913}, {0, "#Do not edit", 7 + 4913},
                        {9, "#Do not edit", 7 + 4913}};
  for (const Case& k : cases) {
    ASSERT_EQ(Write3dlLUT(&neutral, &folder, "f.3dl", 16, 10, 12, k.flavour, nullptr), kQVNoErr);
    std::vector<std::string> lines = Lines(folder, "f.3dl");
    EXPECT_EQ(lines.size(), k.lines) << k.flavour;
    EXPECT_EQ(lines.front(), k.firstLine) << k.flavour;
  }
  EXPECT_STREQ(LUT3DFlavourName(5), "Autodesk Pre-3.0");
  EXPECT_STREQ(LUT3DFlavourName(42), "Autodesk");
}

TEST(LUT3DExport, AcademyIdIsEscapedAndTheDocumentIsWellFormed) {
  VL_SettingsStruct neutral = Neutral();
  QVFileRef folder = Folder("academy");
  ASSERT_EQ(WriteAcademyLUT(&neutral, &folder, "A&B <\"x\">.lut", 4, 10, 12, nullptr), kQVNoErr);
  std::vector<std::string> lines = Lines(folder, "A&B <\"x\">.lut");
  EXPECT_EQ(lines[1], "<ProcessList xmlns=\"urn:NATAS:ASC:LUT:v0.95\" id=\"A&amp;B &lt;&quot;x&quot;&gt;.lut\" name=\"\">");
  EXPECT_EQ(lines.back(), "</ProcessList>");
}

TEST(LUT3DExport, TheRegistryListsEveryExportCommandOnce) {
  size_t count = 0;
  const LUT3DFormat* formats = LUT3DFormats(&count);
  ASSERT_EQ(count, 12u);
  for (size_t i = 0; i < count; ++i) {
    EXPECT_EQ(LUT3DFormatForCommand(formats[i].command), &formats[i]);
    EXPECT_TRUE(formats[i].writer && formats[i].defaultName && formats[i].filter && formats[i].title);
    EXPECT_EQ(formats[i].divisions, formats[i].command == QVFourCC("FElT") ? 15 : 16);
  }
  EXPECT_EQ(LUT3DFormatForCommand(QVFourCC("FElC")), nullptr);  // the preview LUT is no 3D LUT
  EXPECT_EQ(LUT3DExportCommand(QVFourCC("xxxx"), nullptr), kQVErrParam);
}

TEST(LUT3DExport, FailuresAreReportedAndLeaveTheOldFileWhole) {
  VL_SettingsStruct neutral = Neutral();
  QVFileRef folder = Folder("failures");
  const std::string old = "an older LUT\n";
  const std::string path = std::string(folder.path) + "/old.3dl";
  ASSERT_EQ(PLReplaceFileContents(path.c_str(), old.data(), old.size()), kQVNoErr);
  std::filesystem::create_directory(std::string(folder.path) + "/a folder");
  QVFileRef missing = folder;
  std::strcat(missing.path, "/missing");

  size_t count = 0;
  const LUT3DFormat* formats = LUT3DFormats(&count);
  for (size_t i = 0; i < count; ++i) {
    const LUT3DFormat& f = formats[i];
    EXPECT_EQ(f.writer(&neutral, &folder, "x", 0, f, nullptr), kQVErrParam) << f.name;
    EXPECT_EQ(f.writer(&neutral, &folder, "x", -3, f, nullptr), kQVErrParam) << f.name;
    EXPECT_EQ(f.writer(&neutral, &folder, "a/b", 16, f, nullptr), kQVErrParam) << f.name;
    EXPECT_EQ(f.writer(&neutral, &missing, "x", 16, f, nullptr), -43) << f.name;
    EXPECT_EQ(f.writer(&neutral, &folder, "a folder", 16, f, nullptr), -1302) << f.name;
  }
  // Files may not grow past 4 KB: the export fails part-way.
  struct rlimit saved, small;
  getrlimit(RLIMIT_FSIZE, &saved);
  small = saved;
  small.rlim_cur = 4096;
  auto handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  QVStatus status = Write3dlLUT(&neutral, &folder, "old.3dl", 16, 10, 12, 1, nullptr);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, handler);
  EXPECT_EQ(status, -1310);
  std::string text;
  ASSERT_EQ(PLReadFileContents(path.c_str(), 1 << 20, &text), kQVNoErr);
  EXPECT_EQ(text, old);
  size_t entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(folder.path)) ++entries;
  EXPECT_EQ(entries, 2u) << "a temporary file was left behind";

  QVFileRef written;
  ASSERT_EQ(WriteScratchLUT(&neutral, &folder, "new.lut", 2, &written), kQVNoErr);
  EXPECT_EQ(std::string(written.path), std::string(folder.path) + "/new.lut");
}

TEST(LUT3DExport, LatticeCoordinatesAreSummedStepByStep) {
  VL_SettingsStruct neutral = Neutral();
  LUT3DSamples samples;
  ASSERT_EQ(LUT3DSample(&neutral, 16, false, true, &samples), kQVNoErr);
  ASSERT_EQ(samples.points, 17);
  const float step = float(kLUT3DExtendedTop / 16.0);
  float sum = 0.0f;
  for (int i = 0; i < 16; ++i) sum += step;
  EXPECT_NEAR(samples.b[16], sum, 1e-6f);  // blue fastest, untouched by a neutral correction
  EXPECT_GT(samples.b[16], 1.16f);
  ASSERT_EQ(LUT3DSample(&neutral, 15, true, false, &samples), kQVNoErr);
  EXPECT_NEAR(samples.r[1], 1.0f / 15.0f, 1e-6f);  // red fastest
  EXPECT_NEAR(samples.b[16 * 16], 1.0f / 15.0f, 1e-6f);
  EXPECT_EQ(LUT3DSample(&neutral, 0, false, false, &samples), kQVErrParam);
}
