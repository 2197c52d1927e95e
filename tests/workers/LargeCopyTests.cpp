// Copies of many blocks between fixed disks: each progress position posted once,
// whole large blocks, and a Break answered at the next block.
#include <doctest/doctest.h>

#include <chrono>

#include "job/BlockCopier.h"
#include "job/Messages.h"
#include "job/WorkerReports.h"
#include "logic/PieceNames.h"
#include "res/resource.h"
#include "restore/RestoreWorker.h"
#include "split/SplitWorker.h"
#include "support/ScriptedMessages.h"
#include "support/TestSupport.h"
#include "support/WorkerStage.h"

namespace {

constexpr uint32_t BLOCK = FIXED_DISK_BLOCK_BYTES;

std::vector<uint32_t> PostedPositions(const WorkerStage& stage) {
  std::vector<uint32_t> positions;
  for (const std::string& entry : stage.Only("WM_PROGRESS_POS"))
    positions.push_back(static_cast<uint32_t>(std::stoul(entry.substr(entry.rfind(' ') + 1))));
  return positions;
}

bool Reached(const WorkerStage& stage, uint32_t position) {
  std::vector<uint32_t> positions = PostedPositions(stage);
  return !positions.empty() && positions.back() >= position;
}

// A source of this many bytes in DATA.BIN, its pieces (with the info file) in
// pieces\, and the folder back\ for the restored file.
struct LargeSource {
  TempFolder folder;
  std::string data;
  std::string source = folder / "DATA.BIN";
  std::string pieces = folder / "pieces";
  std::string info = folder / "pieces\\DATA.Split";
  std::string restored = folder / "back\\DATA.BIN";

  LargeSource(size_t bytes, int32_t pieceSize) : data(test::PatternBytes(bytes, 13)) {
    WriteWholeFile(source, data);
    MakeFolder(pieces);
    MakeFolder(folder / "back");
    WorkerStage stage;
    ScriptedMessages noBoxes({}, &stage.journal);
    REQUIRE(stage.Run(SplitWorker, stage.Job(source, pieces, pieceSize, EXTRA_INFO_FILE)) == ENDED_DONE);
  }
};

// The pieces DATA.000 up to the one before count in folder, joined.
std::string JoinedPieces(const std::string& folder, uint32_t count) {
  std::string joined;
  for (uint32_t index = 0; index < count; ++index) joined += ReadWholeFile(PiecePath(folder, "DATA", index));
  return joined;
}

struct Copy {
  const char* name;
  WorkerBody worker;
  unsigned question;
};
const Copy COPIES[] = {{"split", SplitWorker, IDS_ABORT_SPLIT},
                       {"restore", RestoreWorker, IDS_ABORT_RESTORE}};

}  // namespace

TEST_CASE("progress positions are posted at the bar's pace, rising, and the end at once") {
  WorkerStage stage;
  WorkerReports reports(stage.progress, *stage.stop);
  const int64_t total = 10000000;
  reports.ExpectWork(total);
  // Blocks of 4,096 bytes as fast as they come: a thousand positions within a few
  // milliseconds, of which the first and the end are posted.
  const DWORD started = GetTickCount();
  for (int64_t done = 4096; done < total / 2; done += 4096) reports.Progress(done);
  const DWORD elapsed = GetTickCount() - started;
  // Then a block now and then, each after the bar's pace: each one's position is posted.
  for (int64_t done = total / 2; done < total; done += total / 10) {
    Sleep(150);
    reports.Progress(done);
  }
  reports.Progress(total);
  REQUIRE(test::WaitFor([&] { return Reached(stage, 1000); }));
  const std::vector<uint32_t> positions = PostedPositions(stage);
  CAPTURE(elapsed);
  REQUIRE(positions.size() >= 7);
  CHECK(positions.size() <= elapsed / 100 + 2 + 5 + 1);
  for (size_t at = 1; at < positions.size(); ++at) CHECK(positions[at] > positions[at - 1]);
  const std::vector<uint32_t> paced(positions.end() - 6, positions.end());
  CHECK(paced == std::vector<uint32_t>{500, 600, 700, 800, 900, 1000});
}

TEST_CASE("a Break during a large copy to a fixed disk is asked after that block; after No it ends whole") {
  constexpr size_t BLOCKS = 48;
  const int32_t pieceSize = static_cast<int32_t>(16 * BLOCK);
  LargeSource large(BLOCKS * BLOCK, pieceSize);
  for (const Copy& copy : COPIES) {
    CAPTURE(copy.name);
    WorkerStage stage;
    ScriptedMessages boxes({IDNO, IDNO, IDNO}, &stage.journal);
    FileCallCounter calls;
    // Break pressed while blocks 5, 20 and 37 (one in each piece) are being written: each
    // question comes once that block is written, before the next one.
    const std::vector<size_t> pressedAt = {5, 20, 37};
    std::vector<size_t> askedAfter;
    std::chrono::steady_clock::time_point pressed;
    double slowestAnswer = 0;
    for (size_t block : pressedAt)
      calls.BeforeWrite(block, [&] {
        pressed = std::chrono::steady_clock::now();
        stage.Break();
      });
    boxes.WhenShown(copy.question, [&] {
      std::chrono::duration<double, std::milli> answer = std::chrono::steady_clock::now() - pressed;
      if (answer.count() > slowestAnswer) slowestAnswer = answer.count();
      askedAfter.push_back(calls.WriteSizes().size());
    });
    bool split = copy.worker == SplitWorker;
    CHECK(stage.Run(copy.worker, split ? stage.Job(large.source, large.folder / "back", pieceSize)
                                       : stage.Job(large.info, large.folder / "back")) == ENDED_DONE);
    CHECK(askedAfter == pressedAt);
    // Whole blocks of the fixed-disk size, the questions in between.
    CHECK(calls.WriteSizes() == std::vector<uint32_t>(BLOCKS, BLOCK));
    MESSAGE(std::string(copy.name) << ": the slowest Break was answered after " << slowestAnswer << " ms");
    CHECK((split ? JoinedPieces(large.folder / "back", 3) : ReadWholeFile(large.restored)) == large.data);
  }
}

TEST_CASE("a copy of large pieces keeps every byte in its place, wherever the pieces cut the blocks") {
  const struct {
    const char* what;
    int32_t pieceSize;
    size_t bytes;
  } cases[] = {
      {"pieces of 5 MiB and 12,345 bytes, the last one short", static_cast<int32_t>(5 * BLOCK + 12345),
       3 * (5 * BLOCK + 12345) + 777},
      {"pieces of four blocks and one byte", static_cast<int32_t>(4 * BLOCK + 1), 3 * (4 * BLOCK + 1)},
      {"pieces of four whole blocks", static_cast<int32_t>(4 * BLOCK),
       2 * 4 * BLOCK + 1},
  };
  for (const auto& cut : cases) {
    CAPTURE(cut.what);
    LargeSource large(cut.bytes, cut.pieceSize);
    const uint32_t count = static_cast<uint32_t>((cut.bytes + cut.pieceSize - 1) / cut.pieceSize);
    CHECK(JoinedPieces(large.pieces, count) == large.data);
    CHECK(ReadWholeFile(PiecePath(large.pieces, "DATA", 0)).size() == static_cast<size_t>(cut.pieceSize));
    WorkerStage stage;
    ScriptedMessages noBoxes({}, &stage.journal);
    CHECK(stage.Run(RestoreWorker, stage.Job(large.info, large.folder / "back")) == ENDED_DONE);
    CHECK(ReadWholeFile(large.restored) == large.data);
  }
}
