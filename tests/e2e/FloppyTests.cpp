#include <doctest/doctest.h>

#include "support/ExpectedInfo.h"
#include "support/FloppyDrive.h"
#include "support/OldRepairFile.h"
#include "support/TestSupport.h"
#include "support/WorkerStage.h"

namespace {

// Takes every file off the "disk" in A: into a folder, or puts a folder's files on it.
void MoveAll(const std::string& from, const std::string& to) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
  REQUIRE(search != INVALID_HANDLE_VALUE);
  do {
    std::string name = found.cFileName;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY || name[0] == '.') continue;
    REQUIRE(MoveFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str()));
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// The next message box of the program, after checking how its text begins.
HWND ExpectBox(const test::RunningProgram& program, const std::string& textStart) {
  HWND box = program.FindMessageBox(30000);
  REQUIRE(box);
  CHECK(test::MessageBoxText(box).rfind(textStart, 0) == 0);
  return box;
}

const std::string NEXT_DISK = "Please insert the next floppydisk";
std::string DiskWith(const char* piece) {
  return "Please insert the floppydisk which contains\nthe file 'A:\\" + std::string(piece) + "'";
}

}  // namespace

TEST_CASE("split onto 720 KB floppies in A: and restore from them, swapping disks when asked, one of them worn") {
  FloppyDrive drive;
  TempFolder source, disk1, disk2, disk3, restored;
  const std::string original = test::PatternBytes(2 * 730112 + 5000, 3);
  WriteWholeFile(source / "REPORT.DOC", original);

  {
    test::RunningProgram split("/s \"" + (source / "REPORT.DOC") + "\" /n72 /or /nd A:\\");
    HWND box = ExpectBox(split, NEXT_DISK);
    MoveAll("A:", disk1.Path());
    test::AnswerMessageBox(box, IDOK);
    box = ExpectBox(split, NEXT_DISK);
    MoveAll("A:", disk2.Path());
    test::AnswerMessageBox(box, IDOK);
    REQUIRE(split.WaitForExit(30000));
  }
  // Each disk holds one piece; the last one the info file too.
  CHECK(ReadWholeFile(disk1 / "REPORT.000") == original.substr(0, 730112));
  CHECK(ReadWholeFile(disk2 / "REPORT.001") == original.substr(730112, 730112));
  CHECK(ReadWholeFile("A:\\REPORT.002") == original.substr(2 * 730112));
  CHECK(ReadWholeFile("A:\\REPORT.Split") == ExpectedInfoText("REPORT.DOC", original, 730112));

  // The second disk has worn: one byte of its piece reads back changed.
  const std::string goodPiece = ReadWholeFile(disk2 / "REPORT.001");
  std::string wornPiece = goodPiece;
  wornPiece[300000] ^= 0x01;
  WriteWholeFile(disk2 / "REPORT.001", wornPiece);

  // The restore starts from the last disk and asks for each disk in turn.
  test::RunningProgram restore("/u A:\\REPORT.Split /nd \"" + restored.Path() + "\"");
  HWND box = ExpectBox(restore, DiskWith("REPORT.000"));
  test::AnswerMessageBox(box, IDRETRY);  // the wrong disk is still in: asked again
  box = ExpectBox(restore, DiskWith("REPORT.000"));
  MoveAll("A:", disk3.Path());
  MoveAll(disk1.Path(), "A:");
  test::AnswerMessageBox(box, IDRETRY);
  box = ExpectBox(restore, DiskWith("REPORT.001"));
  MoveAll("A:", disk1.Path());
  MoveAll(disk2.Path(), "A:");
  test::AnswerMessageBox(box, IDRETRY);
  // The worn piece is named; a good copy of it goes in, and Retry copies it again.
  box = ExpectBox(restore, "The contents of the file A:\\REPORT.001\nare not what was written");
  WriteWholeFile("A:\\REPORT.001", goodPiece);
  test::AnswerMessageBox(box, IDRETRY);
  box = ExpectBox(restore, DiskWith("REPORT.002"));
  MoveAll("A:", disk2.Path());
  MoveAll(disk3.Path(), "A:");
  test::AnswerMessageBox(box, IDRETRY);
  REQUIRE(restore.WaitForExit(30000));
  CHECK(ReadWholeFile(restored / "REPORT.DOC") == original);
}

TEST_CASE("a hidden progress window shrinks to nothing; without the switch it shows") {
  FloppyDrive drive;
  TempFolder source;
  WriteWholeFile(source / "DATA.BIN", test::PatternBytes(730112 + 10, 9));
  for (bool hidden : {true, false}) {
    CAPTURE(hidden);
    TempFolder disk1;
    test::RunningProgram split("/s \"" + (source / "DATA.BIN") + "\" /n72 /nd " + (hidden ? "/na " : "") + "A:\\");
    // The worker waits at the disk prompt: its progress window stands still meanwhile.
    HWND box = ExpectBox(split, NEXT_DISK);
    HWND progress = split.FindWindowByCaption("Splitting", 5000);
    REQUIRE(progress);
    RECT frame;
    GetWindowRect(progress, &frame);
    if (hidden) {
      CHECK(frame.right - frame.left == 0);
      CHECK(frame.bottom - frame.top == 0);
    } else {
      CHECK(frame.right - frame.left > 100);
      CHECK(frame.bottom - frame.top > 50);
    }
    MoveAll("A:", disk1.Path());
    test::AnswerMessageBox(box, IDOK);
    REQUIRE(split.WaitForExit(30000));
    CHECK(FileExists("A:\\DATA.001"));
    DeleteFileA("A:\\DATA.001");
  }
}

