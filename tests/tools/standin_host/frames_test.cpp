// PNG frames, host pixel layouts and platform handles of the stand-in host.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/host/host_handles.h"
#include "platform/standin_host/sh_layouts.h"
#include "tools/standin_host/sh_png.h"
#include "tests/scratch_folder.h"

namespace {

std::string scratch(const char* name) { return ScratchDir("standin_host") + "/" + name; }

TEST(StandinPNG, EightAndSixteenBitFramesSurviveAWriteAndARead) {
  for (int bits : {8, 16}) {
    SHImage image;
    SHMakeTestImage(37, 21, bits, 3, &image);
    image.samples[5] = bits == 16 ? 0x1234 : 0x7F;  // a value that shows byte order
    std::string path = scratch(bits == 8 ? "eight.png" : "sixteen.png");
    std::string error;
    ASSERT_TRUE(SHWritePNG(path, image, &error)) << error;
    SHImage back;
    ASSERT_TRUE(SHReadPNG(path, &back, &error)) << error;
    EXPECT_EQ(back.bits, bits);
    EXPECT_EQ(back.width, 37);
    EXPECT_EQ(back.height, 21);
    EXPECT_EQ(back.samples, image.samples);
  }
}

TEST(StandinPNG, AClipFolderListsItsFramesInOrderOrSaysWhyNot) {
  std::string dir = MakeScratchFolder("clip");
  std::vector<std::string> frames;
  std::string error;
  EXPECT_FALSE(SHListPNGFrames(dir + "/missing", &frames, &error));
  EXPECT_EQ(error, dir + "/missing: No such file or directory");
  EXPECT_FALSE(SHListPNGFrames(dir, &frames, &error));
  EXPECT_EQ(error, dir + ": no .png frames in it");
  SHImage image;
  SHMakeTestImage(8, 8, 8, 0, &image);
  for (const char* name : {"b.png", "a.png", "notes.txt"}) ASSERT_TRUE(SHWritePNG(dir + "/" + name, image, &error));
  ASSERT_TRUE(SHListPNGFrames(dir, &frames, &error)) << error;
  EXPECT_EQ(frames, (std::vector<std::string>{dir + "/a.png", dir + "/b.png"}));
}

TEST(StandinPNG, ANonPNGFileIsRefusedWithAMessage) {
  std::string path = scratch("not.png");
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("hello, this is text", f);
  std::fclose(f);
  SHImage image;
  std::string error;
  EXPECT_FALSE(SHReadPNG(path, &image, &error));
  EXPECT_NE(error.find("not a PNG"), std::string::npos);
  EXPECT_FALSE(SHReadPNG(scratch("missing.png"), &image, &error));

  // A frame cut short after its header is refused, naming the file, at
  // either depth.
  for (int bits : {8, 16}) {
    SHImage good;
    SHMakeTestImage(40, 30, bits, 2, &good);
    const std::string cut = scratch(bits == 8 ? "cut8.png" : "cut16.png");
    ASSERT_TRUE(SHWritePNG(cut, good, &error)) << error;
    std::filesystem::resize_file(cut, 60);
    error.clear();
    EXPECT_FALSE(SHReadPNG(cut, &image, &error)) << bits;
    EXPECT_EQ(error.rfind(cut + ": ", 0), 0u) << error;
  }
}

TEST(StandinLayouts, RGBLayoutsCarryAnEightBitImageExactly) {
  SHImage image;
  SHMakeTestImage(19, 7, 8, 1, &image);
  for (SHLayout layout : {kSHLayoutARGB8, kSHLayoutARGB16, kSHLayoutARGBFloat, kSHLayoutBGRA8, kSHLayoutBGRAFloat,
                          kSHLayoutPProARGBFloat}) {
    SHFrame frame;
    SHMakeFrame(layout, 19, 7, 12, &frame);
    EXPECT_EQ(frame.world.pixel_format, SHGetLayoutInfo(layout).format);
    SHImageToFrame(image, &frame);
    SHImage back;
    SHFrameToImage(frame, 8, &back);
    EXPECT_EQ(back.samples, image.samples) << SHGetLayoutInfo(layout).name;
  }
}

TEST(StandinLayouts, ComponentOrderInMemory) {
  SHImage image;
  image.width = 1;
  image.height = 1;
  image.bits = 8;
  image.samples = {10, 20, 30, 40};  // R, G, B, A
  struct Case {
    SHLayout layout;
    uint8_t bytes[4];
  } cases[] = {{kSHLayoutARGB8, {40, 10, 20, 30}}, {kSHLayoutBGRA8, {30, 20, 10, 40}}};
  for (const Case& c : cases) {
    SHFrame frame;
    SHMakeFrame(c.layout, 1, 1, 0, &frame);
    SHImageToFrame(image, &frame);
    EXPECT_EQ(std::memcmp(frame.world.data, c.bytes, 4), 0) << SHGetLayoutInfo(c.layout).name;
  }
  SHFrame deep;
  SHMakeFrame(kSHLayoutARGB16, 1, 1, 0, &deep);
  image.samples = {255, 0, 0, 255};
  SHImageToFrame(image, &deep);
  const uint16_t* p = static_cast<const uint16_t*>(deep.world.data);
  EXPECT_EQ(p[0], 32768);  // alpha first, full scale 32768
  EXPECT_EQ(p[1], 32768);
  EXPECT_EQ(p[2], 0);
}

TEST(StandinLayouts, YCbCrLayoutsComeBackCloseToTheImage) {
  SHImage image;
  SHMakeTestImage(16, 8, 8, 0, &image);
  for (SHLayout layout : {kSHLayoutVUYA8, kSHLayoutVUYAFloat}) {
    SHFrame frame;
    SHMakeFrame(layout, 16, 8, 0, &frame);
    SHImageToFrame(image, &frame);
    SHImage back;
    SHFrameToImage(frame, 8, &back);
    for (size_t i = 0; i < image.samples.size(); ++i)
      ASSERT_NEAR(back.samples[i], image.samples[i], layout == kSHLayoutVUYA8 ? 3 : 1) << i;
  }
}

TEST(PlatformHandles, ResizeKeepsBytesAndRefusesALockedHandle) {
  int64_t live = HILiveHandleCount();
  HIHandle h = HINewHandle(8);
  ASSERT_NE(h, nullptr);
  std::memcpy(HILockHandle(h), "abcdefgh", 8);
  EXPECT_NE(HISetHandleSize(h, 16), kHINoErr);  // locked: cannot move
  HIUnlockHandle(h);
  ASSERT_EQ(HISetHandleSize(h, 16), kHINoErr);
  const char* p = static_cast<const char*>(HILockHandle(h));
  EXPECT_EQ(std::memcmp(p, "abcdefgh\0\0\0\0\0\0\0\0", 16), 0);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
  HIUnlockHandle(h);
  EXPECT_EQ(HILiveHandleCount(), live + 1);
  HIDisposeHandle(h);
  EXPECT_EQ(HILiveHandleCount(), live);
  EXPECT_EQ(HINewHandle(uint64_t(1) << 50), nullptr);
}

}  // namespace
