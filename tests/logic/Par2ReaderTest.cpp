// Reading a recovery set: a set written by the program read back from its index and volume
// files, packets found at any offset among garbage and damage, other sets' packets left
// aside, and hostile packets that must neither be taken nor crash the reader.
#include <doctest/doctest.h>

#include <cstring>
#include <string>
#include <vector>

#include "logic/Par2Reader.h"
#include "logic/Par2Recovery.h"

namespace {

class MemorySource : public Par2ByteSource {
 public:
  explicit MemorySource(std::string bytes, uint64_t failFrom = UINT64_MAX)
      : bytes_(std::move(bytes)), failFrom_(failFrom) {}
  uint64_t Length() const override { return bytes_.size(); }
  bool Read(uint64_t offset, void* buffer, size_t count) override {
    REQUIRE(offset + count <= bytes_.size());  // the reader never reads past the end
    if (offset + count > failFrom_) return false;
    std::memcpy(buffer, bytes_.data() + offset, count);
    return true;
  }

 private:
  std::string bytes_;
  uint64_t failFrom_;
};

std::string Little(uint64_t value, int width) {
  std::string bytes;
  for (int at = 0; at < width; ++at) bytes += static_cast<char>(value >> (8 * at));
  return bytes;
}

// A packet of any set, type and body, with the length it claims and a right MD5.
std::string CraftedPacket(const std::string& setId, const std::string& type, const std::string& body,
                          uint64_t claimedLength = 0) {
  const std::string covered = setId + type + body;
  const Md5Digest md5 = Md5Of(covered.data(), covered.size());
  return std::string("PAR2\0PKT", 8) + Little(claimedLength ? claimedLength : 32 + covered.size(), 8) +
         std::string(md5.begin(), md5.end()) + covered;
}

Md5Digest DigestAt(const std::string& bytes) {
  Md5Digest digest;
  std::memcpy(digest.data(), bytes.data(), digest.size());
  return digest;
}

const std::string MAIN_TYPE("PAR 2.0\0Main\0\0\0\0", 16);
const std::string FOREIGN_SET(16, 'F');

Par2FileRecord Described(const std::string& name, const std::string& bytes, uint64_t sliceSize) {
  Par2FileDescriber describer(name, sliceSize);
  describer.Add(bytes.data(), bytes.size());
  return describer.Finish();
}

// A written set: three files, slices of 12 bytes, an index file and a volume of 3 slices.
struct WrittenSet {
  std::vector<std::string> contents = {"first file, thirty bytes long", "second", std::string(40, 'z')};
  Par2SetPackets packets{12, {Described("a.000", contents[0], 12), Described("a.001", contents[1], 12),
                              Described("a.002", contents[2], 12)}};
  std::string index = packets.IndexFile();
  std::string volume;
  std::vector<std::string> recovery;

  WrittenSet() {
    RecoveryEncoder encoder(4, 3, 12);
    encoder.StartStrip(12);
    uint32_t slice = 0;
    for (const Par2FileRecord& file : packets.Files()) {
      const std::string& bytes = contents[file.name.back() - '0'];
      for (size_t at = 0; at < bytes.size(); at += 12, ++slice)
        encoder.AddInputSlice(slice, reinterpret_cast<const unsigned char*>(bytes.data()) + at,
                              std::min<size_t>(12, bytes.size() - at));
    }
    for (uint32_t k = 0; k < 3; ++k) {
      recovery.emplace_back(reinterpret_cast<const char*>(encoder.Strip(k)), 12);
      Md5 md5 = packets.BeginRecoveryPacketMd5(4 + k);
      md5.Add(recovery.back().data(), 12);
      volume += packets.RecoveryPacketHeader(4 + k, md5.Finish()) + recovery.back();
      for (uint32_t copy = Par2CriticalCopiesAfter(k, 3); copy > 0; --copy) volume += packets.CriticalPackets();
    }
    volume += packets.CreatorPacket();
  }
};

Par2SetDescription Read(const std::vector<std::string>& files) {
  Par2Reader reader;
  for (size_t file = 0; file < files.size(); ++file) {
    MemorySource source(files[file]);
    CHECK(reader.Scan(source, static_cast<uint32_t>(file)));
  }
  return reader.Describe();
}

}  // namespace

