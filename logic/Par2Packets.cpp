#include "logic/Par2Packets.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "logic/Crc32.h"

const unsigned char PAR2_MAGIC[8] = {'P', 'A', 'R', '2', 0, 'P', 'K', 'T'};

namespace {

// The 16 type bytes of each known packet type, in the order of Par2PacketType.
constexpr char TYPE_BYTES[][17] = {"PAR 2.0\0Main\0\0\0\0", "PAR 2.0\0FileDesc", "PAR 2.0\0IFSC\0\0\0\0",
                                   "PAR 2.0\0RecvSlic", "PAR 2.0\0Creator\0", "PAR 2.0\0UniFileN"};
constexpr const char* CREATOR_TEXT = "Created by Parvola 95";

void AppendLittle(std::string& bytes, uint64_t value, int width) {
  for (int at = 0; at < width; ++at) bytes += static_cast<char>(value >> (8 * at));
}

void AppendDigest(std::string& bytes, const Md5Digest& digest) {
  bytes.append(reinterpret_cast<const char*>(digest.data()), digest.size());
}

// Zero bytes up to the next multiple of 4.
void PadToFour(std::string& bytes) { bytes.append((4 - bytes.size() % 4) % 4, '\0'); }

// A file's ID and its place among the files described, sorted by the C library's qsort.
struct IdAndPlace {
  Md5Digest id;
  size_t place;
};

// The order of File IDs in the Main packet: as 128-bit little-endian numbers, so the last
// byte counts most.
int CompareLittleEndian(const void* a, const void* b) {
  const Md5Digest& first = static_cast<const IdAndPlace*>(a)->id;
  const Md5Digest& second = static_cast<const IdAndPlace*>(b)->id;
  for (size_t at = first.size(); at-- > 0;)
    if (first[at] != second[at]) return first[at] < second[at] ? -1 : 1;
  return 0;
}

size_t DecimalDigits(uint32_t value) {
  size_t digits = 1;
  for (; value >= 10; value /= 10) ++digits;
  return digits;
}

std::string ZeroPadded(uint32_t value, size_t digits) {
  std::string text = std::to_string(value);
  return std::string(digits > text.size() ? digits - text.size() : 0, '0') + text;
}

}  // namespace

Par2PacketType Par2TypeOf(const unsigned char* type) {
  for (size_t known = 0; known < std::size(TYPE_BYTES); ++known)
    if (std::memcmp(type, TYPE_BYTES[known], 16) == 0) return static_cast<Par2PacketType>(known);
  return Par2PacketType::UNKNOWN;
}

Md5Digest Par2FileId(const Md5Digest& md5First16k, uint64_t length, std::string_view name) {
  std::string bytes;
  AppendDigest(bytes, md5First16k);
  AppendLittle(bytes, length, 8);
  bytes.append(name);
  return Md5Of(bytes.data(), bytes.size());
}

Par2FileDescriber::Par2FileDescriber(std::string name, uint64_t sliceSize, bool wholeMd5)
    : sliceSize_(sliceSize), wholeMd5_(wholeMd5) {
  record_.name = std::move(name);
}

void Par2FileDescriber::Add(const void* data, size_t length) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  if (wholeMd5_) whole_.Add(bytes, length);
  if (record_.length < PAR2_HASHED_START)
    start_.Add(bytes, static_cast<size_t>(std::min<uint64_t>(length, PAR2_HASHED_START - record_.length)));
  record_.length += length;
  while (length > 0) {
    const size_t taken = static_cast<size_t>(std::min<uint64_t>(length, sliceSize_ - inSlice_));
    slice_.Add(bytes, taken);
    sliceCrc_ = Crc32Update(sliceCrc_, bytes, taken);
    bytes += taken, length -= taken, inSlice_ += taken;
    if (inSlice_ == sliceSize_) EndSlice();
  }
}

void Par2FileDescriber::EndSlice() {
  record_.slices.push_back({slice_.Finish(), sliceCrc_});
  sliceCrc_ = 0;
  inSlice_ = 0;
}

Par2FileRecord Par2FileDescriber::Finish() {
  if (inSlice_ > 0) {
    const unsigned char zeros[1024] = {};
    for (uint64_t left = sliceSize_ - inSlice_; left > 0;) {
      const size_t taken = static_cast<size_t>(std::min<uint64_t>(left, sizeof zeros));
      slice_.Add(zeros, taken);
      sliceCrc_ = Crc32Update(sliceCrc_, zeros, taken);
      left -= taken;
    }
    EndSlice();
  }
  if (wholeMd5_) record_.md5 = whole_.Finish();
  record_.md5First16k = start_.Finish();
  record_.id = Par2FileId(record_.md5First16k, record_.length, record_.name);
  return std::move(record_);
}

