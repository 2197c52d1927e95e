// Splitting onto and restoring onto drive A:, a floppy drive to the program.
#include <doctest/doctest.h>

#include "job/Messages.h"
#include "logic/PieceNames.h"
#include "restore/RestoreWorker.h"
#include "res/resource.h"
#include "split/SplitWorker.h"
#include "support/FloppyDrive.h"
#include "support/ScriptedMessages.h"
#include "support/StandInVolume.h"
#include "support/TestSupport.h"
#include "support/WorkerStage.h"

using Entries = std::vector<std::string>;

namespace {

// Every write followed by a flush, and nothing else.
bool EachWriteFlushed(const std::string& calls) {
  std::string pairs;
  for (size_t index = 0; index < calls.size() / 2; ++index) pairs += "WF";
  return !calls.empty() && calls == pairs;
}

}  // namespace

TEST_CASE("only A: and B: are floppy drives") {
  for (const char* floppy : {"A:", "a:", "A:\\", "b:\\backup", "B:"}) CHECK(IsFloppyDestination(floppy));
  for (const char* other : {"C:\\", "c:", "", "a", "\\\\server\\a:", "AB:", "Z:\\a:"})
    CHECK_FALSE(IsFloppyDestination(other));
}

TEST_CASE("on drive A: every piece after the first waits for a new disk, and every write is flushed") {
  WorkerStage stage;
  TempFolder folder;
  FloppyDrive floppy(FloppyFormat::FAT_1440);
  if (!floppy.Ready()) {
    MESSAGE(FloppyDrive::NOT_READY);
    return;
  }
  const std::string data = test::PatternBytes(100000, 3);
  WriteWholeFile(folder / "REPORT.DOC", data);
  ScriptedMessages boxes({}, &stage.journal);

  SUBCASE("split: a prompt before .001 and .002, none before the extras") {
    boxes.WhenShown(IDS_NEXT_DISK, [&] { floppy.InsertEmptyDisk(); });
    FileCallCounter calls;
    CHECK(stage.Run(SplitWorker, stage.Job(folder / "REPORT.DOC", "A:\\", 40000, EXTRA_INFO_FILE)) ==
          ENDED_DONE);
    REQUIRE(floppy.DisksPutIn() == 3);
    CHECK(floppy.FilesOnDisk(0) == Entries{"REPORT.000"});
    CHECK(floppy.FilesOnDisk(1) == Entries{"REPORT.001"});
    CHECK(floppy.FilesOnDisk(2) == Entries{"REPORT.002", "REPORT.Split"});
    CHECK(floppy.FileOnDisk(0, "REPORT.000") + floppy.FileOnDisk(1, "REPORT.001") +
              floppy.FileOnDisk(2, "REPORT.002") ==
          data);
    Entries prompted;
    for (const std::string& entry : stage.Entries())
      if (entry.find("WM_SHOW_TO") != std::string::npos || entry.starts_with("box") ||
          entry.find("ANIMATION") != std::string::npos)
        prompted.push_back(entry);
    const Entries prompt = {"send WM_ANIMATION_STOP", "box 147", "send WM_ANIMATION_PLAY"};
    CHECK(prompted == Entries{"send WM_SHOW_TO A:\\REPORT.000", prompt[0], prompt[1], prompt[2],
                              "send WM_SHOW_TO A:\\REPORT.001", prompt[0], prompt[1], prompt[2],
                              "send WM_SHOW_TO A:\\REPORT.002"});
    CHECK(Box(boxes).text == "Please insert the next floppydisk");
    CHECK(Box(boxes).buttons == MB_OK);
    CHECK(Box(boxes).icon == MB_ICONEXCLAMATION);
    // Six chunks of 32,768-byte blocks carried over from piece to piece, each written
    // and flushed; then the info file, written once and not flushed.
    std::string pieces = calls.Calls();
    CHECK(pieces.size() == 13);
    CHECK(pieces.ends_with("FW"));
    CHECK(EachWriteFlushed(pieces.substr(0, 12)));
    std::vector<uint32_t> sizes = calls.WriteSizes();
    sizes.pop_back();
    CHECK(sizes == std::vector<uint32_t>{32768, 7232, 25536, 14464, 18304, 1696});
  }

  SUBCASE("restore: the rebuilt file on A: is flushed after every block") {
    MakeFolder(folder / "out");
    REQUIRE(stage.Run(SplitWorker, stage.Job(folder / "REPORT.DOC", folder / "out", 40000,
                                             EXTRA_INFO_FILE)) == ENDED_DONE);
    FileCallCounter calls;
    CHECK(stage.Run(RestoreWorker, stage.Job(folder / "out\\REPORT.Split", "a:")) == ENDED_DONE);
    CHECK(floppy.FilesOnDisk(0) == Entries{"REPORT.DOC"});
    CHECK(floppy.FileOnDisk(0, "REPORT.DOC") == data);
    CHECK(EachWriteFlushed(calls.Calls()));
    // Pieces of 40,000, 40,000 and 20,000 bytes, read in blocks of 32,768 bytes.
    CHECK(calls.WriteSizes() == std::vector<uint32_t>{32768, 7232, 32768, 7232, 20000});
  }
}

