#include "app/surfaces/tangent_link.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "app/surfaces/tangent_mapping.h"
#include "platform/hid_device.h"
#include "platform/ui/ui_loop.h"

TangentPanel* gTangentPanel = nullptr;

namespace {

constexpr double kTimersFirstFire = 0.5;
constexpr double kFastInterval = 0.02;
constexpr double kWheelInterval = 0.1;
constexpr int32_t kReadWaitMs = 100;
constexpr int32_t kClickWindowTicks = 14;  // the click acts on the tick that passes this
constexpr int32_t kSplashTicks = 65;       // 1/60 s each
constexpr uint32_t kBankedCode = 0x200;

// The device, its reader and the callbacks of the open link. Every field
// except stopReader is touched on the main thread only.
struct Link {
  std::unique_ptr<PLHidTransport> transport;
  std::thread reader;
  std::atomic<bool> stopReader{false};
  uint64_t generation = 0;  // reports posted for an older link are dropped
  uint8_t previous[kTangentButtonBytes] = {};
  void* refcon = nullptr;
  TangentButtonProc button = nullptr;
  TangentEncoderProc encoder = nullptr;

  Link() = default;
  Link(const Link&) = delete;
  Link& operator=(const Link&) = delete;
  // A program that ends with the panel still open stops the reader first.
  ~Link() {
    stopReader = true;
    if (reader.joinable()) reader.join();
  }
};
Link gLink;

struct Clicks {
  int32_t pending = -1;
  int32_t releases = 0;
  int32_t ticks = 0;
};
Clicks gClicks;

TangentDispatchProc gDispatch = nullptr;

void Dispatch(TangentPanel* panel, uint32_t code, int32_t value) {
  if (gDispatch)
    gDispatch(panel, code, value);
  else
    TangentDispatchControl(panel, code, value);
}

TKTimer* gFastTimer = nullptr;
TKTimer* gWheelTimer = nullptr;

// Frames per shuttle tick; nothing on the panel sets it, so the shuttle
// timer never moves the clip.
int32_t gShuttleSpeed = 0;

void ReaderLoop(PLHidTransport* transport, uint64_t generation) {
  std::vector<uint8_t> buffer(kTangentInputReportSize);
  while (!gLink.stopReader.load()) {
    const int32_t n = transport->ReadReport(buffer.data(), buffer.size(), kReadWaitMs);
    if (n == 0) continue;
    if (n < 0) {
      // The device went away: the main thread closes it; the application
      // carries on without the panel's input.
      TKPostCall([generation] {
        if (gLink.generation != generation || !gLink.transport) return;
        gLink.stopReader = true;
        if (gLink.reader.joinable()) gLink.reader.join();
        gLink.transport.reset();
      });
      return;
    }
    if (gLink.stopReader.load()) return;
    std::vector<uint8_t> report(buffer.begin(), buffer.begin() + n);
    TKPostCall([generation, report = std::move(report)] {
      if (gLink.generation != generation || !gLink.transport) return;
      TangentHandleInputReport(report.data(), report.size());
    });
  }
}

void CloseLink() {
  ++gLink.generation;
  gLink.stopReader = true;
  if (gLink.reader.joinable()) gLink.reader.join();
  gLink.transport.reset();
  gLink.button = nullptr;
  gLink.encoder = nullptr;
  gLink.refcon = nullptr;
}

void SendReport(const uint8_t* data, size_t length) {
  // The panel answers nothing worth acting on; a failed write is dropped.
  if (gLink.transport && length) (void)gLink.transport->WriteReport(data, length);
}

void BlankAllLines() {
  for (int32_t display = 0; display < kTangentDisplayCount; ++display)
    for (int32_t line = 0; line < kTangentLinesPerDisplay; ++line)
      TangentWriteDisplayLine(display, line, "", kTangentJustifyCentre);
}

void RemoveTimers() {
  if (gFastTimer) TKRemoveTimer(gFastTimer);
  if (gWheelTimer) TKRemoveTimer(gWheelTimer);
  gFastTimer = nullptr;
  gWheelTimer = nullptr;
}

void DispatchClick(TangentPanel* panel) {
  const int32_t button = gClicks.pending;
  const int32_t releases = gClicks.releases;
  gClicks = Clicks{};
  if (button < 0 || button >= kTangentButtonCount) return;
  uint32_t code = kTangentButtonCodes[button];
  if (releases != 1) code += kBankedCode;
  Dispatch(panel, code, 0);
}

}  // namespace

void TangentSetDispatchProc(TangentDispatchProc proc) { gDispatch = proc; }

void TangentPanelInit(TangentPanel* panel) {
  if (panel) std::memset(panel, 0, sizeof *panel);
}

bool TangentOpenHIDDevice(void* refcon, TangentButtonProc button, TangentEncoderProc encoder) {
  CloseLink();
  std::unique_ptr<PLHidTransport> transport = PLOpenHidDevice(kTangentVendorID, kTangentProductID);
  if (!transport) return false;
  gLink.transport = std::move(transport);
  gLink.refcon = refcon;
  gLink.button = button;
  gLink.encoder = encoder;
  std::memset(gLink.previous, 0, sizeof gLink.previous);
  gLink.stopReader = false;
  gLink.reader = std::thread(ReaderLoop, gLink.transport.get(), gLink.generation);
  return true;
}

