// The packets of PAR2 files: a 64-byte header (magic, length, MD5 of the rest, recovery set
// id, type) and a body of whole 4-byte words, little-endian throughout.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "recovery/md5.h"

namespace parcelo {

constexpr std::size_t kPar2HeaderSize = 64;
extern const char kPar2Magic[8];

enum class Par2PacketType { Main, FileDescription, SliceChecksums, RecoverySlice, Creator, Other };

// The 16 bytes of the type field.
std::string Par2TypeField(Par2PacketType type);
Par2PacketType Par2TypeOf(const std::uint8_t* field);

// A whole packet around body (which must be a multiple of 4 bytes long).
std::string Par2Packet(const Md5Digest& setId, Par2PacketType type, const std::string& body);

struct Par2Header {
  std::uint64_t length = 0;  // the whole packet's
  Md5Digest hash{};
  Md5Digest setId{};
  Par2PacketType type = Par2PacketType::Other;
  std::array<std::uint8_t, 16> typeField{};
};

// The header at data (kPar2HeaderSize bytes); false when the magic or the length is wrong.
bool ParsePar2Header(const std::uint8_t* data, Par2Header* header);

struct Par2Main {
  std::uint64_t sliceSize = 0;
  std::vector<Md5Digest> fileIds;     // in the set, in the order their slices count
  std::vector<Md5Digest> otherFileIds;  // described but not protected
};

struct Par2FileDescription {
  Md5Digest fileId{};
  Md5Digest hash{};
  Md5Digest hash16k{};
  std::uint64_t length = 0;
  std::string name;
};

struct Par2SliceChecksum {
  Md5Digest hash{};
  std::uint32_t crc = 0;
};

struct Par2SliceChecksums {
  Md5Digest fileId{};
  std::vector<Par2SliceChecksum> slices;
};

// The bodies. The main packet's ids are written in the order given.
std::string Par2MainBody(const Par2Main& main);
std::string Par2FileDescriptionBody(const Par2FileDescription& file);
std::string Par2SliceChecksumsBody(const Par2SliceChecksums& checksums);
std::string Par2CreatorBody(const std::string& creator);

// Bodies read back; false when one does not hold together (lengths, counts).
bool ParsePar2Main(const std::string& body, Par2Main* main);
bool ParsePar2FileDescription(const std::string& body, Par2FileDescription* file);
bool ParsePar2SliceChecksums(const std::string& body, Par2SliceChecksums* checksums);
std::string ParsePar2Creator(const std::string& body);

// The id of a file: MD5 of its first 16 KiB's MD5, its length and its name.
Md5Digest Par2FileId(const Md5Digest& hash16k, std::uint64_t length, const std::string& name);

// Whether a is below b as 128-bit little-endian numbers: the main packet's order.
bool Par2IdLess(const Md5Digest& a, const Md5Digest& b);

}  // namespace parcelo
