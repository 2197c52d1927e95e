#include <doctest/doctest.h>

#include "logic/InfoFileFormat.h"
#include "logic/Letters.h"
#include "logic/SizeRules.h"

namespace {

struct Parsed {
  InfoParse outcome;
  RestoreInfo info;
};

// Info files read on a Western system, unless told otherwise.
Parsed Parse(std::string_view data, unsigned legacyCodePage = 1252) {
  Parsed parsed;
  parsed.outcome = ParseRestoreInfo(data, legacyCodePage, parsed.info);
  return parsed;
}

// The field that failed and the reader's result for it, or "parsed".
std::string Failure(std::string_view data) {
  InfoParse outcome = Parse(data).outcome;
  if (outcome.parsed) return "parsed";
  static const char* const FIELDS[] = {"name", "count", "size", "checksums"};
  return std::string(FIELDS[outcome.failedField]) + ": " + outcome.failure;
}

}  // namespace

TEST_CASE("info text: writing") {
  CHECK(RestoreInfoText("movie.avi", 3, 900) == "<ORIGINALNAME>movie.avi\r\n<#FILES>3\r\n<SIZE>900");
  CHECK(RestoreInfoText("movie.avi", 3, 900).size() == 45);
  CHECK(RestoreInfoText("", -1, -2147483647 - 1) == "<ORIGINALNAME>\r\n<#FILES>-1\r\n<SIZE>-2147483648");
  CHECK(RestoreInfoText("", 0, INT64_MIN) == "<ORIGINALNAME>\r\n<#FILES>0\r\n<SIZE>-9223372036854775808");
}

TEST_CASE("info text: reading well-formed content") {
  SUBCASE("written text reads back") {
    Parsed parsed = Parse(RestoreInfoText("REPORT.DOC", 12, 17000000));
    REQUIRE(parsed.outcome.parsed);
    CHECK(parsed.info.originalName == "REPORT.DOC");
    CHECK(parsed.info.pieceCount == 12);
    CHECK(parsed.info.totalSize == 17000000);
  }
  SUBCASE("bytes after the size's digits are ignored") {
    CHECK(Parse("<ORIGINALNAME>a.b\r\n<#FILES>2\r\n<SIZE>10\r\n").info.totalSize == 10);
    CHECK(Failure("<ORIGINALNAME>a.b\r\n<#FILES>2\r\n<SIZE>10xyz") == "parsed");
  }
  SUBCASE("leading zeros count for nothing, however many") {
    Parsed parsed = Parse("<ORIGINALNAME>a.b\r\n<#FILES>003\r\n<SIZE>00000000000000000000000000042");
    REQUIRE(parsed.outcome.parsed);
    CHECK(parsed.info.pieceCount == 3);
    CHECK(parsed.info.totalSize == 42);
  }
  SUBCASE("the largest signed 32-bit values still fit") {
    Parsed parsed = Parse("<ORIGINALNAME>a.b\r\n<#FILES>2147483647\r\n<SIZE>2147483647");
    REQUIRE(parsed.outcome.parsed);
    CHECK(parsed.info.pieceCount == 2147483647);
    CHECK(parsed.info.totalSize == 2147483647);
  }
  SUBCASE("the byte after the name's CR and after the count are not looked at") {
    CHECK(Failure("<ORIGINALNAME>a.b\rX<#FILES>2XY<SIZE>5") == "parsed");
  }
}

TEST_CASE("info text: sizes of 2 GiB and more, in 64 bits") {
  CHECK(RestoreInfoText("big.iso", 5, 4298113031) == "<ORIGINALNAME>big.iso\r\n<#FILES>5\r\n<SIZE>4298113031");
  const int64_t sizes[] = {2147483648, 4294967295, 4294967296, 4294967297, 5368709120, 2147483647000,
                           432998467868, MAX_SOURCE_BYTES};
  for (int64_t size : sizes) {
    CAPTURE(size);
    Parsed parsed = Parse(RestoreInfoText("big.iso", 1000, size));
    REQUIRE(parsed.outcome.parsed);
    CHECK(parsed.info.totalSize == size);
  }
  // Sizes that a 32-bit reader took for 0 or for a few bytes (2^32 + 5 once read as 5).
  CHECK(Parse("<ORIGINALNAME>a.b\r\n<#FILES>2\r\n<SIZE>4294967301").info.totalSize == 4294967301);
  CHECK(Parse("<ORIGINALNAME>a.b\r\n<#FILES>2\r\n<SIZE>0002147483647000").info.totalSize == MAX_SOURCE_BYTES);
}

