// The restore info file on disk: written by the split next to the last piece,
// read first by the restore.
#pragma once
#include <cstdint>
#include <string>
#include <windows.h>

// Writes destination\baseName.Split with the name of the source file, the piece count
// and the total size; progress is passed on to the guarded creation. True when the
// file was created, written and closed.
bool WriteRestoreInfo(std::string sourcePath, std::string destination, std::string baseName,
                      int32_t pieceCount, int32_t totalSize, HWND progress);

// Reads the info file at path (or, when that does not open, at path + ".split"); true
// when all three fields were read, and only then are the outputs valid.
bool ReadRestoreInfo(std::string path, std::string& originalName, int32_t& pieceCount, int32_t& totalSize);
