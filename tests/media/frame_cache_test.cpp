// The frame cache on its own (references made in memory), and frame delivery
// through it from DPX sequences on disk.
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/pixel_transfer.h"
#include "core/task_pool.h"
#include "media/frame_cache.h"
#include "media/media_file.h"
#include "media/media_worker.h"
#include "media_test_files.h"
#include "platform/ui/ui_draw.h"
#include "tests/scratch_folder.h"

namespace {

struct FrameDisposer {
  void operator()(FBFrameStruct* f) const { FBDisposeFrameBuffer(f); }
};
using FramePtr = std::unique_ptr<FBFrameStruct, FrameDisposer>;

FramePtr NewFrame(uint32_t w, uint32_t h, FBPixFormat format = kFBPixFormatBGRA) {
  FBFrameStruct* f = nullptr;
  EXPECT_EQ(FBCreateRGBFrameBuffer(w, h, &f, format), kQVNoErr);
  return FramePtr(f);
}

uint64_t Bytes(const FBFrameStruct* f) { return uint64_t(f->planeCount) * f->height * f->rowBytes; }

void Fill(FBFrameStruct* f, uint8_t value) { std::memset(f->baseAddr, value, Bytes(f)); }

// A reference that exists only for the cache: an identity, a current frame,
// flags and a per-frame block.
std::unique_ptr<QVMediaFileRef> FakeRef(int64_t current = 0, uint32_t flags = kQVMediaOpened | kQVMediaSequence) {
  auto ref = std::make_unique<QVMediaFileRef>();
  ref->magic = kQVMediaMagic;
  ref->flags = flags;
  ref->currentFrame = current;
  return ref;
}

// Lowers the limit to `frames` frames of f's size (memory below 4 GiB gives
// a quarter of it to the cache).
void LimitTo(const FBFrameStruct* f, uint32_t frames) {
  ASSERT_EQ(QVFrameCacheSetLimitForMemory(f, 4 * Bytes(f) * frames), QVMediaErr_NoErr);
  ASSERT_EQ(QVFrameCacheGetLimit(), frames);
}

class FrameCache : public testing::Test {
 protected:
  void SetUp() override {
    QVMediaInitialize();
    QVFrameCacheFlush();
  }
  void TearDown() override { QVFrameCacheFlush(); }
};

TEST_F(FrameCache, EvictsTheFrameFarthestFromTheCurrentOne) {
  FramePtr f = NewFrame(8, 8);
  auto ref = FakeRef();
  LimitTo(f.get(), 3);
  for (int64_t frame : {10, 90, 200}) {
    ref->currentFrame = frame;
    Fill(f.get(), uint8_t(frame));
    ASSERT_EQ(QVFrameCacheInsert(ref.get(), f.get()), QVMediaErr_NoErr);
  }
  ref->currentFrame = 100;
  ASSERT_EQ(QVFrameCacheInsert(ref.get(), f.get()), QVMediaErr_NoErr);
  EXPECT_FALSE(QVFrameCacheHoldsFrame(ref.get(), 200));
  for (int64_t frame : {10, 90, 100}) EXPECT_TRUE(QVFrameCacheHoldsFrame(ref.get(), frame)) << frame;
  EXPECT_EQ(QVFrameCacheGetStats().entries, 3u);
}

TEST_F(FrameCache, HandsACopyOnlyToABufferOfTheSameGeometry) {
  // An entry made from a 4 x 4 'BGRA' frame must not answer a buffer of the
  // same width, height and format but longer rows (or another layout): the
  // copy would be of the wrong length and lay the rows out wrongly.
  FramePtr small = NewFrame(4, 4);
  Fill(small.get(), 0x5A);
  auto ref = FakeRef(7);
  ref->perFrame.bytes[0] = 42;
  ASSERT_EQ(QVFrameCacheAddFrame(ref.get(), small.get()), QVMediaErr_NoErr);

  std::vector<uint8_t> wide(32 * 4, 0);
  FBFrameStruct longerRows{};
  longerRows.width = 4;
  longerRows.height = 4;
  longerRows.rowBytes = 32;
  longerRows.pixelFormat = kFBPixFormatBGRA;
  longerRows.baseAddr = wide.data();
  longerRows.planeCount = 1;
  longerRows.planeBytes = 128;
  longerRows.flags = kFBFlagNotOwned;
  EXPECT_FALSE(QVFrameCacheContains(ref.get(), &longerRows));
  EXPECT_FALSE(QVFrameCacheFetch(ref.get(), &longerRows));
  EXPECT_EQ(wide, std::vector<uint8_t>(32 * 4, 0));

  FramePtr planar = NewFrame(4, 4, kFBPixFormatPlanarFloat);
  EXPECT_FALSE(QVFrameCacheFetch(ref.get(), planar.get()));

  FramePtr same = NewFrame(4, 4);
  ref->perFrame.bytes[0] = 0;
  ASSERT_TRUE(QVFrameCacheFetch(ref.get(), same.get()));
  EXPECT_EQ(same->baseAddr[0], 0x5A);
  EXPECT_EQ(ref->perFrame.bytes[0], 42) << "the frame's per-frame block comes back with it";
}

TEST_F(FrameCache, KeepsNothingOfAReferenceThatIsNotCacheable) {
  FramePtr f = NewFrame(4, 4);
  auto ref = FakeRef(0, kQVMediaOpened | kQVMediaSequence | kQVMediaNotCacheable);
  EXPECT_EQ(QVFrameCacheAddFrame(ref.get(), f.get()), QVMediaErr_NoErr);
  EXPECT_EQ(QVFrameCacheGetStats().entries, 0u);
  EXPECT_FALSE(QVFrameCacheFetch(ref.get(), f.get()));
}

TEST_F(FrameCache, FlushFreesEverythingAndRestoresTheLimit) {
  FramePtr f = NewFrame(4, 4);
  auto ref = FakeRef();
  LimitTo(f.get(), 2);
  ASSERT_EQ(QVFrameCacheInsert(ref.get(), f.get()), QVMediaErr_NoErr);
  QVFrameCacheFlush();
  const QVFrameCacheStats s = QVFrameCacheGetStats();
  EXPECT_EQ(s.entries, 0u);
  EXPECT_EQ(s.bytes, 0u);
  EXPECT_EQ(s.limit, kQVFrameCacheDefaultLimit);
  EXPECT_EQ(QVFrameCacheSetLimitForFrameSize(nullptr), QVMediaErr_InvalidFrameBuffer);
}

TEST_F(FrameCache, StaysWithinItsLimitsWhenGivenMoreFramesThanItMayKeep) {
  // 200 frames of 64 KiB into a cache allowed 16: the count, the bytes it
  // counts and the heap it really holds stay within that.
  FramePtr f = NewFrame(128, 128);
  auto ref = FakeRef();
  LimitTo(f.get(), 16);
  const uint64_t bound = 16 * (Bytes(f.get()) + kQVFrameCacheEntryBytes);
  const size_t heapBefore = mallinfo2().uordblks;
  for (int64_t frame = 0; frame < 200; ++frame) {
    ref->currentFrame = frame;
    Fill(f.get(), uint8_t(frame));
    ASSERT_EQ(QVFrameCacheInsert(ref.get(), f.get()), QVMediaErr_NoErr);
    const QVFrameCacheStats s = QVFrameCacheGetStats();
    ASSERT_LE(s.entries, 16u);
    ASSERT_LE(s.bytes, bound);
  }
  const size_t heapAfter = mallinfo2().uordblks;
  // Under a sanitizer the allocator keeps its own books and reports nothing.
  if (heapAfter > 0) {
    EXPECT_LE(heapAfter - std::min(heapAfter, heapBefore), bound + 64 * 1024);
  }
  // The most recent frames are there, and their pixels are their own.
  FramePtr out = NewFrame(128, 128);
  ref->currentFrame = 199;
  ASSERT_TRUE(QVFrameCacheFetch(ref.get(), out.get()));
  EXPECT_EQ(out->baseAddr[1000], 199);
}

// DPX sequences on disk through the fetch path.
class FrameDelivery : public FrameCache {
 protected:
  void SetUp() override {
    FrameCache::SetUp();
    folder_ = MakeScratchFolder("delivery");
    for (int i = 1; i <= 5; ++i) WriteTestDPX(folder_, "shot." + std::to_string(1000 + i) + ".dpx", 16, 8);
  }
  void TearDown() override {
    if (ref_) {
      EXPECT_EQ(QVMediaCloseFile(&ref_), QVMediaErr_NoErr);
    }
    FrameCache::TearDown();
  }
  std::string Frame(int i) const { return folder_ + "/shot." + std::to_string(1000 + i) + ".dpx"; }
  void Open(uint8_t flags = 0) { ASSERT_EQ(QVMediaOpenPath(Frame(1).c_str(), &ref_, flags), QVMediaErr_NoErr); }
  // The frame as the DPX reader and the pixel transfer give it.
  FramePtr Expected(int i) {
    std::vector<uint8_t> pixels(16 * 8 * 8);
    EXPECT_EQ(DPXReadImage(Frame(i).c_str(), pixels.data(), 128, 16, 8, 16, false), kQVNoErr);
    FramePtr f = NewFrame(16, 8, kFBPixFormatPlanarFloat);
    FBTransferPixToFBFrameSSE(pixels.data(), 128, 0, kFBPixFormat16ARGB, f.get());
    return f;
  }
  std::string folder_;
  QVMediaFileRef* ref_ = nullptr;
};

TEST_F(FrameDelivery, ConvertsAFrameOnceAndThenServesItFromTheCache) {
  Open();
  ASSERT_EQ(QVMediaSetCurrentFrame(ref_, 2), QVMediaErr_NoErr);
  FramePtr f = NewFrame(16, 8, kFBPixFormatPlanarFloat);
  ASSERT_EQ(QVMediaFetchFrame(ref_, f.get()), QVMediaErr_NoErr);
  FramePtr expected = Expected(3);
  EXPECT_EQ(std::memcmp(f->baseAddr, expected->baseAddr, Bytes(f.get())), 0);
  // With the file gone only the cache can answer.
  ASSERT_EQ(::unlink(Frame(3).c_str()), 0);
  Fill(f.get(), 0);
  ASSERT_EQ(QVMediaFetchFrame(ref_, f.get()), QVMediaErr_NoErr);
  EXPECT_EQ(std::memcmp(f->baseAddr, expected->baseAddr, Bytes(f.get())), 0);
  // Another size is another entry: the missing file now shows.
  FramePtr half = NewFrame(8, 4, kFBPixFormatPlanarFloat);
  EXPECT_EQ(QVMediaFetchFrame(ref_, half.get()), QVMediaErr_MediaTooShort);
}

TEST_F(FrameDelivery, ScalesToTheBuffersSizeAndConvertsToItsLayout) {
  Open();
  FramePtr expected = Expected(1);
  FramePtr bgra = NewFrame(16, 8);
  ASSERT_EQ(QVMediaFetchFrame(ref_, bgra.get()), QVMediaErr_NoErr);
  float rgb[4];
  FBGetRGBPixel(expected.get(), 5, 3, rgb);
  // The value B << 24 | G << 16 | R << 8 | A: bytes A, R, G, B in memory here.
  const uint8_t* p = bgra->baseAddr + 3 * bgra->rowBytes + 5 * 4;
  EXPECT_EQ(p[0], 255);
  EXPECT_NEAR(p[1], rgb[0] * 255, 1.0);
  EXPECT_NEAR(p[2], rgb[1] * 255, 1.0);
  EXPECT_NEAR(p[3], rgb[2] * 255, 1.0);
  // Twice as large: each output pixel lies near its source pixel's value.
  FramePtr big = NewFrame(32, 16, kFBPixFormatPlanarFloat);
  ASSERT_EQ(QVMediaFetchFrame(ref_, big.get()), QVMediaErr_NoErr);
  float scaledMean = 0, sourceMean = 0;
  for (uint32_t y = 0; y < 16; ++y)
    for (uint32_t x = 0; x < 32; ++x) {
      float a[4], b[4];
      FBGetRGBPixel(big.get(), int32_t(x), int32_t(y), a);
      FBGetRGBPixel(expected.get(), int32_t(x / 2), int32_t(y / 2), b);
      scaledMean += a[0];
      sourceMean += b[0];
    }
  EXPECT_NEAR(scaledMean / 512, sourceMean / 512, 0.02);
}

TEST_F(FrameDelivery, AnswersBadCallsWithTheirCodes) {
  Open();
  EXPECT_EQ(QVMediaFetchFrame(ref_, nullptr), QVMediaErr_ParameterError);
  EXPECT_EQ(QVMediaFetchFrame(nullptr, nullptr), QVMediaErr_InvalidMediaFileRef);
  EXPECT_EQ(QVMediaDrawFrameToGWorld(ref_, nullptr), QVMediaErr_ParameterError);
  // A missing frame in the middle of the sequence.
  ASSERT_EQ(::unlink(Frame(3).c_str()), 0);
  ASSERT_EQ(QVMediaSetCurrentFrame(ref_, 2), QVMediaErr_NoErr);
  EXPECT_EQ(QVMediaLoadFrame(ref_), QVMediaErr_MediaTooShort);
  // The lock held elsewhere.
  ASSERT_EQ(QVMediaSetCurrentFrame(ref_, 1), QVMediaErr_NoErr);
  ASSERT_EQ(QVSempahoreWait(&ref_->lock, 0), kQVNoErr);
  FramePtr f = NewFrame(16, 8, kFBPixFormatPlanarFloat);
  EXPECT_EQ(QVMediaFetchFrame(ref_, f.get()), QVMediaErr_TimedOutWaitingForMedia);
  EXPECT_EQ(kQVNoErr, QVSemaphoreSignal(&ref_->lock));
}

TEST_F(FrameDelivery, AReferenceOpenedNotCacheableNeverEntersTheCache) {
  Open(kQVMediaOpenNotCacheable);
  FramePtr f = NewFrame(16, 8, kFBPixFormatPlanarFloat);
  ASSERT_EQ(QVMediaFetchFrame(ref_, f.get()), QVMediaErr_NoErr);
  EXPECT_EQ(QVFrameCacheGetStats().entries, 0u);
}

TEST_F(FrameDelivery, DrawsTheFrameScaledOntoAPicture) {
  Open();
  TKImagePtr picture(TKImageCreate(8, 4));
  ASSERT_EQ(QVMediaDrawFrameToGWorld(ref_, picture.get()), QVMediaErr_NoErr);
  FramePtr expected = Expected(1);
  float sum = 0;
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 16; ++x) {
      float v[4];
      FBGetRGBPixel(expected.get(), x, y, v);
      sum += v[1];
    }
  float drawn = 0;
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 8; ++x) drawn += float((TKImageGetPixel(picture.get(), x, y) >> 8) & 0xFF) / 255.0f;
  EXPECT_NEAR(drawn / 32, sum / 128, 0.03);
  EXPECT_EQ(TKImageGetPixel(picture.get(), 0, 0) >> 24, 0xFFu);
}

