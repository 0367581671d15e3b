#include "recovery/recovery_writer.h"

#include <algorithm>
#include <cstring>

#include "checksums/crc32.h"
#include "recovery/gf16.h"

namespace parcelo {
namespace {

// How much of each held slice goes into a recovery block at a time: the recovery block's
// part stays in the processor's cache while every held slice is added to it.
constexpr std::size_t kStep = 16 * 1024;

const std::uint8_t kZeros[4096] = {};

void PadSlice(Md5* md5, std::uint32_t* crc, std::uint64_t count) {
  while (count > 0) {
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(count, sizeof kZeros));
    md5->Update(kZeros, take);
    *crc = Crc32Update(*crc, kZeros, take);
    count -= take;
  }
}

std::string Le32(std::uint32_t value) {
  std::string text;
  for (int i = 0; i < 4; ++i) text.push_back(static_cast<char>(value >> (8 * i)));
  return text;
}

}  // namespace

Md5Digest PieceStartHash(const void* head, std::size_t headSize) {
  return Md5Of(head, std::min(headSize, kPieceStartSize));
}

RecoveryWriter::RecoveryWriter(const RecoveryPlan& plan, std::vector<RecoveryPieceStart> pieces,
                               std::string creator, std::size_t pass)
    : plan_(plan), creator_(std::move(creator)) {
  pass_ = pass < plan_.passes.size()
              ? plan_.passes[pass]
              : RecoveryPass{0, static_cast<std::uint32_t>(plan_.volumes.size())};
  for (std::uint32_t v = pass_.firstVolume; v < pass_.firstVolume + pass_.volumeCount; ++v) {
    if (v == pass_.firstVolume) firstExponent_ = plan_.volumes[v].firstExponent;
    count_ += plan_.volumes[v].count;
  }
  for (RecoveryPieceStart& start : pieces) {
    Piece piece;
    piece.fileId = Par2FileId(start.hash16k, start.size, start.name);
    piece.slices.fileId = piece.fileId;
    piece.start = std::move(start);
    pieces_.push_back(std::move(piece));
  }
  for (std::size_t i = 0; i < pieces_.size(); ++i) order_.push_back(i);
  std::sort(order_.begin(), order_.end(), [this](std::size_t a, std::size_t b) {
    return Par2IdLess(pieces_[a].fileId, pieces_[b].fileId);
  });
  Par2Main main;
  main.sliceSize = plan_.blockSize;
  std::uint32_t block = 0;
  for (std::size_t i : order_) {
    pieces_[i].firstBlock = block;
    block += static_cast<std::uint32_t>((pieces_[i].start.size + plan_.blockSize - 1) / plan_.blockSize);
    main.fileIds.push_back(pieces_[i].fileId);
  }
  const std::string body = Par2MainBody(main);
  setId_ = Md5Of(body.data(), body.size());
  recovery_.assign(static_cast<std::size_t>(count_ * plan_.blockSize), 0);
  held_.assign(static_cast<std::size_t>(plan_.heldSlices * plan_.blockSize), 0);
  while (piece_ < pieces_.size() && pieces_[piece_].start.size == 0) ++piece_;
}

void RecoveryWriter::Feed(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    if (piece_ >= pieces_.size()) {
      overrun_ = true;
      return;
    }
    Piece& piece = pieces_[piece_];
    const std::uint64_t sliceLeft = std::min(plan_.blockSize - sliceOffset_, piece.start.size - pieceOffset_);
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(size, sliceLeft));
    std::memcpy(held_.data() + heldIndexes_.size() * plan_.blockSize + sliceOffset_, bytes, take);
    piece.whole.Update(bytes, take);
    if (pieceOffset_ < kPieceStartSize) {
      piece.head.Update(bytes, static_cast<std::size_t>(std::min<std::uint64_t>(take, kPieceStartSize - pieceOffset_)));
    }
    sliceMd5_.Update(bytes, take);
    sliceCrc_ = Crc32Update(sliceCrc_, bytes, take);
    sliceOffset_ += take;
    pieceOffset_ += take;
    bytes += take;
    size -= take;
    if (sliceOffset_ == plan_.blockSize || pieceOffset_ == piece.start.size) EndSlice();
  }
}

