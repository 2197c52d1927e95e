// Splitting onto floppies that really fill up: drive A: holds 1.44 MB disks, each
// of which takes exactly one full piece.
#include <doctest/doctest.h>

#include "DiskState.h"
#include "framework/Texts.h"
#include "job/Messages.h"
#include "logic/SizeRules.h"
#include "res/resource.h"
#include "restore/RestoreWorker.h"
#include "split/SplitWorker.h"
#include "support/ExpectedInfo.h"
#include "support/FloppyDrive.h"
#include "support/ProgramRegistry.h"
#include "support/TestSupport.h"
#include "support/TextLanguage.h"
#include "support/WorkerStage.h"

using Entries = std::vector<std::string>;

namespace {

constexpr size_t PIECE = FLOPPY_144_PIECE_BYTES;

// A source of two full floppy pieces: the second one fills the second disk.
struct TwoDiskSource {
  TempFolder folder;
  std::string data = test::PatternBytes(2 * PIECE, 5);
  std::string path = folder / "REPORT.DOC";
  Entries before;

  TwoDiskSource() {
    WriteWholeFile(path, data);
    before = FolderState(folder.Path());
  }
  std::string SecondPiece() const { return data.substr(PIECE); }
  // The source and its folder are as they were.
  void CheckUntouched() const { CHECK(FolderState(folder.Path()) == before); }
};

// The info file of an earlier split, without checksums.
const std::string INFO_TEXT = "<ORIGINALNAME>REPORT.DOC\r\n<#FILES>2\r\n<SIZE>2915328";

}  // namespace

TEST_CASE("the last piece fills the disk: the first extra finds it full, Retry goes on on an empty one") {
  FloppyDrive floppy(FloppyFormat::FAT_1440);
  if (!floppy.Ready()) {
    MESSAGE(FloppyDrive::NOT_READY);
    return;
  }
  TwoDiskSource source;
  struct Extras {
    uint32_t flags;
    unsigned failureText;
    const char* firstFile;  // the extra that meets the full disk
  };
  for (const Extras& extras :
       {Extras{EXTRA_BATCH_FILE | EXTRA_INFO_FILE, IDS_BATCH_FILE_FAILED, "REPORT.Bat"},
        Extras{EXTRA_INFO_FILE, IDS_INFO_FILE_FAILED, "REPORT.Split"}}) {
    for (bool retry : {true, false}) {
      CAPTURE(extras.firstFile);
      CAPTURE(retry);
      REQUIRE(floppy.InsertEmptyDisk());
      WorkerStage stage;
      ScriptedMessages boxes({retry ? IDRETRY : IDCANCEL}, &stage.journal);
      Entries firstDisk, fullDisk;
      bool inserted = true;
      boxes.WhenShown(IDS_NEXT_DISK, [&] {
        firstDisk = FolderState(FloppyDrive::Root());
        inserted = inserted && floppy.InsertEmptyDisk();
      });
      boxes.WhenShown(extras.failureText, [&] {
        fullDisk = FolderState(FloppyDrive::Root());
        if (retry) inserted = inserted && floppy.InsertEmptyDisk();
      });

      std::string ending =
          stage.Run(SplitWorker, stage.Job(source.path, "A:\\", SIZE_FLOPPY_144, extras.flags));
      REQUIRE(inserted);
      CHECK(firstDisk == Entries{StateEntry("REPORT.000", source.data.substr(0, PIECE))});
      // The extra's file was created on the full disk, but not one byte of it fits.
      CHECK(fullDisk ==
            Entries{StateEntry("REPORT.001", source.SecondPiece()), StateEntry(extras.firstFile, "")});
      CHECK(stage.Only("box") == Entries{"box 147", "box " + std::to_string(extras.failureText)});
      CHECK(Box(boxes, 1).text == fw::LoadText(extras.failureText));
      CHECK(Box(boxes, 1).buttons == MB_RETRYCANCEL);
      const Entries lastDisk = FolderState(FloppyDrive::Root());
      if (retry) {
        CHECK(ending == ENDED_DONE);
        // The failed extra and those after it, whole, on the new disk; nothing else.
        REQUIRE(lastDisk.size() == (extras.flags & EXTRA_BATCH_FILE ? 2u : 1u));
        CHECK(lastDisk.back() == StateEntry("REPORT.Split", ExpectedInfoText("REPORT.DOC", source.data, PIECE)));
        if (extras.flags & EXTRA_BATCH_FILE) CHECK(ReadWholeFile("A:\\REPORT.Bat").ends_with("\r\n:end"));
      } else {
        CHECK(ending == ENDED_FAILED);
        CHECK(lastDisk == fullDisk);  // the last piece intact, the empty extra left, nothing after it
      }
      source.CheckUntouched();
    }
  }
}

