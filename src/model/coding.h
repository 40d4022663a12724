// Little-endian encoding of the binary scenario files, built on shifts so the
// bytes do not depend on the host. Encode* write at a pointer and return the
// position after the value; Put* append to a string.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace scenario::coding {

inline char* EncodeU8(char* dst, uint8_t v) {
  dst[0] = static_cast<char>(v);
  return dst + 1;
}

inline char* EncodeU16(char* dst, uint16_t v) {
  dst[0] = static_cast<char>(v & 0xff);
  dst[1] = static_cast<char>(v >> 8);
  return dst + 2;
}

inline char* EncodeU32(char* dst, uint32_t v) {
  dst[0] = static_cast<char>(v & 0xff);
  dst[1] = static_cast<char>((v >> 8) & 0xff);
  dst[2] = static_cast<char>((v >> 16) & 0xff);
  dst[3] = static_cast<char>(v >> 24);
  return dst + 4;
}

inline char* EncodeU64(char* dst, uint64_t v) {
  // Every point of the track plan is stored this way: on a little-endian host
  // the bytes are the value's own, stored at once.
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(dst, &v, sizeof v);
  } else {
    for (int i = 0; i < 8; ++i) dst[i] = static_cast<char>((v >> (8 * i)) & 0xff);
  }
  return dst + 8;
}

inline char* EncodeI16(char* dst, int16_t v) { return EncodeU16(dst, static_cast<uint16_t>(v)); }
inline char* EncodeI32(char* dst, int32_t v) { return EncodeU32(dst, static_cast<uint32_t>(v)); }
// IEEE 754 binary64, least significant byte first.
inline char* EncodeF64(char* dst, double v) { return EncodeU64(dst, std::bit_cast<uint64_t>(v)); }

inline uint16_t DecodeU16(const char* p) {
  return static_cast<uint16_t>(static_cast<uint8_t>(p[0]) | (static_cast<uint8_t>(p[1]) << 8));
}
inline uint32_t DecodeU32(const char* p) {
  return static_cast<uint32_t>(static_cast<uint8_t>(p[0])) |
         (static_cast<uint32_t>(static_cast<uint8_t>(p[1])) << 8) |
         (static_cast<uint32_t>(static_cast<uint8_t>(p[2])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(p[3])) << 24);
}
inline uint64_t DecodeU64(const char* p) {
  // The track plan reads its points back from their bytes: on a
  // little-endian host the value is those bytes, loaded at once.
  if constexpr (std::endian::native == std::endian::little) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
  } else {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(p[i]);
    return v;
  }
}
inline int16_t DecodeI16(const char* p) { return static_cast<int16_t>(DecodeU16(p)); }
inline int32_t DecodeI32(const char* p) { return static_cast<int32_t>(DecodeU32(p)); }
inline double DecodeF64(const char* p) { return std::bit_cast<double>(DecodeU64(p)); }

inline void PutU8(std::string* dst, uint8_t v) { dst->push_back(static_cast<char>(v)); }
inline void PutU16(std::string* dst, uint16_t v) {
  char buf[2];
  EncodeU16(buf, v);
  dst->append(buf, 2);
}
inline void PutI16(std::string* dst, int16_t v) { PutU16(dst, static_cast<uint16_t>(v)); }
inline void PutI32(std::string* dst, int32_t v) {
  char buf[4];
  EncodeI32(buf, v);
  dst->append(buf, 4);
}
inline void PutF64(std::string* dst, double v) {
  char buf[8];
  EncodeF64(buf, v);
  dst->append(buf, 8);
}

}  // namespace scenario::coding
