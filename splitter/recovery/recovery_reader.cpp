#include "recovery/recovery_reader.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <set>

#include "recovery/gf16.h"

namespace parcelo {
namespace {

constexpr std::size_t kReadChunk = 1024 * 1024;
// A description or checksum packet is never near this long; a longer length is damage.
constexpr std::uint64_t kLongestPlainPacket = 16u * 1024 * 1024;

struct Gathered {
  bool hasMain = false;
  Par2Main main;
  std::map<Md5Digest, Par2FileDescription> descriptions;
  std::map<Md5Digest, Par2SliceChecksums> checksums;
  std::map<std::uint32_t, RecoveryBlockAt> recovery;
  std::string creator;
  std::set<std::string> files;
};

bool EndsWithPar2(const std::string& name) {
  if (name.size() < 5) return false;
  std::string tail = name.substr(name.size() - 5);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".par2";
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The next place at or after from where a packet's magic starts; size when none.
std::uint64_t NextMagic(RecoveryReadFile& file, std::uint64_t from, std::uint64_t size) {
  std::vector<std::uint8_t> buffer;
  while (from + sizeof kPar2Magic <= size) {
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(64 * 1024, size - from));
    buffer.resize(take);
    if (!file.ReadAt(from, buffer.data(), take)) return size;
    for (std::size_t i = 0; i + sizeof kPar2Magic <= take; ++i) {
      if (std::memcmp(buffer.data() + i, kPar2Magic, sizeof kPar2Magic) == 0) return from + i;
    }
    if (take < sizeof kPar2Magic) return size;
    from += take - (sizeof kPar2Magic - 1);
  }
  return size;
}

// The packet at pos when its MD5 holds; its body (not a recovery block's data, which stays
// in the file) in *body.
bool ReadPacket(RecoveryReadFile& file, std::uint64_t pos, const Par2Header& header,
                std::string* body) {
  const std::uint64_t bodySize = header.length - kPar2HeaderSize;
  const bool keep = header.type != Par2PacketType::RecoverySlice;
  if (keep && bodySize > kLongestPlainPacket) return false;
  if (header.type == Par2PacketType::RecoverySlice && bodySize < 4) return false;
  Md5 md5;
  md5.Update(header.setId.data(), header.setId.size());
  md5.Update(header.typeField.data(), header.typeField.size());
  body->clear();
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(bodySize, kReadChunk)));
  for (std::uint64_t done = 0; done < bodySize;) {
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(bodySize - done, kReadChunk));
    if (!file.ReadAt(pos + kPar2HeaderSize + done, buffer.data(), take)) return false;
    md5.Update(buffer.data(), take);
    if (keep || done == 0) body->append(reinterpret_cast<const char*>(buffer.data()), keep ? take : 4);
    done += take;
  }
  return md5.Final() == header.hash;
}

void ScanFile(const std::string& name, RecoveryReadFile& file, std::map<Md5Digest, Gathered>* sets) {
  const std::uint64_t size = file.Size();
  std::uint64_t pos = 0;
  std::string body;
  while (pos + kPar2HeaderSize <= size) {
    std::uint8_t raw[kPar2HeaderSize];
    Par2Header header;
    if (!file.ReadAt(pos, raw, sizeof raw) || !ParsePar2Header(raw, &header) ||
        header.length > size - pos || !ReadPacket(file, pos, header, &body)) {
      pos = NextMagic(file, pos + 1, size);
      continue;
    }
    Gathered& set = (*sets)[header.setId];
    bool used = true;
    switch (header.type) {
      case Par2PacketType::Main: {
        Par2Main main;
        used = ParsePar2Main(body, &main);
        if (used && !set.hasMain) {
          set.main = main;
          set.hasMain = true;
        }
        break;
      }
      case Par2PacketType::FileDescription: {
        Par2FileDescription description;
        used = ParsePar2FileDescription(body, &description);
        if (used) set.descriptions.emplace(description.fileId, description);
        break;
      }
      case Par2PacketType::SliceChecksums: {
        Par2SliceChecksums checksums;
        used = ParsePar2SliceChecksums(body, &checksums);
        if (used) set.checksums.emplace(checksums.fileId, checksums);
        break;
      }
      case Par2PacketType::RecoverySlice: {
        const auto* data = reinterpret_cast<const std::uint8_t*>(body.data());
        const std::uint32_t exponent = data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t(data[3]) << 24;
        set.recovery.emplace(exponent, RecoveryBlockAt{name, pos + kPar2HeaderSize + 4, exponent});
        break;
      }
      case Par2PacketType::Creator:
        set.creator = ParsePar2Creator(body);
        break;
      case Par2PacketType::Other:
        break;
    }
    if (used) set.files.insert(name);
    pos += header.length;
  }
}

