#include <doctest/doctest.h>

#include "res/resource.h"
#include "support/OldRepairFile.h"
#include "support/ProgramRegistry.h"
#include "support/TestSupport.h"
#include "support/WorkerStage.h"

namespace {

// A file to split, a folder for its pieces and one for the restored file.
struct Folders {
  ProgramRegistry registry;  // the split dialog stores its settings
  TempFolder root;
  std::string source = root / "REPORT.DOC";
  std::string pieces = root / "pieces";
  std::string restored = root / "restored";
  std::string original = test::PatternBytes(200000, 5);

  Folders() {
    WriteWholeFile(source, original);
    MakeFolder(pieces);
    MakeFolder(restored);
  }
  std::string Split(const std::string& switches, const std::string& destination) const {
    return "/s \"" + source + "\" " + switches + " \"" + destination + "\"";
  }
  // switches: "/nd", or "/nd /na" for a run that hides its progress.
  std::string Restore(const std::string& destination, const std::string& switches = "/nd") const {
    return "/u \"" + pieces + "\\REPORT.Split\" " + switches + " \"" + destination + "\"";
  }
};

// The exit status of the program once it has ended by itself.
DWORD StatusAtEnd(const test::RunningProgram& program, DWORD timeoutMs = 30000) {
  REQUIRE(program.WaitForExit(timeoutMs));
  return program.ExitCode();
}

// Exit of the restore dialog while a job runs: disabled, and the program goes on.
void PressExitWhileWorking(const test::RunningProgram& program) {
  HWND dialog = program.FindWindowByCaption("Parvola 95 (Olvanta)");
  REQUIRE(dialog);
  CHECK_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)));
  test::PressButton(dialog, IDCANCEL);
  CHECK_FALSE(program.WaitForExit(500));
}

// The dialog an unattended run left open for the user, closed as the user would.
void CloseWaitingDialog(const test::RunningProgram& program) {
  HWND dialog = program.FindWindowByCaption("Parvola 95 (Olvanta)");
  REQUIRE(dialog);
  CHECK(test::WaitFor([&] { return !IsIconic(dialog); }));
  PostMessageA(dialog, WM_CLOSE, 0, 0);
}

}  // namespace

TEST_CASE("an unattended run ends with 0 when its work was done, 1 when it failed or was broken off") {
  Folders folders;
  SUBCASE("a split and a restore that were done, with their progress shown or hidden") {
    for (const std::string unattended : {"/nd", "/nd /na"}) {
      CAPTURE(unattended);
      test::RunningProgram split(folders.Split("/nk 64 /or " + unattended, folders.pieces));
      CHECK(StatusAtEnd(split) == 0);
      test::RunningProgram restore(folders.Restore(folders.restored, unattended));
      CHECK(StatusAtEnd(restore) == 0);
      CHECK(ReadWholeFile(folders.restored + "\\REPORT.DOC") == folders.original);
      for (const char* name : {"\\REPORT.000", "\\REPORT.001", "\\REPORT.002", "\\REPORT.003", "\\REPORT.Split"})
        REQUIRE(DeleteFileA((folders.pieces + name).c_str()));
      REQUIRE(DeleteFileA((folders.restored + "\\REPORT.DOC").c_str()));
    }
  }
  SUBCASE("a split with recovery data of 3 pieces' worth, which brings the info file along") {
    test::RunningProgram split(folders.Split("/nk 64 /nf 3 /nd /na", folders.pieces));
    CHECK(StatusAtEnd(split) == 0);
    CHECK(FileExists(folders.pieces + "\\REPORT.Split"));
  }
  SUBCASE("a restore that lacks a piece, cancelled at the disk prompt; Exit meanwhile does not end it") {
    test::RunningProgram split(folders.Split("/nk 64 /or /nd /na", folders.pieces));
    REQUIRE(StatusAtEnd(split) == 0);
    REQUIRE(DeleteFileA((folders.pieces + "\\REPORT.002").c_str()));
    test::RunningProgram restore(folders.Restore(folders.restored));
    HWND prompt = restore.FindMessageBox();
    REQUIRE(prompt);
    PressExitWhileWorking(restore);
    test::AnswerMessageBox(prompt, IDCANCEL);
    CHECK(StatusAtEnd(restore) == 1);
    CHECK(ReadWholeFile(folders.restored + "\\REPORT.DOC") == folders.original.substr(0, 2 * 65536));
  }
  SUBCASE("Exit while a restore waits for the repair file, a piece set aside: no file with a hole is left") {
    test::RunningProgram split(folders.Split("/nk 64 /or /nd /na", folders.pieces));
    REQUIRE(StatusAtEnd(split) == 0);
    AddOldRepairFile(folders.pieces + "\\REPORT", 65536);
    for (const char* name : {"\\REPORT.001", "\\REPORT.Fix"}) REQUIRE(DeleteFileA((folders.pieces + name).c_str()));
    // Unattended with the pieces on a fixed disk, the missing piece is set aside without a
    // question; the repair file's disk prompt stays.
    test::RunningProgram restore(folders.Restore(folders.restored));
    HWND missingRepair = restore.FindMessageBox();
    REQUIRE(missingRepair);
    CHECK(test::MessageBoxText(missingRepair).find("REPORT.Fix") != std::string::npos);
    PressExitWhileWorking(restore);
    test::AnswerMessageBox(missingRepair, IDCANCEL);
    CHECK(StatusAtEnd(restore) == 1);
    // Only the bytes before the room of the piece set aside: none of them is unchecked.
    CHECK(ReadWholeFile(folders.restored + "\\REPORT.DOC") == folders.original.substr(0, 65536));
  }
  SUBCASE("a check: 0 for pieces that are whole, 1 when one is missing; it writes nothing") {
    test::RunningProgram split(folders.Split("/nk 64 /or /nd /na", folders.pieces));
    REQUIRE(StatusAtEnd(split) == 0);
    AddOldRepairFile(folders.pieces + "\\REPORT", 65536);
    const std::string check = "/t \"" + folders.pieces + "\\REPORT.Split\" ";
    for (const char* unattended : {"/nd", "/nd /na"}) {
      CAPTURE(unattended);
      test::RunningProgram good(check + unattended);
      CHECK(StatusAtEnd(good) == 0);
    }
    REQUIRE(DeleteFileA((folders.pieces + "\\REPORT.001").c_str()));
    for (const char* unattended : {"/nd", "/nd /na"}) {
      CAPTURE(unattended);
      test::RunningProgram bad(check + unattended);
      HWND prompt = bad.FindMessageBox();
      REQUIRE(prompt);
      test::AnswerMessageBox(prompt, IDCANCEL);
      CHECK(StatusAtEnd(bad) == 1);
    }
    CHECK(FilesIn(folders.pieces) == std::vector<std::string>{"REPORT.000", "REPORT.002", "REPORT.003", "REPORT.Fix", "REPORT.Split"});
    CHECK(FilesIn(folders.restored).empty());
  }
  SUBCASE("a split broken off with Break") {
    const std::string big = folders.root / "BIG.BIN";
    MakeSparseFile(big, int64_t{4} << 30);
    test::RunningProgram split("/s \"" + big + "\" /nm 100 /nd \"" + folders.pieces + "\"");
    HWND progress = split.FindWindowByCaption("Splitting");
    REQUIRE(progress);
    test::PressButton(progress, IDC_BREAK);
    HWND question = split.FindMessageBox();
    REQUIRE(question);
    CHECK(test::MessageBoxText(question).rfind("The splitting is not yet complete.", 0) == 0);
    test::AnswerMessageBox(question, IDYES);
    CHECK(StatusAtEnd(split) == 1);
  }
}

