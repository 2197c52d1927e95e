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
    unsigned char exponent[4];
    const unsigned char* bytes = buffer.At(offset + PAR2_HEADER_BYTES, 4);
    if (!bytes) return !(readFailed = true);
    std::memcpy(exponent, bytes, 4);
    KeepRecovery(setId, {static_cast<uint32_t>(LoadLittle(exponent, 4)), file, offset + PAR2_RECOVERY_OVERHEAD},
                 length - PAR2_RECOVERY_OVERHEAD);
  } else if (keepsBody && IsSoundBody(type, body)) {
    Keep(setId, type, std::move(body));
  }
  return true;
}

void Par2Reader::Keep(const Md5Digest& setId, Par2PacketType type, std::string body) {
  if (type == Par2PacketType::MAIN && !setId_) ChooseSet(setId);
  const Md5Digest id = type == Par2PacketType::MAIN ? Md5Digest{} : DigestAt(Bytes(body));
  const Key key{setId, type, id};
  if (keptBytes_ + body.size() > MOST_KEPT_BYTES || packets_.count(key)) return;
  if (type == Par2PacketType::MAIN) sliceSize_ = LoadLittle(Bytes(body), 8);
  keptBytes_ += body.size();
  packets_.emplace(key, std::move(body));
}

void Par2Reader::KeepRecovery(const Md5Digest& setId, const Par2RecoveryRecord& record, uint64_t dataLength) {
  const auto key = std::make_tuple(setId, record.exponent);
  if (keptBytes_ + RECOVERY_RECORD_BYTES > MOST_KEPT_BYTES || recovery_.count(key)) return;
  keptBytes_ += RECOVERY_RECORD_BYTES;
  recovery_.emplace(key, std::make_pair(record, dataLength));
}

// The set is chosen: what was kept of other sets goes.
void Par2Reader::ChooseSet(const Md5Digest& setId) {
  setId_ = setId;
  keptBytes_ = 0;
  for (auto packet = packets_.begin(); packet != packets_.end();) {
    if (std::get<0>(packet->first) != setId) packet = packets_.erase(packet);
    else keptBytes_ += (packet++)->second.size();
  }
  for (auto slice = recovery_.begin(); slice != recovery_.end();) {
    if (std::get<0>(slice->first) != setId) slice = recovery_.erase(slice);
    else ++slice, keptBytes_ += RECOVERY_RECORD_BYTES;
  }
}

Par2SetDescription Par2Reader::Describe() const {
  Par2SetDescription set;
  if (!setId_) return set;
  const auto main = packets_.find(Key{*setId_, Par2PacketType::MAIN, Md5Digest{}});
  if (main == packets_.end()) return set;
  set.found = true;
  set.setId = *setId_;
  const unsigned char* mainBody = Bytes(main->second);
  set.sliceSize = LoadLittle(mainBody, 8);
  const uint64_t fileCount = LoadLittle(mainBody + 8, 4);
  bool allDescribed = true;
  uint64_t sliceCount = 0;
  for (uint64_t at = 0; at < fileCount; ++at) {
    Par2InputFile file;
    file.id = DigestAt(mainBody + 12 + 16 * at);
    const auto description = packets_.find(Key{*setId_, Par2PacketType::FILE_DESCRIPTION, file.id});
    if (description != packets_.end()) {
      const unsigned char* body = Bytes(description->second);
      file.described = true;
      file.md5 = DigestAt(body + 16);
      file.md5First16k = DigestAt(body + 32);
      file.length = LoadLittle(body + 48, 8);
      file.name = description->second.substr(56);
      StripTrailing(file.name, 1);
      const uint64_t slices = file.length / set.sliceSize + (file.length % set.sliceSize != 0);
      file.sliceCount = static_cast<uint32_t>(std::min<uint64_t>(slices, MOST_INPUT_SLICES + 1));
      sliceCount += file.sliceCount;
    }
    allDescribed = allDescribed && file.described;
    const auto checksums = packets_.find(Key{*setId_, Par2PacketType::SLICE_CHECKSUMS, file.id});
    if (file.described && checksums != packets_.end() && (checksums->second.size() - 16) / 20 == file.sliceCount) {
      file.checksummed = true;
      for (uint32_t slice = 0; slice < file.sliceCount; ++slice) {
        const unsigned char* entry = Bytes(checksums->second) + 16 + 20 * slice;
        file.slices.push_back({DigestAt(entry), static_cast<uint32_t>(LoadLittle(entry + 16, 4))});
      }
    }
    const auto unicode = packets_.find(Key{*setId_, Par2PacketType::UNICODE_NAME, file.id});
    if (unicode != packets_.end()) {
      file.utf16Name = unicode->second.substr(16);
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
  for (const auto& [key, slice] : recovery_)
    if (std::get<0>(key) == *setId_ && slice.second == set.sliceSize) set.recoverySlices.push_back(slice.first);
  return set;
}
