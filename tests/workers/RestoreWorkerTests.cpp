// The restore worker on pieces written by the split worker, on its own thread.
#include <doctest/doctest.h>

#include <algorithm>

#include "framework/Texts.h"
#include "job/BlockCopier.h"
#include "job/Messages.h"
#include "logic/SizeRules.h"
#include "res/resource.h"
#include "restore/RestoreWorker.h"
#include "split/SplitWorker.h"
#include "support/ScriptedMessages.h"
#include "support/StandInVolume.h"
#include "support/TestSupport.h"
#include "support/WorkerStage.h"

using Entries = std::vector<std::string>;

TEST_CASE("a restore rebuilds the split file from its pieces") {
  TempFolder folder;
  MakeFolder(folder / "out");
  MakeFolder(folder / "back");
  const std::string data = test::PatternBytes(100000, 7);
  WriteWholeFile(folder / "REPORT.PART.DOC", data);
  {
    WorkerStage splitting;
    ScriptedMessages noBoxes({}, &splitting.journal);
    const uint32_t extras = EXTRA_PROGRAM_COPY | EXTRA_BATCH_FILE | EXTRA_INFO_FILE;
    REQUIRE(splitting.Run(SplitWorker, splitting.Job(folder / "REPORT.PART.DOC", folder / "out", 40000,
                                                     extras)) == ENDED_DONE);
  }
  const std::string piece = folder / "out\\REPORT.PART";
  const std::string restored = folder / "back\\REPORT.PART.DOC";
  WorkerStage stage;
  const WorkerJob job = stage.Job(piece + ".Split", folder / "back\\");
  // The info file of an earlier split, without checksums: the size alone is checked.
  auto withoutChecksums = [&] {
    WriteWholeFile(piece + ".Split", "<ORIGINALNAME>REPORT.PART.DOC\r\n<#FILES>3\r\n<SIZE>100000");
  };

  SUBCASE("byte for byte, the pieces read in order from the info file's folder") {
    ScriptedMessages boxes({}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, job) == ENDED_DONE);
    CHECK(ReadWholeFile(restored) == data);
    CHECK(First(stage.Entries()) == "send WM_SHOW_TO " + restored);
    CHECK(stage.Only("WM_SHOW_TO").size() == 1);
    CHECK(stage.Only("WM_SHOW_FROM") == Entries{"send WM_SHOW_FROM " + piece + ".000",
                                                "send WM_SHOW_FROM " + piece + ".001",
                                                "send WM_SHOW_FROM " + piece + ".002"});
    CHECK(Last(stage.Only("WM_PROGRESS_POS")) == "post WM_PROGRESS_POS 1000");
    CHECK(boxes.Shown().empty());
  }

  SUBCASE("an info file without checksums named without its extension, and an empty piece in between") {
    withoutChecksums();
    ScriptedMessages boxes({}, &stage.journal);
    WriteWholeFile(piece + ".001", "");
    WriteWholeFile(piece + ".002", data.substr(40000));
    CHECK(stage.Run(RestoreWorker, stage.Job(piece, folder / "back")) == ENDED_DONE);
    CHECK(ReadWholeFile(restored) == data);
  }

  SUBCASE("a missing piece: its disk is asked for; Retry once it is back goes on there") {
    REQUIRE(MoveFileA((piece + ".001").c_str(), (folder / "kept").c_str()));
    ScriptedMessages boxes({IDRETRY}, &stage.journal);
    boxes.WhenShown(IDS_INSERT_DISK_WITH,
                    [&] { MoveFileA((folder / "kept").c_str(), (piece + ".001").c_str()); });
    CHECK(stage.Run(RestoreWorker, job) == ENDED_DONE);
    CHECK(ReadWholeFile(restored) == data);
    CHECK(stage.Dialogue() == Entries{"send WM_ANIMATION_STOP", "box 155", "send WM_ANIMATION_PLAY"});
    REQUIRE(boxes.Shown().size() == 1);
    CHECK(Box(boxes).text == "Please insert the floppydisk which contains\nthe file '" + piece + ".001'.");
    CHECK(Box(boxes).buttons == MB_RETRYCANCEL);
    CHECK(Box(boxes).icon == MB_ICONEXCLAMATION);
  }

  SUBCASE("a missing piece and Cancel: what was copied stays") {
    DeleteFileA((piece + ".001").c_str());
    ScriptedMessages boxes({IDCANCEL}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, job) == ENDED_FAILED);
    CHECK(ReadWholeFile(restored) == data.substr(0, 40000));
    CHECK(stage.Only("box") == Entries{"box 155"});
  }

  SUBCASE("pieces holding more or fewer bytes than recorded: text 157, the output keeps them") {
    withoutChecksums();
    for (size_t lastPiece : {20001u, 19999u}) {
      CAPTURE(lastPiece);
      WriteWholeFile(piece + ".002", test::PatternBytes(lastPiece));
      WorkerStage checking;
      ScriptedMessages boxes({IDYES}, &checking.journal);
      CHECK(checking.Run(RestoreWorker, checking.Job(piece + ".Split", folder / "back")) == ENDED_FAILED);
      CHECK(ReadWholeFile(restored).size() == 80000 + lastPiece);
      CHECK(Box(boxes, -1).text == "The size of the created file is not correct!");
      CHECK(Last(checking.Only("box")) == "box 157");
    }
  }

  SUBCASE("Break, then Yes: the first block stays, nothing more is asked") {
    ScriptedMessages boxes({IDYES}, &stage.journal);
    stage.Break();
    CHECK(stage.Run(RestoreWorker, job) == ENDED_FAILED);
    CHECK(ReadWholeFile(restored) == data.substr(0, std::min<size_t>(FIXED_DISK_BLOCK_BYTES, 40000)));
    CHECK(stage.Dialogue() == Entries{"box 156"});
    CHECK(Box(boxes).text == "The restoring is not complete yet.\nWould you abort anyway?");
    CHECK(Box(boxes).buttons == MB_YESNO);
    CHECK(Box(boxes).icon == MB_ICONEXCLAMATION);
  }

  SUBCASE("Break, then No: the animation plays again and the restore goes on") {
    ScriptedMessages boxes({IDNO}, &stage.journal);
    stage.Break();
    CHECK(stage.Run(RestoreWorker, job) == ENDED_DONE);
    CHECK(ReadWholeFile(restored) == data);
    CHECK(stage.Dialogue() == Entries{"box 156", "post WM_ANIMATION_PLAY"});
  }

  SUBCASE("overwriting an existing file declined: no piece is read") {
    WriteWholeFile(restored, "old");
    ScriptedMessages boxes({IDNO}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, job) == ENDED_FAILED);
    CHECK(ReadWholeFile(restored) == "old");
    CHECK(stage.Only("WM_SHOW_FROM").empty());
  }
}

