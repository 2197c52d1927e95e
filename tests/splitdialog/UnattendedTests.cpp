#include <doctest/doctest.h>

#include "res/resource.h"
#include "splitdialog/OpenSplitDialog.h"

// The real program, started as the shell or a script would start it.
TEST_CASE("unattended runs") {
  ProgramRegistry registry;
  TempFolder folder;
  WriteWholeFile(folder / "REPORT.DOC", test::PatternBytes(5000));
  registry.StoreText("DefaultDestination", "C:\\");
  registry.StoreInt("DefaultSize", -1);
  registry.StoreInt("DefaultOptions", 2);
  registry.StoreInt("DefaultRegistry", 7);

  SUBCASE("split by itself, end by itself, and leave the registry as it was") {
    test::RunningProgram program("/s \"" + folder / "REPORT.DOC" + "\" /nd \"" + folder.Path() + "\"");
    REQUIRE(program.Started());
    CHECK(program.WaitForExit(30000));
    CHECK(ProgramRegistry::ClassesText(".split") == "<missing>");
    CHECK(ProgramRegistry::ClassesText("*\\shell\\Split\\command") == "<missing>");
    CHECK(ProgramRegistry::StoredText("DefaultDestination") == "C:\\");
    CHECK(ProgramRegistry::StoredInt("DefaultRegistry") == 7);
  }
  SUBCASE("with a source that cannot be read: the window comes back and nothing starts") {
    test::RunningProgram program("/s \"" + folder / "MISSING.DOC" + "\" /nd \"" + folder.Path() + "\"");
    REQUIRE(program.Started());
    HWND dialog = program.FindWindowByCaption("Parvola 95 (Olvanta)");
    REQUIRE(dialog != nullptr);
    CHECK(test::WaitFor([&] { return !IsIconic(dialog); }));
    CHECK_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    // Work that had started would end the unattended run, and the window with it.
    CHECK_FALSE(test::WaitFor([&] { return !IsWindow(dialog); }, 2000));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    CHECK(program.WaitForExit());
  }
}

// The open dialog comes from the common dialogs, which the program loads only when the
// user browses for a source.
TEST_CASE("Browse for the source: the file chosen in the open dialog becomes the source") {
  ProgramRegistry registry;
  TempFolder folder;
  const std::string source = folder / "REPORT.DOC";
  WriteWholeFile(source, "report");
  test::RunningProgram program("");
  HWND dialog = program.FindWindowByCaption("Parvola 95 (Olvanta)");
  REQUIRE(dialog != nullptr);
  HWND browse = test::FindControl(dialog, IDC_SOURCE_BROWSE);
  REQUIRE(browse != nullptr);
  test::PressButton(GetParent(browse), IDC_SOURCE_BROWSE);
  HWND chooser = program.FindActiveWindow(dialog);
  REQUIRE(chooser != nullptr);
  // The file name box of the open dialog, then its Open button.
  constexpr int FILE_NAME_BOX = 0x47C;
  test::SetControlText(chooser, FILE_NAME_BOX, source);
  test::PressButton(chooser, IDOK);
  CHECK(test::WaitFor([&] { return !IsWindow(chooser); }));
  CHECK(test::WaitFor([&] { return test::WindowText(test::FindControl(dialog, IDC_SOURCE_EDIT)) == source; }));
}
