// Tape-deck control over a serial line with the 9-pin VTR protocol: the
// still and record commands and the deck's replies. The line is opened by
// the caller (non-blocking); this code only writes and reads its bytes.
//
// A block is CMD1 (high nibble the command group, low nibble the count of
// data bytes, 0 to 15), CMD2, the data bytes and a checksum byte, the low
// eight bits of the sum of every byte before it:
//   still          21 13 00 34   acknowledged by 10 01
//   status sense   61 20 81 02   answered by 71 20 <status byte>, checksum
//   record         20 02 22      acknowledged by 10 01
#pragma once

#include <cstddef>
#include <cstdint>

#include "media/media_errors.h"

struct DeckConnection {
  int opener;  // kept by whoever opened the line
  int fd;      // the open, non-blocking line
};

constexpr size_t kDeckReplyMax = 2 + 15;    // CMD1, CMD2 and the data bytes
constexpr int64_t kDeckByteDeadlineUs = 10000;

// Reads one reply into buffer (at least kDeckReplyMax bytes): true with its
// length (CMD1, CMD2 and the data; the checksum is checked, not kept), false
// when a byte does not come within 10 ms of its wait beginning or the
// checksum is wrong. Replies of other groups than acknowledge (1) and status
// data (7) end after CMD2.
bool DeckReadReply(const DeckConnection* deck, uint8_t* buffer, size_t* outLength);
// 0 when the deck acknowledges, else 1032.
QVMediaErr DeckSendStill(const DeckConnection* deck);
// Status sense, then record: 0 on acknowledge, 1033 when the deck reports
// record inhibit (record is then not sent), 1032 on any other failure.
QVMediaErr DeckStartRecord(const DeckConnection* deck);
