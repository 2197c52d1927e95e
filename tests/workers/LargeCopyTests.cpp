// Progress reports of a long copy: each position posted once.
#include <doctest/doctest.h>

#include "job/WorkerReports.h"
#include "support/TestSupport.h"
#include "support/WorkerStage.h"

namespace {

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
