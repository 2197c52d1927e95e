#include <doctest/doctest.h>

#include <algorithm>

#include "support/ExpectedInfo.h"
#include "support/FloppyDrive.h"
#include "support/OldRepairFile.h"
#include "support/TestSupport.h"
#include "support/WorkerStage.h"

using Names = std::vector<std::string>;

namespace {

// The next message box of the program, after checking how its text begins.
HWND ExpectBox(const test::RunningProgram& program, const std::string& textStart) {
  HWND box = program.FindMessageBox(30000);
  REQUIRE(box);
  CHECK(test::MessageBoxText(box).rfind(textStart, 0) == 0);
  return box;
}

// The user answers the next box of the program, which begins with textStart, after a
// change of disks: an empty one, one of those put in before back, or none.
void PutInAndAnswer(const test::RunningProgram& program, const std::string& textStart,
                    const std::function<bool()>& putIn, int answer) {
  HWND box = ExpectBox(program, textStart);
  REQUIRE(putIn());
  test::AnswerMessageBox(box, answer);
}
std::function<bool()> EmptyDisk(const FloppyDrive& drive) {
  return [&drive] { return drive.InsertEmptyDisk(); };
}
std::function<bool()> DiskBack(const FloppyDrive& drive, size_t disk) {
  return [&drive, disk] { return drive.PutBackDisk(disk); };
}
bool SameDisk() { return true; }

// The user puts another file of the name on the disk in A:. The old one is deleted first:
// the disks' FUSE driver frees its clusters then, not when it is opened to be replaced, and
// a full disk would have no room for the new one.
void ReplaceOnDisk(const std::string& name, const std::string& content) {
  REQUIRE(DeleteFileA(("A:\\" + name).c_str()));
  WriteWholeFile("A:\\" + name, content);
}

const std::string NEXT_DISK = "Please insert the next floppydisk";
std::string DiskWith(const char* piece) {
  return "Please insert the floppydisk which contains\nthe file 'A:\\" + std::string(piece) + "'";
}

constexpr size_t PIECE = 730112;  // a 720 KB disk's worth

}  // namespace

TEST_CASE("split onto 720 KB floppies in A: and restore from them, swapping disks when asked, one of them worn") {
  FloppyDrive drive(FloppyFormat::FAT_720);
  if (!drive.Ready()) {
    MESSAGE(FloppyDrive::NOT_READY);
    return;
  }
  TempFolder source, restored;
  const std::string original = test::PatternBytes(2 * PIECE + 5000, 3);
  WriteWholeFile(source / "REPORT.DOC", original);
  {
    test::RunningProgram split("/s \"" + (source / "REPORT.DOC") + "\" /n72 /or /nd A:\\");
    PutInAndAnswer(split, NEXT_DISK, EmptyDisk(drive), IDOK);
    PutInAndAnswer(split, NEXT_DISK, EmptyDisk(drive), IDOK);
    REQUIRE(split.WaitForExit(30000));
  }
  // Each disk holds one piece; the last one the info file too.
  REQUIRE(drive.DisksPutIn() == 3);
  CHECK(drive.FilesOnDisk(0) == Names{"REPORT.000"});
  CHECK(drive.FilesOnDisk(1) == Names{"REPORT.001"});
  CHECK(drive.FilesOnDisk(2) == Names{"REPORT.002", "REPORT.Split"});
  CHECK(drive.FileOnDisk(0, "REPORT.000") == original.substr(0, PIECE));
  const std::string goodPiece = drive.FileOnDisk(1, "REPORT.001");
  CHECK(goodPiece == original.substr(PIECE, PIECE));
  CHECK(drive.FileOnDisk(2, "REPORT.002") == original.substr(2 * PIECE));
  CHECK(drive.FileOnDisk(2, "REPORT.Split") == ExpectedInfoText("REPORT.DOC", original, PIECE));

  // The second disk has worn: one byte of its piece reads back changed.
  std::string wornPiece = goodPiece;
  wornPiece[300000] ^= 0x01;
  REQUIRE(drive.PutBackDisk(1));
  ReplaceOnDisk("REPORT.001", wornPiece);

  // The restore starts from the last disk and asks for each disk in turn.
  REQUIRE(drive.PutBackDisk(2));
  test::RunningProgram restore("/u A:\\REPORT.Split /nd \"" + restored.Path() + "\"");
  // The wrong disk is still in: asked again.
  PutInAndAnswer(restore, DiskWith("REPORT.000"), SameDisk, IDRETRY);
  PutInAndAnswer(restore, DiskWith("REPORT.000"), DiskBack(drive, 0), IDRETRY);
  PutInAndAnswer(restore, DiskWith("REPORT.001"), DiskBack(drive, 1), IDRETRY);
  // The worn piece is named; a good copy of it goes on the disk, and Retry copies it again.
  PutInAndAnswer(
      restore, "The contents of the file A:\\REPORT.001\nare not what was written",
      [&] {
        ReplaceOnDisk("REPORT.001", goodPiece);
        return true;
      },
      IDRETRY);
  PutInAndAnswer(restore, DiskWith("REPORT.002"), DiskBack(drive, 2), IDRETRY);
  REQUIRE(restore.WaitForExit(30000));
  CHECK(ReadWholeFile(restored / "REPORT.DOC") == original);
}

