#include "logic/Par2Reader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "logic/Galois16.h"

namespace {

constexpr size_t BUFFER_BYTES = 1 << 20;
// The longest packet other than a recovery slice that is read: the slice checksums of
// 32,768 slices take 640 KiB, a Main packet of as many files 512 KiB.
constexpr uint64_t MOST_PACKET_BYTES = 1 << 20;
// The most bytes of packets (and, for each recovery slice, of its record) kept at once.
constexpr uint64_t MOST_KEPT_BYTES = uint64_t{32} << 20;
constexpr uint64_t RECOVERY_RECORD_BYTES = 64;

uint64_t LoadLittle(const unsigned char* bytes, int width) {
  uint64_t value = 0;
  for (int at = width; at-- > 0;) value = value << 8 | bytes[at];
  return value;
}

Md5Digest DigestAt(const unsigned char* bytes) {
  Md5Digest digest;
  std::memcpy(digest.data(), bytes, digest.size());
  return digest;
}

const unsigned char* Bytes(const std::string& text) { return reinterpret_cast<const unsigned char*>(text.data()); }

// A Main packet's body that says what a Main packet must: a slice size that is a positive
// multiple of 4, and as many distinct File IDs as its count, in a body of whole IDs.
bool IsSoundMain(const std::string& body) {
  if (body.size() < 12 || (body.size() - 12) % 16 != 0) return false;
  const uint64_t sliceSize = LoadLittle(Bytes(body), 8);
  const uint64_t count = LoadLittle(Bytes(body) + 8, 4);
  if (sliceSize == 0 || sliceSize % 4 != 0 || count > (body.size() - 12) / 16) return false;
  std::vector<Md5Digest> ids(count);
  for (uint64_t at = 0; at < count; ++at) ids[at] = DigestAt(Bytes(body) + 12 + 16 * at);
  if (count > 1)
    std::qsort(ids.data(), ids.size(), sizeof(Md5Digest),
               [](const void* a, const void* b) { return std::memcmp(a, b, sizeof(Md5Digest)); });
  return std::adjacent_find(ids.begin(), ids.end()) == ids.end();
}

bool IsSoundBody(Par2PacketType type, const std::string& body) {
  switch (type) {
    case Par2PacketType::MAIN: return IsSoundMain(body);
    case Par2PacketType::FILE_DESCRIPTION: return body.size() >= 56;
    case Par2PacketType::SLICE_CHECKSUMS: return body.size() >= 16 && (body.size() - 16) % 20 == 0;
    case Par2PacketType::UNICODE_NAME: return body.size() >= 16;
    default: return false;
  }
}

void StripTrailing(std::string& text, size_t unit) {
  while (text.size() >= unit && std::all_of(text.end() - unit, text.end(), [](char byte) { return byte == 0; }))
    text.resize(text.size() - unit);
}

}  // namespace

// The bytes of a source seen through one buffer: a run of them is read again only when it
// does not lie in what was read last.
class Par2ScanBuffer {
 public:
  explicit Par2ScanBuffer(Par2ByteSource& source)
      : source_(source), length_(source.Length()),
        bytes_(static_cast<size_t>(std::min<uint64_t>(BUFFER_BYTES, length_))) {}

  uint64_t Length() const { return length_; }
  // count bytes (at most BUFFER_BYTES, within the file) from offset; null when the read failed.
  const unsigned char* At(uint64_t offset, size_t count) {
    if (offset < start_ || offset + count > start_ + filled_) {
      start_ = offset;
      filled_ = static_cast<size_t>(std::min<uint64_t>(BUFFER_BYTES, length_ - offset));
      if (!source_.Read(offset, bytes_.data(), filled_)) {
        filled_ = 0;
        return nullptr;
      }
    }
    return bytes_.data() + (offset - start_);
  }

 private:
  Par2ByteSource& source_;
  uint64_t length_, start_ = 0;
  size_t filled_ = 0;
  std::vector<unsigned char> bytes_;
};

bool Par2Reader::Scan(Par2ByteSource& source, uint32_t file) {
  Par2ScanBuffer buffer(source);
  const uint64_t length = buffer.Length();
  uint64_t at = 0;
  while (length - at >= PAR2_HEADER_BYTES) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(BUFFER_BYTES, length - at));
    const unsigned char* bytes = buffer.At(at, count);
    if (!bytes) return false;
    const unsigned char* found = std::search(bytes, bytes + count, PAR2_MAGIC, PAR2_MAGIC + sizeof PAR2_MAGIC);
    if (found == bytes + count) {
      // The last 7 bytes may start a magic that the next read completes.
      if (at + count == length) break;
      at += count - (sizeof PAR2_MAGIC - 1);
      continue;
    }
    const uint64_t start = at + static_cast<uint64_t>(found - bytes);
    if (length - start < PAR2_HEADER_BYTES) break;
    unsigned char header[PAR2_HEADER_BYTES];
    const unsigned char* headerBytes = buffer.At(start, sizeof header);
    if (!headerBytes) return false;
    std::memcpy(header, headerBytes, sizeof header);
    bool readFailed = false;
    const uint64_t packetLength = LoadLittle(header + 8, 8);
    const bool taken = Take(buffer, file, start, header, readFailed);
    if (readFailed) return false;
    at = taken ? start + packetLength : start + 1;
  }
  return true;
}

