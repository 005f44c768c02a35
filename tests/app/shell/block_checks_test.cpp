// The application against blocks this test writes by hand, playing the
// plug-in: start-up checks, the other byte order, and blocks that must be
// refused without a crash.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>

#include "core/frame_buffer.h"
#include "platform/byte_order.h"
#include "platform/processes.h"
#include "platform/shared_memory.h"
#include "tests/app/shell/exchange_fixture.h"

namespace {

constexpr int32_t kWidth = 40;
constexpr int32_t kHeight = 30;
constexpr int32_t kRowBytes = kWidth * 4 + 8;
constexpr size_t kFrameBytes = size_t(kRowBytes) * kHeight;

struct HandMadeBlock {
  int32_t id = -1;
  CCUIComm* block = nullptr;
  size_t size = 0;
  std::vector<uint8_t> pixels;  // the frame in native order

  explicit HandMadeBlock(int32_t key, size_t segmentBytes = kCCHeaderBytes + kFrameBytes) : size(segmentBytes) {
    EXPECT_EQ(PLShmCreate(key, size, &id), kQVNoErr);
    block = static_cast<CCUIComm*>(PLShmAttach(id));
    std::memset(block, 0, size);
    if (size < kCCHeaderBytes) return;
    block->version = kCCVersion;
    block->signature = kCCSignature;
    block->flags = kCCFlagInline;
    block->state = kCCStatePosted;
    block->segmentID = uint32_t(id);
    const PLProcessSerial self = PLCurrentProcessSerial();
    block->hostSerial[0] = uint32_t(self);
    block->hostSerial[1] = uint32_t(self >> 32);
    block->hostCreator = QVFourCC("FXTC");
    block->width = kWidth;
    block->height = kHeight;
    block->rowBytes = kRowBytes;
    block->pixelFormat = kFBPixFormatBGRA;
    block->chunkSize = block->bytesNow = uint32_t(kFrameBytes);
    block->timeStep = 100;
    block->timeScale = 2400;
    block->lastFrameTime = 0;
    block->pixelAspect = 1.0f;
    VL_SetDefaultControlValues(&block->settings, kVLMaskAll);
    pixels.assign(kFrameBytes, 0);
    for (int32_t y = 0; y < kHeight; ++y)
      for (int32_t x = 0; x < kWidth; ++x) {
        uint8_t* p = pixels.data() + size_t(y) * kRowBytes + size_t(x) * 4;
        p[0] = 255;
        p[1] = uint8_t(x * 6);
        p[2] = uint8_t(y * 8);
        p[3] = uint8_t(x + y);
      }
    std::memcpy(block->frameData, pixels.data(), std::min(kFrameBytes, size - kCCFrameDataOffset));
  }
  ~HandMadeBlock() {
    PLShmDetach(block);
    // The segment goes with the test; one that will not go is only a leftover.
    QVIgnoreStatus(PLShmRemove(id));
  }

  // Every numeric field turned, as a machine of the other byte order writes it.
  void turnAround() {
    for (size_t offset : {CC_OFFSET(version), CC_OFFSET(signature), CC_OFFSET(flags), CC_OFFSET(state),
                          CC_OFFSET(segmentID), CC_OFFSET(width), CC_OFFSET(height), CC_OFFSET(rowBytes),
                          CC_OFFSET(currentTime), CC_OFFSET(timeStep), CC_OFFSET(lastFrameTime), CC_OFFSET(timeScale),
                          CC_OFFSET(pixelFormat), CC_OFFSET(chunkSize), CC_OFFSET(bytesNow), CC_OFFSET(bytesToSend),
                          CC_OFFSET(pixelAspect), CC_OFFSET(hostSerial), CC_OFFSET(hostSerial) + 4,
                          CC_OFFSET(hostCreator)}) {
      auto* w = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(block) + offset);
      *w = QVByteSwap32(*w);
    }
    CCTurnWords(&block->settings, sizeof block->settings);
    CCTurnWords(block->frameData, kFrameBytes);
  }
  uint32_t rawState() const { return __atomic_load_n(&block->state, __ATOMIC_ACQUIRE); }
};