TEST_F(FrameDelivery, RunsMediaRequestsOnAPoolTaskAndOnTheCaller) {
  for (uint32_t processors : {1u, 2u}) {
    VLMPSetProcessorCountOverride(processors);
    VLMPStartProcessPool();
    QVMediaFileRef* ref = nullptr;
    ASSERT_EQ(VLMPMediaRequest(kVLMPMediaOpenPath, reinterpret_cast<intptr_t>(Frame(2).c_str()),
                               reinterpret_cast<intptr_t>(&ref), 0),
              QVMediaErr_NoErr);
    ASSERT_TRUE(QVMediaIsValidRef(ref));
    EXPECT_EQ(VLMPMediaSetDecodeSize(ref, 8, 4), QVMediaErr_NoErr);
    FramePtr f = NewFrame(16, 8, kFBPixFormatPlanarFloat);
    EXPECT_EQ(VLMPMediaRequest(kVLMPMediaFetchFrame, reinterpret_cast<intptr_t>(ref),
                               reinterpret_cast<intptr_t>(f.get()), 0),
              QVMediaErr_NoErr);
    EXPECT_EQ(VLMPMediaRequest(kVLMPMediaCloseFile, reinterpret_cast<intptr_t>(&ref), 0, 0), QVMediaErr_NoErr);
    EXPECT_EQ(ref, nullptr);
    VLMPStopProcessPool();
    VLMPSetProcessorCountOverride(0);
  }
}

