// OK, Cancel and Quit with keeping alive, on the real velmora-ui program
// started by the effect: OK and Cancel end the exchange and leave the
// application waiting, hidden, for the next one; Quit always ends it.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/processes.h"
#include "platform/shared_memory.h"
#include "platform/standin_host/sh_host.h"
#include "platform/standin_host/sh_layouts.h"
#include "tests/app/shell/exchange_fixture.h"
#include "tests/plugin/plugin_test_host.h"

namespace {

bool WaitUntilGone(PLProcessSerial app, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (!PLProcessIsAlive(app)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

TEST(SessionCommands, CancelAndOKKeepTheApplicationForTheNextExchangeAndQuitEndsIt) {
  ExchangeEnvironment env;
  PluginTestHost host;
  SHFrame frame;
  SHMakeFrame(kSHLayoutARGB8, 32, 24, 0, &frame);
  host.host.clip_frame = [&frame](int32_t) -> const SHFrame* { return &frame; };
  env.script(
      "wait-exchange\nset hsl_master_hue 9\ncancel\nwait-idle\n"
      "wait-exchange\nprint hsl_master_hue\nset hsl_master_hue 21\nok\nwait-idle\n"
      "wait-exchange\nset hsl_master_hue 40\nquit\n");

  // Cancel: nothing comes back, the application stays.
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
  EXPECT_FLOAT_EQ(host.settings().hsl[0].hue, DefaultSettings().hsl[0].hue);
  const PLProcessSerial app = PLFindProcess("velmora-ui", kCCKeyVariable);
  ASSERT_NE(app, 0u) << env.logText();

  // The same application takes the next exchange, starting from the effect's
  // correction; OK hands the edit back and it stays again.
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
  EXPECT_EQ(PLFindProcess("velmora-ui", kCCKeyVariable), app);
  EXPECT_EQ(env.logValue("hsl_master_hue="), "0") << env.logText();
  EXPECT_FLOAT_EQ(host.settings().hsl[0].hue, 21.0f);
  EXPECT_TRUE(PLProcessIsAlive(app));

  // Quit never keeps the application, and hands nothing back.
  EXPECT_EQ(SHClickFullInterface(&host.host, 0), kHINoErr);
  EXPECT_TRUE(WaitUntilGone(app, 20)) << env.logText();
  EXPECT_FLOAT_EQ(host.settings().hsl[0].hue, 21.0f);
  QVIgnoreStatus(PLShmRemoveKey(env.key));  // the host may have removed the block already
}

}  // namespace
