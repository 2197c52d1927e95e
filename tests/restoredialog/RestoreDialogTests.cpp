#include <doctest/doctest.h>

#include "res/resource.h"
#include "shell/ShellPaths.h"
#include "support/TestSupport.h"

namespace {

const char* const CAPTION = "Parvola 95 (Olvanta)";

// Pieces REPORT.000 and REPORT.001 of an original REPORT.DOC, and their info file.
struct SplitFixture {
  TempFolder pieces;
  TempFolder destination;
  std::string original = test::PatternBytes(100000, 7);
  std::string infoPath = pieces / "REPORT.Split";

  explicit SplitFixture(bool withSecondPiece = true) {
    WriteWholeFile(pieces / "REPORT.000", original.substr(0, 60000));
    if (withSecondPiece) WriteSecondPiece();
    WriteWholeFile(infoPath, "<ORIGINALNAME>REPORT.DOC\r\n<#FILES>2\r\n<SIZE>100000");
  }
  void WriteSecondPiece() { WriteWholeFile(pieces / "REPORT.001", original.substr(60000)); }
  std::string Arguments() const { return "/u \"" + infoPath + "\" \"" + destination.Path() + "\""; }
  std::string Restored() const { return destination / "REPORT.DOC"; }
};

HWND Restore(HWND dialog) { return GetDlgItem(dialog, IDOK); }

// The box that tells of a restored file (a box other than except), answered.
void ConfirmRestored(const test::RunningProgram& program, HWND except = nullptr) {
  HWND box = program.FindMessageBox(15000, except);
  REQUIRE(box);
  CHECK(test::MessageBoxText(box) == "The file was restored.");
  test::AnswerMessageBox(box, IDOK);
}

}  // namespace

TEST_CASE("the destination field and the Restore button") {
  SUBCASE("without a destination argument the desktop folder is proposed and usable") {
    test::RunningProgram program("/u X:\\REPORT.Split");
    HWND dialog = program.FindWindowByCaption(CAPTION);
    REQUIRE(dialog);
    CHECK(test::WindowText(GetDlgItem(dialog, IDC_DESTINATION_EDIT)) == DesktopFolderPath());
    CHECK(IsWindowEnabled(Restore(dialog)));
  }
  SUBCASE("the check follows every change of the field") {
    TempFolder folder;
    WriteWholeFile(folder / "plain.txt", "x");
    test::RunningProgram program("/u X:\\REPORT.Split \"" + folder.Path() + "\"");
    HWND dialog = program.FindWindowByCaption(CAPTION);
    REQUIRE(dialog);
    CHECK(IsWindowEnabled(Restore(dialog)));
    test::SetControlText(dialog, IDC_DESTINATION_EDIT, folder / "missing");
    CHECK_FALSE(IsWindowEnabled(Restore(dialog)));
    test::SetControlText(dialog, IDC_DESTINATION_EDIT, folder.Path() + "\\");
    CHECK(IsWindowEnabled(Restore(dialog)));
    test::SetControlText(dialog, IDC_DESTINATION_EDIT, folder / "plain.txt");
    CHECK_FALSE(IsWindowEnabled(Restore(dialog)));
    test::SetControlText(dialog, IDC_DESTINATION_EDIT, "");
    CHECK_FALSE(IsWindowEnabled(Restore(dialog)));
  }
}

TEST_CASE("a cancelled Browse leaves the destination as it was") {
  TempFolder folder;
  test::RunningProgram program("/u X:\\REPORT.Split \"" + folder.Path() + "\"");
  HWND dialog = program.FindWindowByCaption(CAPTION);
  REQUIRE(dialog);
  test::PressButton(dialog, IDC_DESTINATION_BROWSE);
  HWND chooser = program.FindActiveWindow(dialog);
  REQUIRE(chooser != nullptr);
  test::PressButton(chooser, IDCANCEL);
  CHECK(test::WaitFor([&] { return IsWindowEnabled(dialog); }));
  CHECK(test::WindowText(GetDlgItem(dialog, IDC_DESTINATION_EDIT)) == folder.Path());
  CHECK(IsWindowEnabled(Restore(dialog)));
}

TEST_CASE("a successful restore is reported and ends the program") {
  SplitFixture split;
  test::RunningProgram program(split.Arguments());
  HWND dialog = program.FindWindowByCaption(CAPTION);
  REQUIRE(dialog);
  test::PressButton(dialog, IDOK);
  ConfirmRestored(program);
  CHECK(program.WaitForExit());
  CHECK(ReadWholeFile(split.Restored()) == split.original);
}