TEST_CASE("with recovery data the split asks for each repair disk by its number after the last piece's") {
  FloppyDrive drive;
  TempFolder source, disk1, disk2, disk3, disk4;
  const std::string original = test::PatternBytes(2 * 730112 + 5000, 9);
  WriteWholeFile(source / "REPORT.DOC", original);
  test::RunningProgram split("/s \"" + (source / "REPORT.DOC") + "\" /n72 /of /nd A:\\");
  for (const TempFolder* disk : {&disk1, &disk2}) {
    HWND box = ExpectBox(split, NEXT_DISK);
    MoveAll("A:", disk->Path());
    test::AnswerMessageBox(box, IDOK);
  }
  HWND box = ExpectBox(split, "Please insert repair disk 1 of 2.");
  CHECK(FilesIn("A:") == std::vector<std::string>{".parvola-test-floppy", "REPORT.002", "REPORT.Split"});
  MoveAll("A:", disk3.Path());
  test::AnswerMessageBox(box, IDOK);
  // One piece's worth on 720 KB disks: 23 slices of 32,768 bytes, 21 on the first repair disk.
  box = ExpectBox(split, "Please insert repair disk 2 of 2.");
  CHECK(FilesIn("A:") == std::vector<std::string>{".parvola-test-floppy", "REPORT.Split", "REPORT.par2",
                                                   "REPORT.vol00+21.par2"});
  CHECK(ReadWholeFile("A:\\REPORT.Split") == ReadWholeFile(disk3 / "REPORT.Split"));
  MoveAll("A:", disk4.Path());
  test::AnswerMessageBox(box, IDOK);
  REQUIRE(split.WaitForExit(30000));
  CHECK(split.ExitCode() == 0);
  CHECK(FilesIn("A:") == std::vector<std::string>{".parvola-test-floppy", "REPORT.Split", "REPORT.par2",
                                                   "REPORT.vol21+02.par2"});
}

TEST_CASE("a restore mends a lost disk from the repair file of an older split on a disk after the last one") {
  FloppyDrive drive;
  TempFolder source, disk1, disk2, disk3, disk4, restored;
  const std::string original = test::PatternBytes(2 * 730112 + 5000, 9);
  WriteWholeFile(source / "REPORT.DOC", original);
  {
    test::RunningProgram split("/s \"" + (source / "REPORT.DOC") + "\" /n72 /or /nd A:\\");
    for (const TempFolder* disk : {&disk1, &disk2}) {
      HWND box = ExpectBox(split, NEXT_DISK);
      MoveAll("A:", disk->Path());
      test::AnswerMessageBox(box, IDOK);
    }
    REQUIRE(split.WaitForExit(30000));
    CHECK(split.ExitCode() == 0);
  }
  // The repair file as the older split wrote it, on a disk of its own with a second copy of
  // the info file; the last disk's info file records it too.
  MoveAll("A:", disk3.Path());
  TempFolder all;
  for (const TempFolder* disk : {&disk1, &disk2, &disk3})
    for (const std::string& name : FilesIn(disk->Path()))
      REQUIRE(CopyFileA((*disk / name).c_str(), (all / name).c_str(), FALSE));
  AddOldRepairFile(all / "REPORT", 730112);
  for (const std::string& to : {disk3 / "REPORT.Split", disk4 / "REPORT.Split"})
    REQUIRE(CopyFileA((all / "REPORT.Split").c_str(), to.c_str(), FALSE));
  REQUIRE(CopyFileA((all / "REPORT.Fix").c_str(), (disk4 / "REPORT.Fix").c_str(), FALSE));
  MoveAll(disk4.Path(), "A:");

  // The second disk is lost. The restore starts from the repair disk.
  test::RunningProgram restore("/u A:\\REPORT.Split /nd \"" + restored.Path() + "\"");
  HWND box = ExpectBox(restore, DiskWith("REPORT.000"));
  MoveAll("A:", disk4.Path());
  MoveAll(disk1.Path(), "A:");
  test::AnswerMessageBox(box, IDRETRY);
  box = ExpectBox(restore, DiskWith("REPORT.001"));
  MoveAll("A:", disk1.Path());
  test::AnswerMessageBox(box, IDCANCEL);
  box = ExpectBox(restore, "The file A:\\REPORT.001 is not there or not what was written.");
  test::AnswerMessageBox(box, IDYES);
  box = ExpectBox(restore, DiskWith("REPORT.002"));
  MoveAll(disk3.Path(), "A:");
  test::AnswerMessageBox(box, IDRETRY);
  box = ExpectBox(restore, DiskWith("REPORT.Fix"));
  MoveAll("A:", disk3.Path());
  MoveAll(disk4.Path(), "A:");
  test::AnswerMessageBox(box, IDRETRY);
  REQUIRE(restore.WaitForExit(30000));
  CHECK(restore.ExitCode() == 0);
  CHECK(ReadWholeFile(restored / "REPORT.DOC") == original);
}