// The real program, run unattended as a script would run it; the user answers its
// real message boxes and changes the disks while they are up.
TEST_CASE("end to end: the program copy meets the full disk; Retry after a disk change, or Cancel") {
  FloppyDrive floppy(FloppyFormat::FAT_1440);
  if (!floppy.Ready()) {
    MESSAGE(FloppyDrive::NOT_READY);
    return;
  }
  UseEnglishTexts();
  ProgramRegistry registry;
  TwoDiskSource source;
  const std::string program = ReadWholeFile(test::ProgramPath());
  for (bool retry : {true, false}) {
    CAPTURE(retry);
    REQUIRE(floppy.InsertEmptyDisk());
    test::RunningProgram running("/s \"" + source.path + "\" /n14 /op /ob /or /nd A:\\");
    REQUIRE(running.Started());

    HWND box = running.FindMessageBox();
    REQUIRE(box);
    CHECK(test::MessageBoxText(box) == fw::LoadText(IDS_NEXT_DISK));
    CHECK(FolderState(FloppyDrive::Root()) ==
          Entries{StateEntry("REPORT.000", source.data.substr(0, PIECE))});
    REQUIRE(floppy.InsertEmptyDisk());
    test::AnswerMessageBox(box, IDOK);

    box = running.FindMessageBox(30000);
    REQUIRE(box);
    CHECK(test::MessageBoxText(box) == fw::LoadText(IDS_PROGRAM_COPY_FAILED));
    const Entries fullDisk = {StateEntry("Parvola95.exe", ""),
                              StateEntry("REPORT.001", source.SecondPiece())};
    CHECK(FolderState(FloppyDrive::Root()) == fullDisk);
    if (retry) REQUIRE(floppy.InsertEmptyDisk());
    test::AnswerMessageBox(box, retry ? IDRETRY : IDCANCEL);

    // Unattended, the program ends by itself after the job, with no further box.
    CHECK(running.WaitForExit(30000));
    if (retry) {
      const Entries lastDisk = FolderState(FloppyDrive::Root());
      REQUIRE(lastDisk.size() == 3);
      CHECK(lastDisk[0] == StateEntry("Parvola95.exe", program));
      CHECK(lastDisk[1].starts_with("REPORT.Bat "));
      CHECK(lastDisk[2] == StateEntry("REPORT.Split", ExpectedInfoText("REPORT.DOC", source.data, PIECE)));
    } else {
      CHECK(FolderState(FloppyDrive::Root()) == fullDisk);
    }
    source.CheckUntouched();
  }
}

TEST_CASE("a restore onto a floppy too small for the file: text 149, the disk holds what fitted") {
  FloppyDrive floppy(FloppyFormat::FAT_1440);
  if (!floppy.Ready()) {
    MESSAGE(FloppyDrive::NOT_READY);
    return;
  }
  TwoDiskSource source;
  const std::string info = source.folder / "REPORT.Split";
  WriteWholeFile(source.folder / "REPORT.000", source.data.substr(0, PIECE));
  WriteWholeFile(source.folder / "REPORT.001", source.SecondPiece());
  WriteWholeFile(info, INFO_TEXT);
  const Entries before = FolderState(source.folder.Path());
  WorkerStage stage;
  ScriptedMessages boxes({}, &stage.journal);
  CHECK(stage.Run(RestoreWorker, stage.Job(info, "A:\\")) == ENDED_FAILED);
  CHECK(stage.Only("box") == Entries{"box 149"});
  CHECK(Box(boxes).text == fw::FormatText(IDS_WRITE_INCOMPLETE, "A:\\REPORT.DOC"));
  const std::string kept = ReadWholeFile("A:\\REPORT.DOC");
  CHECK(kept.size() > PIECE - 32768);
  CHECK(kept.size() <= PIECE);
  CHECK(kept == source.data.substr(0, kept.size()));
  CHECK(FolderState(source.folder.Path()) == before);
}
