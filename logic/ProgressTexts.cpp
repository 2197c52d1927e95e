#include "logic/ProgressTexts.h"

#include "framework/NumberedTexts.h"
#include "logic/Letters.h"
#include "res/resource.h"

namespace {

const size_t SHORTEN_FROM = 50;
const size_t KEPT_AT_EACH_END = 23;
const uint32_t LIMIT_SECONDS = 360000;

// " 1 hour", " 5 hours", or nothing for a count of 0.
std::string CountPart(uint32_t count, unsigned oneTextId, unsigned manyTextId) {
  if (count == 0) return std::string();
  if (count == 1) return fw::LoadText(oneTextId);
  return fw::FormatText(manyTextId, static_cast<int>(count));
}

}  // namespace

std::string PathLine(const std::string& path, unsigned wholeTextId, unsigned shortenedTextId, unsigned codePage) {
  if (Utf16Length(path, codePage) < SHORTEN_FROM) return fw::FormatText(wholeTextId, path.c_str());
  std::string head = FirstUnits(path, KEPT_AT_EACH_END, codePage);
  std::string tail = LastUnits(path, KEPT_AT_EACH_END, codePage);
  return fw::FormatText(shortenedTextId, head.c_str(), tail.c_str());
}

std::string RemainingTimeText(uint32_t seconds) {
  if (seconds == 0 || seconds >= LIMIT_SECONDS) return std::string();
  uint32_t hours = seconds / 3600, minutes = (seconds / 60) % 60;
  std::string hourPart = CountPart(hours, IDS_ONE_HOUR, IDS_HOURS);
  std::string minutePart = CountPart(minutes, IDS_ONE_MINUTE, IDS_MINUTES);
  std::string secondPart = CountPart(seconds % 60, IDS_ONE_SECOND, IDS_SECONDS);
  std::string line = fw::LoadText(IDS_REMAINING_TIME);
  if (hours > 0) return line + hourPart + minutePart;
  if (minutes > 0) return line + minutePart + secondPart;
  return line + secondPart;
}
