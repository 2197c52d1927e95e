// The packets of a recovery set: the worked example of two files byte for byte (hashes,
// File IDs, their order, set ID, packet sizes), the Unicode name, and the volume files'
// names and make-up as par2cmdline makes them.
#include <doctest/doctest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "logic/Par2Packets.h"

namespace {

std::string Hex(const void* data, size_t length) {
  std::string text;
  char pair[3];
  for (size_t at = 0; at < length; ++at)
    std::snprintf(pair, sizeof pair, "%02x", static_cast<const unsigned char*>(data)[at]), text += pair;
  return text;
}
std::string Hex(const Md5Digest& digest) { return Hex(digest.data(), digest.size()); }

// The record of a file fed to the describer in pieces of step bytes.
Par2FileRecord Described(const std::string& name, const std::string& bytes, uint64_t sliceSize, size_t step) {
  Par2FileDescriber describer(name, sliceSize);
  for (size_t at = 0; at < bytes.size(); at += step) describer.Add(bytes.data() + at, std::min(step, bytes.size() - at));
  return describer.Finish();
}

}  // namespace

TEST_CASE("the packets of the worked example: P.000 and P.001 with slices of 8 bytes") {
  for (size_t step : {1, 5, 100}) {
    CAPTURE(step);
    const Par2FileRecord first = Described("P.000", "ABCDEFGHIJKL", 8, step);
    CHECK(Hex(first.md5) == "2b0dc568e588e46a5a7cd56dcec348af");
    CHECK(first.md5First16k == first.md5);
    CHECK(first.length == 12);
    CHECK(Hex(first.id) == "81626287007772fa933f307e7859c824");
    REQUIRE(first.slices.size() == 2);
    CHECK(first.slices[0].crc == 0x68dcb61c);
    CHECK(first.slices[1].crc == 0x4b17637f);  // IJKL and four zero bytes
    CHECK(first.slices[1].md5 == Md5Of("IJKL\0\0\0\0", 8));
    const Par2FileRecord second = Described("P.001", "xyz", 8, step);
    CHECK(Hex(second.id) == "c4e5a9dea6998e3e5976548d2a99740d");
    REQUIRE(second.slices.size() == 1);
    CHECK(second.slices[0].crc == 0xc9deee13);

    const Par2SetPackets set(8, {first, second});
    // Ascending as little-endian numbers: P.001's ID ends in 0x0d, P.000's in 0x24.
    REQUIRE(set.Files().size() == 2);
    CHECK(set.Files()[0].name == "P.001");
    CHECK(set.SliceCount() == 3);
    CHECK(Hex(set.SetId()) == "f744060435cf509ee2c2d4fcfe5b99fd");
    const std::string index = set.IndexFile();
    CHECK(Hex(index.data(), 64) ==
          "5041523200504b546c00000000000000b70a1c4aaaa24983b6e751678091bd6c"
          "f744060435cf509ee2c2d4fcfe5b99fd50415220322e30004d61696e00000000");
    // Main 108, two File Descriptions of 128, slice checksums of 100 and 120 bytes.
    CHECK(set.CriticalPackets().size() == 108 + 2 * 128 + 100 + 120);
    CHECK(set.CreatorPacket().size() == 64 + 24);  // "Created by Parvola 95" padded to 24
    CHECK(index.substr(index.size() - 24, 21) == "Created by Parvola 95");
    // The File Description of P.001, after Main: ID, MD5, MD5-16k, length, padded name.
    const std::string description = index.substr(108 + 64, 64);
    CHECK(Hex(description.data(), 16) == "c4e5a9dea6998e3e5976548d2a99740d");
    CHECK(description.substr(48, 16) == std::string("\3\0\0\0\0\0\0\0P.001\0\0\0", 16));
  }
}

