// The read-back of a restored file beside its copy: the stretches read on the thread,
// and the file's CRC-32 combined from them and the gaps read at the end.
#include <doctest/doctest.h>

#include <utility>
#include <vector>

#include "framework/File.h"
#include "logic/Crc32.h"
#include "restore/ReadBack.h"
#include "support/TestFiles.h"
#include "support/TestSupport.h"

namespace {

using Spans = std::vector<std::pair<int64_t, int64_t>>;

const std::string DATA = test::PatternBytes(10000, 3);

ReadStretch Stretch(int64_t start, int64_t length) {
  const bool inside = start + length <= static_cast<int64_t>(DATA.size());
  return {start, length, inside ? Crc32Update(0, DATA.data() + start, static_cast<size_t>(length)) : 0};
}

Spans SpansOf(const std::vector<ReadStretch>& stretches) {
  Spans spans;
  for (const ReadStretch& stretch : stretches) spans.emplace_back(stretch.start, stretch.length);
  return spans;
}

}  // namespace

TEST_CASE("the file's CRC-32 from the stretches read beside the copy and the gaps read at the end") {
  struct Case {
    const char* name;
    int64_t total;
    std::vector<ReadStretch> read;
    Spans gaps;
  };
  const Case cases[] = {
      {"nothing read beside the copy", 10000, {}, {{0, 10000}}},
      {"all of it, handed over out of order", 10000, {Stretch(4000, 6000), Stretch(0, 4000)}, {}},
      {"gaps before, between and after", 10000, {Stretch(5000, 1000), Stretch(1000, 2000)},
       {{0, 1000}, {3000, 2000}, {6000, 4000}}},
      {"one overlapping the one before and one past the end are read again", 10000,
       {Stretch(0, 3000), Stretch(2000, 2000), Stretch(9000, 2000)}, {{3000, 7000}}},
      {"an empty file", 0, {}, {}},
  };
  for (const Case& c : cases) {
    CAPTURE(c.name);
    Spans gaps;
    uint32_t checksum = 1;
    CHECK(CombineStretches(
        c.read, c.total,
        [&](int64_t start, int64_t length, uint32_t& gap) {
          gaps.emplace_back(start, length);
          gap = Stretch(start, length).checksum;
          return true;
        },
        checksum));
    CHECK(gaps == c.gaps);
    CHECK(checksum == Crc32Update(0, DATA.data(), static_cast<size_t>(c.total)));
  }
  uint32_t checksum = 0;
  CHECK_FALSE(CombineStretches({Stretch(0, 10)}, 10000, [](int64_t, int64_t, uint32_t&) { return false; }, checksum));
}

TEST_CASE("the read-back thread reads what its writer has written for good") {
  TempFolder folder;
  const std::string path = folder / "restored.bin";
  const std::string data = test::PatternBytes(3 * 1048576 + 123, 5);
  const int64_t half = 2 * 1048576, size = static_cast<int64_t>(data.size());
  fw::File writer;
  ReadBack readBack;

  SUBCASE("each stretch handed over, the last one just before the end") {
    REQUIRE(writer.Open(path, fw::File::CREATE_SHARE_READ));
    REQUIRE(readBack.Start(path));
    REQUIRE(writer.Write(data.data(), static_cast<uint32_t>(half)));
    readBack.Final(0, half);
    REQUIRE(writer.Write(data.data() + half, static_cast<uint32_t>(size - half)));
    readBack.Final(half, size - half);
    readBack.Finish(true);
    CHECK(SpansOf(readBack.Read()) == Spans{{0, half}, {half, size - half}});
    for (const ReadStretch& stretch : readBack.Read())
      CHECK(stretch.checksum == Crc32Update(0, data.data() + stretch.start, static_cast<size_t>(stretch.length)));
    CHECK(readBack.BytesRead() == size);
    CHECK(readBack.KibibytesRead().load() == size >> 10);
  }
  SUBCASE("a stretch the file does not hold ends it: that one and the rest are left to the end") {
    REQUIRE(writer.Open(path, fw::File::CREATE_SHARE_READ));
    REQUIRE(readBack.Start(path));
    REQUIRE(writer.Write(data.data(), static_cast<uint32_t>(half)));
    readBack.Final(0, 1048576);
    readBack.Final(1048576, half);
    readBack.Final(0, 1048576);
    readBack.Finish(true);
    CHECK(SpansOf(readBack.Read()) == Spans{{0, 1048576}});
    CHECK(readBack.BytesRead() == 1048576);
  }
  SUBCASE("a file its writer holds alone is read at the end") {
    REQUIRE(writer.Open(path, fw::File::CREATE_EXCLUSIVE));
    CHECK_FALSE(readBack.Start(path));
    readBack.Final(0, 10);
    readBack.Finish(true);
    CHECK(readBack.Read().empty());
  }
}
