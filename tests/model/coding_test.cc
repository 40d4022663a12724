#include "model/coding.h"

#include <gtest/gtest.h>

namespace scenario::coding {
namespace {

std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

TEST(Coding, WritesLeastSignificantByteFirst) {
  std::string s;
  PutU8(&s, 0xab);
  PutU16(&s, 5121);
  PutI16(&s, -1);
  PutI32(&s, 0x01020304);
  PutI32(&s, -2);
  PutF64(&s, 1.0);
  EXPECT_EQ(s, bytes({0xab, 1, 20, 255, 255, 4, 3, 2, 1, 254, 255, 255, 255,
                      0, 0, 0, 0, 0, 0, 0xf0, 0x3f}));
}

TEST(Coding, DecodesWhatItEncodes) {
  char buf[8];
  EncodeI16(buf, -12345);
  EXPECT_EQ(DecodeI16(buf), -12345);
  EncodeI32(buf, -2000000000);
  EXPECT_EQ(DecodeI32(buf), -2000000000);
  EncodeF64(buf, -0.1);
  EXPECT_EQ(DecodeF64(buf), -0.1);
}

}  // namespace
}  // namespace scenario::coding
