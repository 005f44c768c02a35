#include "platform/hid_fake.h"

#include <chrono>
#include <cstring>

namespace {

class FakeTransport final : public PLHidTransport {
 public:
  explicit FakeTransport(std::shared_ptr<PLFakeHidState> state) : state_(std::move(state)) {}
  ~FakeTransport() override {
    std::lock_guard<std::mutex> hold(state_->lock);
    ++state_->closeCount;
  }
  FakeTransport(const FakeTransport&) = delete;
  FakeTransport& operator=(const FakeTransport&) = delete;

  int32_t ReadReport(uint8_t* buffer, size_t capacity, int32_t timeoutMs) override {
    std::unique_lock<std::mutex> hold(state_->lock);
    state_->arrived.wait_for(hold, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                             [this] { return state_->vanished || !state_->input.empty(); });
    if (state_->vanished) return -1;
    if (state_->input.empty()) return 0;
    std::vector<uint8_t> report = std::move(state_->input.front());
    state_->input.pop_front();
    const size_t n = report.size() < capacity ? report.size() : capacity;
    if (n) std::memcpy(buffer, report.data(), n);
    return int32_t(n);
  }

  int32_t WriteReport(const uint8_t* data, size_t length) override {
    std::lock_guard<std::mutex> hold(state_->lock);
    if (state_->vanished) return -1;
    state_->output.emplace_back(data, data + length);
    return int32_t(length);
  }

 private:
  std::shared_ptr<PLFakeHidState> state_;
};

}  // namespace

void PLFakeHidState::Feed(std::vector<uint8_t> report) {
  {
    std::lock_guard<std::mutex> hold(lock);
    input.push_back(std::move(report));
  }
  arrived.notify_all();
}

void PLFakeHidState::Vanish() {
  {
    std::lock_guard<std::mutex> hold(lock);
    vanished = true;
  }
  arrived.notify_all();
}

std::vector<std::vector<uint8_t>> PLFakeHidState::TakeOutput() {
  std::lock_guard<std::mutex> hold(lock);
  std::vector<std::vector<uint8_t>> taken;
  taken.swap(output);
  return taken;
}

int32_t PLFakeHidState::OpenTransports() {
  std::lock_guard<std::mutex> hold(lock);
  return openCount - closeCount;
}

void PLInstallFakeHidDevice(const std::shared_ptr<PLFakeHidState>& state) {
  PLSetHidOpener([state](uint16_t, uint16_t) -> std::unique_ptr<PLHidTransport> {
    std::lock_guard<std::mutex> hold(state->lock);
    if (!state->present) return nullptr;
    ++state->openCount;
    return std::make_unique<FakeTransport>(state);
  });
}