TEST_CASE("copies from drive A: to a fixed disk read 32,768-byte blocks and flush nothing") {
  WorkerStage stage;
  TempFolder folder;
  FloppyDrive floppy(FloppyFormat::FAT_1440);
  if (!floppy.Ready()) {
    MESSAGE(FloppyDrive::NOT_READY);
    return;
  }
  MakeFolder(folder / "out");
  const std::string data = test::PatternBytes(100000, 5);
  ScriptedMessages boxes({}, &stage.journal);
  FileCallCounter calls;

  SUBCASE("split of a source on A:") {
    WriteWholeFile("A:\\REPORT.DOC", data);
    CHECK(stage.Run(SplitWorker, stage.Job("A:\\REPORT.DOC", folder / "out", 40000)) == ENDED_DONE);
    CHECK(ReadWholeFile(folder / "out\\REPORT.002") == data.substr(80000));
    CHECK(calls.WriteSizes() == std::vector<uint32_t>{32768, 7232, 25536, 14464, 18304, 1696});
  }
  SUBCASE("restore of pieces on A:") {
    WriteWholeFile("A:\\REPORT.000", data.substr(0, 40000));
    WriteWholeFile("A:\\REPORT.001", data.substr(40000, 40000));
    WriteWholeFile("A:\\REPORT.002", data.substr(80000));
    WriteWholeFile("A:\\REPORT.Split", "<ORIGINALNAME>REPORT.DOC\r\n<#FILES>3\r\n<SIZE>100000");
    CHECK(stage.Run(RestoreWorker, stage.Job("A:\\REPORT.Split", folder / "out")) == ENDED_DONE);
    CHECK(ReadWholeFile(folder / "out\\REPORT.DOC") == data);
    CHECK(calls.WriteSizes() == std::vector<uint32_t>{32768, 7232, 32768, 7232, 20000});
  }
  CHECK(calls.Calls().find('F') == std::string::npos);
}

TEST_CASE("a drive without a disk is asked for again before the piece is created, until Break ends the split") {
  WorkerStage stage;
  TempFolder folder;
  // The disk in the drive is hidden while the stand-in says the drive is empty.
  FloppyDrive floppy(FloppyFormat::FAT_1440);
  if (!floppy.Ready()) {
    MESSAGE(FloppyDrive::NOT_READY);
    return;
  }
  const std::string data = test::PatternBytes(50000, 7);
  WriteWholeFile(folder / "REPORT.DOC", data);

  SUBCASE("the disk goes in at the second prompt, and the next disk at once") {
    StandInVolume drive("FAT", false);
    ScriptedMessages boxes({}, &stage.journal);
    int prompts = 0;
    boxes.WhenShown(IDS_NEXT_DISK, [&] {
      if (++prompts == 2) drive.InsertDisk();
      if (prompts == 3) floppy.InsertEmptyDisk();
    });
    CHECK(stage.Run(SplitWorker, stage.Job(folder / "REPORT.DOC", "A:\\", 40000)) == ENDED_DONE);
    REQUIRE(floppy.DisksPutIn() == 2);
    CHECK(floppy.FilesOnDisk(0) == Entries{"REPORT.000"});
    CHECK(floppy.FilesOnDisk(1) == Entries{"REPORT.001"});
    CHECK(floppy.FileOnDisk(0, "REPORT.000") + floppy.FileOnDisk(1, "REPORT.001") == data);
    Entries order;
    for (const std::string& entry : stage.Entries())
      if (entry.starts_with("box") || entry.find("WM_SHOW_TO") != std::string::npos) order.push_back(entry);
    CHECK(order == Entries{"box 147", "box 147", "send WM_SHOW_TO A:\\REPORT.000", "box 147",
                           "send WM_SHOW_TO A:\\REPORT.001"});
  }
  SUBCASE("Break while the drive stays empty asks whether to stop; Yes ends the split with nothing written") {
    StandInVolume drive("FAT", false);
    ScriptedMessages boxes({IDYES}, &stage.journal);
    boxes.WhenShown(IDS_NEXT_DISK, [&] { stage.Break(); });
    CHECK(stage.Run(SplitWorker, stage.Job(folder / "REPORT.DOC", "A:\\", 40000)) == ENDED_FAILED);
    CHECK(stage.Only("box") == Entries{"box 147", "box 150"});
    CHECK(floppy.DisksPutIn() == 1);
    CHECK(floppy.FilesOnDisk(0).empty());
  }
}
