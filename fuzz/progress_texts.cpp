// The progress window's texts and figures fed any path, any seconds and any
// job sizes: the From line keeps the path whole under 50 characters and
// otherwise exactly 23 + "..." + 23 inside its frame; the remaining time names
// the hours, minutes and seconds it was given; the figures stay in range.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz/Require.h"
#include "logic/Letters.h"
#include "logic/ProgressTexts.h"
#include "logic/WorkProgress.h"
#include "res/resource.h"

namespace {

const std::string FRAME_START = "From '";
const std::string FRAME_END = "'";

// The seconds a "Remaining time: ..." text stands for, or -1 when it cannot be read.
int64_t SecondsOf(const std::string& text) {
  const std::string lead = "Remaining time:";
  if (text.rfind(lead, 0) != 0) return -1;
  int64_t total = 0;
  size_t at = lead.size();
  while (at < text.size()) {
    if (text[at] != ' ') return -1;
    size_t numberEnd = text.find(' ', at + 1);
    if (numberEnd == std::string::npos) return -1;
    const int64_t number = std::stoll(text.substr(at + 1, numberEnd - at - 1));
    size_t unitEnd = text.find(' ', numberEnd + 1);
    const std::string unit = text.substr(numberEnd + 1, unitEnd == std::string::npos ? std::string::npos
                                                                                      : unitEnd - numberEnd - 1);
    const bool one = number == 1;
    if (unit == (one ? "hour" : "hours")) total += number * 3600;
    else if (unit == (one ? "minute" : "minutes")) total += number * 60;
    else if (unit == (one ? "second" : "seconds")) total += number;
    else return -1;
    at = unitEnd == std::string::npos ? text.size() : unitEnd;
  }
  return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const uint32_t seconds = input.ConsumeIntegral<uint32_t>();
  // A calendar clock in seconds, and a job of any size the workers take on (below 2 GB).
  const int64_t start = input.ConsumeIntegral<uint32_t>();
  const int64_t total = input.ConsumeIntegralInRange<int32_t>(0, INT32_MAX);
  // Paths come as zero-terminated texts: no zero byte inside.
  std::string path = input.ConsumeRandomLengthString(600);
  path = path.substr(0, path.find('\0'));

  // A path of one code page, cut between its letters: the first and the last 23 units
  // of a long one are its start and its end.
  constexpr unsigned CODE_PAGES[] = {1252, 932, UTF8_CODE_PAGE};
  const unsigned codePage = CODE_PAGES[seconds % std::size(CODE_PAGES)];
  const std::string line = PathLine(path, IDS_FROM_WHOLE, IDS_FROM_SHORTENED, codePage);
  REQUIRE_PROPERTY(line.rfind(FRAME_START, 0) == 0);
  REQUIRE_PROPERTY(line.size() > FRAME_START.size() && line.substr(line.size() - 1) == FRAME_END);
  const std::string inside = line.substr(FRAME_START.size(), line.size() - FRAME_START.size() - 1);
  if (Utf16Length(path, codePage) < 50) {
    REQUIRE_PROPERTY(inside == path);
  } else {
    const std::string head = FirstUnits(path, 23, codePage), tail = LastUnits(path, 23, codePage);
    REQUIRE_PROPERTY(inside == head + "..." + tail);
    REQUIRE_PROPERTY(path.rfind(head, 0) == 0 && path.size() >= tail.size() &&
                     path.compare(path.size() - tail.size(), tail.size(), tail) == 0);
    REQUIRE_PROPERTY(Utf16Length(head, codePage) <= 23 && Utf16Length(head, codePage) >= 22);
    REQUIRE_PROPERTY(Utf16Length(tail, codePage) <= 23 && Utf16Length(tail, codePage) >= 22);
  }

  const std::string time = RemainingTimeText(seconds);
  if (seconds == 0 || seconds >= 360000) {
    REQUIRE_PROPERTY(time.empty());
  } else {
    const int64_t shown = SecondsOf(time);
    // Beside hours only minutes are shown: the seconds are dropped.
    REQUIRE_PROPERTY(shown == (seconds >= 3600 ? seconds - seconds % 60 : seconds));
  }

  // Figures after each block of a job of any size, at any clock.
  RemainingTimeEstimate estimate(start);
  int64_t done = 0;
  int32_t lastShown = 0;
  while (input.remaining_bytes() > 0) {
    done += input.ConsumeIntegralInRange<int64_t>(0, 1 << 20);
    // The clock may also have been set back, by seconds or by years.
    const int64_t now = start + input.ConsumeIntegralInRange<int64_t>(-(int64_t(1) << 31), 1 << 24);
    if (total > 0 && done <= total) REQUIRE_PROPERTY(ProgressPerMille(done, total) <= 1000);
    int32_t shown = lastShown;
    if (!estimate.Update(done, total, now, shown)) {
      REQUIRE_PROPERTY(shown == lastShown);
      continue;
    }
    // Only a change is shown; with a clock that runs forward it is never negative.
    REQUIRE_PROPERTY(shown != lastShown);
    if (now >= start && done <= total) REQUIRE_PROPERTY(shown >= 0);
    lastShown = shown;
  }
  return 0;
}
