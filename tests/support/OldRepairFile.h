// The repair file that the split of earlier versions wrote, which the restore still uses:
// made by hand for its tests, since the split now writes a recovery set instead.
#pragma once
#include <cstdint>
#include <string>

// Adds to the split whose pieces (base.000, ...) and info file (base.Split) lie at base the
// repair file base.Fix, the XOR of all pieces, each padded with zeros to the piece size, and
// its record at the end of the info file: "<REPAIR>", the piece size and the repair file's
// CRC-32.
void AddOldRepairFile(const std::string& base, int32_t pieceSize);
// The info file's record of the repair file at base.Fix as it is now, in place of any
// record it had.
void RecordOldRepairFile(const std::string& base);
