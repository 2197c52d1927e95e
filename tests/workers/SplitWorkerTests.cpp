// The split worker on real files, on its own thread, reporting to real windows.
#include <doctest/doctest.h>

#include <algorithm>

#include "framework/App.h"
#include "job/BlockCopier.h"
#include "job/Messages.h"
#include "logic/PieceNames.h"
#include "logic/SizeRules.h"
#include "res/resource.h"
#include "split/ProgramCopy.h"
#include "split/SplitWorker.h"
#include "support/ExpectedInfo.h"
#include "support/ScriptedMessages.h"
#include "support/TestSupport.h"
#include "support/WorkerStage.h"

using Entries = std::vector<std::string>;

namespace {

constexpr uint32_t ALL_EXTRAS = EXTRA_PROGRAM_COPY | EXTRA_BATCH_FILE | EXTRA_INFO_FILE;

std::vector<uint32_t> ProgressPositions(const WorkerStage& stage) {
  std::vector<uint32_t> positions;
  for (const std::string& entry : stage.Only("WM_PROGRESS_POS")) {
    CHECK(entry.starts_with("post "));
    positions.push_back(static_cast<uint32_t>(std::stoul(entry.substr(entry.rfind(' ') + 1))));
  }
  return positions;
}

}  // namespace

TEST_CASE("a split cuts the source into numbered pieces and writes the extras beside them") {
  WorkerStage stage;
  TempFolder folder;
  MakeFolder(folder / "out");
  const std::string data = test::PatternBytes(100000);
  const std::string source = folder / "REPORT.PART.DOC";
  const std::string piece = folder / "out\\REPORT.PART";
  WriteWholeFile(source, data);

  SUBCASE("pieces of 40,000 bytes; a block carries over from piece to piece; no flush off floppies") {
    ScriptedMessages boxes({}, &stage.journal);
    FileCallCounter calls;
    CHECK(stage.Run(SplitWorker, stage.Job(source, folder / "out\\\\", 40000, ALL_EXTRAS)) == ENDED_DONE);
    CHECK(ReadWholeFile(piece + ".000") == data.substr(0, 40000));
    CHECK(ReadWholeFile(piece + ".001") == data.substr(40000, 40000));
    CHECK(ReadWholeFile(piece + ".002") == data.substr(80000));
    CHECK(FilesIn(folder / "out") == Entries{"Parvola95.exe", "REPORT.PART.000", "REPORT.PART.001",
                                             "REPORT.PART.002", "REPORT.PART.Bat", "REPORT.PART.Split"});
    CHECK(ReadWholeFile(piece + ".Split") == ExpectedInfoText("REPORT.PART.DOC", data, 40000));
    CHECK(ReadWholeFile(folder / "out\\Parvola95.exe") == ReadWholeFile(fw::App::ProgramPath()));

    CHECK(First(stage.Entries()) == "send WM_SHOW_FROM " + source);
    CHECK(stage.Only("WM_SHOW_FROM").size() == 1);
    CHECK(stage.Only("WM_SHOW_TO") == Entries{"send WM_SHOW_TO " + piece + ".000",
                                              "send WM_SHOW_TO " + piece + ".001",
                                              "send WM_SHOW_TO " + piece + ".002"});
    // One read takes the whole source; it is written in three chunks within the bar's pace:
    // the first one's position is posted, and the end (the second only on a stalled machine).
    static_assert(FIXED_DISK_BLOCK_BYTES >= 100000);
    const std::vector<uint32_t> positions = ProgressPositions(stage);
    CHECK((positions == std::vector<uint32_t>{400, 1000} || positions == std::vector<uint32_t>{400, 800, 1000}));
    CHECK(boxes.Shown().empty());
    CHECK(stage.Only("WM_ANIMATION_STOP").empty());
    CHECK(calls.Calls().find('F') == std::string::npos);
  }

  SUBCASE("a source of whole pieces ends with a full piece, one byte more makes a piece of its own") {
    ScriptedMessages boxes({}, &stage.journal);
    CHECK(stage.Run(SplitWorker, stage.Job(source, folder / "out", 50000)) == ENDED_DONE);
    CHECK(FilesIn(folder / "out") == Entries{"REPORT.PART.000", "REPORT.PART.001"});
    CHECK(ReadWholeFile(piece + ".001") == data.substr(50000));
    MakeFolder(folder / "odd");
    CHECK(stage.Run(SplitWorker, stage.Job(source, folder / "odd", 99999)) == ENDED_DONE);
    CHECK(ReadWholeFile(folder / "odd\\REPORT.PART.001") == data.substr(99999));
  }

  SUBCASE("the source cannot be opened: text 146, nothing written") {
    ScriptedMessages boxes({}, &stage.journal);
    std::string missing = folder / "MISSING.DOC";
    CHECK(stage.Run(SplitWorker, stage.Job(missing, folder / "out", 40000, ALL_EXTRAS)) == ENDED_FAILED);
    CHECK(stage.Entries() == Entries{"send WM_SHOW_FROM " + missing, "send WM_ANIMATION_STOP", "box 146",
                                     "post WM_CLOSE", "post WM_WORK_FAILED"});
    REQUIRE(boxes.Shown().size() == 1);
    CHECK(Box(boxes).text == "The file '" + missing + "' could\nnot be read!");
    CHECK(Box(boxes).buttons == MB_OK);
    CHECK(Box(boxes).icon == MB_ICONSTOP);
    CHECK(FilesIn(folder / "out").empty());
  }

  SUBCASE("overwriting a piece declined: the old piece stays and the job fails") {
    WriteWholeFile(piece + ".000", "old");
    ScriptedMessages boxes({IDNO}, &stage.journal);
    CHECK(stage.Run(SplitWorker, stage.Job(source, folder / "out", 40000, ALL_EXTRAS)) == ENDED_FAILED);
    CHECK(FilesIn(folder / "out") == Entries{"REPORT.PART.000"});
    CHECK(ReadWholeFile(piece + ".000") == "old");
  }

  SUBCASE("Break, then Yes: the piece so far stays, nothing follows; two presses ask once") {
    ScriptedMessages boxes({IDYES}, &stage.journal);
    stage.Break();
    stage.Break();
    CHECK(stage.Run(SplitWorker, stage.Job(source, folder / "out", 40000, ALL_EXTRAS)) == ENDED_FAILED);
    CHECK(FilesIn(folder / "out") == Entries{"REPORT.PART.000"});
    CHECK(ReadWholeFile(piece + ".000") == data.substr(0, std::min<size_t>(FIXED_DISK_BLOCK_BYTES, 40000)));
    REQUIRE(boxes.Shown().size() == 1);
    CHECK(Box(boxes).text == "The splitting is not yet complete.\nWould you abort anyway?");
    CHECK(Box(boxes).buttons == MB_YESNO);
    CHECK(Box(boxes).icon == MB_ICONEXCLAMATION);
    CHECK(stage.Only("WM_ANIMATION_STOP").empty());  // Break itself stopped the animation
  }

  SUBCASE("Break, then No: the animation plays again and the split goes on") {
    ScriptedMessages boxes({IDNO}, &stage.journal);
    stage.Break();
    CHECK(stage.Run(SplitWorker, stage.Job(source, folder / "out", 40000)) == ENDED_DONE);
    CHECK(ReadWholeFile(piece + ".000") + ReadWholeFile(piece + ".001") + ReadWholeFile(piece + ".002") ==
          data);
    CHECK(stage.Only("box") == Entries{"box 150"});
    CHECK(stage.Only("WM_ANIMATION_PLAY") == Entries{"post WM_ANIMATION_PLAY"});
  }

  SUBCASE("the worker works on its own copy of the job") {
    ScriptedMessages boxes({}, &stage.journal);
    auto* job = new WorkerJob(stage.Job(source, folder / "out", 40000, EXTRA_INFO_FILE));
    stage.Start(SplitWorker, *job);
    job->sourcePath.assign(200, 'x');
    job->destinationPath = "Q:\\elsewhere";
    job->pieceSize = 1;
    delete job;
    CHECK(stage.AwaitEnd() == ENDED_DONE);
    CHECK(ReadWholeFile(piece + ".002") == data.substr(80000));
    CHECK(FileExists(piece + ".Split"));
  }
}