TEST_CASE("info text: every way to fail") {
  SUBCASE("the name") {
    CHECK(Failure("<originalname>a.b\r\n<#FILES>2\r\n<SIZE>5") == "name: failed (tag not found)");
    CHECK(Failure("<ORIGINALNAMEX") == "name: failed (tag not found)");
    CHECK(Failure("") == "name: failed (CR not found)");
    CHECK(Failure("<ORIG") == "name: failed (CR not found)");
    CHECK(Failure("<ORIGINALNAME>") == "name: failed (CR not found)");
    CHECK(Failure("<ORIGINALNAME>a.b\n<#FILES>2\n<SIZE>5") == "name: failed (CR not found)");
  }
  SUBCASE("the count") {
    CHECK(Failure("<ORIGINALNAME>a.b\r\n<#files>2\r\n<SIZE>5") == "count: failed (tag not found)");
    CHECK(Failure("<ORIGINALNAME>a.b\r\n<#FILES>0\r\n<SIZE>5") == "count: failed (CR not found or # = 0)");
    CHECK(Failure("<ORIGINALNAME>a.b\r\n<#FILES>-2\r\n<SIZE>5") == "count: failed (CR not found or # = 0)");
    CHECK(Failure("<ORIGINALNAME>a.b\r\n<#FILES>2") == "count: failed (CR not found or # = 0)");
    CHECK(Failure("<ORIGINALNAME>a.b\r") == "count: failed (CR not found or # = 0)");
    CHECK(Failure("<ORIGINALNAME>a.b\r\n<#FI") == "count: failed (CR not found or # = 0)");
  }
  SUBCASE("a count beyond 32 bits is refused, not wrapped") {
    const std::string refused = "count: failed (CR not found or # = 0)";
    CHECK(Failure("<ORIGINALNAME>a.b\r\n<#FILES>2147483648\r\n<SIZE>5") == refused);
    CHECK(Failure("<ORIGINALNAME>a.b\r\n<#FILES>4294967299\r\n<SIZE>5") == refused);
  }
  SUBCASE("the size") {
    CHECK(Failure("<ORIGINALNAME>a.b\r\n<#FILES>2\r\n<Size>5") == "size: failed (tag not found)");
    CHECK(Failure("<ORIGINALNAME>a.b\r\n<#FILES>2\r\n<SIZE>0") == "size: failed (size = 0)");
    CHECK(Failure("<ORIGINALNAME>a.b\r\n<#FILES>2\r\n<SIZE>-5") == "size: failed (size = 0)");
    CHECK(Failure("<ORIGINALNAME>a.b\r\n<#FILES>2\r\n") == "size: failed (size = 0)");
  }
  SUBCASE("a size beyond the largest file the program splits is refused: it would overflow the progress") {
    for (int64_t size : {MAX_SOURCE_BYTES + 1, INT64_MAX / 2 + 1, INT64_MAX}) {
      CAPTURE(size);
      CHECK(Failure(RestoreInfoText("a.b", 2, size)) == "size: failed (size too large)");
    }
  }
  SUBCASE("a size beyond the signed 64-bit range is refused, not wrapped") {
    CHECK(Failure("<ORIGINALNAME>a.b\r\n<#FILES>2\r\n<SIZE>9223372036854775808") == "size: failed (size = 0)");
    CHECK(Failure("<ORIGINALNAME>a.b\r\n<#FILES>2\r\n<SIZE>18446744073709551621") == "size: failed (size = 0)");
    CHECK(Failure("<ORIGINALNAME>a.b\r\n<#FILES>2\r\n<SIZE>99999999999999999999") == "size: failed (size = 0)");
  }
}

