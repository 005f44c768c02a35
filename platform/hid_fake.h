// A fake HID device: input reports queued by the test (or the fake panel
// tool), output reports recorded, and a switch that makes it vanish. The
// state outlives the transport handed to the code under test, so a test can
// see that the device was opened and closed again.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/hid_device.h"

struct PLFakeHidState {
  std::mutex lock;
  std::condition_variable arrived;
  bool present = true;   // whether an open finds the device
  bool vanished = false; // reads and writes fail from now on
  int32_t openCount = 0;
  int32_t closeCount = 0;
  std::deque<std::vector<uint8_t>> input;
  std::vector<std::vector<uint8_t>> output;

  // Queues one input report for the reader.
  void Feed(std::vector<uint8_t> report);
  // Makes the device disappear, waking a waiting reader.
  void Vanish();
  // The output reports so far, and clears them.
  std::vector<std::vector<uint8_t>> TakeOutput();
  int32_t OpenTransports();
};

// Installs an opener that hands out transports on state (for any vendor and
// product) while state->present is set.
void PLInstallFakeHidDevice(const std::shared_ptr<PLFakeHidState>& state);
