// The repair file on disk, as the split writes it: destination\base.Fix, the XOR of all
// pieces, taken again from the source.
#pragma once
#include <string>
#include <windows.h>

#include "job/RepairStripes.h"

// The repair file's CRC-32 without writing it: the info file on the last floppy lists it
// before the repair file's own disk comes. False when the source could not be read or
// the user broke off.
bool RepairChecksum(RepairStripes& stripes, const PieceLayout& layout, CopyEnd source, uint32_t& checksum);

// Writes the repair file (each stripe flushed when asked, as on a floppy) and takes its
// CRC-32; owner is passed on to the guarded creation. False when it was not created,
// written and closed whole; what was written of it is removed again then.
bool WriteRepairFile(RepairStripes& stripes, const PieceLayout& layout, CopyEnd source, const std::string& path,
                     bool flushEachStripe, HWND owner, uint32_t& checksum);
