// Copies of many blocks between fixed disks: whole large blocks, each progress
// position posted once, and a Break answered at the next block.
#include <doctest/doctest.h>

#include <chrono>
#include <functional>

#include "job/BlockCopier.h"
#include "job/Messages.h"
#include "job/WorkerReports.h"
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

// Pumps this thread's messages one at a time until the condition holds (false after a
// minute): a worker that waits for this thread at the start of each piece gets no
// further than one piece past the moment the condition came true.
bool PumpUntil(const std::function<bool()>& condition) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > 60000) return false;
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&message);
    else
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

// A source of this many blocks in DATA.BIN, its pieces (with the info file) in
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

// The pieces DATA.000 to DATA.00<count - 1> in folder, joined.
std::string JoinedPieces(const std::string& folder, int count) {
  std::string joined;
  for (int index = 0; index < count; ++index)
    joined += ReadWholeFile(folder + "\\DATA.00" + std::to_string(index));
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

TEST_CASE("progress positions are posted once each, rising to 1000") {
  WorkerStage stage;
  WorkerReports reports(stage.progress, *stage.stop);
  const int64_t total = 10000000;
  // Blocks of 4,096 bytes: two or three share each position; then more than the total.
  for (int64_t done = 4096; done < total + 100000; done += 4096) reports.Progress(done, total);
  REQUIRE(test::WaitFor([&] { return Reached(stage, 1000); }));
  std::vector<uint32_t> positions = PostedPositions(stage);
  REQUIRE(positions.size() == 1001);
  for (uint32_t position = 0; position <= 1000; ++position) CHECK(positions[position] == position);
}

TEST_CASE("a copy between fixed disks reads and writes whole large blocks") {
  // Pieces of two blocks from three and a half blocks: 2 + 1.5 blocks.
  const int32_t pieceSize = static_cast<int32_t>(2 * BLOCK);
  LargeSource large(3 * BLOCK + BLOCK / 2, pieceSize);
  const std::vector<uint32_t> blocks = {BLOCK, BLOCK, BLOCK, BLOCK / 2};
  for (const Copy& copy : COPIES) {
    CAPTURE(copy.name);
    WorkerStage stage;
    ScriptedMessages noBoxes({}, &stage.journal);
    FileCallCounter calls;
    bool split = copy.worker == SplitWorker;
    WorkerJob job = split ? stage.Job(large.source, large.folder / "back", pieceSize)
                          : stage.Job(large.info, large.folder / "back");
    CHECK(stage.Run(copy.worker, job) == ENDED_DONE);
    CHECK(calls.WriteSizes() == blocks);
    CHECK((split ? JoinedPieces(large.folder / "back", 2) : ReadWholeFile(large.restored)) == large.data);
    CHECK(PostedPositions(stage) == std::vector<uint32_t>{285, 571, 857, 1000});
  }
}

TEST_CASE("a Break during a large copy to a fixed disk is asked at the next block; after No it ends whole") {
  constexpr size_t BLOCKS = 48;
  const int32_t pieceSize = static_cast<int32_t>(16 * BLOCK);
  LargeSource large(BLOCKS * BLOCK, pieceSize);
  for (const Copy& copy : COPIES) {
    CAPTURE(copy.name);
    WorkerStage stage;
    ScriptedMessages boxes({IDNO, IDNO, IDNO}, &stage.journal);
    FileCallCounter calls;
    // The blocks written when Break was pressed, and when the question came; the time between.
    std::vector<size_t> atBreak, atQuestion;
    std::chrono::steady_clock::time_point pressed;
    double slowestAnswer = 0;
    boxes.WhenShown(copy.question, [&] {
      std::chrono::duration<double, std::milli> answer = std::chrono::steady_clock::now() - pressed;
      if (answer.count() > slowestAnswer) slowestAnswer = answer.count();
      atQuestion.push_back(calls.WriteSizes().size());
    });
    bool split = copy.worker == SplitWorker;
    stage.Start(copy.worker, split ? stage.Job(large.source, large.folder / "back", pieceSize)
                                   : stage.Job(large.info, large.folder / "back"));
    // Three Breaks, each once the one before was asked. The worker waits at the start of
    // each piece (at 333 and 666) until this thread takes the piece's path: the last Break
    // comes before the third piece is done.
    for (uint32_t position : {100u, 400u, 600u}) {
      REQUIRE(PumpUntil([&] { return Reached(stage, position); }));
      atBreak.push_back(calls.WriteSizes().size());
      pressed = std::chrono::steady_clock::now();
      stage.Break();
      REQUIRE(PumpUntil([&] { return boxes.Shown().size() == atBreak.size(); }));
    }
    CHECK(stage.AwaitEnd() == ENDED_DONE);
    REQUIRE(atQuestion.size() == 3);
    for (size_t index = 0; index < 3; ++index) {
      // The block being written when Break was pressed, at most one more, then the question.
      CHECK(atQuestion[index] >= atBreak[index]);
      CHECK(atQuestion[index] <= atBreak[index] + 1);
    }
    CHECK(atQuestion.back() < BLOCKS);
    MESSAGE(std::string(copy.name) << ": the slowest Break was answered after " << slowestAnswer << " ms");
    CHECK((split ? JoinedPieces(large.folder / "back", 3) : ReadWholeFile(large.restored)) == large.data);
  }
}