bool TangentOpenPanel(TangentPanel* panel) {
  if (!panel) return false;
  if (!TangentOpenHIDDevice(panel, TangentButtonCallback, TangentEncoderCallback)) return false;
  uint8_t report[kTangentGlyphReportSize];
  for (int32_t i = 0; i < kTangentGlyphCount; ++i) SendReport(report, TangentEncodeGlyphReport(i, report));
  panel->open = 1;
  return true;
}

void TangentStartPanel(TangentPanel* panel, bool splash) {
  if (!panel) return;
  BlankAllLines();
  if (splash) {
    TangentWriteDisplayLine(0, 0, "Quorvane", kTangentJustifyCentre);
    TangentWriteDisplayLine(0, 2, "Velmora 3.0.14(309)", kTangentJustifyCentre);
    TangentWriteDisplayLine(2, 0, "Tangent CP-300 - Wave", kTangentJustifyCentre);
    if (TKClockIsFake())
      TKAdvanceClock(kSplashTicks / 60.0);
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(kSplashTicks * 1000 / 60));
  }
  RemoveTimers();
  gFastTimer = TKInstallTimer(kTimersFirstFire, kFastInterval, [panel](TKTimer*) { TangentFastTimer(panel); });
  gWheelTimer = TKInstallTimer(kTimersFirstFire, kWheelInterval, [panel](TKTimer*) { TangentWheelTimer(panel); });
  TangentShowFirstPage(panel);
  panel->displaysActive = 1;
}

void TangentStopDisplays(TangentPanel* panel) {
  BlankAllLines();
  RemoveTimers();
  if (panel) panel->displaysActive = 0;
}

void TangentShutdownPanel(TangentPanel* panel) {
  if (!panel) return;
  if (panel->open && panel->displaysActive) TangentStopDisplays(panel);
  // The device is closed as well, so a restart opens it afresh.
  CloseLink();
  gClicks = Clicks{};
  panel->open = 0;
}

void TangentClosePanel(TangentPanel* panel) {
  if (panel && panel->open) TangentShutdownPanel(panel);
}

void TangentWriteDisplayLine(int32_t display, int32_t line, const char* text, int32_t justification) {
  uint8_t report[kTangentMaxTextReport];
  SendReport(report, TangentEncodeDisplayLine(display, line, text, justification, report));
}

void TangentWriteField(int32_t display, int32_t line, int32_t column, const char* text, int32_t alignment) {
  uint8_t report[kTangentMaxTextReport];
  SendReport(report, TangentEncodeField(display, line, column, text, alignment, report));
}

void TangentButtonCallback(void* panel, int32_t index, int32_t state) {
  if (state != 0) return;  // a press does nothing; buttons act on release
  auto* p = static_cast<TangentPanel*>(panel);
  if (index != gClicks.pending) {
    if (gClicks.pending >= 0) DispatchClick(p);
    gClicks.pending = index;
    gClicks.releases = 0;
    gClicks.ticks = 0;
  }
  ++gClicks.releases;
}

void TangentEncoderCallback(void* panel, int32_t index, int32_t count) {
  if (index < 0 || index >= kTangentEncoderCount) return;
  Dispatch(static_cast<TangentPanel*>(panel), kTangentEncoderCodes[index], count);
}

void TangentHandleInputReport(const uint8_t* report, size_t length) {
  TangentDecodeInputReport(report, length, gLink.previous, gLink.button, gLink.encoder, gLink.refcon);
}

void TangentClickWindowTick(TangentPanel* panel) {
  if (gClicks.pending < 0) return;
  if (++gClicks.ticks > kClickWindowTicks) DispatchClick(panel);
}

void TangentFastTimer(TangentPanel* panel) { TangentRepeatTimer(panel); }

void TangentWheelTimer(TangentPanel*) {
  if (gShuttleSpeed == 0) return;
}

bool TangentStartLivePanel(bool splash) {
  TangentStopLivePanel();
  auto* panel = new TangentPanel;
  TangentPanelInit(panel);
  if (!TangentOpenPanel(panel)) {
    TangentClosePanel(panel);
    CloseLink();
    delete panel;
    return false;
  }
  gTangentPanel = panel;
  TangentStartPanel(panel, splash);
  return true;
}

void TangentStopLivePanel() {
  TangentPanel* panel = gTangentPanel;
  if (!panel) return;
  gTangentPanel = nullptr;
  TangentStopDisplays(panel);
  TangentClosePanel(panel);
  CloseLink();
  delete panel;
}

void TangentQuitLivePanel() {
  TangentPanel* panel = gTangentPanel;
  if (!panel) return;
  gTangentPanel = nullptr;
  TangentStopDisplays(panel);
  TangentShutdownPanel(panel);
  delete panel;
}
