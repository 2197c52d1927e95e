#include <doctest/doctest.h>

#include "framework/Texts.h"
#include "restore/InfoFileReader.h"
#include "split/InfoFileWriter.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

namespace {

struct ReadBack {
  bool read = false;
  RestoreInfo info{"unchanged", "", -7, -7, std::nullopt, std::nullopt, std::nullopt};
};

ReadBack Read(const std::string& path) {
  ReadBack back;
  back.read = ReadRestoreInfo(path, back.info);
  return back;
}

const InfoChecksums MOVIE_CHECKSUMS{0x0123ABCD, {0xDEADBEEF, 0x00000001, 0xFFFFFFFF}};

std::string InfoText(const std::string& source, int32_t pieces, int64_t size, const InfoChecksums& checksums) {
  return RestoreInfoFileText(source, pieces, size, checksums, std::nullopt);
}

}  // namespace

TEST_CASE("restore info file on disk") {
  fw::ChooseLanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  TempFolder folder;

  SUBCASE("the writer's exact bytes, read back") {
    ScriptedMessages boxes;
    REQUIRE(WriteRestoreInfo(InfoText("C:\\VIDEO\\movie.avi", 3, 900, MOVIE_CHECKSUMS), folder.Path(), "movie", nullptr));
    CHECK(ReadWholeFile(folder / "movie.Split") ==
          "<ORIGINALNAME>movie.avi\r\n<#FILES>3\r\n<SIZE>900"
          "\r\n<CRC32>0123ABCD\r\n<PIECE>000 DEADBEEF\r\n<PIECE>001 00000001\r\n<PIECE>002 FFFFFFFF");
    ReadBack back = Read(folder / "movie.Split");
    CHECK(back.read);
    CHECK(back.info.originalName == "movie.avi");
    CHECK(back.info.pieceCount == 3);
    CHECK(back.info.totalSize == 900);
    REQUIRE(back.info.checksums);
    CHECK(back.info.checksums->wholeFile == MOVIE_CHECKSUMS.wholeFile);
    CHECK(back.info.checksums->pieces == MOVIE_CHECKSUMS.pieces);
    CHECK(boxes.Shown().empty());
  }

  SUBCASE("a size past 32 bits is written in full and read back in 64 bits") {
    ScriptedMessages boxes;
    REQUIRE(WriteRestoreInfo(InfoText("D:\\disc.iso", 1, 4298113031, {0x89ABCDEF, {0x89ABCDEF}}), folder.Path(), "disc",
                             nullptr));
    CHECK(ReadWholeFile(folder / "disc.Split") ==
          "<ORIGINALNAME>disc.iso\r\n<#FILES>1\r\n<SIZE>4298113031\r\n<CRC32>89ABCDEF\r\n<PIECE>000 89ABCDEF");
    CHECK(Read(folder / "disc.Split").info.totalSize == 4298113031);
    WriteWholeFile(folder / "disc.Split", "<ORIGINALNAME>disc.iso\r\n<#FILES>5\r\n<SIZE>9223372036854775808");
    CHECK_FALSE(Read(folder / "disc.Split").read);
  }

  SUBCASE("the writer asks before overwriting and keeps the file after No") {
    WriteWholeFile(folder / "movie.Split", "old");
    ScriptedMessages boxes({IDNO});
    CHECK_FALSE(WriteRestoreInfo(InfoText("movie.avi", 3, 900, MOVIE_CHECKSUMS), folder.Path(), "movie", nullptr));
    CHECK(ReadWholeFile(folder / "movie.Split") == "old");
    REQUIRE(boxes.Shown().size() == 1);
    CHECK(boxes.Shown()[0].textId == 144);
  }

  SUBCASE("the reader falls back to the path with .split appended") {
    WriteWholeFile(folder / "REPORT.Split", "<ORIGINALNAME>REPORT.DOC\r\n<#FILES>2\r\n<SIZE>5");
    ReadBack back = Read(folder / "REPORT");
    CHECK(back.read);
    CHECK(back.info.originalName == "REPORT.DOC");
  }

  SUBCASE("a missing file fails and leaves the outputs alone") {
    ReadBack back = Read(folder / "nothing.Split");
    CHECK_FALSE(back.read);
    CHECK(back.info.originalName == "unchanged");
    CHECK(back.info.pieceCount == -7);
  }

  SUBCASE("a malformed file fails") {
    WriteWholeFile(folder / "bad.Split", "<ORIGINALNAME>..\r\n<#FILES>2\r\n<SIZE>5");
    CHECK_FALSE(Read(folder / "bad.Split").read);
    WriteWholeFile(folder / "bad.Split", "<ORIGINALNAME>a.b\r\n<#FILES>2\r\n<SIZE>0");
    CHECK_FALSE(Read(folder / "bad.Split").read);
  }

  SUBCASE("only the first 32768 bytes are looked at") {
    std::string fields = "<ORIGINALNAME>a.b\r\n<#FILES>2\r\n<SIZE>5";
    WriteWholeFile(folder / "long.Split", fields + "\r\n" + std::string(40000, 'x'));
    CHECK(Read(folder / "long.Split").read);

    // With a name of 32734 bytes the size's one digit is the last byte read; one more
    // byte of name pushes it beyond the limit.
    auto withName = [](size_t length) {
      return "<ORIGINALNAME>" + std::string(length, 'n') + "\r\n<#FILES>2\r\n<SIZE>5";
    };
    WriteWholeFile(folder / "edge.Split", withName(32734));
    CHECK(Read(folder / "edge.Split").read);
    WriteWholeFile(folder / "edge.Split", withName(32735));
    CHECK_FALSE(Read(folder / "edge.Split").read);
    WriteWholeFile(folder / "edge.Split", withName(32754));
    CHECK_FALSE(Read(folder / "edge.Split").read);
  }
}
