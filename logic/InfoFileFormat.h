// The content of the restore info file: the original file's name, the number of
// pieces and the original size, as three tagged fields, and after them, in files
// this program writes, the exact name in UTF-8 when it goes beyond ASCII,
// then the CRC-32 of the whole file and of each piece. Readers that know only the three
// fields ignore every byte after the size's digits. Window-free.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The checksums a split records: the CRC-32 of the whole file and of each piece, in
// the order of the pieces.
struct InfoChecksums {
  uint32_t wholeFile = 0;
  std::vector<uint32_t> pieces;
};

// The repair file that a split recorded: the piece size (its length) and its CRC-32.
struct RepairRecord {
  int32_t pieceSize = 0;
  uint32_t checksum = 0;
};

// The recovery set that a split wrote beside its pieces (BASE.par2 and its volume files):
// the slice size and the number of volume files.
struct RecoveryRecord {
  int64_t sliceSize = 0;
  int32_t volumes = 0;
};

struct RestoreInfo {
  std::string originalName;  // in the legacy code page of the system that split the file
  std::string exactName;     // the name in UTF-8, from the line after the size; empty when none
  int32_t pieceCount = 0;
  int64_t totalSize = 0;
  std::optional<InfoChecksums> checksums;  // none in a file without the checksum lines
  std::optional<RepairRecord> repair;      // none when the split wrote no repair file
  std::optional<RecoveryRecord> recovery;  // none when the split wrote no recovery set
};

// "<ORIGINALNAME>name\r\n<#FILES>count\r\n<SIZE>size", with no line end after the size.
std::string RestoreInfoText(const std::string& originalName, int32_t pieceCount, int64_t totalSize);

// The line after the size for a name beyond ASCII: CR LF,
// "<NAMEUTF8>" and the name in UTF-8.
std::string ExactNameLine(const std::string& utf8Name);

// The lines that follow the size (and the name line), each started by CR LF, the last one without a line
// end: "<CRC32>" and the whole file's CRC, then per piece "<PIECE>", its number as in
// its extension, a blank and its CRC; every CRC in 8 uppercase hex digits.
std::string ChecksumLines(const InfoChecksums& checksums);

// The line after the checksum lines for a repair file: CR LF, "<REPAIR>", the piece
// size in decimal, a blank and the repair file's CRC-32 in 8 uppercase hex digits.
std::string RepairLine(const RepairRecord& repair);

// The line after the checksum lines for a recovery set: CR LF, "<PAR2>", the slice size
// in decimal, a blank and the number of volume files in decimal.
std::string RecoveryLine(const RecoveryRecord& recovery);

// The fields in the order they are parsed; each is one traced step of the reader.
enum InfoField { INFO_NAME, INFO_COUNT, INFO_SIZE, INFO_CHECKSUMS, INFO_FIELDS };

struct InfoParse {
  bool parsed = false;
  InfoField failedField = INFO_NAME;  // when not parsed: the field that failed
  const char* failure = nullptr;      // when not parsed: the reader's trace result for it
};

// Whether a restore may create a file of this name (in the code page) inside the chosen
// folder: no folder separators, drive colon or control bytes, not only dots and blanks,
// and no DOS device name. The empty name passes (creating it fails later like any bad path).
bool IsPlainFileName(const std::string& name, unsigned codePage);

// Parses the three fields into info, as every reader of the file does, and looks at
// nothing after the size's digits; where they end goes to fieldsEnd. Besides malformed
// fields it refuses a count beyond the signed 32-bit range, a size beyond the largest
// file the program splits (MAX_SOURCE_BYTES), and an original name (in the legacy code
// page) that is not a plain file name.
InfoParse ParseInfoFields(std::string_view data, unsigned legacyCodePage, RestoreInfo& info,
                          size_t* fieldsEnd = nullptr);

// Parses the whole info text into info (valid only when the result says parsed): the
// three fields, then the name line when CR LF and "<NAMEUTF8>" follow the size, then
// the checksum lines when CR LF and "<CRC32>" follow, then the repair line, then the
// recovery line (a slice size that is a multiple of 4 of at most MAX_PIECE_BYTES, and 1 to
// 32,768 volume files). The name
// line must hold a plain file name in well-formed UTF-8; where it stands, the first field
// need not be a plain name in the legacy code page (it is in the code page of the system
// that split the file, and names the file only for readers of the three fields). Checksum lines that are present
// must be complete: one per piece, numbered in order, the hex digits whole; a repair line
// must give a piece size that the count and the size allow. After the last line only
// line ends, blanks, tabs and end-of-file marks (Ctrl-Z, which a text-mode copy adds)
// may follow.
InfoParse ParseRestoreInfo(std::string_view data, unsigned legacyCodePage, RestoreInfo& info);
