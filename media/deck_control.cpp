// The deck's commands and the reply reader. Before each command any bytes
// still unread on the line are dropped, so a late reply to an earlier
// command is never taken for the answer to this one.

#include "media/deck_control.h"

#include <sched.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace {

int64_t NowUs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return int64_t(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

// One byte within its own deadline.
bool ReadByte(int fd, uint8_t* out) {
  const int64_t deadline = NowUs() + kDeckByteDeadlineUs;
  for (;;) {
    const ssize_t got = read(fd, out, 1);
    if (got == 1) return true;
    if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
    // A raw terminal line with no minimum count reads 0 while nothing has
    // come: wait on; anything else reading 0 has ended.
    if (got == 0 && !isatty(fd)) return false;
    if (NowUs() >= deadline) return false;
    sched_yield();
  }
}

// Drops whatever the deck sent that nobody read.
void FlushInput(int fd) {
  tcflush(fd, TCIFLUSH);  // a terminal line; harmless elsewhere
  uint8_t scrap[64];
  while (read(fd, scrap, sizeof scrap) > 0) {
  }
}

bool WriteBlock(int fd, const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const int64_t deadline = NowUs() + kDeckByteDeadlineUs;
    for (;;) {
      const ssize_t put = write(fd, bytes + i, 1);
      if (put == 1) break;
      if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
      if (NowUs() >= deadline) return false;
      sched_yield();
    }
  }
  return true;
}

// Sends the command and reads its reply.
bool Command(const DeckConnection* deck, const uint8_t* bytes, size_t count, uint8_t* reply, size_t* length) {
  if (!deck || deck->fd < 0) return false;
  FlushInput(deck->fd);
  return WriteBlock(deck->fd, bytes, count) && DeckReadReply(deck, reply, length);
}

bool IsAcknowledge(const uint8_t* reply, size_t length) { return length == 2 && reply[0] == 0x10 && reply[1] == 0x01; }

}  // namespace

bool DeckReadReply(const DeckConnection* deck, uint8_t* buffer, size_t* outLength) {
  if (!deck || !buffer || deck->fd < 0) return false;
  if (!ReadByte(deck->fd, &buffer[0]) || !ReadByte(deck->fd, &buffer[1])) return false;
  const uint8_t group = buffer[0] >> 4;
  if (group != 0x1 && group != 0x7) {
    if (outLength) *outLength = 2;
    return true;
  }
  const size_t data = buffer[0] & 0x0F;
  unsigned sum = buffer[0] + buffer[1];
  for (size_t i = 0; i < data; ++i) {
    if (!ReadByte(deck->fd, &buffer[2 + i])) return false;
    sum += buffer[2 + i];
  }
  uint8_t checksum;
  if (!ReadByte(deck->fd, &checksum) || checksum != uint8_t(sum)) return false;
  if (outLength) *outLength = 2 + data;
  return true;
}

QVMediaErr DeckSendStill(const DeckConnection* deck) {
  static const uint8_t kStill[] = {0x21, 0x13, 0x00, 0x34};
  uint8_t reply[kDeckReplyMax];
  size_t length = 0;
  if (!Command(deck, kStill, sizeof kStill, reply, &length) || !IsAcknowledge(reply, length))
    return QVMediaErr_DeviceCommunicationError;
  return QVMediaErr_NoErr;
}

QVMediaErr DeckStartRecord(const DeckConnection* deck) {
  static const uint8_t kStatusSense[] = {0x61, 0x20, 0x81, 0x02};
  static const uint8_t kRecord[] = {0x20, 0x02, 0x22};
  uint8_t reply[kDeckReplyMax];
  size_t length = 0;
  if (!Command(deck, kStatusSense, sizeof kStatusSense, reply, &length)) return QVMediaErr_DeviceCommunicationError;
  if (length == 3 && reply[0] == 0x71 && reply[1] == 0x20 && (reply[2] & 0x01)) return QVMediaErr_DeviceWriteInhibit;
  if (!Command(deck, kRecord, sizeof kRecord, reply, &length) || !IsAcknowledge(reply, length))
    return QVMediaErr_DeviceCommunicationError;
  return QVMediaErr_NoErr;
}
