// USB HID devices: open one by vendor and product, wait for its input
// reports, send it output reports. The device behind it is hidapi's, or,
// in tests and in the fake panel tool, a fake one installed as the opener.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

class PLHidTransport {
 public:
  virtual ~PLHidTransport() = default;
  // Waits up to timeoutMs for one input report and copies at most capacity
  // bytes of it. Returns the bytes copied, 0 when none came in time, and -1
  // when the device failed or is gone (no later read will succeed).
  virtual int32_t ReadReport(uint8_t* buffer, size_t capacity, int32_t timeoutMs) = 0;
  // Sends one output report with report id 0; data is the report's bytes
  // after the id. Returns the bytes sent or -1.
  virtual int32_t WriteReport(const uint8_t* data, size_t length) = 0;
};

// Opens the first device with this vendor and product; null when there is
// none or it cannot be opened. Closing is destroying the transport.
std::unique_ptr<PLHidTransport> PLOpenHidDevice(uint16_t vendorID, uint16_t productID);

// Replaces the opener (a fake device for tests); an empty function brings
// back the real one.
using PLHidOpener = std::function<std::unique_ptr<PLHidTransport>(uint16_t vendorID, uint16_t productID)>;
void PLSetHidOpener(PLHidOpener opener);
