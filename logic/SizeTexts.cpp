// The byte-count and file-count labels of the Size page, kept apart from the
// window-free size rules because they read the string table.
#include "framework/NumberedTexts.h"
#include "logic/SizeRules.h"
#include "res/resource.h"

std::string ByteCountText(int32_t bytes) {
  return bytes == 1 ? fw::LoadText(IDS_ONE_BYTE) : fw::FormatText(IDS_BYTES, int(bytes));
}

std::string FileCountText(int32_t files) {
  return files == 1 ? fw::LoadText(IDS_ONE_FILE) : fw::FormatText(IDS_FILES, int(files));
}