// Whether the packet at offset is sound (sane length, matching MD5); it is kept when it is
// one of the set's.
bool Par2Reader::Take(Par2ScanBuffer& buffer, uint32_t file, uint64_t offset, const unsigned char* header,
                      bool& readFailed) {
  const uint64_t length = LoadLittle(header + 8, 8);
  if (length < PAR2_HEADER_BYTES || length % 4 != 0 || length > buffer.Length() - offset) return false;
  const Md5Digest setId = DigestAt(header + 32);
  const Par2PacketType type = Par2TypeOf(header + 48);
  if (!Belongs(setId)) return false;
  const bool recovery = type == Par2PacketType::RECOVERY_SLICE;
  if (recovery ? length < PAR2_RECOVERY_OVERHEAD || (sliceSize_ != 0 && length != PAR2_RECOVERY_OVERHEAD + sliceSize_)
               : length > MOST_PACKET_BYTES)
    return false;
  // The MD5 of everything after the MD5 field; the bodies of kept types are copied on the way.
  const bool keepsBody = !recovery && type != Par2PacketType::CREATOR && type != Par2PacketType::UNKNOWN;
  std::string body;
  Md5 md5;
  for (uint64_t at = offset + 32; at < offset + length;) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(BUFFER_BYTES, offset + length - at));
    const unsigned char* bytes = buffer.At(at, count);
    if (!bytes) return !(readFailed = true);
    md5.Add(bytes, count);
    if (keepsBody) {
      const uint64_t bodyStart = offset + PAR2_HEADER_BYTES;
      const size_t skipped = at < bodyStart ? static_cast<size_t>(std::min<uint64_t>(bodyStart - at, count)) : 0;
      body.append(reinterpret_cast<const char*>(bytes) + skipped, count - skipped);
    }
    at += count;
  }
  if (md5.Finish() != DigestAt(header + 16)) return false;
  if (recovery) {
    const unsigned char* exponent = buffer.At(offset + PAR2_HEADER_BYTES, 4);
    if (!exponent) return !(readFailed = true);
    Kept slice{setId, type, {}, {}, {static_cast<uint32_t>(LoadLittle(exponent, 4)), file, offset + PAR2_RECOVERY_OVERHEAD},
               length - PAR2_RECOVERY_OVERHEAD};
    std::memcpy(slice.id.data(), exponent, 4);
    Keep(std::move(slice));
  } else if (keepsBody && IsSoundBody(type, body)) {
    if (type == Par2PacketType::MAIN && !setId_) ChooseSet(setId);
    const Md5Digest id = type == Par2PacketType::MAIN ? Md5Digest{} : DigestAt(Bytes(body));
    Keep({setId, type, id, std::move(body), {}, 0});
  }
  return true;
}

void Par2Reader::Keep(Kept packet) {
  const uint64_t bytes = packet.type == Par2PacketType::RECOVERY_SLICE ? RECOVERY_RECORD_BYTES : packet.body.size();
  if (keptBytes_ + bytes > MOST_KEPT_BYTES || Find(packet.setId, packet.type, packet.id)) return;
  if (packet.type == Par2PacketType::MAIN) sliceSize_ = LoadLittle(Bytes(packet.body), 8);
  keptBytes_ += bytes;
  kept_.push_back(std::move(packet));
  if (2 * kept_.size() > slots_.size()) return Index();
  const Kept& added = kept_.back();
  slots_[Slot(added.setId, added.type, added.id)] = static_cast<uint32_t>(kept_.size());
}

// The slot of the key: where its packet's number stands, or the free slot where it would go.
// The hash is the key's MD5, which packets crafted to collide cannot steer cheaply.
size_t Par2Reader::Slot(const Md5Digest& setId, Par2PacketType type, const Md5Digest& id) const {
  unsigned char key[33];
  std::memcpy(key, setId.data(), 16);
  key[16] = static_cast<unsigned char>(type);
  std::memcpy(key + 17, id.data(), 16);
  const Md5Digest hash = Md5Of(key, sizeof key);
  const size_t mask = slots_.size() - 1;
  for (size_t slot = static_cast<size_t>(LoadLittle(hash.data(), 4)) & mask;; slot = (slot + 1) & mask) {
    if (slots_[slot] == 0) return slot;
    const Kept& kept = kept_[slots_[slot] - 1];
    if (kept.type == type && kept.id == id && kept.setId == setId) return slot;
  }
}