TEST_CASE("info text: a name that could leave the restore folder or name a device is refused") {
  const char* const refused[] = {"..\\evil.exe", "a\\b.doc", "a/b.doc", "C:evil.doc", "c:\\x", ".", "..",
                                 "...", ". .", "CON", "con.txt", "Nul", "aux.tar.gz", "LPT1.doc", "com9",
                                 "COM\xB9", "tab\there", "CON .txt", "NUL  .doc", "unit\x1Fseparator"};
  for (const char* name : refused) {
    INFO("name: ", name);
    CHECK(Failure("<ORIGINALNAME>" + std::string(name) + "\r\n<#FILES>2\r\n<SIZE>5") ==
          "name: failed (name not allowed)");
  }
  // A zero byte would cut the name short when it becomes a path.
  CHECK(Failure("<ORIGINALNAME>" + std::string("a\0b", 3) + "\r\n<#FILES>2\r\n<SIZE>5") ==
        "name: failed (name not allowed)");
  const char* const allowed[] = {"REPORT.DOC", ".profile", "x..y", "a b & c.doc", "CONSOLE.txt", "COM10",
                                 "LPT.doc", ("\xFC" "ber.txt"), "", "CON x.txt", "a\x7F"};
  for (const char* name : allowed) {
    INFO("name: ", name);
    CHECK(Failure("<ORIGINALNAME>" + std::string(name) + "\r\n<#FILES>2\r\n<SIZE>5") == "parsed");
  }
}

TEST_CASE("info text: the checksum lines after the size") {
  const std::string fields = RestoreInfoText("REPORT.DOC", 3, 100000);
  const InfoChecksums checksums{0xCBF43926, {0x00000000, 0x89ABCDEF, 0xFFFFFFFF}};
  const std::string text = fields + ChecksumLines(checksums);
  const std::string lines = "\r\n<PIECE>000 00000000\r\n<PIECE>001 89ABCDEF\r\n<PIECE>002 FFFFFFFF";

  SUBCASE("written after the three fields, the file ending after the last hex digit") {
    CHECK(text == fields + "\r\n<CRC32>CBF43926" + lines);
  }
  SUBCASE("read back whole") {
    Parsed parsed = Parse(text);
    REQUIRE(parsed.outcome.parsed);
    CHECK(parsed.info.originalName == "REPORT.DOC");
    CHECK(parsed.info.pieceCount == 3);
    CHECK(parsed.info.totalSize == 100000);
    REQUIRE(parsed.info.checksums);
    CHECK(parsed.info.checksums->wholeFile == checksums.wholeFile);
    CHECK(parsed.info.checksums->pieces == checksums.pieces);
  }
  SUBCASE("a reader of the three fields alone reads the same name, count and size, and stops at the size") {
    RestoreInfo info;
    size_t end = 0;
    REQUIRE(ParseInfoFields(text, 1252, info, &end).parsed);
    CHECK(info.originalName == "REPORT.DOC");
    CHECK(info.pieceCount == 3);
    CHECK(info.totalSize == 100000);
    CHECK(end == fields.size());
  }
  SUBCASE("a file without the lines has no checksums, as before") {
    Parsed parsed = Parse(fields + "\r\n");
    REQUIRE(parsed.outcome.parsed);
    CHECK_FALSE(parsed.info.checksums);
  }
  SUBCASE("what editors and copies add at the end is allowed: line ends, blanks, tabs, Ctrl-Z") {
    for (const char* filler : {"\r\n", "\x1A", "\r\n\x1A", "  \t\r\n\r\n", "\n"}) {
      CAPTURE(filler);
      CHECK(Failure(text + filler) == "parsed");
    }
  }
  SUBCASE("1000 pieces fit well inside the 32 KiB that are read") {
    InfoChecksums many{1, std::vector<uint32_t>(1000, 0x5A5A5A5A)};
    std::string big = RestoreInfoText(std::string(255, 'n'), 1000, 2000000000) + ChecksumLines(many);
    CHECK(big.size() < 32768 - 8192);
    Parsed parsed = Parse(big);
    REQUIRE(parsed.outcome.parsed);
    CHECK(parsed.info.checksums->pieces == many.pieces);
  }
  SUBCASE("lines that are there but malformed make the file malformed") {
    const std::string whole = "\r\n<CRC32>CBF43926";
    const std::string malformed[] = {
        whole,                                                                      // every piece line missing
        whole + "\r\n<PIECE>000 00000000\r\n<PIECE>001 89ABCDEF",                   // the last one missing
        whole + lines + "\r\n<PIECE>003 00000000",                                  // one more than pieces
        whole + "\r\n<PIECE>001 89ABCDEF\r\n<PIECE>000 00000000\r\n<PIECE>002 FFFFFFFF",  // out of order
        whole + "\r\n<PIECE>000 00000000\r\n<PIECE>002 89ABCDEF\r\n<PIECE>002 FFFFFFFF",  // a number skipped
        whole + "\r\n<PIECE>000 00000000\r\n<PIECE>001 89abcdef\r\n<PIECE>002 FFFFFFFF",  // lowercase hex
        whole + "\r\n<PIECE>000 00000000\r\n<PIECE>001 89ABCDEG\r\n<PIECE>002 FFFFFFFF",  // not a hex digit
        whole + "\r\n<PIECE>000 0000000\r\n<PIECE>001 89ABCDEF\r\n<PIECE>002 FFFFFFFF",   // seven digits
        whole + "\r\n<PIECE>000  0000000\r\n<PIECE>001 89ABCDEF\r\n<PIECE>002 FFFFFFFF",  // two blanks
        whole + "\r\n<PIECE>0 00000000\r\n<PIECE>1 89ABCDEF\r\n<PIECE>2 FFFFFFFF",        // one digit
        whole + "\n<PIECE>000 00000000\r\n<PIECE>001 89ABCDEF\r\n<PIECE>002 FFFFFFFF",    // LF alone
        whole + "\r\n<piece>000 00000000\r\n<PIECE>001 89ABCDEF\r\n<PIECE>002 FFFFFFFF",  // tag's case
        whole + lines + "x",                                                         // bytes after the last
        whole + lines + "\x1A.",                                                     // and after a Ctrl-Z
        "\r\n<CRC32>CBF4392" + lines,                                                // the whole file's short
        "\r\n<CRC32>" + lines,                                                       // and missing
    };
    for (const std::string& extension : malformed) {
      CAPTURE(extension);
      CHECK(Failure(fields + extension) == "checksums: failed (checksum lines malformed)");
    }
  }
}