namespace {

// The captions of the program's visible top-level windows, sorted.
Names VisibleWindows(const test::RunningProgram& program) {
  Names captions;
  auto collect = [&](HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == program.ProcessId() && IsWindowVisible(window)) captions.push_back(test::WindowText(window));
  };
  EnumWindows(
      [](HWND window, LPARAM visit) WINAPI -> BOOL {
        (*reinterpret_cast<decltype(collect)*>(visit))(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&collect));
  std::sort(captions.begin(), captions.end());
  return captions;
}

}  // namespace

TEST_CASE("a hidden unattended split shows its disk prompt and no window else; without /na both windows show") {
  TempFolder source;
  WriteWholeFile(source / "DATA.BIN", test::PatternBytes(PIECE + 10, 9));
  for (bool hidden : {true, false}) {
    CAPTURE(hidden);
    FloppyDrive drive(FloppyFormat::FAT_720);
    if (!drive.Ready()) {
      MESSAGE(FloppyDrive::NOT_READY);
      return;
    }
    test::RunningProgram split("/s \"" + (source / "DATA.BIN") + "\" /n72 /nd " + (hidden ? "/na " : "") + "A:\\");
    // The worker waits at the disk prompt: its progress window stands still meanwhile.
    HWND box = ExpectBox(split, NEXT_DISK);
    if (hidden) {
      CHECK(VisibleWindows(split) == Names{"Parvola 95"});
    } else {
      REQUIRE(split.FindWindowByCaption("Splitting", 5000));
      CHECK(VisibleWindows(split) == Names{"Parvola 95", "Parvola 95 (Olvanta)", "Splitting"});
      RECT frame;
      GetWindowRect(split.FindWindowByCaption("Splitting"), &frame);
      CHECK(frame.right - frame.left > 100);
      CHECK(frame.bottom - frame.top > 50);
    }
    REQUIRE(drive.InsertEmptyDisk());
    test::AnswerMessageBox(box, IDOK);
    REQUIRE(split.WaitForExit(30000));
    CHECK(split.ExitCode() == 0);
    REQUIRE(drive.DisksPutIn() == 2);
    CHECK(drive.FilesOnDisk(0) == Names{"DATA.000"});
    CHECK(drive.FilesOnDisk(1) == Names{"DATA.001", "DATA.Split"});
  }
}