TEST_F(FrameDelivery, TheWorkerPrefetchesTheFramesAfterThePlayersFrame) {
  Open();
  ASSERT_EQ(QVMediaSetCurrentFrame(ref_, 1), QVMediaErr_NoErr);
  ASSERT_EQ(QVMediaWorkerRequest(kQVMediaWorkerMakePrefetchBuffer, ref_), QVMediaErr_NoErr);
  ASSERT_EQ(QVMediaWorkerRequest(kQVMediaWorkerStartPlayback, ref_), QVMediaErr_NoErr);
  ASSERT_EQ(QVMediaWorkerRequest(kQVMediaWorkerMakePrefetchBuffer, ref_), QVMediaErr_NoErr);
  ASSERT_EQ(QVMediaWorkerRequest(kQVMediaWorkerBeginPrefetch, ref_), QVMediaErr_NoErr);
  QVMediaWorkerState s = QVMediaGetWorkerState();
  EXPECT_EQ(s.activePlaybacks, 1u);
  EXPECT_EQ(s.next, 2);
  EXPECT_EQ(s.end, 4) << "the window stops at the clip's last frame";
  for (int i = 0; i < 4; ++i) QVMediaPrefetchStep();
  for (int64_t frame : {2, 3, 4}) EXPECT_TRUE(QVFrameCacheHoldsFrame(ref_, frame)) << frame;
  EXPECT_FALSE(QVFrameCacheHoldsFrame(ref_, 1));
  int64_t current = -1;
  QVMediaGetCurrentFrame(ref_, &current);
  EXPECT_EQ(current, 1) << "the player's frame is left where it was";
  ASSERT_EQ(QVMediaWorkerRequest(kQVMediaWorkerStopPlayback, ref_), QVMediaErr_NoErr);
  s = QVMediaGetWorkerState();
  EXPECT_EQ(s.activePlaybacks, 0u);
  EXPECT_EQ(s.prefetchRef, nullptr);
  EXPECT_FALSE(s.prefetchBuffer);
  EXPECT_EQ(QVMediaWorkerRequest(7, ref_), QVMediaErr_ParameterError);
}

}  // namespace
