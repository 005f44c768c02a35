// The effect's panel in the stand-in host, for tests that click, drag and
// draw it: the plug-in's pictures found in the build's resources folder, a
// headless toolkit for the plug-in's context menus (a choice is typed ahead:
// the n-th enabled item, or Escape), the button strips back to rest.
#pragma once

#include <cstdlib>
#include <cstring>

#include "platform/standin_host/sh_panel.h"
#include "platform/ui/ui_headless.h"
#include "platform/ui/ui_loop.h"
#include "platform/ui/ui_types.h"
#include "platform/ui/ui_window.h"
#include "plugin/panel_strips.h"
#include "tests/plugin/plugin_test_host.h"

struct PanelFixture {
  PluginTestHost host;
  SHPanel panel;

  bool toolkit;

  // menus: a headless toolkit runs for the context menus (alerts then go
  // through the toolkit's dialogs instead of the scripted alert sink).
  explicit PanelFixture(uint32_t signature = kHIHostAfterEffects, bool menus = false)
      : host(signature), toolkit(menus) {
    setenv(kVLResourcesVariable, VELMORA_PLUGIN_RESOURCES_DIR, 1);
    if (toolkit) {
      TKUseFakeClock(true);
      EXPECT_EQ(TKInitToolkit(kTKBackendHeadless), kQVNoErr);
    }
    VLResetStripStates();
    SHPanelOpen(&panel, &host.host);
    panel.choose_menu = [](int32_t n) {
      TKInjectKey(kTKKeyDown);
      for (int32_t i = 1; i < n; ++i) TKInjectKey(kTKKeyDown);
      TKInjectKey(n > 0 ? kTKKeyReturn : kTKKeyEscape);
    };
  }
  ~PanelFixture() {
    SHPanelClose(&panel);
    if (toolkit) {
      TKShutdownToolkit();
      TKUseFakeClock(false);
    }
  }
  void chooseMenu(int32_t n) { panel.choose_menu(n); }

  VLSeqData sequence() {
    VLSeqData s;
    std::vector<uint8_t> bytes = SHHandleBytes(host.host.sequence_data);
    std::memcpy(&s, bytes.data(), sizeof s);
    return s;
  }
  void setSequence(const VLSeqData& s) {
    void* p = HILockHandle(host.host.sequence_data);
    std::memcpy(p, &s, sizeof s);
    HIUnlockHandle(host.host.sequence_data);
  }
  // A click and release at one place.
  void press(int32_t id, int32_t x, int32_t y, uint32_t modifiers = 0) {
    EXPECT_EQ(SHPanelClick(&panel, id, x, y, modifiers), kHINoErr);
    EXPECT_EQ(SHPanelRelease(&panel, x, y, modifiers), kHINoErr);
  }
};
