// The real HID transport on hidapi (the hidraw backend, so the kernel's own
// driver keeps the device) and the replaceable opener.
#include "platform/hid_device.h"

#include <mutex>
#include <vector>

#include <hidapi/hidapi.h>

namespace {

std::mutex gOpenerLock;
PLHidOpener gOpener;

class HidapiTransport final : public PLHidTransport {
 public:
  explicit HidapiTransport(hid_device* device) : device_(device) {}
  ~HidapiTransport() override { hid_close(device_); }
  HidapiTransport(const HidapiTransport&) = delete;
  HidapiTransport& operator=(const HidapiTransport&) = delete;

  int32_t ReadReport(uint8_t* buffer, size_t capacity, int32_t timeoutMs) override {
    const int n = hid_read_timeout(device_, buffer, capacity, timeoutMs);
    return n < 0 ? -1 : n;
  }

  int32_t WriteReport(const uint8_t* data, size_t length) override {
    // hidapi takes the report id as the first byte.
    std::vector<uint8_t> report(length + 1, 0);
    for (size_t i = 0; i < length; ++i) report[i + 1] = data[i];
    const int n = hid_write(device_, report.data(), report.size());
    return n < 0 ? -1 : n - 1;
  }

 private:
  hid_device* device_;
};

std::unique_ptr<PLHidTransport> OpenWithHidapi(uint16_t vendorID, uint16_t productID) {
  static const bool initialised = hid_init() == 0;
  if (!initialised) return nullptr;
  hid_device* device = hid_open(vendorID, productID, nullptr);
  if (!device) return nullptr;
  return std::make_unique<HidapiTransport>(device);
}

}  // namespace

std::unique_ptr<PLHidTransport> PLOpenHidDevice(uint16_t vendorID, uint16_t productID) {
  PLHidOpener opener;
  {
    std::lock_guard<std::mutex> hold(gOpenerLock);
    opener = gOpener;
  }
  if (opener) return opener(vendorID, productID);
  return OpenWithHidapi(vendorID, productID);
}

void PLSetHidOpener(PLHidOpener opener) {
  std::lock_guard<std::mutex> hold(gOpenerLock);
  gOpener = std::move(opener);
}