// Reads size bytes of a piece's block into buffer, zeros after them up to the block size.
bool ReadBlock(RecoveryReadFile& file, std::uint64_t offset, std::uint64_t size,
               std::vector<std::uint8_t>* buffer) {
  std::fill(buffer->begin(), buffer->end(), 0);
  return size == 0 || file.ReadAt(offset, buffer->data(), static_cast<std::size_t>(size));
}

std::uint64_t BlockLength(const RecoverySetPiece& piece, std::uint32_t block, std::uint64_t blockSize) {
  return std::min<std::uint64_t>(blockSize, piece.size - std::uint64_t(block) * blockSize);
}

void CheckPiece(RecoverySource& folder, const std::vector<std::string>& names, std::uint64_t blockSize,
                RecoverySetPiece* piece) {
  piece->goodBlocks.assign(piece->blocks, false);
  piece->badBlocks = piece->blocks;
  for (const std::string& name : names) {
    if (name == piece->name) piece->foundAs = name;
  }
  for (std::size_t i = 0; piece->foundAs.empty() && i < names.size(); ++i) {
    if (SameNameIgnoringCase(names[i], piece->name)) piece->foundAs = names[i];
  }
  std::unique_ptr<RecoveryReadFile> file =
      piece->foundAs.empty() ? nullptr : folder.Open(piece->foundAs);
  if (file == nullptr) {
    piece->foundAs.clear();
    piece->condition = PieceCondition::Missing;
    return;
  }
  const std::uint64_t actual = file->Size();
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(blockSize, kReadChunk)));
  Md5 whole;
  bool wholeRead = actual >= piece->size;
  for (std::uint32_t b = 0; b < piece->blocks; ++b) {
    const std::uint64_t start = std::uint64_t(b) * blockSize;
    const std::uint64_t length = BlockLength(*piece, b, blockSize);
    if (start + length > actual) {
      wholeRead = false;
      continue;
    }
    Md5 md5;
    bool read = true;
    for (std::uint64_t done = 0; read && done < blockSize;) {
      const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize - done, buffer.size()));
      if (done < length) {
        const std::size_t real = static_cast<std::size_t>(std::min<std::uint64_t>(take, length - done));
        std::fill(buffer.begin(), buffer.end(), 0);
        read = file->ReadAt(start + done, buffer.data(), real);
        whole.Update(buffer.data(), real);
      } else {
        std::fill(buffer.begin(), buffer.end(), 0);
      }
      md5.Update(buffer.data(), take);
      done += take;
    }
    if (!read) {
      wholeRead = false;
      continue;
    }
    if (md5.Final() == piece->checksums.slices[b].hash) {
      piece->goodBlocks[b] = true;
      --piece->badBlocks;
    }
  }
  const bool sound = piece->badBlocks == 0 && actual == piece->size && wholeRead &&
                     whole.Final() == piece->description.hash;
  piece->condition = sound ? PieceCondition::Complete : PieceCondition::Damaged;
}

