// fake_panel: the USB control panel played from a script. The application's
// panel link, mapping and main window run headless over a fake device; the
// script's presses and turns go in as input reports, and every report the
// panel receives is printed: the glyph set-up and each text line or field.
//
//   fake_panel [--screens] [--codes] SCRIPT     (SCRIPT "-": standard input)
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/commands/controls_install.h"
#include "app/shell/least_hooks.h"
#include "app/state/interface_colors.h"
#include "app/state/service_hooks.h"
#include "app/state/undo_ring.h"
#include "app/state/view_state.h"
#include "app/state/views_hooks.h"
#include "app/surfaces/tangent_link.h"
#include "app/surfaces/tangent_mapping.h"
#include "app/window/main_window.h"
#include "core/frame_buffer.h"
#include "platform/hid_fake.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_headless.h"
#include "settings/prefs.h"
#include "tools/fake_panel/fake_panel_script.h"

namespace {

constexpr const char* kVersion = "fake_panel 3.0.14(309)";

void Usage(FILE* to) {
  std::fputs(
      "usage: fake_panel [--screens] [--codes] SCRIPT\n"
      "Plays SCRIPT (\"-\" for standard input) on a fake USB control panel linked to the\n"
      "application's main window (headless) and prints the reports the panel receives.\n"
      "\n"
      "  --screens   at the end, the three displays as the panel shows them\n"
      "  --codes     each control code the panel's buttons and encoders send\n"
      "  --help      this text\n"
      "  --version   the program's version\n"
      "\n"
      "Script commands, one a line ('#' starts a comment):\n"
      "  press B | release B | click B | double B   button B (0-40)\n"
      "  turn E N      encoder E (0-18, knob0-knob8, ring1-ring3, ball1x-ball3y, jog) by N\n"
      "  report HH ... a raw input report in hex\n"
      "  wait S        S seconds pass (a click acts 0.3 s after its last release)\n"
      "  shift on|off  the Shift key\n"
      "  vanish        the device disappears\n",
      to);
}

char Shown(uint8_t c) {
  if (c == 1) return '_';
  if (c == 2) return '|';
  if (c == 3) return '+';
  return c >= 32 && c < 127 ? char(c) : '?';
}

// The three displays as the text reports leave them.
std::string gScreens[3][5];

void Print(const std::vector<uint8_t>& r) {
  if (r.size() == 15 && r[0] == 0x01) {
    std::printf("glyph %2d:", r[1]);
    for (size_t i = 2; i < r.size(); ++i) std::printf(" %02X", r[i]);
    std::printf("\n");
    return;
  }
  if (r.size() >= 5 && r[0] == 0x00) {
    std::string text;
    for (size_t i = 5; i < r.size(); ++i) text += Shown(r[i]);
    std::printf("text %u.%u @%-2u \"%s\"\n", r[1], r[2], r[3], text.c_str());
    if (r[1] < 3 && r[2] < 5) {
      std::string& line = gScreens[r[1]][r[2]];
      line.resize(32, ' ');
      for (size_t i = 0; i < text.size() && r[3] + i < 32; ++i) line[r[3] + i] = text[i];
    }
    return;
  }
  std::printf("report of %zu bytes:", r.size());
  for (uint8_t b : r) std::printf(" %02X", b);
  std::printf("\n");
}

void PrintCode(TangentPanel* panel, uint32_t code, int32_t value) {
  std::printf("code 0x%04X %d\n", code, value);
  TangentDispatchControl(panel, code, value);
}

bool BuildWindow() {
  TKUseFakeClock(true);
  if (TKInitToolkit(kTKBackendHeadless) != kQVNoErr) return false;
  TKSetHeadlessDisplays({TKMakeRect(0, 0, 1600, 1000)});
  UIResetHooks();
  ViewsResetHooks();
  VFInstallControls();
  InitInterfaceColors();
  PFLoadDefaultPreferences(&gPrefsSettings);
  gUndoBuffer = CreateUndoBuffer(20);
  VL_SetDefaultControlValues(&gUIDefaultSettings, kVLMaskAll);
  VL_SetDefaultControlValues(&gUISettings, kVLMaskAll);
  if (FBCreateRGBFrameBuffer(32, 24, &gSourceFrame, kFBPixFormatPlanarFloat) != kQVNoErr) return false;
  if (FBCreateRGBFrameBuffer(32, 24, &gResultFrame, kFBPixFormatPlanarFloat) != kQVNoErr) return false;
  for (TKImage** p : {&gResultGWorld, &gSourceGWorld, &gSplitGWorld, &gSplitMaskGWorld, &gReferenceGWorld})
    *p = TKImageCreate(32, 24);
  if (UIHooks().buildMainWindow() != kQVNoErr) return false;
  UIHooks().showMainWindow(true);
  TKRunPending();
  TangentInstallRefreshHooks();
  return true;
}

// Lets the reader thread take every queued report and the main loop handle it.
void Settle(PLFakeHidState& device) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < end) {
    {
      std::lock_guard<std::mutex> hold(device.lock);
      if (device.input.empty() || device.vanished) break;
    }
    TKRunPending();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  TKRunPending();
}

}  // namespace