void RecoveryWriter::AddHeld() {
  const std::size_t held = heldIndexes_.size();
  if (held == 0) return;
  const std::size_t blockSize = static_cast<std::size_t>(plan_.blockSize);
  const std::uint32_t count = count_;
  // factors[e * held + h]: the constant of held slice h to the power firstExponent_ + e.
  std::vector<std::uint16_t> factors(std::size_t(count) * held);
  for (std::size_t h = 0; h < held; ++h) {
    const std::uint16_t constant = InputSliceConstant(heldIndexes_[h]);
    std::uint16_t factor = 1;
    for (std::uint32_t e = 0; e < firstExponent_; ++e) factor = GfMultiply(factor, constant);
    for (std::uint32_t e = 0; e < count; ++e) {
      factors[e * held + h] = factor;
      factor = GfMultiply(factor, constant);
    }
  }
  for (std::size_t at = 0; at < blockSize; at += kStep) {
    const std::size_t length = std::min(kStep, blockSize - at);
    for (std::uint32_t e = 0; e < count; ++e) {
      std::uint8_t* target = recovery_.data() + e * blockSize + at;
      for (std::size_t h = 0; h < held; ++h) {
        GfMultiplyAdd(factors[e * held + h], held_.data() + h * blockSize + at, target, length);
      }
    }
  }
  heldIndexes_.clear();
}

void RecoveryWriter::EndSlice() {
  Piece& piece = pieces_[piece_];
  // Past a piece's end the slice is zeros.
  std::uint8_t* slot = held_.data() + heldIndexes_.size() * plan_.blockSize;
  std::memset(slot + sliceOffset_, 0, static_cast<std::size_t>(plan_.blockSize - sliceOffset_));
  heldIndexes_.push_back(piece.firstBlock + slice_);
  if (heldIndexes_.size() == plan_.heldSlices) AddHeld();
  PadSlice(&sliceMd5_, &sliceCrc_, plan_.blockSize - sliceOffset_);
  piece.slices.slices.push_back({sliceMd5_.Final(), sliceCrc_});
  sliceMd5_ = Md5();
  sliceCrc_ = 0;
  sliceOffset_ = 0;
  ++slice_;
  if (pieceOffset_ == piece.start.size) {
    pieceOffset_ = 0;
    slice_ = 0;
    ++piece_;
    while (piece_ < pieces_.size() && pieces_[piece_].start.size == 0) ++piece_;
  }
}

std::string RecoveryWriter::CriticalPackets() const {
  Par2Main main;
  main.sliceSize = plan_.blockSize;
  std::string packets;
  for (std::size_t i : order_) main.fileIds.push_back(pieces_[i].fileId);
  packets += Par2Packet(setId_, Par2PacketType::Main, Par2MainBody(main));
  for (std::size_t i : order_) {
    const Piece& piece = pieces_[i];
    Par2FileDescription file;
    file.fileId = piece.fileId;
    file.hash = piece.hash;
    file.hash16k = piece.start.hash16k;
    file.length = piece.start.size;
    file.name = piece.start.name;
    packets += Par2Packet(setId_, Par2PacketType::FileDescription, Par2FileDescriptionBody(file));
    packets += Par2Packet(setId_, Par2PacketType::SliceChecksums, Par2SliceChecksumsBody(piece.slices));
  }
  return packets;
}

