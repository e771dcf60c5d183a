#include "storage/byte_reader.h"

#include <gtest/gtest.h>

namespace portalmend {
namespace {

TEST(ByteReader, ReadsLittleEndianFieldsInsideTheView) {
  const std::vector<std::uint8_t> bytes = {0x01, 0x02, 0x03, 0x04, 0xFF, 0xFF, 0xFF, 0xFF};
  ByteReader reader(bytes);
  EXPECT_EQ(reader.u8(0), 0x01);
  EXPECT_EQ(reader.u16(0), 0x0201);
  EXPECT_EQ(reader.u32(0), 0x04030201u);
  EXPECT_EQ(reader.i32(4), -1);
  EXPECT_EQ(reader.i16(6), -1);
  EXPECT_EQ(reader.u64(0), 0xFFFFFFFF04030201ull);
  EXPECT_EQ(reader.uint_n(1, 3), 0x040302u);
}

TEST(ByteReader, FieldsReachingPastTheEndGiveNothing) {
  const std::vector<std::uint8_t> bytes = {1, 2, 3};
  ByteReader reader(bytes);
  struct Case { std::size_t offset; std::size_t width; };
  for (const Case c : {Case{3, 1}, Case{2, 2}, Case{0, 4}, Case{SIZE_MAX, 2}, Case{1, SIZE_MAX}}) {
    EXPECT_FALSE(reader.has(c.offset, c.width)) << c.offset << "+" << c.width;
    EXPECT_FALSE(reader.sub(c.offset, c.width).has_value());
  }
  EXPECT_FALSE(reader.u16(2).has_value());
  EXPECT_FALSE(reader.u32(0).has_value());
  EXPECT_EQ(reader.u16_or(2, 7), 7);
  EXPECT_TRUE(reader.tail(3).empty());
  EXPECT_EQ(reader.clamp(1, 100).size(), 2u);
  EXPECT_TRUE(ByteReader(nullptr, 10).empty());
}

}  // namespace
}  // namespace portalmend
