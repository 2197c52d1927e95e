// The packets of a PAR 2.0 recovery set over the pieces, the batch file and the info file:
// what each input file records (its File ID, length, MD5, MD5 of its first 16 KiB, and the
// MD5 and CRC-32 of each slice), the Main packet and the set ID it gives, the critical
// packets every file of the set carries, the Creator packet, the recovery packets' headers,
// and the names and make-up of the index and volume files. Window-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "logic/Md5.h"

constexpr size_t PAR2_HEADER_BYTES = 64;
// A recovery packet is its header, the exponent and the slice.
constexpr size_t PAR2_RECOVERY_OVERHEAD = PAR2_HEADER_BYTES + 4;
// The bytes at the start of a file that its second MD5 covers (all of a shorter file).
constexpr uint64_t PAR2_HASHED_START = 16384;

// The packet types as they stand in the header.
enum class Par2PacketType { MAIN, FILE_DESCRIPTION, SLICE_CHECKSUMS, RECOVERY_SLICE, CREATOR, UNICODE_NAME, UNKNOWN };
// The type of the 16 type bytes at type.
Par2PacketType Par2TypeOf(const unsigned char* type);
// The 8 bytes that start every packet.
extern const unsigned char PAR2_MAGIC[8];

struct Par2SliceChecksum {
  Md5Digest md5;  // of the slice, the last one zero-padded to the slice size
  uint32_t crc;   // CRC-32 of the same bytes
};

// What the set records of one input file.
struct Par2FileRecord {
  Md5Digest id;
  std::string name;  // the bytes the File Description holds: the piece name in UTF-8
  uint64_t length = 0;
  Md5Digest md5{}, md5First16k{};
  std::vector<Par2SliceChecksum> slices;  // one per slice: ceil(length / slice size)
};

// MD5(MD5-16k, the length as 8 bytes, the name's bytes).
Md5Digest Par2FileId(const Md5Digest& md5First16k, uint64_t length, std::string_view name);

// Takes what the set records of a file from its bytes as the caller streams them, in any
// chunking: the whole file's MD5, the MD5 of its first 16 KiB, each slice's MD5 and CRC-32.
// Without wholeMd5 the record's MD5 is left zero for the caller, who takes it elsewhere.
class Par2FileDescriber {
 public:
  Par2FileDescriber(std::string name, uint64_t sliceSize, bool wholeMd5 = true);
  void Add(const void* data, size_t length);
  // The record of every byte added (the last slice zero-padded for its checksums).
  Par2FileRecord Finish();

 private:
  void EndSlice();

  Par2FileRecord record_;
  uint64_t sliceSize_;
  bool wholeMd5_;
  Md5 whole_, start_, slice_;
  uint32_t sliceCrc_ = 0;
  uint64_t inSlice_ = 0;  // bytes of the slice being taken
};

// The packets of one set, built once its files are described: the files in the order of
// the Main packet (ascending File IDs read as little-endian numbers), which also numbers
// the input slices, file by file.
class Par2SetPackets {
 public:
  Par2SetPackets(uint64_t sliceSize, std::vector<Par2FileRecord> files);

  uint64_t SliceSize() const { return sliceSize_; }
  const Md5Digest& SetId() const { return setId_; }
  const std::vector<Par2FileRecord>& Files() const { return files_; }
  // Input slices of the whole set; at most MOST_INPUT_SLICES for a set that can be written.
  uint64_t SliceCount() const;

  // Main, then each file's File Description (followed by its Unicode Filename packet when
  // the name is not ASCII), then each file's slice checksums: what the index file holds
  // before its Creator, and what each copy in a volume is.
  const std::string& CriticalPackets() const { return critical_; }
  const std::string& CreatorPacket() const { return creator_; }
  std::string IndexFile() const { return critical_ + creator_; }

  // A recovery packet's MD5 begun with what precedes the slice (set ID, type, exponent):
  // the caller adds the slice's bytes in order and gives the digest to the header.
  Md5 BeginRecoveryPacketMd5(uint32_t exponent) const;
  // The packet's first PAR2_RECOVERY_OVERHEAD bytes, which the slice follows.
  std::string RecoveryPacketHeader(uint32_t exponent, const Md5Digest& packetMd5) const;

 private:
  std::string Packet(Par2PacketType type, const std::string& body) const;

  uint64_t sliceSize_;
  std::vector<Par2FileRecord> files_;
  Md5Digest setId_;
  std::string critical_, creator_;
};

// The name's UTF-16LE bytes, as a Unicode Filename packet holds them; empty when the name
// is ASCII (which needs none) or not well-formed UTF-8 (which no UTF-16 spells).
std::string Utf16NameBytes(std::string_view utf8Name);

// "BASE.par2".
std::string Par2IndexFileName(const std::string& baseName);
// "BASE.volF+C.par2" for the volume of count slices from exponent first on, numbered as
// par2cmdline numbers them: F with as many digits as the set's exponents end (its first
// exponent plus its recovery count) has, C with as many as the largest count of a volume.
std::string Par2VolumeFileName(const std::string& baseName, uint32_t first, uint32_t count, uint32_t exponentsEnd,
                               uint32_t largestCount);
// The copies of the critical packets in a volume of count slices: 1 + floor(log2 count).
uint32_t Par2CriticalCopies(uint32_t count);
// How many of those copies follow the volume's recovery packet number index (from 0):
// spread over the volume, the first after its first packet. The Creator packet ends it.
uint32_t Par2CriticalCopiesAfter(uint32_t index, uint32_t count);
// The bytes of such a volume.
uint64_t Par2VolumeBytes(uint32_t count, uint64_t sliceSize, uint64_t criticalBytes, uint64_t creatorBytes);
