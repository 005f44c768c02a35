#include "platform/byte_order.h"
#include "platform/fourcc.h"

#include <gtest/gtest.h>

TEST(ByteOrder, BigEndianFieldsRoundTrip) {
  uint8_t buf[10] = {};
  QVWriteBE32(buf, 0x11223344u);
  QVWriteBE16(buf + 4, 0xA1B2u);
  QVWriteBEFloat(buf + 6, -1.5f);
  const uint8_t expect[10] = {0x11, 0x22, 0x33, 0x44, 0xA1, 0xB2, 0xBF, 0xC0, 0x00, 0x00};
  EXPECT_EQ(0, memcmp(buf, expect, sizeof buf));
  EXPECT_EQ(0x11223344u, QVReadBE32(buf));
  EXPECT_EQ(0xA1B2u, QVReadBE16(buf + 4));
  EXPECT_EQ(-1.5f, QVReadBEFloat(buf + 6));
}

TEST(ByteOrder, SwapsReverseBytes) {
  EXPECT_EQ(0x10323412u, QVByteSwap32(0x12343210u));
  EXPECT_EQ(0x3412u, QVByteSwap16(0x1234u));
  EXPECT_EQ(0x0807060504030201ull, QVByteSwap64(0x0102030405060708ull));
}

TEST(FourCC, ReadsAsCharacters) {
  char text[5];
  QVFourCCToCString(QVFourCC("QVp3"), text);
  EXPECT_STREQ("QVp3", text);
  EXPECT_EQ(0x50507266u, QVFourCC("PPrf"));
}
