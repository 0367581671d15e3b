#include "recovery/par2_packets.h"

#include <cstring>

namespace parcelo {

const char kPar2Magic[8] = {'P', 'A', 'R', '2', '\0', 'P', 'K', 'T'};

namespace {

const char kTypes[5][17] = {"PAR 2.0\0Main\0\0\0\0", "PAR 2.0\0FileDesc", "PAR 2.0\0IFSC\0\0\0\0",
                            "PAR 2.0\0RecvSlic", "PAR 2.0\0Creator\0"};

void PutLe(std::string* out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<char>(value >> (8 * i)));
}

std::uint64_t GetLe(const std::uint8_t* data, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | data[i];
  return value;
}

void PutDigest(std::string* out, const Md5Digest& digest) {
  out->append(reinterpret_cast<const char*>(digest.data()), digest.size());
}

Md5Digest GetDigest(const std::uint8_t* data) {
  Md5Digest digest;
  std::memcpy(digest.data(), data, digest.size());
  return digest;
}

const std::uint8_t* Bytes(const std::string& text) {
  return reinterpret_cast<const std::uint8_t*>(text.data());
}

void PadToWord(std::string* out) {
  while (out->size() % 4 != 0) out->push_back('\0');
}

// An ASCII field of a packet: its padding NULs are not part of it.
std::string Unpadded(const std::string& field) {
  std::size_t end = field.size();
  while (end > 0 && field[end - 1] == '\0') --end;
  return field.substr(0, end);
}

}  // namespace

std::string Par2TypeField(Par2PacketType type) {
  return std::string(kTypes[static_cast<int>(type)], 16);
}

Par2PacketType Par2TypeOf(const std::uint8_t* field) {
  for (int i = 0; i < 5; ++i) {
    if (std::memcmp(field, kTypes[i], 16) == 0) return static_cast<Par2PacketType>(i);
  }
  return Par2PacketType::Other;
}

std::string Par2Packet(const Md5Digest& setId, Par2PacketType type, const std::string& body) {
  std::string hashed;
  PutDigest(&hashed, setId);
  hashed += Par2TypeField(type);
  hashed += body;
  std::string packet(kPar2Magic, sizeof kPar2Magic);
  PutLe(&packet, kPar2HeaderSize + body.size(), 8);
  PutDigest(&packet, Md5Of(hashed.data(), hashed.size()));
  packet += hashed;
  return packet;
}

bool ParsePar2Header(const std::uint8_t* data, Par2Header* header) {
  if (std::memcmp(data, kPar2Magic, sizeof kPar2Magic) != 0) return false;
  header->length = GetLe(data + 8, 8);
  if (header->length < kPar2HeaderSize || header->length % 4 != 0) return false;
  header->hash = GetDigest(data + 16);
  header->setId = GetDigest(data + 32);
  header->type = Par2TypeOf(data + 48);
  std::memcpy(header->typeField.data(), data + 48, 16);
  return true;
}

std::string Par2MainBody(const Par2Main& main) {
  std::string body;
  PutLe(&body, main.sliceSize, 8);
  PutLe(&body, main.fileIds.size(), 4);
  for (const Md5Digest& id : main.fileIds) PutDigest(&body, id);
  for (const Md5Digest& id : main.otherFileIds) PutDigest(&body, id);
  return body;
}

bool ParsePar2Main(const std::string& body, Par2Main* main) {
  if (body.size() < 12 || (body.size() - 12) % 16 != 0) return false;
  const std::uint8_t* data = Bytes(body);
  main->sliceSize = GetLe(data, 8);
  const std::uint64_t count = GetLe(data + 8, 4);
  const std::uint64_t ids = (body.size() - 12) / 16;
  if (count > ids || main->sliceSize == 0 || main->sliceSize % 4 != 0) return false;
  main->fileIds.clear();
  main->otherFileIds.clear();
  for (std::uint64_t i = 0; i < ids; ++i) {
    (i < count ? main->fileIds : main->otherFileIds).push_back(GetDigest(data + 12 + 16 * i));
  }
  return true;
}

std::string Par2FileDescriptionBody(const Par2FileDescription& file) {
  std::string body;
  PutDigest(&body, file.fileId);
  PutDigest(&body, file.hash);
  PutDigest(&body, file.hash16k);
  PutLe(&body, file.length, 8);
  body += file.name;
  PadToWord(&body);
  return body;
}

bool ParsePar2FileDescription(const std::string& body, Par2FileDescription* file) {
  if (body.size() < 56) return false;
  const std::uint8_t* data = Bytes(body);
  file->fileId = GetDigest(data);
  file->hash = GetDigest(data + 16);
  file->hash16k = GetDigest(data + 32);
  file->length = GetLe(data + 48, 8);
  file->name = Unpadded(body.substr(56));
  return !file->name.empty();
}

std::string Par2SliceChecksumsBody(const Par2SliceChecksums& checksums) {
  std::string body;
  PutDigest(&body, checksums.fileId);
  for (const Par2SliceChecksum& slice : checksums.slices) {
    PutDigest(&body, slice.hash);
    PutLe(&body, slice.crc, 4);
  }
  return body;
}

bool ParsePar2SliceChecksums(const std::string& body, Par2SliceChecksums* checksums) {
  if (body.size() < 16 || (body.size() - 16) % 20 != 0) return false;
  const std::uint8_t* data = Bytes(body);
  checksums->fileId = GetDigest(data);
  checksums->slices.clear();
  for (std::size_t at = 16; at < body.size(); at += 20) {
    checksums->slices.push_back({GetDigest(data + at), static_cast<std::uint32_t>(GetLe(data + at + 16, 4))});
  }
  return true;
}

std::string Par2CreatorBody(const std::string& creator) {
  std::string body = creator;
  PadToWord(&body);
  return body;
}

std::string ParsePar2Creator(const std::string& body) { return Unpadded(body); }

Md5Digest Par2FileId(const Md5Digest& hash16k, std::uint64_t length, const std::string& name) {
  std::string hashed;
  PutDigest(&hashed, hash16k);
  PutLe(&hashed, length, 8);
  hashed += name;
  return Md5Of(hashed.data(), hashed.size());
}

bool Par2IdLess(const Md5Digest& a, const Md5Digest& b) {
  for (int i = 15; i >= 0; --i) {
    if (a[i] != b[i]) return a[i] < b[i];
  }
  return false;
}

}  // namespace parcelo