TEST_CASE("an unattended run that cannot start by itself waits for the user and ends with 2") {
  Folders folders;
  // The command line once with "/nd" and once with "/nd /na" after it: a run that would hide
  // its progress opens its dialog all the same.
  auto waitsWithStatus2 = [&](const std::string& command) {
    for (const char* unattended : {" /nd", " /nd /na"}) {
      CAPTURE(command + unattended);
      test::RunningProgram run(command + unattended);
      CloseWaitingDialog(run);
      CHECK(StatusAtEnd(run) == 2);
    }
  };
  const std::string split = "/s \"" + folders.source + "\"";
  SUBCASE("a size switch followed by a path in place of its number") {
    // The path is not taken for a size of 0 (default size, default folder): the
    // command line is not one that runs unattended.
    waitsWithStatus2(split + " /nk \"" + folders.pieces + "\"");
  }
  SUBCASE("an amount of recovery data outside 1 to 99") {
    for (const char* amount : {"0", "100"}) waitsWithStatus2(split + " \"" + folders.pieces + "\" /nk 64 /nf " + amount);
  }
  SUBCASE("a destination that does not exist") {
    waitsWithStatus2(split + " \"" + folders.root / "nowhere" + "\" /nk 64");
  }
  SUBCASE("a source that cannot be read, and a size that makes more than 1000 pieces") {
    waitsWithStatus2("/s \"" + folders.root / "MISSING.DOC" + "\" \"" + folders.pieces + "\" /nk 64");
    waitsWithStatus2(split + " \"" + folders.pieces + "\" /nb 100");
  }
  SUBCASE("a restore into a destination that does not exist") {
    waitsWithStatus2("/u \"" + folders.pieces + "\\REPORT.Split\" \"" + folders.root / "nowhere" + "\"");
  }
  SUBCASE("a restore or a check of an info file that does not exist, with or without .Split") {
    for (const char* mode : {"/u", "/t"})
      for (const char* name : {"\\REPORT.Split", "\\REPORT"})
        waitsWithStatus2(std::string(mode) + " \"" + folders.pieces + name + "\" \"" + folders.restored + "\"");
    CHECK(FilesIn(folders.restored).empty());
  }
  CHECK_FALSE(FileExists(folders.pieces + "\\REPORT.000"));
  CHECK_FALSE(FileExists(folders.root / "nowhere"));
}