TEST_CASE("an extra that cannot be written is offered again; Cancel skips the ones after it") {
  struct Extra {
    uint32_t flag;
    const char* file;
    unsigned failureText;
    Entries afterCancel;  // the extras' files then: the failed one, still old, and those before it
  };
  const Extra extras[] = {
      {EXTRA_PROGRAM_COPY, "Parvola95.exe", IDS_PROGRAM_COPY_FAILED, {"Parvola95.exe"}},
      {EXTRA_BATCH_FILE, "NOTES.Bat", IDS_BATCH_FILE_FAILED, {"NOTES.Bat", "Parvola95.exe"}},
      {EXTRA_INFO_FILE, "NOTES.Split", IDS_INFO_FILE_FAILED, {"NOTES.Bat", "NOTES.Split", "Parvola95.exe"}}};
  for (const Extra& extra : extras) {
    CAPTURE(extra.file);
    for (bool retry : {true, false}) {
      CAPTURE(retry);
      WorkerStage stage;
      TempFolder folder;
      WriteWholeFile(folder / "NOTES.TXT", "notes");
      MakeFolder(folder / "out");
      // An existing file whose overwrite is declined makes the writer fail.
      WriteWholeFile(folder / "out\\" + extra.file, "old");
      ScriptedMessages boxes(
          retry ? std::vector<int>{IDNO, IDRETRY, IDYES} : std::vector<int>{IDNO, IDCANCEL}, &stage.journal);
      std::string ending =
          stage.Run(SplitWorker, stage.Job(folder / "NOTES.TXT", folder / "out", 40000, ALL_EXTRAS));
      std::vector<ShownMessage> shown = boxes.Shown();
      REQUIRE(shown.size() >= 2);
      CHECK(shown[1].textId == extra.failureText);
      CHECK(shown[1].buttons == MB_RETRYCANCEL);
      CHECK(shown[1].icon == 0u);
      if (retry) {
        CHECK(ending == ENDED_DONE);
        CHECK(FilesIn(folder / "out") == Entries{"NOTES.000", "NOTES.Bat", "NOTES.Split", "Parvola95.exe"});
        CHECK(ReadWholeFile(folder / "out\\" + extra.file) != "old");
      } else {
        CHECK(ending == ENDED_FAILED);
        Entries expected = extra.afterCancel;
        expected.insert(expected.begin(), "NOTES.000");
        CHECK(FilesIn(folder / "out") == expected);
        CHECK(ReadWholeFile(folder / "out\\" + extra.file) == "old");
      }
      // Every box stops the animation; after Retry and after Yes it plays again.
      std::string failure = "box " + std::to_string(extra.failureText);
      CHECK(stage.Dialogue() ==
            (retry ? Entries{"send WM_ANIMATION_STOP", "box 144", "send WM_ANIMATION_STOP", failure,
                             "send WM_ANIMATION_PLAY", "send WM_ANIMATION_STOP", "box 144",
                             "send WM_ANIMATION_PLAY"}
                   : Entries{"send WM_ANIMATION_STOP", "box 144", "send WM_ANIMATION_STOP", failure}));
    }
  }
}

