// The help window in the running program: its keys reach it through the program's
// modal loop, and it goes with the program.
#include <doctest/doctest.h>

#include "res/resource.h"
#include "support/TestSupport.h"

TEST_CASE("the help window beside the running program: Escape closes it, Help opens it again, Exit ends both") {
  test::RunningProgram program("/u X:\\REPORT.Split");
  HWND dialog = program.FindWindowByCaption("Parvola 95 (Olvanta)");
  REQUIRE(dialog);
  test::PressButton(dialog, ID_HELP);
  HWND help = program.FindWindowByCaption("Parvola 95 Help");
  REQUIRE(help);
  HWND topics = GetDlgItem(help, IDC_HELP_TOPICS);
  CHECK(test::WindowText(GetDlgItem(help, IDC_HELP_TEXT)).rfind("Restoring\r\n", 0) == 0);

  // The arrow keys move through the topics; Escape, which only the modal loop hands to
  // the window, closes it, and the dialog stays.
  PostMessageA(topics, WM_KEYDOWN, VK_DOWN, 0);
  CHECK(test::WaitFor([&] { return test::WindowText(GetDlgItem(help, IDC_HELP_TEXT)).rfind("The batch file", 0) == 0; }));
  PostMessageA(topics, WM_KEYDOWN, VK_ESCAPE, 0);
  CHECK(test::WaitFor([&] { return !IsWindow(help); }));
  CHECK(IsWindowEnabled(dialog));

  test::PressButton(dialog, ID_HELP);
  help = program.FindWindowByCaption("Parvola 95 Help");
  REQUIRE(help);
  test::PressButton(dialog, IDCANCEL);
  CHECK(program.WaitForExit());
  CHECK_FALSE(IsWindow(help));
}
