// The content of the restore info file: the original file's name, the number of
// pieces and the original size, as three tagged fields. Window-free.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct RestoreInfo {
  std::string originalName;
  int32_t pieceCount = 0;
  int64_t totalSize = 0;
};

// "<ORIGINALNAME>name\r\n<#FILES>count\r\n<SIZE>size", with no line end after the size.
std::string RestoreInfoText(const std::string& originalName, int32_t pieceCount, int64_t totalSize);

// The fields in the order they are parsed; each is one traced step of the reader.
enum InfoField { INFO_NAME, INFO_COUNT, INFO_SIZE, INFO_FIELDS };

struct InfoParse {
  bool parsed = false;
  InfoField failedField = INFO_NAME;  // when not parsed: the field that failed
  const char* failure = nullptr;      // when not parsed: the reader's trace result for it
};

// Parses the info text into info (valid only when the result says parsed). Besides
// malformed fields it refuses a count beyond the signed 32-bit range, a size beyond
// the signed 64-bit range, and an original name that could reach outside the
// restore folder or name a device.
InfoParse ParseRestoreInfo(std::string_view data, RestoreInfo& info);
