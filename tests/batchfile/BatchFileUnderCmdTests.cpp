// The batch file of a real split, run under the command interpreter in the locale of
// this run (see tests/CMakeLists.txt): cmd reads batch files and prints in the
// system's OEM code page, 437 on an American system, 850 on a German one.
#include <doctest/doctest.h>

#include <cstdlib>
#include <string>
#include <vector>
#include <windows.h>

#include "framework/CodePages.h"
#include "logic/PieceNames.h"
#include "support/CommandInterpreter.h"
#include "support/TestSupport.h"
#include "support/WorkerStage.h"

using Names = std::vector<std::string>;

namespace {

// The OEM code page that the locale of this run announces, when it announces one.
void RequireAnnouncedOemCodePage() {
  const char* announced = std::getenv("PARVOLA_EXPECT_OEM_CODE_PAGE");
  if (announced) REQUIRE(fw::ConsoleCodePage() == static_cast<UINT>(std::atoi(announced)));
}

// The echo line after the restore, in the language of the program's texts.
std::string RestoredLine(const std::string& shownName) {
  const bool german = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_GERMAN;
  return german ? "Die Datei '" + shownName + "' wurde wieder erstellt."
                : "The file '" + shownName + "' has been restored.";
}

}  // namespace

TEST_CASE("a split's batch file restores names with umlauts, and beyond the OEM code page, under cmd") {
  RequireAnnouncedOemCodePage();
  std::string name, shown;  // UTF-8; shown: the name as the console shows it
  SUBCASE("Bericht März.doc") { name = shown = "Bericht März.doc"; }
  SUBCASE("Übersicht Größe.xls") { name = shown = "Übersicht Größe.xls"; }
  SUBCASE("a euro sign, which the OEM code page lacks, shown as a question mark") {
    name = "Preis 5€ für März.doc";
    shown = "Preis 5? für März.doc";
  }
  CAPTURE(name);
  const std::string fileName = FromUtf8(name, CP_ACP);
  const std::string baseName = BaseNameOf(fileName, fw::NameCodePage());
  TempFolder source, pieces, restored, work;
  const std::string original = test::PatternBytes(200000, 15);
  WriteWholeFile(source / fileName, original);
  {
    test::RunningProgram split("/s \"" + source / fileName + "\" /nk 64 /ob /nd /na \"" + pieces.Path() +
                               "\"");
    REQUIRE(split.WaitForExit(30000));
  }
  const Names written = {baseName + ".000", baseName + ".001", baseName + ".002", baseName + ".003",
                         baseName + ".Bat"};
  REQUIRE(FilesIn(pieces.Path()) == written);
  const std::string script = "\"" + baseName + ".Bat\"";

  // From the pieces' folder without arguments: the file is restored beside the pieces.
  std::string printed = ToUtf8(RunCommandInterpreter(script, work / "plain.txt", pieces.Path()), fw::ConsoleCodePage());
  INFO("the script printed: ", printed);
  CHECK(printed.find(RestoredLine(shown)) != std::string::npos);
  REQUIRE(FileExists(pieces / fileName));
  CHECK(ReadWholeFile(pieces / fileName) == original);

  // With the source and the destination folder.
  printed = ToUtf8(RunCommandInterpreter(script + " " + pieces.Path() + "\\ " + restored.Path() + "\\",
                                         work / "arguments.txt", pieces.Path()),
                   fw::ConsoleCodePage());
  INFO("with arguments it printed: ", printed);
  CHECK(printed.find(RestoredLine(shown)) != std::string::npos);
  CHECK(FilesIn(restored.Path()) == Names{fileName});  // the running copy of the script is gone
  REQUIRE(FileExists(restored / fileName));
  CHECK(ReadWholeFile(restored / fileName) == original);
}