RecoverySetState CheckSet(RecoverySource& folder, const std::vector<std::string>& names,
                          const Md5Digest& id, const Gathered& gathered) {
  RecoverySetState set;
  set.id = id;
  set.creator = gathered.creator;
  set.files.assign(gathered.files.begin(), gathered.files.end());
  for (const auto& entry : gathered.recovery) set.recovery.push_back(entry.second);
  if (!gathered.hasMain) {
    set.problem = "The set's main packet is missing or damaged.";
    return set;
  }
  set.blockSize = gathered.main.sliceSize;
  std::uint32_t first = 0;
  set.described = true;
  for (const Md5Digest& fileId : gathered.main.fileIds) {
    RecoverySetPiece piece;
    const auto description = gathered.descriptions.find(fileId);
    const auto checksums = gathered.checksums.find(fileId);
    if (description == gathered.descriptions.end() || checksums == gathered.checksums.end()) {
      set.described = false;
      set.problem = "The description of a file in the set is missing or damaged.";
      set.pieces.push_back(piece);
      continue;
    }
    piece.description = description->second;
    piece.checksums = checksums->second;
    piece.name = piece.description.name;
    piece.size = piece.description.length;
    const std::uint64_t blocks = (piece.size + set.blockSize - 1) / set.blockSize;
    if (blocks != piece.checksums.slices.size() || first + blocks > 32768) {
      set.described = false;
      set.problem = "The slice checksums of " + piece.name + " do not match its length.";
      set.pieces.push_back(piece);
      continue;
    }
    piece.blocks = static_cast<std::uint32_t>(blocks);
    piece.firstBlock = first;
    first += piece.blocks;
    set.pieces.push_back(piece);
  }
  if (!set.described) return set;
  for (RecoverySetPiece& piece : set.pieces) {
    CheckPiece(folder, names, set.blockSize, &piece);
    set.missingBlocks += piece.badBlocks;
  }
  return set;
}

// The inverse of the square matrix m (rows of columns); false when it has none.
bool Invert(std::vector<std::vector<std::uint16_t>>* matrix) {
  std::vector<std::vector<std::uint16_t>>& m = *matrix;
  const std::size_t n = m.size();
  std::vector<std::vector<std::uint16_t>> inverse(n, std::vector<std::uint16_t>(n, 0));
  for (std::size_t i = 0; i < n; ++i) inverse[i][i] = 1;
  for (std::size_t col = 0; col < n; ++col) {
    std::size_t pivot = col;
    while (pivot < n && m[pivot][col] == 0) ++pivot;
    if (pivot == n) return false;
    std::swap(m[pivot], m[col]);
    std::swap(inverse[pivot], inverse[col]);
    const std::uint16_t scale = GfDivide(1, m[col][col]);
    for (std::size_t k = 0; k < n; ++k) {
      m[col][k] = GfMultiply(m[col][k], scale);
      inverse[col][k] = GfMultiply(inverse[col][k], scale);
    }
    for (std::size_t row = 0; row < n; ++row) {
      const std::uint16_t factor = m[row][col];
      if (row == col || factor == 0) continue;
      for (std::size_t k = 0; k < n; ++k) {
        m[row][k] ^= GfMultiply(factor, m[col][k]);
        inverse[row][k] ^= GfMultiply(factor, inverse[col][k]);
      }
    }
  }
  m.swap(inverse);
  return true;
}

struct OpenFiles {
  RecoverySource& folder;
  std::map<std::string, std::unique_ptr<RecoveryReadFile>> files;
  RecoveryReadFile* Get(const std::string& name) {
    std::unique_ptr<RecoveryReadFile>& file = files[name];
    if (file == nullptr) file = folder.Open(name);
    return file.get();
  }
  void Drop(const std::string& name) { files.erase(name); }
};

// Lost blocks rebuilt together: as many as fit the memory beside the one block read at a
// time, and never fewer than one.
std::uint64_t RepairGroup(std::uint64_t blockSize, std::uint64_t memoryLimit) {
  const std::uint64_t blocks = blockSize == 0 ? 2 : memoryLimit / blockSize;
  return blocks > 2 ? blocks - 1 : 1;
}

// A lost block: its index in the set and where it belongs.
struct Lost {
  std::uint32_t index;
  std::size_t piece;
  std::uint32_t block;
};

