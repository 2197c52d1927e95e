// The texts of the progress window: the From and To lines and the remaining time.
#pragma once
#include <cstdint>
#include <string>

// "From '<path>'" for a path under 50 characters, else its first and last 23
// characters around "...", through the whole and the shortened text numbers. The path
// is in the code page, and is cut between letters.
std::string PathLine(const std::string& path, unsigned wholeTextId, unsigned shortenedTextId, unsigned codePage);

// "Remaining time: 1 hour 2 minutes" and so on; the empty text for 0 seconds and
// for 100 hours or more, which leave the line as it was.
std::string RemainingTimeText(uint32_t seconds);
