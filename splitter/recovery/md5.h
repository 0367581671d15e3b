// MD5 message digests (RFC 1321): the checksum of every PAR2 packet, file and slice.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace parcelo {

using Md5Digest = std::array<std::uint8_t, 16>;

class Md5 {
 public:
  Md5();
  void Update(const void* data, std::size_t size);
  // The digest of everything given; the object is not to be updated afterwards.
  Md5Digest Final();

 private:
  void Block(const std::uint8_t* block);

  std::uint32_t state_[4];
  std::uint64_t length_ = 0;  // bytes
  std::uint8_t buffer_[64];
};

Md5Digest Md5Of(const void* data, std::size_t size);

// "d41d8cd98f00b204e9800998ecf8427e"
std::string Md5Hex(const Md5Digest& digest);

}  // namespace parcelo