// Rebuilds lost[first..end) into (*blocks)[0..) from the recovery blocks and every good
// block, and checks each against its checksum.
bool RebuildGroup(const RecoverySetState& set, const std::vector<Lost>& lost,
                  const std::vector<std::vector<std::uint16_t>>& inverse, std::size_t first,
                  std::size_t end, OpenFiles& files, std::vector<std::vector<std::uint8_t>>* blocks,
                  std::vector<std::uint8_t>* buffer, std::string* problem) {
  const std::size_t m = lost.size();
  const std::size_t blockSize = buffer->size();
  const std::size_t count = end - first;
  for (std::size_t k = 0; k < count; ++k) std::fill((*blocks)[k].begin(), (*blocks)[k].end(), 0);
  for (std::size_t j = 0; j < m; ++j) {
    RecoveryReadFile* file = files.Get(set.recovery[j].file);
    if (file == nullptr || !ReadBlock(*file, set.recovery[j].offset, blockSize, buffer)) {
      *problem = "Cannot read " + set.recovery[j].file + ".";
      return false;
    }
    for (std::size_t k = 0; k < count; ++k) {
      GfMultiplyAdd(inverse[first + k][j], buffer->data(), (*blocks)[k].data(), blockSize);
    }
  }
  std::vector<std::uint16_t> powers(m);
  for (const RecoverySetPiece& piece : set.pieces) {
    for (std::uint32_t b = 0; b < piece.blocks; ++b) {
      if (!piece.goodBlocks[b]) continue;
      RecoveryReadFile* file = files.Get(piece.foundAs);
      if (file == nullptr || !ReadBlock(*file, std::uint64_t(b) * blockSize,
                                        BlockLength(piece, b, blockSize), buffer)) {
        *problem = "Cannot read " + piece.foundAs + ".";
        return false;
      }
      const std::uint16_t constant = InputSliceConstant(piece.firstBlock + b);
      for (std::size_t j = 0; j < m; ++j) powers[j] = GfPower(constant, set.recovery[j].exponent);
      for (std::size_t k = 0; k < count; ++k) {
        std::uint16_t weight = 0;
        for (std::size_t j = 0; j < m; ++j) weight ^= GfMultiply(inverse[first + k][j], powers[j]);
        GfMultiplyAdd(weight, buffer->data(), (*blocks)[k].data(), blockSize);
      }
    }
  }
  for (std::size_t k = 0; k < count; ++k) {
    const RecoverySetPiece& piece = set.pieces[lost[first + k].piece];
    if (Md5Of((*blocks)[k].data(), blockSize) != piece.checksums.slices[lost[first + k].block].hash) {
      *problem = "A rebuilt block of " + piece.name + " does not match its checksum.";
      return false;
    }
  }
  return true;
}

// The pieces that are not complete, written in the set's order as their lost blocks are
// rebuilt: a piece whose lost blocks come in several groups stays open between them.
struct PieceOutput {
  const RecoverySetState& set;
  const std::vector<Lost>& lost;
  OpenFiles& files;
  RecoverySink& out;
  std::vector<std::string>& rebuilt;
  std::string& problem;
  std::size_t piece = 0;
  std::uint32_t block = 0;
  bool open = false;
  std::size_t next = 0;  // into lost
  Md5 whole;

  // Writes on until the next lost block is end (or past it); the group's blocks, from
  // first, are in blocks.
  bool WriteUpTo(std::size_t end, std::size_t first,
                 const std::vector<std::vector<std::uint8_t>>& blocks,
                 std::vector<std::uint8_t>* buffer) {
    const std::size_t blockSize = buffer->size();
    for (; piece < set.pieces.size(); ++piece, block = 0) {
      const RecoverySetPiece& p = set.pieces[piece];
      if (p.condition == PieceCondition::Complete) continue;
      const std::string name = p.foundAs.empty() ? p.name : p.foundAs;
      if (!open) {
        if (!out.Create(name)) {
          problem = "Cannot create " + name + ".";
          return false;
        }
        open = true;
        whole = Md5();
      }
      for (; block < p.blocks; ++block) {
        const std::uint64_t length = BlockLength(p, block, blockSize);
        const std::uint8_t* data;
        if (p.goodBlocks[block]) {
          RecoveryReadFile* file = files.Get(p.foundAs);
          if (file == nullptr || !ReadBlock(*file, std::uint64_t(block) * blockSize, length, buffer)) {
            problem = "Cannot rebuild " + name + ".";
            return false;
          }
          data = buffer->data();
        } else {
          if (next >= end) return true;
          data = blocks[next++ - first].data();
        }
        whole.Update(data, static_cast<std::size_t>(length));
        if (!out.Write(data, static_cast<std::size_t>(length))) {
          problem = "Cannot rebuild " + name + ".";
          return false;
        }
      }
      if (whole.Final() != p.description.hash) {
        problem = "Cannot rebuild " + name + ".";
        return false;
      }
      // The old file goes at Close, which a system cannot do while it is open here.
      files.Drop(p.foundAs);
      open = false;
      if (!out.Close()) {
        problem = "Cannot write " + name + ".";
        return false;
      }
      rebuilt.push_back(name);
    }
    return true;
  }