TEST_CASE("info text: the repair line after the checksum lines") {
  // Three pieces of 40,000 bytes for 100,000 bytes: the last one holds 20,000.
  const InfoChecksums checksums{0xCBF43926, {1, 2, 3}};
  const std::string text = RestoreInfoText("REPORT.DOC", 3, 100000) + ChecksumLines(checksums);
  const RepairRecord repair{40000, 0x0BADF00D};

  SUBCASE("written as the piece size and the CRC, read back") {
    CHECK(RepairLine(repair) == "\r\n<REPAIR>40000 0BADF00D");
    Parsed parsed = Parse(text + RepairLine(repair) + "\r\n\x1A");
    REQUIRE(parsed.outcome.parsed);
    REQUIRE(parsed.info.repair);
    CHECK(parsed.info.repair->pieceSize == 40000);
    CHECK(parsed.info.repair->checksum == 0x0BADF00D);
    REQUIRE(parsed.info.checksums);
    CHECK(parsed.info.checksums->pieces.size() == 3);
  }
  SUBCASE("without it, no repair file") { CHECK_FALSE(Parse(text).info.repair); }
  SUBCASE("the piece size must make three pieces of 100,000 bytes") {
    for (int32_t pieceSize : {33334, 40000, 49999}) CHECK(Parse(text + RepairLine({pieceSize, 1})).outcome.parsed);
    for (int32_t pieceSize : {0, 33333, 50000, 100000}) {
      CAPTURE(pieceSize);
      CHECK(Failure(text + RepairLine({pieceSize, 1})) == "checksums: failed (checksum lines malformed)");
    }
  }
  SUBCASE("malformed lines are refused, and a file whose checksums fail keeps no repair record") {
    for (const char* line : {"\r\n<REPAIR>40000 0BADF00", "\r\n<REPAIR> 0BADF00D", "\r\n<REPAIR>40000  0BADF00D",
                             "\r\n<REPAIR>40000 0BADF00D x", "\r\n<repair>40000 0BADF00D"}) {
      CAPTURE(line);
      Parsed parsed = Parse(text + line);
      CHECK_FALSE(parsed.outcome.parsed);
      CHECK_FALSE(parsed.info.repair);
    }
  }
}