TEST_CASE("a set the program wrote reads back: files in Main order, their checksums, and where each recovery slice lies") {
  const WrittenSet written;
  for (const auto& files : {std::vector<std::string>{written.index, written.volume},
                            std::vector<std::string>{written.volume}}) {
    const Par2SetDescription set = Read(files);
    REQUIRE(set.usable);
    CHECK(set.setId == written.packets.SetId());
    CHECK(set.sliceSize == 12);
    CHECK(set.sliceCount == 3 + 1 + 4);
    REQUIRE(set.files.size() == 3);
    uint32_t first = 0;
    for (size_t at = 0; at < 3; ++at) {
      const Par2FileRecord& expected = written.packets.Files()[at];
      const Par2InputFile& file = set.files[at];
      CHECK(file.id == expected.id);
      CHECK(file.name == expected.name);
      CHECK(file.length == expected.length);
      CHECK(file.md5 == expected.md5);
      CHECK(file.md5First16k == expected.md5First16k);
      CHECK(file.checksummed);
      CHECK(file.firstSlice == first);
      REQUIRE(file.slices.size() == expected.slices.size());
      for (size_t slice = 0; slice < file.slices.size(); ++slice) {
        CHECK(file.slices[slice].md5 == expected.slices[slice].md5);
        CHECK(file.slices[slice].crc == expected.slices[slice].crc);
      }
      first += file.sliceCount;
    }
    REQUIRE(set.recoverySlices.size() == 3);
    for (uint32_t k = 0; k < 3; ++k) {
      const Par2RecoveryRecord& slice = set.recoverySlices[k];
      CHECK(slice.exponent == 4 + k);
      CHECK(slice.file == files.size() - 1);
      CHECK(files.back().substr(slice.dataOffset, 12) == written.recovery[k]);
    }
  }
}

TEST_CASE("packets are found at any offset, among garbage, damage and another set's packets") {
  const WrittenSet written;
  std::string damaged = written.index;
  damaged[100] ^= 1;  // in the Main packet's body: its MD5 no longer matches
  const std::string foreignMain = CraftedPacket(FOREIGN_SET, MAIN_TYPE, Little(8, 8) + Little(0, 4));
  const std::string file = "xyz" + damaged + std::string(1001, '\0') + "PAR2\0PK" + written.packets.CriticalPackets() +
                           "q" + foreignMain + written.volume.substr(0, 80) + "PAR2" + written.volume + "12";
  const Par2SetDescription set = Read({file});
  REQUIRE(set.usable);
  CHECK(set.setId == written.packets.SetId());
  CHECK(set.files.size() == 3);
  REQUIRE(set.recoverySlices.size() == 3);
  CHECK(file.substr(set.recoverySlices[1].dataOffset, 12) == written.recovery[1]);

  // The set the caller names is read instead.
  Par2Reader reader(DigestAt(FOREIGN_SET));
  MemorySource source(file);
  CHECK(reader.Scan(source, 0));
  const Par2SetDescription foreign = reader.Describe();
  CHECK(foreign.usable);
  CHECK(foreign.files.empty());
  CHECK(foreign.recoverySlices.empty());

  // The first Main packet found chooses the set: the foreign one here.
  CHECK(Read({foreignMain + written.index}).setId == DigestAt(FOREIGN_SET));
  // A packet across the edge of the reader's buffer of 1 MiB.
  for (size_t offset : {(1u << 20) - 5, (1u << 20) - 64, (1u << 20) - 1000}) {
    CAPTURE(offset);
    const Par2SetDescription far = Read({std::string(offset, 'P') + written.index + std::string(70, 'P')});
    CHECK(far.usable);
  }
}