TEST_CASE("a name whose extension the command interpreter cannot read: no batch file, the user told so") {
  WorkerStage stage;
  TempFolder folder;
  MakeFolder(folder / "out");
  // The euro sign, which the OEM code pages of American and German systems lack.
  const std::string source = folder / "Preise.5\x80";
  WriteWholeFile(source, test::PatternBytes(50000));
  ScriptedMessages boxes({}, &stage.journal);
  CHECK(stage.Run(SplitWorker, stage.Job(source, folder / "out", 40000, ALL_EXTRAS)) == ENDED_DONE);
  CHECK(FilesIn(folder / "out") == Entries{"Parvola95.exe", "Preise.000", "Preise.001", "Preise.Split"});
  CHECK(stage.Dialogue() == Entries{"send WM_ANIMATION_STOP", "box 170", "send WM_ANIMATION_PLAY"});
  REQUIRE(boxes.Shown().size() == 1);
  CHECK(Box(boxes).text ==
        "The DOS command interpreter cannot read the name 'Preise.5\x80':\nits code page lacks some of its "
        "letters.\nNo BAT file was written; please restore the file\nwith Parvola 95.");
  CHECK(Box(boxes).buttons == MB_OK);
  CHECK(Box(boxes).icon == MB_ICONEXCLAMATION);
}

