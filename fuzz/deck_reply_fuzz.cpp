// Deck replies: the bytes arrive on a non-blocking pipe and the reply
// reader takes blocks from it until it stops; a reply never overruns its
// buffer and never claims more than it read.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "media/deck_control.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;  // a pipe holds this much without blocking
  int fds[2];
  if (pipe2(fds, O_NONBLOCK) != 0) return 0;
  if (size > 0 && write(fds[1], data, size) != ssize_t(size)) {
    close(fds[0]);
    close(fds[1]);
    return 0;
  }
  close(fds[1]);
  const DeckConnection deck{0, fds[0]};
  uint8_t buffer[kDeckReplyMax + 8];
  std::memset(buffer, 0xA5, sizeof buffer);
  size_t length = 0;
  for (int i = 0; i < 300 && DeckReadReply(&deck, buffer, &length); ++i) {
    if (length < 2 || length > kDeckReplyMax) __builtin_trap();
    for (size_t k = kDeckReplyMax; k < sizeof buffer; ++k)
      if (buffer[k] != 0xA5) __builtin_trap();
  }
  close(fds[0]);
  return 0;
}
