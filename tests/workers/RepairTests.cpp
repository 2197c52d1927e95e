// The repair file of older splits: the restores that mend one piece with it, and those
// that must refuse, leaving no file that claims to be whole.
#include <doctest/doctest.h>

#include <functional>

#include "job/Messages.h"
#include "res/resource.h"
#include "restore/RestoreWorker.h"
#include "split/SplitWorker.h"
#include "support/ScriptedMessages.h"
#include "support/TestSupport.h"
#include "support/WorkerStage.h"
#include "workers/RepairedSplit.h"

namespace {

struct RestoreCase {
  const char* what;
  std::function<void(const RepairedSplit&)> damage;
  std::vector<int> answers;
  std::vector<unsigned> boxes;
  int64_t kept;  // the bytes of the restored file at the end: all of them after a mend
};

// A restore of the damaged split with the scripted answers: how it ended and the boxes shown.
void CheckRestore(const RestoreCase& restore, const std::string& end) {
  RepairedSplit split;
  restore.damage(split);
  WorkerStage stage;
  ScriptedMessages boxes(restore.answers, &stage.journal);
  CHECK(stage.Run(RestoreWorker, stage.Job(split.base + ".Split", split.folder / "back")) == end);
  CHECK(TextsShown(boxes) == restore.boxes);
  CHECK(ReadWholeFile(split.restored) == split.data.substr(0, static_cast<size_t>(restore.kept)));
  if (end == ENDED_DONE) CHECK(stage.ProgressRoseToEnd());
}

}  // namespace

TEST_CASE("pieces longer than a stripe of 16 MiB: the repair file is used in stripes") {
  // Pieces of 17 MiB, so that each stripe of the piece size takes 16 MiB and then 1 MiB;
  // the last piece, of 12 MiB, ends inside the first stripe.
  constexpr int32_t PIECE = 17 << 20;
  RepairedSplit split(2 * PIECE + (12 << 20), PIECE);
  for (int lost : {1, 2}) {
    CAPTURE(lost);
    const std::string piece = ReadWholeFile(split.Piece(lost));
    split.Remove(split.Piece(lost));
    WorkerStage stage;
    ScriptedMessages boxes({IDCANCEL, IDYES}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, stage.Job(split.base + ".Split", split.folder / "back")) == ENDED_DONE);
    CHECK(ReadWholeFile(split.restored) == split.data);
    CHECK(stage.ProgressRoseToEnd());
    WriteWholeFile(split.Piece(lost), piece);
    split.Remove(split.restored);
  }
}

TEST_CASE("a restore with a repair file rebuilds one missing or damaged piece, byte for byte") {
  const RestoreCase mends[] = {
      {"a missing middle piece", [](const RepairedSplit& s) { s.Remove(s.Piece(1)); }, {IDCANCEL, IDYES},
       {IDS_INSERT_DISK_WITH, IDS_SET_PIECE_ASIDE}, 100000},
      {"the last, short piece missing", [](const RepairedSplit& s) { s.Remove(s.Piece(2)); }, {IDCANCEL, IDYES},
       {IDS_INSERT_DISK_WITH, IDS_SET_PIECE_ASIDE}, 100000},
      {"one byte changed in the first piece", [](const RepairedSplit& s) { s.ChangeByte(s.Piece(0), 39999); },
       {IDCANCEL, IDYES}, {IDS_PIECE_DAMAGED, IDS_SET_PIECE_ASIDE}, 100000},
      {"the first two pieces swapped",
       [](const RepairedSplit& s) {
         const std::string first = ReadWholeFile(s.Piece(0));
         WriteWholeFile(s.Piece(0), ReadWholeFile(s.Piece(1)));
         WriteWholeFile(s.Piece(1), first);
       },
       {IDCANCEL, IDYES}, {IDS_PIECE_DAMAGED, IDS_SET_PIECE_ASIDE}, 100000},
  };
  for (const RestoreCase& mend : mends) {
    SUBCASE(mend.what) { CheckRestore(mend, ENDED_DONE); }
  }
}

TEST_CASE("a restore that cannot rebuild the piece fails and keeps only the bytes before its room") {
  const RestoreCase refusals[] = {
      {"two pieces bad: the second is not offered to be set aside",
       [](const RepairedSplit& s) {
         s.ChangeByte(s.Piece(0), 5);
         s.Remove(s.Piece(2));
       },
       {IDCANCEL, IDYES, IDCANCEL}, {IDS_PIECE_DAMAGED, IDS_SET_PIECE_ASIDE, IDS_INSERT_DISK_WITH}, 0},
      {"a repair file with a byte changed",
       [](const RepairedSplit& s) {
         s.Remove(s.Piece(1));
         s.ChangeByte(s.base + ".Fix", 100);
       },
       {IDCANCEL, IDYES}, {IDS_INSERT_DISK_WITH, IDS_SET_PIECE_ASIDE, IDS_REPAIR_FILE_DAMAGED}, 40000},
      {"a repair file changed together with its record: the rebuilt piece is not the one split",
       [](const RepairedSplit& s) {
         s.Remove(s.Piece(1));
         s.ChangeByte(s.base + ".Fix", 100);
         s.RecordRepairFileAsItIs();
       },
       {IDCANCEL, IDYES}, {IDS_INSERT_DISK_WITH, IDS_SET_PIECE_ASIDE, IDS_REBUILT_PIECE_DAMAGED}, 40000},
      {"the repair file missing when asked, then Cancel",
       [](const RepairedSplit& s) {
         s.Remove(s.Piece(1));
         s.Remove(s.base + ".Fix");
       },
       {IDCANCEL, IDYES, IDCANCEL}, {IDS_INSERT_DISK_WITH, IDS_SET_PIECE_ASIDE, IDS_INSERT_DISK_WITH}, 40000},
      {"No to the rebuild fails as before", [](const RepairedSplit& s) { s.Remove(s.Piece(1)); },
       {IDCANCEL, IDNO}, {IDS_INSERT_DISK_WITH, IDS_SET_PIECE_ASIDE}, 40000},
      {"an info file that lists no repair file offers no rebuild",
       [](const RepairedSplit& s) {
         s.Remove(s.Piece(1));
         const std::string info = ReadWholeFile(s.base + ".Split");
         WriteWholeFile(s.base + ".Split", info.substr(0, info.find("\r\n<REPAIR>")));
       },
       {IDCANCEL}, {IDS_INSERT_DISK_WITH}, 40000},
  };
  for (const RestoreCase& refusal : refusals) {
    SUBCASE(refusal.what) { CheckRestore(refusal, ENDED_FAILED); }
  }

  SUBCASE("Break while the last piece is rebuilt") {
    RepairedSplit split;
    split.Remove(split.Piece(2));
    WorkerStage stage;
    ScriptedMessages boxes({IDCANCEL, IDYES, IDYES}, &stage.journal);
    boxes.WhenShown(IDS_SET_PIECE_ASIDE, [&] { stage.Break(); });
    CHECK(stage.Run(RestoreWorker, stage.Job(split.base + ".Split", split.folder / "back")) == ENDED_FAILED);
    CHECK(TextsShown(boxes) == std::vector<unsigned>{IDS_INSERT_DISK_WITH, IDS_SET_PIECE_ASIDE, IDS_ABORT_RESTORE});
    CHECK(ReadWholeFile(split.restored) == split.data.substr(0, 80000));
  }
}
