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
