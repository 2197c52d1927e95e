// The batch file written to disk and run under the command interpreter.
#include <doctest/doctest.h>

#include "logic/PieceNames.h"
#include "split/RestoreBatch.h"
#include "support/BatchRun.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"
#include "support/TextLanguage.h"

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

  std::string baseName = BaseNameOf(name);
  std::string original = SampleContent(70000);
  const size_t pieceSize = 32768;
  int32_t pieceCount = 0;
  for (size_t offset = 0; offset < original.size(); offset += pieceSize)
    WriteWholeFile(PiecePath(pieces, baseName, pieceCount++), original.substr(offset, pieceSize));
  REQUIRE(pieceCount == 3);

  ScriptedMessages boxes;
  REQUIRE(WriteRestoreBatch("C:\\DATA\\" + name, pieces, baseName, pieceCount, nullptr));
  std::string batch = pieces + '\\' + baseName + ".Bat";
  CHECK(ReadWholeFile(batch) == BuildRestoreBatch(name, baseName, pieceCount, LoadBatchTexts()));

  std::string printed = RunBatch(batch, pieces, restored, folder / "output.txt");
  INFO("the script printed: ", printed);
  REQUIRE(FileExists(restored + '\\' + name));
  CHECK(ReadWholeFile(restored + '\\' + name) == original);
  CHECK(printed.find("The file '" + name + "' has been restored.") != std::string::npos);
  // The running copy of the script is gone again.
  CHECK_FALSE(FileExists(restored + "\\~" + baseName.substr(0, baseName.size() - 1) + ".bat"));
  CHECK(boxes.Shown().empty());
}

TEST_CASE("WriteRestoreBatch keeps an existing batch file after No") {
  UseEnglishTexts();
  TempFolder folder;
  WriteWholeFile(folder / "REPORT.Bat", "keep");
  ScriptedMessages boxes({IDNO});
  CHECK_FALSE(WriteRestoreBatch("C:\\DATA\\REPORT.DOC", folder.Path(), "REPORT", 3, nullptr));
  CHECK(ReadWholeFile(folder / "REPORT.Bat") == "keep");
  REQUIRE(boxes.Shown().size() == 1);
  CHECK(boxes.Shown()[0].textId == 144);
}
