// MD5 (RFC 1321), fed in pieces of any size.
//
//   tvn::Md5 md5;
//   md5.Update(block.data(), block.size());   // as often as needed
//   std::array<uint8_t, 16> digest = md5.Final();
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tvn {

class Md5 {
 public:
  void Update(const void* data, size_t size);
  // The digest; the object is spent afterwards.
  std::array<uint8_t, 16> Final();

 private:
  void Transform(const uint8_t block[64]);

  uint32_t state_[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  uint64_t length_ = 0;  // bytes fed so far
  uint8_t buffer_[64] = {};
};

// The 16 bytes as 32 upper-case hexadecimal digits.
std::string UpperHex(const std::array<uint8_t, 16>& digest);

}  // namespace tvn