  void Abandon() {
    if (open) out.Discard();
    open = false;
  }
};

}  // namespace

std::vector<RecoverySetState> FindRecoverySets(RecoverySource& folder) {
  const std::vector<std::string> names = folder.Names();
  std::map<Md5Digest, Gathered> sets;
  for (const std::string& name : names) {
    std::unique_ptr<RecoveryReadFile> file = folder.Open(name);
    if (file == nullptr) continue;
    char magic[sizeof kPar2Magic];
    const bool starts = file->Size() >= sizeof magic && file->ReadAt(0, magic, sizeof magic) &&
                        std::memcmp(magic, kPar2Magic, sizeof magic) == 0;
    if (starts || EndsWithPar2(name)) ScanFile(name, *file, &sets);
  }
  std::vector<RecoverySetState> found;
  for (const auto& entry : sets) {
    // Packets of a set that left no main packet and no description cover nothing.
    if (!entry.second.hasMain && entry.second.descriptions.empty()) continue;
    found.push_back(CheckSet(folder, names, entry.first, entry.second));
  }
  return found;
}

std::uint64_t RepairMemory(const RecoverySetState& set, std::uint64_t memoryLimit) {
  if (set.missingBlocks == 0) return 0;
  const std::uint64_t group = std::min<std::uint64_t>(set.missingBlocks, RepairGroup(set.blockSize, memoryLimit));
  const std::uint64_t matrix = 2 * std::uint64_t(set.missingBlocks) * set.missingBlocks * sizeof(std::uint16_t);
  return (group + 1) * set.blockSize + matrix;
}

bool RepairRecoverySet(RecoverySource& folder, const RecoverySetState& set, RecoverySink& out,
                       std::vector<std::string>* rebuilt, std::string* problem,
                       std::uint64_t memoryLimit) {
  rebuilt->clear();
  if (!set.described) {
    *problem = set.problem;
    return false;
  }
  if (!set.CanRepair()) {
    *problem = std::to_string(-set.Spare()) + " more recovery blocks are needed.";
    return false;
  }
  const std::size_t blockSize = static_cast<std::size_t>(set.blockSize);
  std::vector<Lost> lost;
  for (std::size_t p = 0; p < set.pieces.size(); ++p) {
    const RecoverySetPiece& piece = set.pieces[p];
    for (std::uint32_t b = 0; b < piece.blocks; ++b) {
      if (!piece.goodBlocks[b]) lost.push_back({piece.firstBlock + b, p, b});
    }
  }
  const std::size_t m = lost.size();
  // Recovery block e is the sum over the set's blocks d_i of c_i^e d_i: the lost ones are
  // the solution of m of those equations.
  std::vector<std::vector<std::uint16_t>> matrix(m, std::vector<std::uint16_t>(m));
  for (std::size_t j = 0; j < m; ++j) {
    for (std::size_t k = 0; k < m; ++k) {
      matrix[j][k] = GfPower(InputSliceConstant(lost[k].index), set.recovery[j].exponent);
    }
  }
  if (m > 0 && !Invert(&matrix)) {
    *problem = "The recovery blocks found cannot rebuild these blocks.";
    return false;
  }
  OpenFiles files{folder, {}};
  PieceOutput output{set, lost, files, out, *rebuilt, *problem, 0, 0, false, 0, Md5()};
  const std::size_t group = static_cast<std::size_t>(std::min<std::uint64_t>(
      std::max<std::size_t>(m, 1), RepairGroup(set.blockSize, memoryLimit)));
  std::vector<std::vector<std::uint8_t>> rebuiltBlocks(std::min(group, m), std::vector<std::uint8_t>(blockSize));
  std::vector<std::uint8_t> buffer(blockSize);
  std::size_t first = 0;
  do {
    // The lost blocks first..end are rebuilt by one more pass over what is left.
    const std::size_t end = std::min(m, first + group);
    if (end > first && !RebuildGroup(set, lost, matrix, first, end, files, &rebuiltBlocks, &buffer, problem)) {
      output.Abandon();
      return false;
    }
    if (!output.WriteUpTo(end, first, rebuiltBlocks, &buffer)) {
      output.Abandon();
      return false;
    }
    first = end;
  } while (first < m);
  return true;
}

}  // namespace parcelo