// Waits for velmora-ui to end; its exit status, or -1 when it had to be
// killed or ended by a signal.
int waitForApplication(PLProcessSerial app) {
  const pid_t pid = PLProcessIDOf(app);
  int status = 0;
  for (int i = 0; i < 3000; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

int runApplication() {
  PLProcessSerial app = 0;
  if (PLLaunchProgram(VELMORA_UI_PATH, {VELMORA_UI_PATH}, &app) != kQVNoErr) return -2;
  return waitForApplication(app);
}

std::string expectedFrame(const std::vector<uint8_t>& pixels) {
  char text[64];
  std::snprintf(text, sizeof text, "%dx%d %016llx", kWidth, kHeight,
                static_cast<unsigned long long>(Fingerprint(pixels.data(), pixels.size())));
  return text;
}

TEST(BlockChecks, AGoodBlockInEitherByteOrderIsImportedAndAnswered) {
  for (bool other : {false, true}) {
    SCOPED_TRACE(other ? "other byte order" : "native");
    ExchangeEnvironment env;
    HandMadeBlock b(env.key);
    if (other) b.turnAround();
    env.script("wait-exchange\nframe-sum\nset hsl_master_saturation 1.5\nok\nquit\n");
    EXPECT_EQ(runApplication(), 0) << env.logText();
    EXPECT_EQ(env.logValue("frame "), expectedFrame(b.pixels));
    EXPECT_EQ(b.rawState(), other ? QVByteSwap32(kCCStateDone) : uint32_t(kCCStateDone));
    VL_SettingsStruct back;
    std::memcpy(&back, &b.block->settings, sizeof back);
    if (other) CCTurnWords(&back, sizeof back);
    EXPECT_FLOAT_EQ(back.hsl[0].saturation, 1.5f);
    // The start-up steps, in order.
    const std::string log = env.logText();
    size_t at = 0;
    for (const char* step : {"Verifying configuration", "processors found", "Loading image", "Initializing interface",
                             "Loading Gallery", "Initializing control surface"}) {
      size_t found = log.find(step, at);
      EXPECT_NE(found, std::string::npos) << step << "\n" << log;
      at = found == std::string::npos ? at : found;
    }
  }
}

struct RefusedCase {
  const char* name;
  std::function<void(HandMadeBlock&)> spoil;
  uint32_t state;        // the state word afterwards
  const char* logText;   // what the application says
};

TEST(BlockChecks, BadBlocksAreRefusedWithoutACrash) {
  const uint32_t posted = kCCStatePosted, failed = kCCStateFailed;
  const char* noData = "No data passed to UI.";
  const char* cannotStart = "Unable to start user interface.";
  const RefusedCase cases[] = {
      {"another version", [](HandMadeBlock& b) { b.block->version = 8; }, failed,
       "Wrong CCUIComm structure version; received 0x8, expected 0x7"},
      {"another owner",
       [](HandMadeBlock& b) {
         struct shmid_ds ds {};
         shmctl(b.id, IPC_STAT, &ds);
         ds.shm_perm.uid = 4242;
         shmctl(b.id, IPC_SET, &ds);
       },
       posted, noData},
      {"not posted", [](HandMadeBlock& b) { b.block->state = kCCStateCreated; }, kCCStateCreated, noData},
      {"negative width", [](HandMadeBlock& b) { b.block->width = -40; }, failed, cannotStart},
      {"zero height", [](HandMadeBlock& b) { b.block->height = 0; }, failed, cannotStart},
      {"rows shorter than the pixels", [](HandMadeBlock& b) { b.block->rowBytes = kWidth * 4 - 4; }, failed, cannotStart},
      {"frame beyond the segment", [](HandMadeBlock& b) { b.block->height = kHeight * 1000; }, failed, cannotStart},
      {"huge frame", [](HandMadeBlock& b) {
         b.block->height = 0x7FFFFFFF;
         b.block->rowBytes = 0x7FFFFFF0;
       }, failed, cannotStart},
      {"chunk size zero", [](HandMadeBlock& b) { b.block->chunkSize = 0; }, failed, cannotStart},
      {"chunks of broken rows",
       [](HandMadeBlock& b) {
         b.block->flags = kCCFlagInline | kCCFlagMoreChunks;
         b.block->chunkSize = uint32_t(kRowBytes) * 4;
         b.block->bytesNow = uint32_t(kRowBytes) * 2 + 3;
       },
       failed, cannotStart},
      {"chunk larger than the segment",
       [](HandMadeBlock& b) {
         b.block->flags = kCCFlagInline | kCCFlagMoreChunks;
         b.block->chunkSize = uint32_t(kRowBytes) * 4;
         b.block->bytesNow = 0x7FFFFFFF;
       },
       failed, cannotStart},
      {"pixels at an address", [](HandMadeBlock& b) { b.block->flags = 0; }, failed, cannotStart},
      {"unknown pixel format", [](HandMadeBlock& b) { b.block->pixelFormat = 0x1234; }, failed, cannotStart},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.name);
    ExchangeEnvironment env;
    HandMadeBlock b(env.key);
    c.spoil(b);
    env.script("wait-exchange\nok\nquit\n");
    EXPECT_EQ(runApplication(), 1) << env.logText();
    EXPECT_EQ(b.rawState(), c.state);
    EXPECT_NE(env.logText().find(c.logText), std::string::npos) << env.logText();
  }
}

TEST(BlockChecks, ASegmentTooSmallForTheHeaderIsNotAttached) {
  ExchangeEnvironment env;
  HandMadeBlock b(env.key, 4096);
  env.script("quit\n");
  EXPECT_EQ(runApplication(), 1);
  EXPECT_NE(env.logText().find("No data passed to UI."), std::string::npos);
}

TEST(BlockChecks, ABlockLeftByADeadHostIsRemoved) {
  ExchangeEnvironment env;
  HandMadeBlock b(env.key);
  pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  b.block->hostSerial[0] = uint32_t(child);
  b.block->hostSerial[1] = 0;
  env.script("quit\n");
  EXPECT_EQ(runApplication(), 1);
  int32_t id;
  EXPECT_EQ(PLShmOpen(env.key, &id), kQVErrFileNotFound) << "the stale segment is removed";
}

TEST(BlockChecks, LaunchedByHandTheApplicationSaysSoAndEnds) {
  ExchangeEnvironment env;
  EXPECT_EQ(runApplication(), 1);
  EXPECT_NE(env.logText().find("No data passed to UI. This application is meant to be called by other applications, "
                               "not run directly."),
            std::string::npos);
}

TEST(BlockChecks, WithNoDisplayAndNoScriptTheApplicationEndsAtOnce) {
  // Nobody could see the picture or answer it, so the host must not be left
  // waiting: the application says so and ends before it takes the block.
  ExchangeEnvironment env;
  unsetenv("VELMORA_UI_HEADLESS");
  const char* display = std::getenv("DISPLAY");
  const std::string kept = display ? display : "";
  unsetenv("DISPLAY");
  setenv("SDL_VIDEODRIVER", "x11", 1);
  const auto start = std::chrono::steady_clock::now();
  const int status = runApplication();
  if (display) setenv("DISPLAY", kept.c_str(), 1);
  unsetenv("SDL_VIDEODRIVER");
  EXPECT_EQ(status, 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(BlockChecks, TheScreenMustBeAtLeast1024By768) {
  struct Case {
    const char* display;
    int status;
    bool alert;
  };
  for (const Case& c : {Case{"1024x768", 0, false}, Case{"1024x767", 1, true}, Case{"1023x900", 1, true}}) {
    SCOPED_TRACE(c.display);
    ExchangeEnvironment env;
    HandMadeBlock b(env.key);
    setenv("VELMORA_UI_DISPLAY", c.display, 1);
    env.script("wait-exchange\ncancel\nquit\n");
    EXPECT_EQ(runApplication(), c.status) << env.logText();
    EXPECT_EQ(env.logText().find("Insufficient screen resolution") != std::string::npos, c.alert);
    // The host's wait ends either way; a start-up that failed says so.
    EXPECT_EQ(b.rawState(), uint32_t(c.status == 0 ? kCCStateDone : kCCStateFailed));
  }
}

TEST(BlockChecks, QuittingBySignalSavesThePreferencesAndSlots) {
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    ExchangeEnvironment env;
    HandMadeBlock b(env.key);
    env.script("wait-exchange\nset hsl_master_hue 33\nslot store 4\nprint hsl_master_hue\nwait 60\n");
    PLProcessSerial app = 0;
    ASSERT_EQ(PLLaunchProgram(VELMORA_UI_PATH, {VELMORA_UI_PATH}, &app), kQVNoErr);
    ASSERT_TRUE(env.waitForLog("hsl_master_hue=", 20)) << env.logText();
    kill(PLProcessIDOf(app), signal);
    EXPECT_EQ(waitForApplication(app), 130);
    EXPECT_NE(env.logText().find("interrupted: the exchange is left"), std::string::npos) << env.logText();
    std::string stored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(env.folder + "/VELMORA_PREFERENCES")) {
      std::ifstream in(entry.path());
      std::stringstream text;
      text << in.rdbuf();
      stored += text.str();
    }
    EXPECT_NE(stored.find("Saved Settings 4"), std::string::npos);
    EXPECT_EQ(b.rawState(), uint32_t(kCCStateWorking)) << "the block is let go without a state";
  }
}

// Plays the plug-in's part for frame requests: each request is answered
// with `answer`, leaving `firstWord` at the start of the frame data.
struct RequestServer {
  CCUIComm* block;
  uint32_t answer;
  uint32_t firstWord;
  std::atomic<bool> stop{false};
  std::atomic<int> served{0};
  std::thread thread;

  RequestServer(CCUIComm* b, uint32_t a, uint32_t w) : block(b), answer(a), firstWord(w) {
    thread = std::thread([this] {
      while (!stop) {
        if (__atomic_load_n(&block->frameRequest, __ATOMIC_ACQUIRE) == kCCRequestFrame) {
          std::memcpy(block->frameData, &firstWord, 4);
          __atomic_store_n(&block->frameAnswer, answer, __ATOMIC_RELEASE);
          __atomic_store_n(&block->frameRequest, uint32_t(kCCRequestAnswered), __ATOMIC_RELEASE);
          ++served;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
  }
  ~RequestServer() {
    stop = true;
    thread.join();
  }
};

TEST(BlockChecks, AnswerThreeOrAStaleFrameWordGiveNoFrame) {
  struct Case {
    const char* name;
    uint32_t answer, firstWord;
  };
  for (const Case& c : {Case{"answer 3", kCCAnswerNone, 0x11223344}, Case{"stale word", kCCAnswerFrame, 0}}) {
    SCOPED_TRACE(c.name);
    ExchangeEnvironment env;
    HandMadeBlock b(env.key);
    b.block->lastFrameTime = 1000;
    RequestServer server(b.block, c.answer, c.firstWord);
    env.script("wait-exchange\nrequest-frame 500\nok\nquit\n");
    EXPECT_EQ(runApplication(), 0) << env.logText();
    EXPECT_EQ(env.logValue("request 500 "), "none");
    EXPECT_EQ(server.served, 2) << "the prefetch and the request";
    uint32_t word;
    std::memcpy(&word, b.block->frameData, 4);
    EXPECT_EQ(word, 0u) << "the frame word is cleared after every request";
  }
}

TEST(BlockChecks, NoRequestWithoutAClipOrThroughTheBlockWhenMessagesAreAsked) {
  struct Case {
    const char* name;
    int32_t lastFrameTime;
    uint32_t byMessage;
  };
  for (const Case& c : {Case{"one-frame clip", 1, 0}, Case{"frames by message", 1000, 0xFFFFFFFFu}}) {
    SCOPED_TRACE(c.name);
    ExchangeEnvironment env;
    HandMadeBlock b(env.key);
    b.block->lastFrameTime = c.lastFrameTime;
    b.block->requestsByMessage = c.byMessage;
    RequestServer server(b.block, kCCAnswerFrame, 1);
    env.script(c.byMessage ? "wait-exchange\nrequest-frame 10\nok\nquit\n" : "wait-exchange\nok\nquit\n");
    EXPECT_EQ(runApplication(), 0) << env.logText();
    EXPECT_EQ(server.served, 0);
    EXPECT_EQ(b.block->requestTimestamp[0] | b.block->requestTimestamp[1], 0u);
  }
}

TEST(BlockChecks, APlugInThatStopsSendingChunksFailsTheImport) {
  ExchangeEnvironment env;
  HandMadeBlock b(env.key);
  b.block->flags = kCCFlagInline | kCCFlagMoreChunks;
  b.block->chunkSize = b.block->bytesNow = uint32_t(kRowBytes) * 10;
  env.script("wait-exchange\nok\nquit\n");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(runApplication(), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(25));
  EXPECT_EQ(b.rawState(), uint32_t(kCCStateFailed));
  EXPECT_NE(env.logText().find("Unable to start user interface."), std::string::npos) << env.logText();
}

TEST(BlockChecks, TheFirstPictureShowsTheBlocksCorrection) {
  ExchangeEnvironment env;
  HandMadeBlock b(env.key);
  // A grey picture.
  b.block->settings.hslEnable = 1;
  b.block->settings.hslControlsEnable = 1;
  b.block->settings.hsl[0].enable = 1;
  b.block->settings.hsl[0].saturation = 0;
  env.script("wait-exchange\nresult-pixel 30 5\ncancel\nquit\n");
  EXPECT_EQ(runApplication(), 0) << env.logText();
  const std::string pixel = env.logValue("result 30 5 ");
  ASSERT_EQ(pixel.size(), 8u) << env.logText();
  EXPECT_EQ(pixel.substr(2, 2), pixel.substr(4, 2));
  EXPECT_EQ(pixel.substr(4, 2), pixel.substr(6, 2)) << pixel;
}

}  // namespace
