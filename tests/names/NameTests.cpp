// Names outside the system's legacy code page, end to end with the real program: a
// German system (code page 1252, console 850) where the program runs in UTF-8, and a
// Japanese one (932) where it does not (see tests/CMakeLists.txt for the two runs).
#include <doctest/doctest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "LegacyProgram.h"
#include "framework/CodePages.h"
#include "logic/Letters.h"
#include "logic/PieceNames.h"
#include "support/CommandInterpreter.h"
#include "support/Par2Client.h"
#include "support/TestSupport.h"
#include "support/WorkerStage.h"

using Names = std::vector<std::string>;

namespace {

// An unattended run of the program (or of the one given) that must end by itself.
void RunUnattended(const std::string& arguments, const std::string& program = test::ProgramPath()) {
  test::RunningProgram run(arguments + " /nd /na", std::string(), program);
  REQUIRE(run.Started());
  REQUIRE_MESSAGE(run.WaitForExit(60000), "the program did not end: ", arguments);
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// A source split into pieces of 64 KiB with the info file, the batch file and the recovery
// data, restored unattended, and rebuilt by the batch file under cmd: both copies must be
// the source; par2cmdline then verifies the recovery set and rebuilds the first piece from
// it. Returns the info file's bytes.
std::string SplitRestoreAndRebuild(const std::string& name, const std::string& data,
                                   const std::string& program = test::ProgramPath()) {
  TempFolder folder;
  const std::string pieces = folder / "pieces", restored = folder / "restored", rebuilt = folder / "rebuilt";
  for (const std::string& inner : {pieces, restored, rebuilt}) MakeFolder(inner);
  WriteWholeFile(folder / name, data);
  RunUnattended("/s " + Quoted(folder / name) + " /nk 64 /or /ob /of " + Quoted(pieces), program);

  const std::string base = BaseNameOf(name, fw::NameCodePage());
  Names expected;
  for (size_t piece = 0; piece * 65536 < data.size(); ++piece) expected.push_back(PiecePath("", base, uint32_t(piece)));
  expected.push_back(base + ".Bat");
  expected.push_back(base + ".Split");
  std::sort(expected.begin(), expected.end());
  Names written = FilesIn(pieces);
  std::erase_if(written, [](const std::string& file) { return file.ends_with(".par2"); });
  CHECK(written == expected);

  RunUnattended("/u " + Quoted(pieces + "\\" + base + ".Split") + " " + Quoted(restored), program);
  CHECK(FilesIn(restored) == Names{name});
  CHECK(ReadWholeFile(restored + "\\" + name) == data);

  const std::string printed = ToUtf8(RunCommandInterpreter(Quoted(base + ".Bat") + " " + pieces + "\\ " +
                                                               rebuilt + "\\",
                                                           folder / "batch.txt", pieces),
                                     fw::ConsoleCodePage());
  INFO("the batch file printed: ", printed);
  CHECK(FilesIn(rebuilt) == Names{name});
  CHECK(ReadWholeFile(rebuilt + "\\" + name) == data);

  const std::string first = pieces + "\\" + PiecePath("", base, 0);
  const std::string firstBytes = ReadWholeFile(first);
  const Par2Run verified = RunPar2("verify", pieces + "\\" + base + ".par2");
  CHECK_MESSAGE(verified.status == 0, verified.said);
  REQUIRE(DeleteFileA(first.c_str()));
  const Par2Run repaired = RunPar2("repair", pieces + "\\" + base + ".par2");
  CHECK_MESSAGE(repaired.status == 0, repaired.said);
  CHECK(ReadWholeFile(first) == firstBytes);
  return ReadWholeFile(pieces + "\\" + base + ".Split");
}

// The info file's head: the three fields, then what follows them.
std::string InfoHead(const std::string& legacyName, size_t bytes) {
  const size_t pieces = (bytes + 65535) / 65536;
  return "<ORIGINALNAME>" + legacyName + "\r\n<#FILES>" + std::to_string(pieces) + "\r\n<SIZE>" +
         std::to_string(bytes) + "\r\n";
}

}  // namespace

TEST_CASE("a German system runs the program in UTF-8, and names in 1252 stay as they were") {
  REQUIRE(GetACP() == CP_UTF8);
  REQUIRE(fw::LegacyCodePage() == 1252);
  REQUIRE(fw::ConsoleCodePage() == 850);
  const std::string data = test::PatternBytes(200000, 21);

  SUBCASE("Cyrillic, and CJK letters with a symbol: info file with the exact name, restored, rebuilt") {
    struct Case {
      const char* name;
      const char* legacyName;  // each letter that 1252 lacks as "_"
    };
    for (const Case& example : {Case{"Отчёт 2026.txt", "_____ 2026.txt"}, Case{"日本語 ✓.bin", "___ _.bin"}}) {
      CAPTURE(example.name);
      const std::string info = SplitRestoreAndRebuild(example.name, data);
      CHECK(info.starts_with(InfoHead(example.legacyName, data.size()) + "<NAMEUTF8>" + example.name +
                             "\r\n<CRC32>"));
    }
  }
  SUBCASE("a name that code page 1252 spells keeps the bytes of its fields, and its exact name follows") {
    const std::string info = SplitRestoreAndRebuild("Bericht März.doc", data);
    CHECK(info.starts_with(InfoHead("Bericht M\xE4rz.doc", data.size()) + "<NAMEUTF8>Bericht März.doc\r\n<CRC32>"));
  }
  SUBCASE("a name in ASCII has no exact name line") {
    const std::string info = SplitRestoreAndRebuild("REPORT 2026.doc", data);
    CHECK(info.starts_with(InfoHead("REPORT 2026.doc", data.size()) + "<CRC32>"));
  }
  SUBCASE("an info file of the three fields in 1252 restores the file under its right name") {
    TempFolder folder;
    MakeFolder(folder / "restored");
    WriteWholeFile(folder / "Bericht März.000", data.substr(0, 150000));
    WriteWholeFile(folder / "Bericht März.001", data.substr(150000));
    WriteWholeFile(folder / "Bericht März.Split", "<ORIGINALNAME>Bericht M\xE4rz.doc\r\n<#FILES>2\r\n<SIZE>200000");
    RunUnattended("/u " + Quoted(folder / "Bericht März.Split") + " " + Quoted(folder / "restored"));
    CHECK(FilesIn(folder / "restored") == Names{"Bericht März.doc"});
    CHECK(ReadWholeFile(folder / "restored\\Bericht März.doc") == data);
  }
  SUBCASE("in a program without UTF-8, the short name of a name that 1252 cannot spell stays short") {
    // Expanded, it would become question marks, which name no file.
    TempFolder folder;
    MakeFolder(folder / "pieces");
    WriteWholeFile(folder / "Отчёт 2026.txt", data);
    wchar_t shortWide[MAX_PATH];
    REQUIRE(GetShortPathNameW(fw::ToWide(folder / "Отчёт 2026.txt").c_str(), shortWide, MAX_PATH) > 0);
    std::string shortPath;
    REQUIRE(fw::FromWide(shortWide, shortPath));
    REQUIRE(IsAscii(shortPath));
    TempFolder programFolder;
    RunUnattended("/s " + Quoted(shortPath) + " /nk 64 /or " + Quoted(folder / "pieces"),
                  MakeLegacyProgram(programFolder.Path()));
    const std::string shortBase = BaseNameOf(shortPath.substr(shortPath.rfind('\\') + 1), 1252);
    CHECK(ReadWholeFile(folder / "pieces\\" + shortBase + ".000") == data.substr(0, 65536));
  }
  SUBCASE("200 Cyrillic letters in a path of 250 characters and 450 bytes") {
    // The file name holds 120 of them: a Linux file system, on which Wine keeps the files,
    // holds at most 255 bytes in a name.
    const auto letters = [](const char* letter, int count) {
      std::string text;
      while (count-- > 0) text += letter;
      return text;
    };
    TempFolder outer;
    const std::string folder = outer / letters("Ж", 80), name = letters("Д", 120) + ".bin";
    for (const std::string& inner : {folder, folder + "\\p", folder + "\\r"}) MakeFolder(inner);
    WriteWholeFile(folder + "\\" + name, data);
    RunUnattended("/s " + Quoted(folder + "\\" + name) + " /nk 64 /or " + Quoted(folder + "\\p"));
    const std::string info = folder + "\\p\\" + letters("Д", 120) + ".Split";
    CHECK(fw::Utf16Length(info) <= 259);
    CHECK(info.size() > 400);
    RunUnattended("/u " + Quoted(info) + " " + Quoted(folder + "\\r"));
    CHECK(FilesIn(folder + "\\r") == Names{name});
    CHECK(ReadWholeFile(folder + "\\r\\" + name) == data);
  }
}

TEST_CASE("a Japanese system without UTF-8 for programs: double-byte names split, restored and rebuilt") {
  REQUIRE(fw::LegacyCodePage() == 932);
  REQUIRE(fw::ConsoleCodePage() == 932);
  TempFolder programFolder;
  const std::string program = MakeLegacyProgram(programFolder.Path());
  const std::string data = test::PatternBytes(150000, 22);
  // The second byte of the first letter of "表示" is a backslash; those of "ポスター" hold a
  // bar and a caret, which the batch file must not take for operators.
  const std::string info = SplitRestoreAndRebuild("表示.txt", data, program);
  CHECK(info.starts_with(InfoHead("\x95\x5C\x8E\xA6.txt", data.size()) + "<NAMEUTF8>表示.txt\r\n<CRC32>"));
  SplitRestoreAndRebuild("ポスター.doc", data, program);
}

// Sets split on a German system and restored on a Japanese one, and the other way round:
// three runs of this program in turn (see tests/CMakeLists.txt), which meet in a folder of
// the shared Wine prefix. Each name is split where its letters are the system's own.
namespace {

struct MovedName {
  const char* name;
  unsigned splitIn;  // the legacy code page of the system that splits it
};
// "ソース" has the second byte 0x5C, a backslash in code page 1252.
constexpr MovedName MOVED_NAMES[] = {{"日本語.txt", 932}, {"ソース.txt", 932}, {"Bericht März.doc", 1252},
                                     {"Ærø Ü.bin", 1252}};

std::string MovedSetsFolder(unsigned splitIn) {
  char temp[MAX_PATH];
  REQUIRE(GetTempPathA(sizeof temp, temp) > 0);
  return std::string(temp) + "parvola-moved-names-" + std::to_string(splitIn);
}

std::string MovedData(const MovedName& moved) { return test::PatternBytes(100000, 30 + moved.name[0] % 16); }

}  // namespace

TEST_CASE("names moved between systems: split here") {
  const std::string sets = MovedSetsFolder(fw::LegacyCodePage());
  RemoveFolderTree(sets);
  MakeFolder(sets);
  for (const MovedName& moved : MOVED_NAMES) {
    if (moved.splitIn != fw::LegacyCodePage()) continue;
    CAPTURE(moved.name);
    TempFolder source;
    WriteWholeFile(source / moved.name, MovedData(moved));
    RunUnattended("/s " + Quoted(source / moved.name) + " /nk 64 /or " + Quoted(sets));
  }
  CHECK(FilesIn(sets).size() > 2);
}

TEST_CASE("names moved between systems: restored here") {
  for (const MovedName& moved : MOVED_NAMES) {
    if (moved.splitIn == fw::LegacyCodePage()) continue;
    CAPTURE(moved.name);
    const std::string sets = MovedSetsFolder(moved.splitIn);
    const std::string base = BaseNameOf(moved.name, fw::NameCodePage());
    REQUIRE(FileExists(sets + "\\" + base + ".Split"));
    TempFolder restored;
    RunUnattended("/u " + Quoted(sets + "\\" + base + ".Split") + " " + Quoted(restored.Path()));
    CHECK(FilesIn(restored.Path()) == Names{moved.name});
    CHECK(ReadWholeFile(restored / moved.name) == MovedData(moved));
  }
}
