// The restore info file on disk, as the split writes it next to the last piece.
#pragma once
#include <cstdint>
#include <string>
#include <windows.h>

#include "logic/InfoFileFormat.h"

// The info file's bytes: the name of the source file (in the system's legacy code page,
// with "_" for each letter it lacks, and then, beyond ASCII, in UTF-8 on a line of its
// own), the piece count and the total size, followed by the checksum lines, and the
// recovery line when the split writes a recovery set.
std::string RestoreInfoFileText(const std::string& sourcePath, int32_t pieceCount, int64_t totalSize,
                                const InfoChecksums& checksums, const std::optional<RecoveryRecord>& recovery);

// Writes the text as destination\baseName.Split; progress is passed on to the guarded
// creation. True when the file was created, written and closed.
bool WriteRestoreInfo(const std::string& text, const std::string& destination, const std::string& baseName,
                      HWND progress);