TEST_CASE("hostile and broken packets are left out without a crash") {
  const WrittenSet written;
  const std::string id(16, 'I');
  const struct {
    const char* what;
    std::string body;
  } unsoundMains[] = {
      {"a count beyond the IDs listed", Little(8, 8) + Little(3, 4) + id + id},
      {"IDs cut short", Little(8, 8) + Little(1, 4) + id.substr(0, 12)},
      {"a slice size of 0", Little(0, 8) + Little(1, 4) + id},
      {"a slice size that is no multiple of 4", Little(6, 8) + Little(1, 4) + id},
      {"the same ID twice", Little(8, 8) + Little(2, 4) + id + id},
      {"a count near 2^32", Little(8, 8) + Little(0xFFFFFFFF, 4) + id},
  };
  for (const auto& main : unsoundMains) {
    CAPTURE(main.what);
    CHECK_FALSE(Read({CraftedPacket(FOREIGN_SET, MAIN_TYPE, main.body)}).found);
  }

  // Lengths that no packet has: near 2^64, beyond the file, below a header, not a multiple of 4.
  for (uint64_t length : {UINT64_MAX - 3, UINT64_MAX - 63, uint64_t{1} << 63, uint64_t{100000}, uint64_t{60},
                          uint64_t{0}, uint64_t{110}}) {
    CAPTURE(length);
    std::string packet = CraftedPacket(FOREIGN_SET, MAIN_TYPE, Little(8, 8) + Little(1, 4) + id);
    packet.replace(8, 8, Little(length, 8));
    CHECK_FALSE(Read({packet + std::string(200, '\0')}).found);
  }

  // A Main packet without its File Descriptions: found, but nothing can be checked.
  const std::string& critical = written.packets.CriticalPackets();
  const uint64_t mainLength = 64 + 12 + 3 * 16;
  const Par2SetDescription bare = Read({critical.substr(0, mainLength)});
  CHECK(bare.found);
  CHECK_FALSE(bare.usable);
  REQUIRE(bare.files.size() == 3);
  CHECK_FALSE(bare.files[0].described);
  CHECK_FALSE(bare.files[0].checksummed);

  // Slice checksums that do not fit the file's length, recovery data of another slice size.
  const std::string setId(reinterpret_cast<const char*>(written.packets.SetId().data()), 16);
  const Md5Digest& firstId = written.packets.Files()[0].id;
  const std::string shortChecksums = CraftedPacket(setId, std::string("PAR 2.0\0IFSC\0\0\0\0", 16),
                                                   std::string(firstId.begin(), firstId.end()) + std::string(20, 'c'));
  const std::string longerSlice = CraftedPacket(setId, std::string("PAR 2.0\0RecvSlic", 16), Little(9, 4) + std::string(16, 'r'));
  const Par2SetDescription mixed = Read({shortChecksums + longerSlice + written.index});
  REQUIRE(mixed.usable);
  CHECK_FALSE(mixed.files[0].checksummed);
  CHECK(mixed.files[1].checksummed);
  CHECK(mixed.recoverySlices.empty());

  // A read that fails: the scan says so and keeps what it found before.
  Par2Reader reader;
  MemorySource failing(written.index + std::string(3 << 20, 'x') + written.volume, (2u << 20));
  CHECK_FALSE(reader.Scan(failing, 0));
  CHECK(reader.Describe().usable);
}

TEST_CASE("a set of many files reads back whole from two copies of its packets") {
  std::vector<Par2FileRecord> records;
  for (int file = 0; file < 300; ++file)
    records.push_back(Described("many." + std::to_string(file), std::string(1 + file % 20, char('a' + file % 26)), 8));
  const Par2SetPackets set(8, records);
  // The critical packets twice: each packet's copy is a repeat that is left aside.
  const Par2SetDescription read = Read({set.CriticalPackets() + set.CriticalPackets()});
  REQUIRE(read.usable);
  REQUIRE(read.files.size() == 300);
  size_t wrong = 0;
  for (size_t at = 0; at < 300; ++at)
    wrong += read.files[at].name != set.Files()[at].name || !read.files[at].checksummed ||
             read.files[at].slices.size() != set.Files()[at].slices.size();
  CHECK(wrong == 0);
  CHECK(read.sliceCount == set.SliceCount());
}