TEST_CASE("the checksums find a piece whose contents are not what the split wrote") {
  TempFolder folder;
  MakeFolder(folder / "out");
  const std::string data = test::PatternBytes(100000, 3);
  WriteWholeFile(folder / "REPORT.DOC", data);
  {
    WorkerStage splitting;
    ScriptedMessages noBoxes({}, &splitting.journal);
    REQUIRE(splitting.Run(SplitWorker, splitting.Job(folder / "REPORT.DOC", folder / "out", 40000,
                                                     EXTRA_INFO_FILE)) == ENDED_DONE);
  }
  const std::string piece = folder / "out\\REPORT";
  const std::string restored = folder / "REPORT.DOC.back";
  const std::string good = ReadWholeFile(piece + ".001");
  std::string damaged = good;
  damaged[20000] ^= 0x10;  // one byte in the middle of the middle piece
  WriteWholeFile(piece + ".001", damaged);
  MakeFolder(folder / "back");
  WorkerStage stage;
  const WorkerJob job = stage.Job(piece + ".Split", folder / "back");
  const std::string output = folder / "back\\REPORT.DOC";

  SUBCASE("a changed byte: the box names the piece; Cancel keeps the bytes before it") {
    ScriptedMessages boxes({IDCANCEL}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, job) == ENDED_FAILED);
    CHECK(stage.Dialogue() == Entries{"send WM_ANIMATION_STOP", "box 171"});
    CHECK(Box(boxes).text == fw::FormatText(IDS_PIECE_DAMAGED, (piece + ".001").c_str()));
    CHECK(Box(boxes).buttons == MB_RETRYCANCEL);
    CHECK(ReadWholeFile(output) == data.substr(0, 40000));
  }
  SUBCASE("Retry once the good piece is back: the piece is copied again and the file is whole") {
    ScriptedMessages boxes({IDRETRY}, &stage.journal);
    boxes.WhenShown(IDS_PIECE_DAMAGED, [&] { WriteWholeFile(piece + ".001", good); });
    CHECK(stage.Run(RestoreWorker, job) == ENDED_DONE);
    CHECK(stage.Dialogue() == Entries{"send WM_ANIMATION_STOP", "box 171", "send WM_ANIMATION_PLAY"});
    CHECK(ReadWholeFile(output) == data);
    CHECK(Last(stage.Only("WM_PROGRESS_POS")) == "post WM_PROGRESS_POS 1000");
  }
  SUBCASE("two pieces of one size swapped keep every CRC but not the order: the first is named") {
    WriteWholeFile(piece + ".001", ReadWholeFile(piece + ".000"));
    WriteWholeFile(piece + ".000", good);
    ScriptedMessages boxes({IDCANCEL}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, job) == ENDED_FAILED);
    CHECK(Box(boxes).text == fw::FormatText(IDS_PIECE_DAMAGED, (piece + ".000").c_str()));
    CHECK(ReadWholeFile(output).empty());
  }
  SUBCASE("the whole file's CRC that does not match the file read back: its own text, and the file is gone") {
    WriteWholeFile(piece + ".001", good);
    std::string info = ReadWholeFile(piece + ".Split");
    size_t whole = info.find("<CRC32>") + 7;
    info[whole] = info[whole] == '0' ? '1' : '0';
    WriteWholeFile(piece + ".Split", info);
    ScriptedMessages boxes({}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, job) == ENDED_FAILED);
    CHECK(stage.Dialogue() == Entries{"send WM_ANIMATION_STOP", "box 172"});
    CHECK_FALSE(FileExists(output));
  }
}

