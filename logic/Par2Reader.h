// Reads a PAR 2.0 recovery set from its files: finds the packets by their magic bytes,
// takes those whose length is sane and whose MD5 matches, keeps the packets of one set
// (the set of the first valid Main packet, or the one the caller names) and leaves
// unknown types, repeats and other sets' packets aside. Recovery slices are remembered by
// where their data lies, never held. Memory stays bounded whatever the files hold: a read
// buffer of 1 MiB and at most 32 MiB of packets. Window-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "logic/Md5.h"
#include "logic/Par2Packets.h"

// A file of the set as the reader sees it: read at any offset.
class Par2ByteSource {
 public:
  virtual ~Par2ByteSource() = default;
  virtual uint64_t Length() const = 0;
  // Reads count bytes at offset (within the length) into buffer; false when it cannot.
  virtual bool Read(uint64_t offset, void* buffer, size_t count) = 0;
};

// Where an intact recovery slice's data lies.
struct Par2RecoveryRecord {
  uint32_t exponent;
  uint32_t file;        // the number the caller gave the file when scanning it
  uint64_t dataOffset;  // of the slice's first byte in that file
};

// An input file of the set, in the Main packet's order.
struct Par2InputFile {
  Md5Digest id{};
  bool described = false;    // its File Description was found
  bool checksummed = false;  // its slice checksums were found, one per slice of its length
  std::string name;          // the File Description's name bytes, trailing zeros stripped
  std::string utf16Name;     // UTF-16LE bytes of a Unicode Filename packet; empty when none
  uint64_t length = 0;
  Md5Digest md5{}, md5First16k{};
  std::vector<Par2SliceChecksum> slices;
  uint32_t firstSlice = 0;  // the set's number of its first slice (when the set is usable)
  uint32_t sliceCount = 0;  // ceil(length / slice size) (when described)
};

struct Par2SetDescription {
  bool found = false;   // a Main packet of the set
  bool usable = false;  // found, every file described, at most MOST_INPUT_SLICES slices
  Md5Digest setId{};
  uint64_t sliceSize = 0;
  std::vector<Par2InputFile> files;
  uint32_t sliceCount = 0;                        // input slices of the set, when usable
  std::vector<Par2RecoveryRecord> recoverySlices;  // of the slice size, ascending exponents, one each
};

class Par2Reader {
 public:
  Par2Reader() = default;                                      // the set of the first valid Main packet
  explicit Par2Reader(const Md5Digest& setId) : setId_(setId) {}  // this set alone

  // Takes the packets of one file, which the caller numbers (recovery records name it).
  // False when a read failed; the packets before it are kept.
  bool Scan(Par2ByteSource& source, uint32_t file);
  // What the files scanned so far say of the set.
  Par2SetDescription Describe() const;

 private:
  // A packet kept: the first sound one of its set, type and File ID (or exponent).
  struct Kept {
    Md5Digest setId;
    Par2PacketType type;
    Md5Digest id;      // the File ID; zeros for Main; the exponent in the first 4 bytes for a recovery slice
    std::string body;  // of a critical packet
    Par2RecoveryRecord record;  // of a recovery slice, with the length of its data
    uint64_t dataLength;
  };

  bool Take(class Par2ScanBuffer& buffer, uint32_t file, uint64_t offset, const unsigned char* header, bool& readFailed);
  // Keeps a packet unless one of its key is kept already or the memory bound is reached.
  void Keep(Kept packet);
  const Kept* Find(const Md5Digest& setId, Par2PacketType type, const Md5Digest& id) const;
  size_t Slot(const Md5Digest& setId, Par2PacketType type, const Md5Digest& id) const;
  void Index();
  void ChooseSet(const Md5Digest& setId);
  bool Belongs(const Md5Digest& setId) const { return !setId_ || *setId_ == setId; }

  std::optional<Md5Digest> setId_;
  uint64_t sliceSize_ = 0;  // of the set's Main packet, once found
  std::vector<Kept> kept_;
  // The kept packets' numbers plus 1 (0 for none) by their key's hash, at most half full.
  std::vector<uint32_t> slots_;
  uint64_t keptBytes_ = 0;
};