bool RecoveryWriter::WriteFile(RecoverySink& sink, const std::string& name,
                               std::uint32_t firstExponent, std::uint32_t count,
                               std::string* problem) {
  if (!sink.Create(name)) {
    *problem = "Cannot create " + name + ".";
    return false;
  }
  bool ok = true;
  const std::string type = Par2TypeField(Par2PacketType::RecoverySlice);
  for (std::uint32_t e = firstExponent; ok && e < firstExponent + count; ++e) {
    const std::uint8_t* block = recovery_.data() + (e - firstExponent_) * plan_.blockSize;
    const std::string exponent = Le32(e);
    Md5 md5;
    md5.Update(setId_.data(), setId_.size());
    md5.Update(type.data(), type.size());
    md5.Update(exponent.data(), exponent.size());
    md5.Update(block, static_cast<std::size_t>(plan_.blockSize));
    const Md5Digest hash = md5.Final();
    std::string header(kPar2Magic, sizeof kPar2Magic);
    const std::uint64_t length = kPar2HeaderSize + 4 + plan_.blockSize;
    for (int i = 0; i < 8; ++i) header.push_back(static_cast<char>(length >> (8 * i)));
    header.append(reinterpret_cast<const char*>(hash.data()), hash.size());
    header.append(reinterpret_cast<const char*>(setId_.data()), setId_.size());
    header += type;
    header += exponent;
    ok = sink.Write(header.data(), header.size()) &&
         sink.Write(block, static_cast<std::size_t>(plan_.blockSize));
  }
  ok = ok && sink.Write(tail_.data(), tail_.size());
  if (!ok) sink.Discard();
  if (!ok || !sink.Close()) {
    *problem = "Cannot write " + name + ".";
    return false;
  }
  return true;
}

bool RecoveryWriter::Finish(RecoverySink& sink, std::string* problem) {
  if (overrun_ || piece_ < pieces_.size()) {
    *problem = "The pieces' bytes were not as many as their sizes.";
    return false;
  }
  AddHeld();
  for (Piece& piece : pieces_) {
    if (piece.head.Final() != piece.start.hash16k) {
      *problem = "The first bytes of " + piece.start.name + " are not those it was described with.";
      return false;
    }
    piece.hash = piece.whole.Final();
  }
  tail_ = CriticalPackets() +
          Par2Packet(setId_, Par2PacketType::Creator, Par2CreatorBody(creator_));
  if (pass_.firstVolume == 0 && !WriteFile(sink, plan_.indexName, 0, 0, problem)) return false;
  for (std::uint32_t v = pass_.firstVolume; v < pass_.firstVolume + pass_.volumeCount; ++v) {
    const RecoveryVolume& volume = plan_.volumes[v];
    if (!WriteFile(sink, volume.name, volume.firstExponent, volume.count, problem)) return false;
  }
  return true;
}

std::vector<std::uint64_t> RecoveryFileSizes(const RecoveryPlan& plan,
                                             const std::vector<RecoveryPieceStart>& pieces,
                                             const std::string& creator) {
  // A packet's size hangs on its counts and names alone, not on the hashes in it.
  Par2Main main;
  main.fileIds.resize(pieces.size());
  std::uint64_t tail = kPar2HeaderSize + Par2MainBody(main).size() + kPar2HeaderSize +
                       Par2CreatorBody(creator).size();
  for (const RecoveryPieceStart& piece : pieces) {
    Par2FileDescription file;
    file.name = piece.name;
    file.length = piece.size;
    Par2SliceChecksums checksums;
    checksums.slices.resize(static_cast<std::size_t>((piece.size + plan.blockSize - 1) / plan.blockSize));
    tail += 2 * kPar2HeaderSize + Par2FileDescriptionBody(file).size() +
            Par2SliceChecksumsBody(checksums).size();
  }
  std::vector<std::uint64_t> sizes{tail};
  for (const RecoveryVolume& volume : plan.volumes) {
    sizes.push_back(tail + volume.count * (kPar2HeaderSize + 4 + plan.blockSize));
  }
  return sizes;
}

}  // namespace parcelo
