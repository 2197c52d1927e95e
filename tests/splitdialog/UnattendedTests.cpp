#include <doctest/doctest.h>

#include <optional>

#include "logic/SizeRules.h"
#include "res/resource.h"
#include "splitdialog/OpenSplitDialog.h"
#include "ui/SplitChoice.h"

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

namespace {

std::string Describe(const std::optional<WorkerJob>& job) {
  if (!job) return "none";
  return job->sourcePath + " -> " + job->destinationPath + " mode " + std::to_string(job->mode) + " size " +
         std::to_string(job->pieceSize) + " extras " + std::to_string(job->extrasFlags) + " amount " +
         std::to_string(job->recoveryPieces) + (job->unattended ? " unattended" : "");
}

// What an unattended run with "/nd /na" after these arguments starts without a window.
std::optional<WorkerJob> HiddenJob(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), test::ProgramPath());
  arguments.insert(arguments.end(), {"/nd", "/na"});
  SplitCommandLine commandLine;
  commandLine.SetArguments(arguments);
  commandLine.Parse();
  REQUIRE((commandLine.unattended && commandLine.hideProgress));
  return SplitChoice(commandLine).UnattendedJob();
}

}  // namespace

// The dialog, opened with the same arguments by a user who presses Split as soon as it is
// enabled, is the measure of the run that hides its progress.
TEST_CASE("a hidden unattended split starts the job that Split starts in the dialog, or leaves the choice to it") {
  TempFolder folder;
  const std::string source = folder / "REPORT.DOC", empty = folder / "EMPTY.DOC", link = folder / "REPORT.lnk";
  WriteWholeFile(source, test::PatternBytes(200000, 3));
  WriteWholeFile(empty, "");
  MakeShortcut(link, source);
  enum Outcome { SAME_JOB, NEITHER_STARTS, LEFT_TO_DIALOG };
  struct Case {
    const char* what;
    std::vector<std::string> arguments;  // PIECES stands for the case's own folder
    int32_t storedSize;
    Outcome outcome;
  };
  const std::string PIECES = "<pieces>";
  const Case CASES[] = {
      {"the stored floppy size and folder", {"/s", source}, SIZE_FLOPPY_144, SAME_JOB},
      {"the stored 720 KB size", {"/s", source}, SIZE_FLOPPY_720, SAME_JOB},
      {"kilobytes, extras and an amount, the folder given with its backslash",
       {"/s", source, "/nk", "64", "/op", "/ob", "/nf", "2", PIECES + "\\"}, SIZE_FLOPPY_144, SAME_JOB},
      {"a count", {"/s", source, "/np", "7", PIECES}, SIZE_FLOPPY_720, SAME_JOB},
      {"bytes beyond the source's length", {"/s", source, "/nb", "300000"}, SIZE_FLOPPY_144, SAME_JOB},
      {"megabytes, with recovery data", {"/s", source, "/nm", "1", "/of"}, SIZE_FLOPPY_144, SAME_JOB},
      {"a shortcut to the source", {"/s", link, "/n72", "/or"}, SIZE_FLOPPY_144, SAME_JOB},
      {"an empty source on floppies", {"/s", empty}, SIZE_FLOPPY_144, SAME_JOB},
      {"an empty source in pieces of a custom size", {"/s", empty, "/nk", "64"}, SIZE_FLOPPY_144, NEITHER_STARTS},
      {"more than 1000 pieces", {"/s", source, "/nb", "100"}, SIZE_FLOPPY_144, NEITHER_STARTS},
      {"a source that is not there", {"/s", folder / "MISSING.DOC", "/n14"}, SIZE_FLOPPY_144, NEITHER_STARTS},
      {"a folder that is not there", {"/s", source, folder / "nowhere"}, SIZE_FLOPPY_144, NEITHER_STARTS},
      {"a custom size among the defaults", {"/s", source}, 5000, LEFT_TO_DIALOG},
  };
  for (const Case& line : CASES) {
    INFO(line.what);
    ProgramRegistry registry;
    TempFolder pieces;
    registry.StoreText("DefaultDestination", pieces.Path());
    registry.StoreInt("DefaultSize", line.storedSize);
    std::vector<std::string> arguments = line.arguments;
    for (std::string& argument : arguments)
      if (argument.rfind(PIECES, 0) == 0) argument.replace(0, PIECES.size(), pieces.Path());
    OpenSplitDialog dialog(arguments);
    const std::optional<WorkerJob> hidden = HiddenJob(arguments);
    CHECK(dialog.Enabled(IDOK) == (line.outcome != NEITHER_STARTS));
    if (line.outcome != SAME_JOB) {
      CHECK(Describe(hidden) == "none");
      continue;
    }
    SendMessageA(dialog.Control(IDOK), BM_CLICK, 0, 0);
    const std::vector<WorkerJob> started = dialog.Jobs();
    REQUIRE(started.size() == 1);
    CHECK(Describe(hidden) == Describe(started[0]));
  }
}