TEST_CASE("a recovery packet's header carries the MD5 of the set ID, type, exponent and slice") {
  const Par2SetPackets set(8, {Described("P.000", "ABCDEFGHIJKL", 8, 4)});
  const std::string slice = "\x70\x71\x72\x08\x45\x46\x47\x48";
  Md5 md5 = set.BeginRecoveryPacketMd5(7);
  md5.Add(slice.data(), 3);
  md5.Add(slice.data() + 3, 5);
  const std::string header = set.RecoveryPacketHeader(7, md5.Finish());
  REQUIRE(header.size() == 68);
  CHECK(header.substr(8, 8) == std::string("\x4c\0\0\0\0\0\0\0", 8));  // 76 bytes
  const std::string covered = header.substr(32) + slice;
  CHECK(Hex(header.data() + 16, 16) == Hex(Md5Of(covered.data(), covered.size())));
  CHECK(Par2TypeOf(reinterpret_cast<const unsigned char*>(header.data() + 48)) == Par2PacketType::RECOVERY_SLICE);
  CHECK(header.substr(64) == std::string("\7\0\0\0", 4));
}

TEST_CASE("a name that is not ASCII gets a Unicode Filename packet after its File Description") {
  CHECK(Utf16NameBytes("film.avi.003").empty());
  CHECK(Utf16NameBytes("B\xC3\xBC" "cher") == std::string("B\0\xFC\0c\0h\0e\0r\0", 12));
  CHECK(Utf16NameBytes("\xF0\x9F\x98\x80") == std::string("\x3D\xD8\x00\xDE", 4));  // a pair of surrogates
  CHECK(Utf16NameBytes("\xE6\x97\xA5") == std::string("\xE5\x65", 2));
  for (const char* broken : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "a\x80", "\xF5\x80\x80\x80"}) {
    CAPTURE(broken);
    CHECK(Utf16NameBytes(broken).empty());
  }
  const Par2SetPackets set(8, {Described("B\xC3\xBC" "cher.004", "1234567", 8, 7)});
  const std::string& critical = set.CriticalPackets();
  // Main (92), File Description (64 + 56 + 12), Unicode Filename (64 + 16 + 20), checksums.
  REQUIRE(critical.size() == 92 + 132 + 100 + 100);
  CHECK(Par2TypeOf(reinterpret_cast<const unsigned char*>(critical.data()) + 92 + 132 + 48) ==
        Par2PacketType::UNICODE_NAME);
  CHECK(critical.substr(92 + 132 + 80, 20) == std::string("B\0\xFC\0c\0h\0e\0r\0.\0" "0\0" "0\0" "4\0", 20));
}

TEST_CASE("volume files are named, filled and sized as par2cmdline makes them") {
  struct Case {
    uint32_t first, count, end, largest;
    const char* name;
  };
  const Case cases[] = {
      {0, 1, 7, 4, "B.vol0+1.par2"},       {3, 4, 7, 4, "B.vol3+4.par2"},
      {0, 1, 20, 8, "B.vol00+1.par2"},     {15, 5, 20, 8, "B.vol15+5.par2"},
      {0, 1, 100, 37, "B.vol000+01.par2"}, {63, 37, 100, 37, "B.vol063+37.par2"},
  };
  for (const Case& volume : cases)
    CHECK(Par2VolumeFileName("B", volume.first, volume.count, volume.end, volume.largest) == volume.name);
  CHECK(Par2IndexFileName("film.avi") == "film.avi.par2");

  const uint32_t copies[][2] = {{1, 1}, {2, 2}, {3, 2}, {16, 5}, {37, 6}, {32768, 16}};
  for (const auto& pair : copies) {
    CAPTURE(pair[0]);
    CHECK(Par2CriticalCopies(pair[0]) == pair[1]);
    uint32_t spread = 0;
    for (uint32_t index = 0; index < pair[0]; ++index) spread += Par2CriticalCopiesAfter(index, pair[0]);
    CHECK(spread == pair[1]);
    CHECK(Par2CriticalCopiesAfter(0, pair[0]) == 1);
  }
  // One 76-byte recovery packet, one copy of the critical packets, the Creator.
  CHECK(Par2VolumeBytes(1, 8, 584, 88) == 76 + 584 + 88);
  CHECK(Par2VolumeBytes(16, 32768, 1000, 88) == 16 * 32836 + 5 * 1000 + 88);
}
