// What the restore and the check of the pieces share: the info file read with its
// failure box, each piece opened with its disk prompt, the repair file read against
// its record, and the small files read whole.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "framework/File.h"
#include "job/BlockReader.h"
#include "job/WorkerReports.h"
#include "logic/InfoFileFormat.h"

// The info file of the job (its source), read and checked; text 141 when it cannot be
// used (also when it counts more pieces than three digits can name).
bool ReadInfoOrSay(WorkerReports& reports, const std::string& path, RestoreInfo& info);

// Opens the piece, asking for the disk that holds it for as long as it cannot be
// opened (Retry); false when the user cancels.
bool OpenWithDiskPrompt(WorkerReports& reports, fw::File& piece, const std::string& path);

// How the repair file compares with its record in the info file.
enum class RepairFileState { MATCHES, DAMAGED, UNREAD };
// Reads the open repair file whole: MATCHES when it is one piece size long and has the
// recorded CRC-32; UNREAD when a read failed (told with text 148) or the user broke off.
RepairFileState CompareRepairFile(WorkerReports& reports, BlockReader& reader, CopyEnd repair,
                                  const RepairRecord& record);

// A small file whole (the batch file, the info file), or none when it cannot be read.
std::optional<std::string> ReadSmallFile(const std::string& path);