Par2SetPackets::Par2SetPackets(uint64_t sliceSize, std::vector<Par2FileRecord> files) : sliceSize_(sliceSize) {
  std::vector<IdAndPlace> order(files.size());
  for (size_t place = 0; place < files.size(); ++place) order[place] = {files[place].id, place};
  if (order.size() > 1) std::qsort(order.data(), order.size(), sizeof(IdAndPlace), CompareLittleEndian);
  for (const IdAndPlace& file : order) files_.push_back(std::move(files[file.place]));
  std::string main;
  AppendLittle(main, sliceSize_, 8);
  AppendLittle(main, files_.size(), 4);
  for (const Par2FileRecord& file : files_) AppendDigest(main, file.id);
  setId_ = Md5Of(main.data(), main.size());

  critical_ = Packet(Par2PacketType::MAIN, main);
  for (const Par2FileRecord& file : files_) {
    std::string description;
    AppendDigest(description, file.id);
    AppendDigest(description, file.md5);
    AppendDigest(description, file.md5First16k);
    AppendLittle(description, file.length, 8);
    description += file.name;
    critical_ += Packet(Par2PacketType::FILE_DESCRIPTION, description);
    const std::string utf16 = Utf16NameBytes(file.name);
    if (!utf16.empty()) {
      std::string unicode;
      AppendDigest(unicode, file.id);
      critical_ += Packet(Par2PacketType::UNICODE_NAME, unicode + utf16);
    }
  }
  for (const Par2FileRecord& file : files_) {
    std::string checksums;
    AppendDigest(checksums, file.id);
    for (const Par2SliceChecksum& slice : file.slices) {
      AppendDigest(checksums, slice.md5);
      AppendLittle(checksums, slice.crc, 4);
    }
    critical_ += Packet(Par2PacketType::SLICE_CHECKSUMS, checksums);
  }
  creator_ = Packet(Par2PacketType::CREATOR, CREATOR_TEXT);
}

uint64_t Par2SetPackets::SliceCount() const {
  uint64_t count = 0;
  for (const Par2FileRecord& file : files_) count += file.slices.size();
  return count;
}

// The header: magic, length, MD5 of all that follows it, set ID and type; then the body.
std::string Par2SetPackets::Packet(Par2PacketType type, const std::string& body) const {
  std::string covered;
  AppendDigest(covered, setId_);
  covered.append(TYPE_BYTES[static_cast<size_t>(type)], 16);
  covered += body;
  PadToFour(covered);
  std::string packet(reinterpret_cast<const char*>(PAR2_MAGIC), sizeof PAR2_MAGIC);
  AppendLittle(packet, 32 + covered.size(), 8);
  AppendDigest(packet, Md5Of(covered.data(), covered.size()));
  return packet + covered;
}

Md5 Par2SetPackets::BeginRecoveryPacketMd5(uint32_t exponent) const {
  std::string start;
  AppendDigest(start, setId_);
  start.append(TYPE_BYTES[static_cast<size_t>(Par2PacketType::RECOVERY_SLICE)], 16);
  AppendLittle(start, exponent, 4);
  Md5 md5;
  md5.Add(start.data(), start.size());
  return md5;
}

std::string Par2SetPackets::RecoveryPacketHeader(uint32_t exponent, const Md5Digest& packetMd5) const {
  std::string header(reinterpret_cast<const char*>(PAR2_MAGIC), sizeof PAR2_MAGIC);
  AppendLittle(header, PAR2_RECOVERY_OVERHEAD + sliceSize_, 8);
  AppendDigest(header, packetMd5);
  AppendDigest(header, setId_);
  header.append(TYPE_BYTES[static_cast<size_t>(Par2PacketType::RECOVERY_SLICE)], 16);
  AppendLittle(header, exponent, 4);
  return header;
}

// Each letter of the UTF-8 text decoded (shortest forms only, no surrogates) and written as
// one or two UTF-16 units.
std::string Utf16NameBytes(std::string_view utf8Name) {
  if (std::all_of(utf8Name.begin(), utf8Name.end(), [](char byte) { return (byte & 0x80) == 0; })) return {};
  std::string units;
  for (size_t at = 0; at < utf8Name.size();) {
    const auto lead = static_cast<unsigned char>(utf8Name[at]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                                          : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
    if (length == 0 || at + length > utf8Name.size()) return {};
    uint32_t letter = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t next = 1; next < length; ++next) {
      const auto byte = static_cast<unsigned char>(utf8Name[at + next]);
      if ((byte & 0xC0) != 0x80) return {};
      letter = letter << 6 | (byte & 0x3F);
    }
    const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (letter < least[length] || letter > 0x10FFFF || (letter >= 0xD800 && letter < 0xE000)) return {};
    if (letter >= 0x10000) {
      AppendLittle(units, 0xD800 + ((letter - 0x10000) >> 10), 2);
      letter = 0xDC00 + ((letter - 0x10000) & 0x3FF);
    }
    AppendLittle(units, letter, 2);
    at += length;
  }
  return units;
}

std::string Par2IndexFileName(const std::string& baseName) { return baseName + ".par2"; }

std::string Par2VolumeFileName(const std::string& baseName, uint32_t first, uint32_t count, uint32_t exponentsEnd,
                               uint32_t largestCount) {
  return baseName + ".vol" + ZeroPadded(first, DecimalDigits(exponentsEnd)) + "+" +
         ZeroPadded(count, DecimalDigits(largestCount)) + ".par2";
}

uint32_t Par2CriticalCopies(uint32_t count) {
  uint32_t copies = 1;
  for (; count > 1; count >>= 1) ++copies;
  return copies;
}

// Copy j follows recovery packet floor(j * count / copies).
uint32_t Par2CriticalCopiesAfter(uint32_t index, uint32_t count) {
  const uint32_t copies = Par2CriticalCopies(count);
  uint32_t after = 0;
  for (uint32_t copy = 0; copy < copies; ++copy) after += uint64_t{copy} * count / copies == index;
  return after;
}

uint64_t Par2VolumeBytes(uint32_t count, uint64_t sliceSize, uint64_t criticalBytes, uint64_t creatorBytes) {
  return count * (PAR2_RECOVERY_OVERHEAD + sliceSize) + Par2CriticalCopies(count) * criticalBytes + creatorBytes;
}
