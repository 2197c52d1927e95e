// Names shared by the split and the restore: the file name and base name of a
// path, the numbered piece names, and the destination folder without trailing
// backslashes. Paths are in the given code page, and only whole letters count as
// separators and dots (see logic/Letters.h). Window-free.
#pragma once
#include <cstdint>
#include <string>

// The part of the path after its last backslash (the whole path when it has none).
// A slash separates folders as well, and a colon ends a drive (C:REPORT.DOC), so
// both end the folder part too: the name never holds one, and the info file
// written for it reads back.
std::string FileNameOf(const std::string& path, unsigned codePage);

// The part of the path before its file name, without the backslash or slash that
// ends it: C:\DATA\REPORT.Split gives C:\DATA, REPORT.Split gives the empty text.
std::string FolderOf(const std::string& path, unsigned codePage);

// The file name up to, not including, its last "." (the whole name when it has none):
// C:\DATA\BACKUP.TAR.GZ gives BACKUP.TAR, C:\MY.DIR\README gives README.
std::string BaseNameOf(const std::string& path, unsigned codePage);

// The file name from its last "." on (nothing when it has none): what BaseNameOf leaves
// of the file name, so that the two together make it again.
std::string ExtensionOf(const std::string& path, unsigned codePage);

// Three digits name at most this many pieces: a further one would take the name of the first.
constexpr uint32_t MAX_PIECE_COUNT = 1000;

// The piece index as three digits, hundreds, tens and units: 7 gives "007", 1234 gives "234".
std::string PieceDigits(uint32_t index);

// folder\base.ddd, the path of the piece with this 0-based index; base.ddd alone (in
// the current folder) when the folder is empty.
std::string PiecePath(const std::string& folder, const std::string& baseName, uint32_t index);
// folder\base.Fix, the repair file beside the pieces; base.Fix alone when the folder is empty.
std::string RepairFilePath(const std::string& folder, const std::string& baseName);

// The destination without its trailing backslashes: A:\ gives A:, C:\OUT\\ gives C:\OUT.
std::string NormalizeDestination(std::string destination, unsigned codePage);

// Whether the destination is the floppy drive A: or B: (first two characters
// "a:", "A:", "b:" or "B:"): each piece then goes on a disk of its own.
bool IsFloppyDestination(const std::string& destination);