TEST_CASE("an info file that cannot be used is refused before anything is created") {
  TempFolder folder;
  MakeFolder(folder / "back");
  const std::string info = folder / "DATA.Split";
  for (std::string content : {std::string(), std::string("<ORIGINALNAME>DATA.BIN\r\n<#FILES>3\r\n"),
                              std::string("<ORIGINALNAME>DATA.BIN\r\n<#FILES>1001\r\n<SIZE>1001")}) {
    CAPTURE(content);
    if (!content.empty()) WriteWholeFile(info, content);
    WorkerStage stage;
    ScriptedMessages boxes({}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, stage.Job(info, folder / "back")) == ENDED_FAILED);
    CHECK(stage.Entries() ==
          Entries{"send WM_ANIMATION_STOP", "box 154", "post WM_CLOSE", "post WM_WORK_FAILED"});
    CHECK(Box(boxes).text == "Error while reading the Parvola 95 - Info file!");
    CHECK(Box(boxes).icon == MB_ICONSTOP);
    CHECK(FilesIn(folder / "back").empty());
  }
}

TEST_CASE("the size check counts in 64 bits: 4 GiB and 5 bytes recorded are not 5 bytes copied") {
  WorkerStage stage;
  TempFolder folder;
  MakeFolder(folder / "back");
  WriteWholeFile(folder / "DATA.Split", "<ORIGINALNAME>DATA.BIN\r\n<#FILES>1\r\n<SIZE>4294967301");
  WriteWholeFile(folder / "DATA.000", "12345");
  ScriptedMessages boxes({}, &stage.journal);
  CHECK(stage.Run(RestoreWorker, stage.Job(folder / "DATA.Split", folder / "back")) == ENDED_FAILED);
  CHECK(ReadWholeFile(folder / "back\\DATA.BIN") == "12345");
  CHECK(stage.Only("box") == Entries{"box 157"});
  CHECK(Last(stage.Only("WM_PROGRESS_POS")) == "post WM_PROGRESS_POS 0");
}

TEST_CASE("a thousand pieces are still restored: the first one is asked for") {
  WorkerStage stage;
  TempFolder folder;
  WriteWholeFile(folder / "DATA.Split", "<ORIGINALNAME>DATA.BIN\r\n<#FILES>1000\r\n<SIZE>1000");
  ScriptedMessages boxes({IDCANCEL}, &stage.journal);
  CHECK(stage.Run(RestoreWorker, stage.Job(folder / "DATA.Split", folder.Path())) == ENDED_FAILED);
  CHECK(stage.Only("box") == Entries{"box 155"});
  CHECK(Box(boxes).text.find(folder / "DATA.000") != std::string::npos);
}

TEST_CASE("a file larger than the destination's file system holds is refused before it is created") {
  TempFolder folder;
  MakeFolder(folder / "back");
  WriteWholeFile(folder / "DATA.000", "12345");
  struct Case {
    const char* fileSystem;
    int64_t size;
    bool refused;
  };
  for (const Case& check : {Case{"FAT32", 4294967296, true}, Case{"FAT32", 4294967295, false},
                            Case{"FAT", 2147483648, true}, Case{"fat", 2147483647, false},
                            Case{"NTFS", MAX_SOURCE_BYTES, false}}) {
    CAPTURE(check.fileSystem);
    CAPTURE(check.size);
    WriteWholeFile(folder / "DATA.Split",
                   "<ORIGINALNAME>DATA.BIN\r\n<#FILES>1\r\n<SIZE>" + std::to_string(check.size));
    WorkerStage stage;
    StandInVolume volume(check.fileSystem);
    ScriptedMessages boxes({}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, stage.Job(folder / "DATA.Split", folder / "back")) == ENDED_FAILED);
    // A file that fits is created and copied, and then fails the size check.
    CHECK(stage.Only("box") == Entries{check.refused ? "box 173" : "box 157"});
    CHECK(FileExists(folder / "back\\DATA.BIN") == !check.refused);
    DeleteFileA((folder / "back\\DATA.BIN").c_str());
    if (check.size == 4294967296)
      CHECK(Box(boxes).text == "The file 'DATA.BIN' of 4294967296 bytes does not fit on " + folder / "back" +
                                   ":\nits file system FAT32 holds files of at most 4294967295 bytes.\n"
                                   "Please choose another folder.");
  }
  SUBCASE("on a share, the volume is the share, not the server") {
    WriteWholeFile(folder / "DATA.Split", "<ORIGINALNAME>DATA.BIN\r\n<#FILES>1\r\n<SIZE>2147483648");
    WorkerStage stage;
    StandInVolume share("FAT", true, "\\\\server\\share\\");
    ScriptedMessages boxes({}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, stage.Job(folder / "DATA.Split", "\\\\server\\share\\back")) == ENDED_FAILED);
    CHECK(stage.Only("box") == Entries{"box 173"});
  }
}