const Par2Reader::Kept* Par2Reader::Find(const Md5Digest& setId, Par2PacketType type, const Md5Digest& id) const {
  if (slots_.empty()) return nullptr;
  const uint32_t number = slots_[Slot(setId, type, id)];
  return number ? &kept_[number - 1] : nullptr;
}

// A table of slots (a power of two, at least four times the packets kept) filled anew.
void Par2Reader::Index() {
  size_t size = 16;
  while (size < 4 * kept_.size()) size *= 2;
  slots_.assign(size, 0);
  for (size_t number = 0; number < kept_.size(); ++number)
    slots_[Slot(kept_[number].setId, kept_[number].type, kept_[number].id)] = static_cast<uint32_t>(number + 1);
}

// The set is chosen: what was kept of other sets goes.
void Par2Reader::ChooseSet(const Md5Digest& setId) {
  setId_ = setId;
  std::vector<Kept> others = std::move(kept_);
  kept_.clear();
  slots_.clear();
  keptBytes_ = 0;
  for (Kept& packet : others)
    if (packet.setId == setId) Keep(std::move(packet));
  Index();
}

Par2SetDescription Par2Reader::Describe() const {
  Par2SetDescription set;
  if (!setId_) return set;
  const Kept* main = Find(*setId_, Par2PacketType::MAIN, Md5Digest{});
  if (!main) return set;
  set.found = true;
  set.setId = *setId_;
  const unsigned char* mainBody = Bytes(main->body);
  set.sliceSize = LoadLittle(mainBody, 8);
  const uint64_t fileCount = LoadLittle(mainBody + 8, 4);
  bool allDescribed = true;
  uint64_t sliceCount = 0;
  for (uint64_t at = 0; at < fileCount; ++at) {
    Par2InputFile file;
    file.id = DigestAt(mainBody + 12 + 16 * at);
    if (const Kept* description = Find(*setId_, Par2PacketType::FILE_DESCRIPTION, file.id)) {
      const unsigned char* body = Bytes(description->body);
      file.described = true;
      file.md5 = DigestAt(body + 16);
      file.md5First16k = DigestAt(body + 32);
      file.length = LoadLittle(body + 48, 8);
      file.name = description->body.substr(56);
      StripTrailing(file.name, 1);
      const uint64_t slices = file.length / set.sliceSize + (file.length % set.sliceSize != 0);
      file.sliceCount = static_cast<uint32_t>(std::min<uint64_t>(slices, MOST_INPUT_SLICES + 1));
      sliceCount += file.sliceCount;
    }
    allDescribed = allDescribed && file.described;
    const Kept* checksums = Find(*setId_, Par2PacketType::SLICE_CHECKSUMS, file.id);
    if (file.described && checksums && (checksums->body.size() - 16) / 20 == file.sliceCount) {
      file.checksummed = true;
      for (uint32_t slice = 0; slice < file.sliceCount; ++slice) {
        const unsigned char* entry = Bytes(checksums->body) + 16 + 20 * slice;
        file.slices.push_back({DigestAt(entry), static_cast<uint32_t>(LoadLittle(entry + 16, 4))});
      }
    }
    if (const Kept* unicode = Find(*setId_, Par2PacketType::UNICODE_NAME, file.id)) {
      file.utf16Name = unicode->body.substr(16);
      file.utf16Name.resize(file.utf16Name.size() & ~size_t{1});
      StripTrailing(file.utf16Name, 2);
    }
    set.files.push_back(std::move(file));
  }
  set.usable = allDescribed && sliceCount <= MOST_INPUT_SLICES;
  if (set.usable) {
    set.sliceCount = static_cast<uint32_t>(sliceCount);
    uint32_t first = 0;
    for (Par2InputFile& file : set.files) file.firstSlice = first, first += file.sliceCount;
  }
  for (const Kept& packet : kept_)
    if (packet.type == Par2PacketType::RECOVERY_SLICE && packet.setId == *setId_ && packet.dataLength == set.sliceSize)
      set.recoverySlices.push_back(packet.record);
  if (set.recoverySlices.size() > 1)
    std::qsort(set.recoverySlices.data(), set.recoverySlices.size(), sizeof(Par2RecoveryRecord),
               [](const void* a, const void* b) {
                 const uint32_t first = static_cast<const Par2RecoveryRecord*>(a)->exponent;
                 const uint32_t second = static_cast<const Par2RecoveryRecord*>(b)->exponent;
                 return first < second ? -1 : first > second ? 1 : 0;
               });
  return set;
}
