// The restore info file on disk, as the split writes it next to the last piece.
#pragma once
#include <cstdint>
#include <string>
#include <windows.h>

#include "logic/InfoFileFormat.h"

// Writes destination\baseName.Split with the name of the source file (in the system's
// legacy code page, with "_" for each letter it lacks, and then in UTF-8 on a line of its
// own), the piece count and the total size, followed by the checksum lines; progress is
// passed on to the guarded creation, and by the repair line when a repair file is written.
// True when the file was created, written and closed.
bool WriteRestoreInfo(std::string sourcePath, std::string destination, std::string baseName,
                      int32_t pieceCount, int64_t totalSize, const InfoChecksums& checksums,
                      const std::optional<RepairRecord>& repair, HWND progress);