TEST_CASE("a job that cannot be split is refused before anything is written") {
  WorkerStage stage;
  TempFolder folder;
  MakeFolder(folder / "out");
  const std::string source = folder / "BIG.BIN";
  struct Refusal {
    int64_t length;
    int32_t pieceSize;
    unsigned textId;
    std::string text;
  };
  const std::string name = "The file '" + source + "' ";
  const std::string atMost1000 =
      " split files.\nParvola 95 can write at most 1000.\nPlease choose larger pieces.";
  const Refusal refusals[] = {
      {1001, 1, IDS_TOO_MANY_PIECES,
       name +
           "would need 1001 split files.\nParvola 95 can write at most 1000.\nPlease choose larger pieces."},
      {1001LL * FLOPPY_720_PIECE_BYTES - 1, SIZE_FLOPPY_720, IDS_TOO_MANY_PIECES, ""},
      {INT32_MAX, 1, IDS_TOO_MANY_PIECES, ""},  // the largest source still fits the sizes
      {int64_t{1} << 31, SIZE_FLOPPY_144, IDS_TOO_MANY_PIECES, name + "would need 1474" + atMost1000},
      // A count past 32 bits is told in full.
      {int64_t{5} << 30, 1, IDS_TOO_MANY_PIECES, name + "would need 5368709120" + atMost1000},
      {MAX_SOURCE_BYTES, INT32_MAX - 1, IDS_TOO_MANY_PIECES, name + "would need 1001" + atMost1000},
      {MAX_SOURCE_BYTES + 1, INT32_MAX, IDS_SOURCE_TOO_LARGE,
       name + "is larger than 1000 split files\nof 2147483647 bytes each.\n" +
           "Parvola 95 can only split smaller files."},
      {100, 0, IDS_PIECE_SIZE_INVALID,
       "The size of the split files is not valid.\nPlease choose another size."},
      {100, SIZE_FROM_COMMAND_LINE, IDS_PIECE_SIZE_INVALID, ""},
      {0, SIZE_FLOPPY_144, IDS_SOURCE_EMPTY, name + "is empty.\nThere is nothing to split."},
  };
  for (const Refusal& refusal : refusals) {
    CAPTURE(refusal.length);
    CAPTURE(refusal.pieceSize);
    MakeSparseFile(source, refusal.length);
    ScriptedMessages boxes({}, &stage.journal);
    CHECK(stage.Run(SplitWorker, stage.Job(source, folder / "out", refusal.pieceSize, ALL_EXTRAS)) ==
          ENDED_FAILED);
    REQUIRE(boxes.Shown().size() == 1);
    CHECK(Box(boxes).textId == refusal.textId);
    if (!refusal.text.empty()) CHECK(Box(boxes).text == refusal.text);
    CHECK(Box(boxes).icon == MB_ICONSTOP);
    CHECK(FilesIn(folder / "out").empty());
  }
  CHECK(stage.Only("WM_ANIMATION_STOP").size() == std::size(refusals));
  CHECK(stage.Only("WM_SHOW_TO").empty());
}

TEST_CASE("a thousand pieces are still written, .000 to .999") {
  WorkerStage stage;
  TempFolder folder;
  const std::string data = test::PatternBytes(1000);
  WriteWholeFile(folder / "ONE.BIN", data);
  MakeFolder(folder / "out");
  ScriptedMessages boxes({}, &stage.journal);
  CHECK(stage.Run(SplitWorker, stage.Job(folder / "ONE.BIN", folder / "out", 1, EXTRA_INFO_FILE)) ==
        ENDED_DONE);
  CHECK(FilesIn(folder / "out").size() == 1001);
  CHECK(ReadWholeFile(folder / "out\\ONE.000") == data.substr(0, 1));
  CHECK(ReadWholeFile(folder / "out\\ONE.999") == data.substr(999));
}
