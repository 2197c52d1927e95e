#include <doctest/doctest.h>

#include "res/resource.h"
#include "support/ProgramRegistry.h"
#include "support/TestSupport.h"

namespace {

const char* const TRACE_FILE = "C:\\Parvola95.log";

// Starts the program, finds its dialog, checks which one it is and closes it.
void CheckStartsDialog(const std::string& arguments, int identifyingControl, int otherControl) {
  ProgramRegistry registry;  // the split dialog stores its settings and registers the program
  test::RunningProgram program(arguments);
  REQUIRE(program.Started());
  HWND dialog = program.FindWindowByCaption("Parvola 95 (Olvanta)");
  REQUIRE(dialog != nullptr);
  CHECK(GetDlgItem(dialog, identifyingControl) != nullptr);
  CHECK(GetDlgItem(dialog, otherControl) == nullptr);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  CHECK(program.WaitForExit());
}

}  // namespace

TEST_CASE("start-up chooses the dialog from the command line") {
  DeleteFileA(TRACE_FILE);
  SUBCASE("restore mode shows the restore dialog") {
    CheckStartsDialog("/u X:\\REPORT.Split", IDC_DESTINATION_EDIT, IDC_TAB);
  }
  SUBCASE("without arguments the split dialog") { CheckStartsDialog("", IDC_TAB, IDC_DESTINATION_EDIT); }
  SUBCASE("a restore switch without a file falls back to the split dialog") {
    CheckStartsDialog("/u", IDC_TAB, IDC_DESTINATION_EDIT);
  }
  SUBCASE("the trace log never creates its file") { CheckStartsDialog("/u X", IDC_DESTINATION_EDIT, IDC_TAB); }
  CHECK_FALSE(FileExists(TRACE_FILE));
}

TEST_CASE("an existing file of the trace log's name is left untouched") {
  WriteWholeFile(TRACE_FILE, "kept as it was");
  CheckStartsDialog("/u X", IDC_DESTINATION_EDIT, IDC_TAB);
  CHECK(ReadWholeFile(TRACE_FILE) == "kept as it was");
  DeleteFileA(TRACE_FILE);
}

TEST_CASE("the language follows the user's interface language") {
  // The suite runs this case once as it is and once under a German interface
  // (see tests/CMakeLists.txt), which PARVOLA_EXPECT_GERMAN announces.
  bool german = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_GERMAN;
  char expectGerman[8] = "";
  if (GetEnvironmentVariableA("PARVOLA_EXPECT_GERMAN", expectGerman, sizeof(expectGerman))) REQUIRE(german);
  test::RunningProgram program("/u X");
  HWND dialog = program.FindWindowByCaption("Parvola 95 (Olvanta)");
  REQUIRE(dialog != nullptr);
  CHECK(test::WindowText(GetDlgItem(dialog, IDCANCEL)) == (german ? "&Beenden" : "E&xit"));
  CHECK(test::WindowText(GetDlgItem(dialog, IDOK)) == (german ? "&Wiederherstellen" : "&Restore"));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  CHECK(program.WaitForExit());
}