TEST_CASE("info text: device names in UTF-8 and in code page 1252") {
  const struct {
    const char* name;
    unsigned codePage;
    bool plain;
  } cases[] = {
      {"COM\xC2\xB9.txt", UTF8_CODE_PAGE, false}, {"LPT\xC2\xB2", UTF8_CODE_PAGE, false},
      {"com\xC2\xB3 .doc", UTF8_CODE_PAGE, false}, {"COM1", UTF8_CODE_PAGE, false},
      {"COM\xB9.txt", 1252, false},                 {"LPT\xB3", 1252, false},
      {"COM\xC2\xB9.txt", 1252, true},             {"COM\xC2\xB4", UTF8_CODE_PAGE, true},
      {"COM\xC2\xB9\xC2\xB9", UTF8_CODE_PAGE, true}, {"COM0", UTF8_CODE_PAGE, true},
      {"LPT", UTF8_CODE_PAGE, true},                {"COM\xB9", UTF8_CODE_PAGE, true},
  };
  for (const auto& each : cases) {
    CAPTURE(each.name);
    CAPTURE(each.codePage);
    CHECK(IsPlainFileName(each.name, each.codePage) == each.plain);
  }
}

TEST_CASE("info text: the exact name after the size") {
  const std::string fields = RestoreInfoText("\x83\x5C\x81\x5B\x83\x58.txt", 2, 5);  // "ソース.txt" in 932
  const std::string exact = ExactNameLine("\xE3\x82\xBD\xE3\x83\xBC\xE3\x82\xB9.txt");

  SUBCASE("it names the file, whatever the first field reads as in another code page") {
    // Read in 1252, the first field's second byte 0x5C is a backslash.
    CHECK(Failure(fields) == "name: failed (name not allowed)");
    Parsed parsed = Parse(fields + exact);
    REQUIRE(parsed.outcome.parsed);
    CHECK(parsed.info.exactName == "\xE3\x82\xBD\xE3\x83\xBC\xE3\x82\xB9.txt");
    CHECK(Parse(fields + exact, 932).outcome.parsed);
  }
  SUBCASE("a name that could leave the folder, name a device or break the line is refused") {
    const std::string refused[] = {"..\\x.exe", "a/b", "C:x", "CON", "nul.txt", "COM\xC2\xB9.txt", "..", "a\x01" "b",
                                   "", "\xC3(", "\xED\xA0\x80.txt"};
    for (const std::string& name : refused) {
      CAPTURE(name);
      CHECK(Failure(RestoreInfoText("a.b", 2, 5) + ExactNameLine(name)) == "name: failed (UTF-8 name not allowed)");
    }
  }
}

TEST_CASE("info text: the recovery line after the checksum lines") {
  const std::string text = RestoreInfoText("REPORT.DOC", 3, 100000) + ChecksumLines({0xCBF43926, {1, 2, 3}});

  SUBCASE("written as the slice size and the number of volume files, read back") {
    CHECK(RecoveryLine({32768, 2}) == "\r\n<PAR2>32768 2");
    Parsed parsed = Parse(text + RecoveryLine({2500, 3}) + "\r\n\x1A");
    REQUIRE(parsed.outcome.parsed);
    REQUIRE(parsed.info.recovery);
    CHECK(parsed.info.recovery->sliceSize == 2500);
    CHECK(parsed.info.recovery->volumes == 3);
    CHECK_FALSE(parsed.info.repair);
    CHECK_FALSE(Parse(text).info.recovery);
  }
  SUBCASE("after a repair line, as an older set's info file may grow") {
    Parsed parsed = Parse(text + RepairLine({40000, 1}) + RecoveryLine({4, 1}));
    REQUIRE(parsed.outcome.parsed);
    CHECK(parsed.info.repair);
    CHECK(parsed.info.recovery);
  }
  SUBCASE("a reader of the three fields reads the same") {
    RestoreInfo fieldsOnly;
    REQUIRE(ParseInfoFields(text + RecoveryLine({32768, 2}), 1252, fieldsOnly).parsed);
    CHECK(fieldsOnly.totalSize == 100000);
  }
  SUBCASE("malformed lines are refused, and nothing of them is kept") {
    for (const char* line : {"\r\n<PAR2>32768", "\r\n<PAR2>32768 0", "\r\n<PAR2>0 1", "\r\n<PAR2>32766 1",
                             "\r\n<PAR2> 32768 1", "\r\n<PAR2>32768 32769", "\r\n<PAR2>2147483648 1",
                             "\r\n<PAR2>32768 1x", "\r\n<par2>32768 1", "\r\n<PAR2>32768 1\r\n<REPAIR>40000 00000001"}) {
      CAPTURE(line);
      Parsed parsed = Parse(text + line);
      CHECK_FALSE(parsed.outcome.parsed);
      CHECK_FALSE(parsed.info.recovery);
    }
  }
}
