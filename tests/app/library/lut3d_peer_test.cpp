// 3D LUTs we write read by real peers: OpenColorIO's ociochecklut and
// FFmpeg's lut3d filter give the engine's own result at the lattice
// points, within one code of the format's precision. Skipped where the
// tools are not installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/library/lut3d_export.h"
#include "app/library/lut3d_internal.h"
#include "platform/file_contents.h"
#include "platform/fourcc.h"
#include "tests/app/library/peer_corrections.h"
#include "tests/scratch_folder.h"

namespace {

QVFileRef ScratchRef(const std::string& name, std::string* dir) {
  *dir = MakeScratchFolder(name);
  QVFileRef folder;
  EXPECT_EQ(PLFileRefFromPath(dir->c_str(), &folder), kQVNoErr);
  return folder;
}

bool Have(const char* tool) {
  std::string command = std::string("command -v ") + tool + " > /dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

struct PeerFile {
  const char* name;
  uint32_t command;  // a registry row, or 0 for a .3dl flavour
  int32_t flavour;
  double codeMax;    // 0: floats as they are
};

const PeerFile kOCIOFiles[] = {
    {"f1.3dl", 0, 1, 4095}, {"f2.3dl", 0, 2, 4095}, {"f4.3dl", 0, 4, 4095}, {"f5.3dl", 0, 5, 4095},
    {"f7.3dl", 0, 7, 4095}, {"scratch.lut", QVFourCC("FElS"), 0, 1023}, {"truelight.cube", QVFourCC("FElT"), 0, 0},
    {"cinetal.a3d", QVFourCC("FElc"), 0, 65535}, {"pogle.m3d", QVFourCC("FElP"), 0, 65535},
};

QVStatus Write(const VL_SettingsStruct& s, const QVFileRef& folder, const PeerFile& f, int32_t* divisions,
               bool* redFastest) {
  if (f.command == 0) {
    *divisions = 16;
    *redFastest = false;
    return Write3dlLUT(&s, &folder, f.name, 16, 10, 12, f.flavour, nullptr);
  }
  const LUT3DFormat* format = LUT3DFormatForCommand(f.command);
  *divisions = format->divisions;
  *redFastest = f.command == QVFourCC("FElT");
  return format->writer(&s, &folder, f.name, format->divisions, *format, nullptr);
}

// What the file holds for an engine value: the code, or the float.
double Held(float v, double codeMax) {
  if (codeMax == 0) return double(v);
  return double(LUT3DCode(double(v), codeMax)) / codeMax;
}

struct Point {
  int r, g, b;
};

std::vector<Point> LatticePoints(int d) { return {{0, 0, 0}, {d, d, d}, {d / 4, d / 2, 3 * d / 4}, {d - 3, 2, 7}, {d, 0, d / 2}}; }

TEST(LUT3DPeer, OpenColorIOReadsTheEngineValuesAtTheLatticePoints) {
  if (!Have("ociochecklut")) GTEST_SKIP() << "no ociochecklut";
  const VL_SettingsStruct corrections[2] = {PeerNeutralCorrection(), PeerStrongCorrection()};
  std::string dir;
  QVFileRef folder = ScratchRef("ocio", &dir);
  for (int k = 0; k < 2; ++k) {
    for (const PeerFile& f : kOCIOFiles) {
      int32_t d = 0;
      bool redFastest = false;
      ASSERT_EQ(Write(corrections[k], folder, f, &d, &redFastest), kQVNoErr) << f.name;
      LUT3DSamples engine;
      ASSERT_EQ(LUT3DSample(&corrections[k], d, redFastest, false, &engine), kQVNoErr);
      const int n = d + 1;
      std::string script;
      std::vector<Point> points = LatticePoints(d);
      for (const Point& p : points) {
        char line[1400];
        std::snprintf(line, sizeof line, "ociochecklut '%s/%s' %.9f %.9f %.9f 2>&1;", dir.c_str(), f.name,
                      double(p.r) / d, double(p.g) / d, double(p.b) / d);
        script += line;
      }
      FILE* pipe = popen(script.c_str(), "r");
      ASSERT_NE(pipe, nullptr);
      const double tolerance = f.codeMax ? 1.0 / f.codeMax + 1e-6 : 2e-6;
      for (const Point& p : points) {
        double theirs[3] = {-1, -1, -1};
        ASSERT_EQ(std::fscanf(pipe, "%lf %lf %lf", &theirs[0], &theirs[1], &theirs[2]), 3)
            << f.name << " is not read by ociochecklut";
        size_t entry = redFastest ? size_t((p.b * n + p.g) * n + p.r) : size_t((p.r * n + p.g) * n + p.b);
        const float ours[3] = {engine.r[entry], engine.g[entry], engine.b[entry]};
        if (k == 1 && p.r == d / 4) {
          EXPECT_GT(std::abs(ours[0] - float(p.r) / float(d)), 0.02f) << "the strong correction moves colours";
        }
        for (int c = 0; c < 3; ++c)
          EXPECT_NEAR(theirs[c], Held(ours[c], f.codeMax), tolerance)
              << f.name << (k ? " strong" : " neutral") << " point " << p.r << "," << p.g << "," << p.b << " channel " << c;
      }
      pclose(pipe);
    }
  }
}

// The lattice as a one-row planar float frame (FFmpeg's planes: G, B, R).
void WriteLatticeFrame(const std::string& path, int d) {
  const int n = d + 1;
  std::vector<float> planes[3];
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        planes[0].push_back(float(g) / float(d));
        planes[1].push_back(float(b) / float(d));
        planes[2].push_back(float(r) / float(d));
      }
  std::string bytes;
  for (const auto& plane : planes) bytes.append(reinterpret_cast<const char*>(plane.data()), plane.size() * 4);
  ASSERT_EQ(PLReplaceFileContents(path.c_str(), bytes.data(), bytes.size()), kQVNoErr);
}

TEST(LUT3DPeer, FFmpegAppliesTheFlavoursItReadsTheSameWay) {
  if (!Have("ffmpeg")) GTEST_SKIP() << "no ffmpeg";
  const VL_SettingsStruct strong = PeerStrongCorrection();
  std::string dir;
  QVFileRef folder = ScratchRef("ffmpeg", &dir);
  WriteLatticeFrame(dir + "/lattice.raw", 16);
  LUT3DSamples engine;
  ASSERT_EQ(LUT3DSample(&strong, 16, false, false, &engine), kQVNoErr);
  const size_t count = engine.r.size();
  std::vector<int> read;
  for (int flavour = 1; flavour <= 7; ++flavour) {
    std::string name = "f" + std::to_string(flavour) + ".3dl";
    ASSERT_EQ(Write3dlLUT(&strong, &folder, name, 16, 10, 12, flavour, nullptr), kQVNoErr);
    std::string out = dir + "/out" + std::to_string(flavour) + ".raw";
    char command[3000];
    std::snprintf(command, sizeof command,
                  "ffmpeg -nostdin -v quiet -f rawvideo -pix_fmt gbrpf32le -s %zux1 -i '%s/lattice.raw' "
                  "-vf \"lut3d=file='%s/%s'\" -f rawvideo -pix_fmt gbrpf32le -y '%s'",
                  count, dir.c_str(), dir.c_str(), name.c_str(), out.c_str());
    if (std::system(command) != 0) continue;
    std::string bytes;
    ASSERT_EQ(PLReadFileContents(out.c_str(), 1 << 24, &bytes), kQVNoErr);
    ASSERT_EQ(bytes.size(), count * 12) << name;
    const float* g = reinterpret_cast<const float*>(bytes.data());
    const float* b = g + count;
    const float* r = b + count;
    // FFmpeg divides the 12-bit codes by 4096, one code short of white.
    double worst = 0;
    for (size_t i = 0; i < count; ++i) {
      worst = std::max({worst, std::abs(double(r[i]) - Held(engine.r[i], 4095)),
                        std::abs(double(g[i]) - Held(engine.g[i], 4095)),
                        std::abs(double(b[i]) - Held(engine.b[i], 4095))});
    }
    EXPECT_LE(worst, 1.6 / 4095) << name;
    read.push_back(flavour);
  }
  std::string list;
  for (int f : read) list += " " + std::to_string(f);
  std::printf("FFmpeg's lut3d reads the .3dl flavours%s\n", list.c_str());
  for (int f : {1, 2, 3, 6}) EXPECT_NE(std::find(read.begin(), read.end(), f), read.end()) << "flavour " << f;
}

TEST(LUT3DPeer, XmllintAcceptsTheAcademyFile) {
  if (!Have("xmllint")) GTEST_SKIP() << "no xmllint";
  const VL_SettingsStruct strong = PeerStrongCorrection();
  std::string dir;
  QVFileRef folder = ScratchRef("xmllint", &dir);
  ASSERT_EQ(WriteAcademyLUT(&strong, &folder, "A&B <grade>.lut", 16, 10, 12, nullptr), kQVNoErr);
  std::string command = "xmllint --noout '" + dir + "/A&B <grade>.lut'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

}  // namespace
