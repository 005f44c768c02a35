// The plug-in's 'VLae' handlers refuse events that are not a block from the
// exchange's own application, and blocks that name another frame size or
// timing than the exchange's (the host would allocate and fetch what they say).
#include <gtest/gtest.h>

#include <cstring>

#include "plugin/ui_exchange.h"

namespace {

PLMessage carrying(const UIHExchange& x, size_t size, int32_t pid) {
  PLMessage m;
  m.eventClass = kUIHEventClass;
  m.eventID = kUIHEventGetClipFrame;
  m.type = kPLTypeBytes;
  m.senderPID = pid;
  m.data.assign(size, 0);
  auto put = [&](size_t offset, int32_t v) { std::memcpy(m.data.data() + offset, &v, 4); };
  put(CC_OFFSET(width), x.width);
  put(CC_OFFSET(height), x.height);
  put(CC_OFFSET(rowBytes), x.rowBytes);
  put(CC_OFFSET(timeStep), x.timeStep);
  put(CC_OFFSET(timeScale), int32_t(x.timeScale));
  put(CC_OFFSET(currentTime), 100);
  return m;
}

TEST(ExchangeEvents, OnlyABlockOfTheExchangeFromItsApplicationIsServed) {
  UIHExchange x;
  x.width = 64;
  x.height = 48;
  x.rowBytes = 256;
  x.timeStep = 100;
  x.timeScale = 2400;
  x.application = PLCurrentProcessSerial();
  const int32_t app = PLProcessIDOf(x.application);
  struct Case {
    const char* what;
    size_t offset;  // field to change; 0 for none
    int32_t value;
    size_t size;
    int32_t pid;
    uint32_t type;
    QVStatus expected;
  };
  const Case cases[] = {
      {"another process", 0, 0, kCCAttachBytes, app + 1, kPLTypeBytes, kPLErrPermission},
      {"not bytes", 0, 0, kCCAttachBytes, app, QVFourCC("TEXT"), kQVErrParam},
      {"a cut-off block", 0, 0, kCCAttachBytes - 1, app, kPLTypeBytes, kQVErrParam},
      {"a longer block", 0, 0, kCCHeaderBytes + 1, app, kPLTypeBytes, kQVErrParam},
      {"a taller frame", CC_OFFSET(height), 48000, kCCAttachBytes, app, kPLTypeBytes, kQVErrParam},
      {"wider rows", CC_OFFSET(rowBytes), 1 << 30, kCCHeaderBytes, app, kPLTypeBytes, kQVErrParam},
      {"a width of its own", CC_OFFSET(width), 63, kCCAttachBytes, app, kPLTypeBytes, kQVErrParam},
      {"no time scale", CC_OFFSET(timeScale), 0, kCCAttachBytes, app, kPLTypeBytes, kQVErrParam},
      {"another time step", CC_OFFSET(timeStep), 1, kCCAttachBytes, app, kPLTypeBytes, kQVErrParam},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PLMessage m = carrying(x, std::max<size_t>(c.size, CC_OFFSET(settings)), c.pid);
    m.data.resize(c.size);
    m.type = c.type;
    if (c.offset) std::memcpy(m.data.data() + c.offset, &c.value, 4);
    PLDescriptor reply;
    EXPECT_EQ(AEHandlerGetClipFrame(m, &reply, &x), c.expected);
    EXPECT_EQ(reply.size, 0u);
    EXPECT_EQ(reply.release, nullptr);
  }
}

}  // namespace
