// The restore info file on disk, as the restore reads it first.
#pragma once
#include <cstdint>
#include <string>

// Reads the info file at path (or, when that does not open, at path + ".split"); true
// when all three fields were read, and only then are the outputs valid.
bool ReadRestoreInfo(std::string path, std::string& originalName, int32_t& pieceCount, int64_t& totalSize);