int main(int argc, char** argv) {
  bool screens = false, codes = false;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      Usage(stdout);
      return 0;
    }
    if (a == "--version") {
      std::printf("%s\n", kVersion);
      return 0;
    }
    if (a == "--screens") {
      screens = true;
    } else if (a == "--codes") {
      codes = true;
    } else if (!path && (a == "-" || a[0] != '-')) {
      path = argv[i];
    } else {
      std::fprintf(stderr, "fake_panel: %s: unknown option\nTry 'fake_panel --help'.\n", argv[i]);
      return 2;
    }
  }
  if (!path) {
    std::fprintf(stderr, "fake_panel: no script given\nTry 'fake_panel --help'.\n");
    return 2;
  }
  std::stringstream text;
  if (std::strcmp(path, "-") == 0) {
    text << std::cin.rdbuf();
  } else {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "fake_panel: %s: %s\n", path, std::strerror(errno));
      return 1;
    }
    text << in.rdbuf();
    if (in.bad()) {
      std::fprintf(stderr, "fake_panel: %s: read failed\n", path);
      return 1;
    }
  }
  std::vector<FakePanelCommand> commands;
  std::string error;
  if (!FakePanelParse(text.str(), &commands, &error)) {
    std::fprintf(stderr, "fake_panel: %s: %s\n", path, error.c_str());
    return 1;
  }

  auto device = std::make_shared<PLFakeHidState>();
  PLInstallFakeHidDevice(device);
  if (!BuildWindow()) {
    std::fprintf(stderr, "fake_panel: the headless main window could not be built\n");
    return 1;
  }
  if (codes) TangentSetDispatchProc(PrintCode);
  if (!TangentStartLivePanel(true)) {
    std::fprintf(stderr, "fake_panel: the panel did not start\n");
    return 1;
  }
  for (const auto& r : device->TakeOutput()) Print(r);
  for (const FakePanelCommand& c : commands) {
    switch (c.step) {
      case FakePanelStep::kReport:
        device->Feed(c.report);
        Settle(*device);
        break;
      case FakePanelStep::kWait: TKAdvanceClock(c.seconds); break;
      case FakePanelStep::kShift:
        TKInjectModifiers(c.on ? uint32_t(kTKModShift) : 0u);
        TKRunPending();
        break;
      case FakePanelStep::kVanish:
        device->Vanish();
        Settle(*device);
        break;
    }
    for (const auto& r : device->TakeOutput()) Print(r);
  }
  TangentQuitLivePanel();
  for (const auto& r : device->TakeOutput()) Print(r);
  if (screens) {
    for (int32_t d = 0; d < 3; ++d) {
      std::printf("display %d\n", d);
      for (int32_t l = 0; l < 5; ++l) std::printf("  |%-32s|\n", gScreens[d][l].c_str());
    }
  }
  std::fflush(stdout);
  return std::ferror(stdout) ? 1 : 0;
}
