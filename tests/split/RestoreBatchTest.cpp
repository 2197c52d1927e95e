// The batch file written to disk and run under the command interpreter.
#include <doctest/doctest.h>

#include "framework/CodePages.h"
#include "logic/PieceNames.h"
#include "split/RestoreBatch.h"
#include "support/CommandInterpreter.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"
#include "support/TextLanguage.h"
#include "support/WorkerStage.h"

namespace {

// Deterministic bytes of every value, so that a copy in text mode would show.
std::string SampleContent(size_t size) {
  std::string content(size, '\0');
  uint32_t state = 12345;
  for (char& byte : content) {
    state = state * 1103515245 + 12345;
    byte = static_cast<char>(state >> 16);
  }
  return content;
}

// Runs the batch file with cmd /c and the two folders as arguments; returns what it printed.
std::string RunBatch(const std::string& batch, const std::string& source, const std::string& destination,
                     const std::string& outputPath) {
  return RunCommandInterpreter("\"" + batch + "\" " + source + "\\ " + destination + "\\", outputPath);
}

}  // namespace

TEST_CASE("the written batch file restores the pieces under cmd") {
  UseEnglishTexts();
  TempFolder folder;
  std::string pieces = folder / "pieces", restored = folder / "restored";
  MakeFolder(pieces);
  MakeFolder(restored);

  std::string name;
  SUBCASE("a plain name") { name = "REPORT.DOC"; }
  SUBCASE("a name with blanks and an ampersand") { name = "my report & more.doc"; }
  // Percent signs are left out: Wine's cmd expands variables again inside the value of
  // %file%, which the Windows command interpreter does not.
  SUBCASE("a name with parentheses, plus, caret, comma, semicolon and equals") {
    name = "(a+b) ^x;y,z=1.doc";
  }
  // Each of those alone: every one of them must put the name in quotes (or escape it) on its
  // own, as the plus that copy would take for "join".
  SUBCASE("a blank alone") { name = "a b.doc"; }
  SUBCASE("an ampersand alone") { name = "a&b.doc"; }
  SUBCASE("parentheses alone") { name = "a(b).doc"; }
  SUBCASE("a comma alone") { name = "a,b.doc"; }
  SUBCASE("a semicolon alone") { name = "a;b.doc"; }
  SUBCASE("an equals sign alone") { name = "a=b.doc"; }
  SUBCASE("a plus alone") { name = "a+b.doc"; }
  SUBCASE("a caret alone") { name = "a^b.doc"; }

  std::string baseName = BaseNameOf(name, fw::NameCodePage());
  std::string original = SampleContent(70000);
  const size_t pieceSize = 32768;
  int32_t pieceCount = 0;
  for (size_t offset = 0; offset < original.size(); offset += pieceSize)
    WriteWholeFile(PiecePath(pieces, baseName, pieceCount++), original.substr(offset, pieceSize));
  REQUIRE(pieceCount == 3);

  ScriptedMessages boxes;
  REQUIRE(WriteRestoreBatch(RestoreBatchScript("C:\\DATA\\" + name, baseName, pieceCount), pieces, baseName, nullptr) ==
          BatchFileResult::WRITTEN);
  std::string batch = pieces + '\\' + baseName + ".Bat";
  CHECK(ReadWholeFile(batch) ==
        BuildRestoreBatch(name, baseName, pieceCount, LoadBatchTexts(), fw::NameCodePage()));

  std::string printed = RunBatch(batch, pieces, restored, folder / "output.txt");
  INFO("the script printed: ", printed);
  REQUIRE(FileExists(restored + '\\' + name));
  CHECK(ReadWholeFile(restored + '\\' + name) == original);
  CHECK(printed.find("The file '" + name + "' has been restored.") != std::string::npos);
  // The running copy of the script is gone again, whichever name it had.
  CHECK(FilesIn(restored) == std::vector<std::string>{name});
  CHECK(boxes.Shown().empty());
}

TEST_CASE("WriteRestoreBatch keeps an existing batch file after No") {
  UseEnglishTexts();
  TempFolder folder;
  WriteWholeFile(folder / "REPORT.Bat", "keep");
  ScriptedMessages boxes({IDNO});
  CHECK(WriteRestoreBatch(RestoreBatchScript("C:\\DATA\\REPORT.DOC", "REPORT", 3), folder.Path(), "REPORT", nullptr) ==
        BatchFileResult::FAILED);
  CHECK(ReadWholeFile(folder / "REPORT.Bat") == "keep");
  REQUIRE(boxes.Shown().size() == 1);
  CHECK(boxes.Shown()[0].textId == 144);
}

TEST_CASE("the batch file is written in the code page that the command interpreter reads it in") {
  // As cmd reads them in the OEM code page of an American or German system (437, 850),
  // neither of which has the euro or the per-mille sign.
  struct Case {
    const char* name;  // UTF-8
    BatchFileResult result;
    const char* firstPiece;  // the line that names it
    const char* restored;    // the echo line after the restore
  };
  const Case cases[] = {
      {"Bericht März.doc", BatchFileResult::WRITTEN, "set \"file=Bericht März.000\"",
       "@echo The file 'Bericht März.doc' has been restored."},
      {"Übersicht_Größe.xls", BatchFileResult::WRITTEN, "set file=Übersicht_Größe.000",
       "@echo The file 'Übersicht_Größe.xls' has been restored."},
      // A look-alike would change the name: the per-mille sign is no percent sign.
      {"Preis 5€ für März.doc", BatchFileResult::WRITTEN, "set \"file=%base%.000\"",
       "@echo The file 'Preis 5? für März.doc' has been restored."},
      {"Zins 3‰.txt", BatchFileResult::WRITTEN, "set \"file=%base%.000\"",
       "@echo The file 'Zins 3?.txt' has been restored."},
      {"Preise.5€", BatchFileResult::NAME_UNREADABLE, nullptr, nullptr},
      {"Zins.3‰", BatchFileResult::NAME_UNREADABLE, nullptr, nullptr},
  };
  UseEnglishTexts();
  for (const Case& example : cases) {
    CAPTURE(example.name);
    TempFolder folder;
    ScriptedMessages boxes;
    const std::string name = FromUtf8(example.name, CP_ACP);
    const std::string batch = folder / (BaseNameOf(name, fw::NameCodePage()) + ".Bat");
    const std::string baseName = BaseNameOf(name, fw::NameCodePage());
    CHECK(WriteRestoreBatch(RestoreBatchScript("C:\\DATA\\" + name, baseName, 2), folder.Path(), baseName, nullptr) ==
          example.result);
    CHECK(boxes.Shown().empty());
    if (example.result != BatchFileResult::WRITTEN) {
      CHECK_FALSE(FileExists(batch));
      continue;
    }
    const std::string script = ReadWholeFile(batch);
    // No letter of the program's own code page: its "ä" is 0xE4 in 1252 and C3 A4 in UTF-8.
    CHECK(script.find('\xE4') == std::string::npos);
    CHECK(script.find("\xC3\xA4") == std::string::npos);
    const std::string read = ToUtf8(script, fw::ConsoleCodePage());
    CHECK(read.find(std::string("\r\n") + example.firstPiece + "\r\n") != std::string::npos);
    CHECK(read.find(std::string("\r\n") + example.restored + "\r\n") != std::string::npos);
  }
}