TEST_CASE("a failed restore leaves the dialog open, and work in progress holds it open") {
  SplitFixture split(false);
  test::RunningProgram program(split.Arguments());
  HWND dialog = program.FindWindowByCaption(CAPTION);
  REQUIRE(dialog);
  test::PressButton(dialog, IDOK);
  HWND prompt = program.FindMessageBox();
  REQUIRE(prompt);
  CHECK(test::MessageBoxText(prompt).find(split.pieces / "REPORT.001") != std::string::npos);

  SUBCASE("the close box does nothing while a restore runs") {
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    Sleep(500);
    CHECK(IsWindow(dialog));
    test::AnswerMessageBox(prompt, IDCANCEL);
  }
  SUBCASE("a second restore into the same folder cannot create the file the first holds open") {
    test::PressButton(dialog, IDOK);
    HWND refusal = program.FindMessageBox(15000, prompt);
    REQUIRE(refusal);
    CHECK(test::MessageBoxText(refusal) == "The file '" + split.Restored() + "' could not be created!");
    test::AnswerMessageBox(refusal, IDOK);
    // The first restore goes on once its missing piece is there.
    split.WriteSecondPiece();
    test::AnswerMessageBox(prompt, IDRETRY);
    ConfirmRestored(program);
    CHECK(program.WaitForExit());
    CHECK(ReadWholeFile(split.Restored()) == split.original);
    return;
  }
  SUBCASE("Cancel at the disk prompt ends the restore; the dialog stays with its destination") {
    test::AnswerMessageBox(prompt, IDCANCEL);
  }
  // The restore has ended once the output file can be read again.
  CHECK(test::WaitFor([&] {
    HANDLE file = CreateFileA(split.Restored().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  }));
  Sleep(300);
  CHECK(program.FindMessageBox(100) == nullptr);
  CHECK(IsWindow(dialog));
  CHECK(test::WindowText(GetDlgItem(dialog, IDC_DESTINATION_EDIT)) == split.destination.Path());
  CHECK(ReadWholeFile(split.Restored()) == split.original.substr(0, 60000));
  test::PressButton(dialog, IDCANCEL);
  CHECK(program.WaitForExit());
  CHECK(program.ExitCode() == 0);  // an attended run: the user has seen how it went
}

TEST_CASE("a restore that ends keeps the program while another restore still writes") {
  SplitFixture split(false);
  TempFolder secondDestination;
  test::RunningProgram program(split.Arguments());
  HWND dialog = program.FindWindowByCaption(CAPTION);
  REQUIRE(dialog);
  test::PressButton(dialog, IDOK);
  HWND firstPrompt = program.FindMessageBox();
  REQUIRE(firstPrompt);
  test::SetControlText(dialog, IDC_DESTINATION_EDIT, secondDestination.Path());
  test::PressButton(dialog, IDOK);
  HWND secondPrompt = program.FindMessageBox(15000, firstPrompt);
  REQUIRE(secondPrompt);

  split.WriteSecondPiece();
  test::AnswerMessageBox(firstPrompt, IDRETRY);
  ConfirmRestored(program, secondPrompt);
  // The second restore still waits for its piece: the dialog stays, and so does its file.
  CHECK_FALSE(program.WaitForExit(1000));
  CHECK(IsWindow(dialog));

  test::AnswerMessageBox(secondPrompt, IDRETRY);
  ConfirmRestored(program);
  CHECK(program.WaitForExit());
  CHECK(ReadWholeFile(split.Restored()) == split.original);
  CHECK(ReadWholeFile(secondDestination / "REPORT.DOC") == split.original);
}

TEST_CASE("unattended restores") {
  SUBCASE("with a usable destination the restore runs without a word and the program ends") {
    SplitFixture split;
    test::RunningProgram program(split.Arguments() + " /nd");
    CHECK(program.WaitForExit(30000));
    CHECK(ReadWholeFile(split.Restored()) == split.original);
  }
  SUBCASE("with a missing destination the window is restored and nothing starts") {
    SplitFixture split;
    test::RunningProgram program("/nd /u \"" + split.infoPath + "\" \"" + split.destination.Path() + "\\nowhere\"");
    HWND dialog = program.FindWindowByCaption(CAPTION);
    REQUIRE(dialog);
    CHECK(test::WaitFor([&] { return !IsIconic(dialog); }));
    CHECK_FALSE(IsWindowEnabled(Restore(dialog)));
    CHECK_FALSE(FileExists(split.destination / "nowhere"));
  }
}

TEST_CASE("Check, attended: its box tells what it found, nothing is written, and the dialog stays for a restore") {
  SplitFixture split;
  SUBCASE("pressed in the dialog: the sizes alone, for an info file without checksums") {
    test::RunningProgram program(split.Arguments());
    HWND dialog = program.FindWindowByCaption(CAPTION);
    REQUIRE(dialog);
    test::PressButton(dialog, IDC_CHECK_PIECES);
    HWND box = program.FindMessageBox(15000);
    REQUIRE(box);
    CHECK(test::MessageBoxText(box).rfind("All 2 split files of REPORT.DOC are there", 0) == 0);
    CHECK(test::MessageBoxText(box).find("only the sizes could be checked") != std::string::npos);
    test::AnswerMessageBox(box, IDOK);
    CHECK_FALSE(program.WaitForExit(1000));
    CHECK_FALSE(FileExists(split.Restored()));
    test::PressButton(dialog, IDOK);
    ConfirmRestored(program);
    REQUIRE(program.WaitForExit(15000));
    CHECK(ReadWholeFile(split.Restored()) == split.original);
  }
  SUBCASE("/t starts it at once; a missing piece is named") {
    REQUIRE(DeleteFileA((split.pieces / "REPORT.001").c_str()));
    test::RunningProgram program("/t \"" + split.infoPath + "\"");
    HWND prompt = program.FindMessageBox(15000);
    REQUIRE(prompt);
    test::AnswerMessageBox(prompt, IDCANCEL);
    HWND box = program.FindMessageBox(15000, prompt);
    REQUIRE(box);
    CHECK(test::MessageBoxText(box).find("REPORT.001 is missing") != std::string::npos);
    test::AnswerMessageBox(box, IDOK);
    CHECK_FALSE(program.WaitForExit(1000));
    CHECK(program.FindWindowByCaption(CAPTION) != nullptr);
  }
}