TEST_CASE("with recovery data the split asks for each repair disk by its number after the last piece's") {
  FloppyDrive drive(FloppyFormat::FAT_720);
  if (!drive.Ready()) {
    MESSAGE(FloppyDrive::NOT_READY);
    return;
  }
  TempFolder source;
  const std::string original = test::PatternBytes(2 * PIECE + 5000, 9);
  WriteWholeFile(source / "REPORT.DOC", original);
  test::RunningProgram split("/s \"" + (source / "REPORT.DOC") + "\" /n72 /of /nd A:\\");
  PutInAndAnswer(split, NEXT_DISK, EmptyDisk(drive), IDOK);
  PutInAndAnswer(split, NEXT_DISK, EmptyDisk(drive), IDOK);
  PutInAndAnswer(split, "Please insert repair disk 1 of 2.", EmptyDisk(drive), IDOK);
  PutInAndAnswer(split, "Please insert repair disk 2 of 2.", EmptyDisk(drive), IDOK);
  REQUIRE(split.WaitForExit(30000));
  CHECK(split.ExitCode() == 0);
  REQUIRE(drive.DisksPutIn() == 5);
  CHECK(drive.FilesOnDisk(2) == Names{"REPORT.002", "REPORT.Split"});
  // One piece's worth on 720 KB disks: 23 slices of 32,768 bytes, 21 on the first repair disk,
  // each repair disk with the index and a copy of the info file.
  CHECK(drive.FilesOnDisk(3) == Names{"REPORT.Split", "REPORT.par2", "REPORT.vol00+21.par2"});
  CHECK(drive.FilesOnDisk(4) == Names{"REPORT.Split", "REPORT.par2", "REPORT.vol21+02.par2"});
  const std::string info = drive.FileOnDisk(2, "REPORT.Split");
  CHECK(drive.FileOnDisk(3, "REPORT.Split") == info);
  CHECK(drive.FileOnDisk(4, "REPORT.Split") == info);
}

TEST_CASE("a restore mends a lost disk from the repair file of an older split on a disk after the last one") {
  FloppyDrive drive(FloppyFormat::FAT_720);
  if (!drive.Ready()) {
    MESSAGE(FloppyDrive::NOT_READY);
    return;
  }
  TempFolder source, all, restored;
  const std::string original = test::PatternBytes(2 * PIECE + 5000, 9);
  WriteWholeFile(source / "REPORT.DOC", original);
  {
    test::RunningProgram split("/s \"" + (source / "REPORT.DOC") + "\" /n72 /or /nd A:\\");
    PutInAndAnswer(split, NEXT_DISK, EmptyDisk(drive), IDOK);
    PutInAndAnswer(split, NEXT_DISK, EmptyDisk(drive), IDOK);
    REQUIRE(split.WaitForExit(30000));
    CHECK(split.ExitCode() == 0);
  }
  // The repair file as the older split wrote it: a piece's worth, so it fills a disk of its
  // own; the last disk's info file records it.
  for (size_t disk = 0; disk < 3; ++disk) REQUIRE(drive.CopyFilesOfDisk(disk, all.Path()));
  AddOldRepairFile(all / "REPORT", PIECE);
  REQUIRE(drive.PutBackDisk(2));
  ReplaceOnDisk("REPORT.Split", ReadWholeFile(all / "REPORT.Split"));
  REQUIRE(drive.InsertEmptyDisk());
  WriteWholeFile("A:\\REPORT.Fix", ReadWholeFile(all / "REPORT.Fix"));
  REQUIRE(drive.FileOnDisk(3, "REPORT.Fix") == ReadWholeFile(all / "REPORT.Fix"));

  // The second disk is lost. The restore starts from the last disk.
  REQUIRE(drive.PutBackDisk(2));
  test::RunningProgram restore("/u A:\\REPORT.Split /nd \"" + restored.Path() + "\"");
  PutInAndAnswer(restore, DiskWith("REPORT.000"), DiskBack(drive, 0), IDRETRY);
  PutInAndAnswer(restore, DiskWith("REPORT.001"), SameDisk, IDCANCEL);
  PutInAndAnswer(restore, "The file A:\\REPORT.001 is not there or not what was written.", SameDisk, IDYES);
  PutInAndAnswer(restore, DiskWith("REPORT.002"), DiskBack(drive, 2), IDRETRY);
  PutInAndAnswer(restore, DiskWith("REPORT.Fix"), DiskBack(drive, 3), IDRETRY);
  REQUIRE(restore.WaitForExit(30000));
  CHECK(restore.ExitCode() == 0);
  CHECK(ReadWholeFile(restored / "REPORT.DOC") == original);
}
