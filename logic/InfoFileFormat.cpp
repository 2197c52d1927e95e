#include "logic/InfoFileFormat.h"

#include <climits>

#include "logic/Letters.h"
#include "logic/PieceNames.h"
#include "logic/SizeRules.h"

namespace {

constexpr std::string_view NAME_TAG = "<ORIGINALNAME>";
constexpr std::string_view COUNT_TAG = "<#FILES>";
constexpr std::string_view SIZE_TAG = "<SIZE>";
constexpr std::string_view LINE_END = "\r\n";
constexpr std::string_view EXACT_NAME_TAG = "<NAMEUTF8>";
constexpr std::string_view WHOLE_CRC_TAG = "<CRC32>";
constexpr std::string_view PIECE_CRC_TAG = "<PIECE>";
constexpr std::string_view REPAIR_TAG = "<REPAIR>";
constexpr std::string_view RECOVERY_TAG = "<PAR2>";
// A recovery set has at most this many recovery slices, so at most this many volume files.
constexpr int64_t MOST_VOLUMES = 32768;
constexpr size_t HEX_DIGITS = 8;

const char* const TAG_NOT_FOUND = "failed (tag not found)";
const char* const CR_NOT_FOUND = "failed (CR not found)";
const char* const BAD_NAME = "failed (name not allowed)";
const char* const BAD_COUNT = "failed (CR not found or # = 0)";
const char* const BAD_SIZE = "failed (size = 0)";
const char* const SIZE_TOO_LARGE = "failed (size too large)";
const char* const BAD_CHECKSUMS = "failed (checksum lines malformed)";
const char* const BAD_EXACT_NAME = "failed (UTF-8 name not allowed)";

// A reading position that may lie beyond the end of the data.
class Cursor {
 public:
  explicit Cursor(std::string_view data) : data(data) {}

  void Skip(size_t count) { position += count; }
  bool AtEnd() const { return position >= data.size(); }
  // Where the cursor stands, at most the end of the data.
  size_t Position() const { return AtEnd() ? data.size() : position; }

  // Compares the tag with as many bytes as are left, at most the tag's length: a
  // tag cut short by the end of the data still counts as found.
  bool MatchesTag(std::string_view tag) const {
    size_t left = AtEnd() ? 0 : data.size() - position;
    size_t count = left < tag.size() ? left : tag.size();
    return data.compare(AtEnd() ? data.size() : position, count, tag.substr(0, count)) == 0;
  }

  // Reads decimal digits into a number of at most limit; false when they amount to more.
  bool ReadNumber(int64_t limit, int64_t& value) {
    int64_t number = 0;
    for (; !AtEnd() && data[position] >= '0' && data[position] <= '9'; ++position) {
      const int digit = data[position] - '0';
      if (number > (limit - digit) / 10) return false;
      number = number * 10 + digit;
    }
    value = number;
    return true;
  }

 private:
  std::string_view data;
  size_t position = 0;
};

InfoParse Failure(InfoField field, const char* failure) { return InfoParse{false, field, failure}; }

// A number in decimal as printf writes it: a minus sign, no leading zeros. Digit by
// digit, because the library's conversion of a 64-bit number costs the 32-bit program
// more than a kilobyte.
std::string DecimalText(int64_t value) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char digits[20];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  std::string text = value < 0 ? "-" : "";
  while (count > 0) text += digits[--count];
  return text;
}

std::string HexDigits(uint32_t value) {
  std::string digits(HEX_DIGITS, '0');
  for (size_t place = HEX_DIGITS; place-- > 0; value >>= 4) digits[place] = "0123456789ABCDEF"[value & 0xF];
  return digits;
}

// Takes text from the front of rest when it stands there.
bool Take(std::string_view& rest, std::string_view text) {
  if (!rest.starts_with(text)) return false;
  rest.remove_prefix(text.size());
  return true;
}

// Takes 8 uppercase hex digits from the front of rest.
bool TakeHex(std::string_view& rest, uint32_t& value) {
  if (rest.size() < HEX_DIGITS) return false;
  value = 0;
  for (size_t place = 0; place < HEX_DIGITS; ++place) {
    char digit = rest[place];
    if (digit >= '0' && digit <= '9')
      value = value << 4 | static_cast<uint32_t>(digit - '0');
    else if (digit >= 'A' && digit <= 'F')
      value = value << 4 | static_cast<uint32_t>(digit - 'A' + 10);
    else
      return false;
  }
  rest.remove_prefix(HEX_DIGITS);
  return true;
}

// Whether nothing but what editors and copies add stands at the end: line ends, blanks,
// tabs and end-of-file marks.
bool OnlyTrailingFiller(std::string_view rest) {
  return rest.find_first_not_of("\r\n \t\x1A") == std::string_view::npos;
}

// The repair line after the checksum lines, when it stands there; false when it is
// there but malformed, or gives a piece size that does not make count pieces of size.
bool TakeRepairLine(std::string_view& rest, const RestoreInfo& info, std::optional<RepairRecord>& repair) {
  const std::string lineStart = std::string(LINE_END) + std::string(REPAIR_TAG);
  if (!Take(rest, lineStart)) return true;
  Cursor cursor(rest);
  int64_t pieceSize = 0;
  if (!cursor.ReadNumber(INT32_MAX, pieceSize) || cursor.Position() == 0) return false;
  rest.remove_prefix(cursor.Position());
  RepairRecord record{static_cast<int32_t>(pieceSize), 0};
  if (!Take(rest, " ") || !TakeHex(rest, record.checksum)) return false;
  // count - 1 whole pieces and a last one of 1 to pieceSize bytes.
  const int64_t before = (static_cast<int64_t>(info.pieceCount) - 1) * pieceSize;
  if (pieceSize == 0 || before >= info.totalSize || info.totalSize - before > pieceSize) return false;
  repair = record;
  return true;
}

// The recovery line after the checksum and repair lines, when it stands there; false when
// it is there but malformed.
bool TakeRecoveryLine(std::string_view& rest, std::optional<RecoveryRecord>& recovery) {
  const std::string lineStart = std::string(LINE_END) + std::string(RECOVERY_TAG);
  if (!Take(rest, lineStart)) return true;
  int64_t sliceSize = 0, volumes = 0;
  Cursor sizeDigits(rest);
  if (!sizeDigits.ReadNumber(MAX_PIECE_BYTES, sliceSize) || sizeDigits.Position() == 0) return false;
  rest.remove_prefix(sizeDigits.Position());
  if (!Take(rest, " ")) return false;
  Cursor volumeDigits(rest);
  if (!volumeDigits.ReadNumber(MOST_VOLUMES, volumes) || volumeDigits.Position() == 0) return false;
  rest.remove_prefix(volumeDigits.Position());
  if (sliceSize == 0 || sliceSize % 4 != 0 || volumes == 0) return false;
  recovery = RecoveryRecord{sliceSize, static_cast<int32_t>(volumes)};
  return true;
}

// The checksum lines after the size, for this many pieces, and the repair and recovery
// lines after them; false when they are malformed.
bool ParseChecksumLines(std::string_view rest, RestoreInfo& info, InfoChecksums& checksums) {
  const int32_t pieceCount = info.pieceCount;
  if (!Take(rest, LINE_END) || !Take(rest, WHOLE_CRC_TAG) || !TakeHex(rest, checksums.wholeFile)) return false;
  // A line per piece: the count is held to what the text holds, not allocated up front.
  for (int32_t index = 0; index < pieceCount; ++index) {
    std::string number = PieceDigits(static_cast<uint32_t>(index)) + ' ';
    uint32_t crc = 0;
    if (!Take(rest, LINE_END) || !Take(rest, PIECE_CRC_TAG) || !Take(rest, number) || !TakeHex(rest, crc))
      return false;
    checksums.pieces.push_back(crc);
  }
  return TakeRepairLine(rest, info, info.repair) && TakeRecoveryLine(rest, info.recovery) && OnlyTrailingFiller(rest);
}

bool IsDeviceName(const std::string& name, unsigned codePage) {
  // Windows opens these as devices in any folder, with any extension.
  std::string stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& letter : stem)
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" ||
      stem == "CONOUT$")
    return true;
  // COM1 to COM9 and LPT1 to LPT9, also with the superscript digits 1, 2 and 3: one byte
  // each in code page 1252, two in UTF-8 (U+00B9, U+00B2, U+00B3).
  if (!stem.starts_with("COM") && !stem.starts_with("LPT")) return false;
  const std::string_view digit = std::string_view(stem).substr(3);
  if (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') return true;
  const std::string_view lead = codePage == UTF8_CODE_PAGE ? "\xC2" : "";
  return digit.size() == lead.size() + 1 && digit.starts_with(lead) &&
         std::string_view("\xB9\xB2\xB3").find(digit.back()) != std::string_view::npos;
}

// Whether every letter of the UTF-8 text is well formed.
bool IsWellFormedUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size(); ++at) {
    size_t length = LetterLength(text, at, UTF8_CODE_PAGE);
    if (length == 1 && static_cast<unsigned char>(text[at]) >= 0x80) return false;
    at += length - 1;
  }
  return true;
}

// The name line after the fields: takes it from the front of rest into info when it
// stands there; false when it is there but holds no usable name.
bool TakeExactName(std::string_view& rest, RestoreInfo& info) {
  const std::string lineStart = std::string(LINE_END) + std::string(EXACT_NAME_TAG);
  if (!Take(rest, lineStart)) return true;
  size_t end = rest.find('\r');
  std::string_view name = rest.substr(0, end);
  rest.remove_prefix(name.size());
  info.exactName.assign(name);
  return !name.empty() && IsWellFormedUtf8(name) && IsPlainFileName(info.exactName, UTF8_CODE_PAGE);
}

// The three fields; the name is judged as a plain file name in the legacy code page when
// one is given, else left to the caller.
InfoParse ParseFields(std::string_view data, const unsigned* judgeNameIn, RestoreInfo& info, size_t* fieldsEnd) {
  Cursor cursor(data);
  if (!cursor.MatchesTag(NAME_TAG)) return Failure(INFO_NAME, TAG_NOT_FOUND);
  size_t nameEnd = data.find('\r', NAME_TAG.size());
  if (nameEnd == std::string_view::npos) return Failure(INFO_NAME, CR_NOT_FOUND);
  info.originalName.assign(data.substr(NAME_TAG.size(), nameEnd - NAME_TAG.size()));
  if (judgeNameIn && !IsPlainFileName(info.originalName, *judgeNameIn)) return Failure(INFO_NAME, BAD_NAME);

  // Past the CR and the byte after it, which the writer makes a LF.
  cursor.Skip(nameEnd + 2);
  if (!cursor.MatchesTag(COUNT_TAG)) return Failure(INFO_COUNT, TAG_NOT_FOUND);
  cursor.Skip(COUNT_TAG.size());
  int64_t count = 0;
  if (!cursor.ReadNumber(INT32_MAX, count) || cursor.AtEnd() || count == 0)
    return Failure(INFO_COUNT, BAD_COUNT);
  info.pieceCount = int32_t(count);

  // Past the two bytes after the digits, which the writer makes CR LF.
  cursor.Skip(2);
  if (!cursor.MatchesTag(SIZE_TAG)) return Failure(INFO_SIZE, TAG_NOT_FOUND);
  cursor.Skip(SIZE_TAG.size());
  if (!cursor.ReadNumber(INT64_MAX, info.totalSize) || info.totalSize == 0) return Failure(INFO_SIZE, BAD_SIZE);
  // No split makes a larger file: a size beyond it is no size the program can work with.
  if (info.totalSize > MAX_SOURCE_BYTES) return Failure(INFO_SIZE, SIZE_TOO_LARGE);
  if (fieldsEnd) *fieldsEnd = cursor.Position();
  return InfoParse{true, INFO_FIELDS, nullptr};
}

}  // namespace

bool IsPlainFileName(const std::string& name, unsigned codePage) {
  if (FindLetter(name, "\\/:", codePage) != std::string::npos) return false;
  for (char letter : name)
    if (static_cast<unsigned char>(letter) < 32) return false;
  if (!name.empty() && name.find_first_not_of(". ") == std::string::npos) return false;
  return !IsDeviceName(name, codePage);
}

std::string RestoreInfoText(const std::string& originalName, int32_t pieceCount, int64_t totalSize) {
  return std::string(NAME_TAG) + originalName + "\r\n" + std::string(COUNT_TAG) + DecimalText(pieceCount) +
         "\r\n" + std::string(SIZE_TAG) + DecimalText(totalSize);
}

std::string ExactNameLine(const std::string& utf8Name) {
  return std::string(LINE_END) + std::string(EXACT_NAME_TAG) + utf8Name;
}

std::string RepairLine(const RepairRecord& repair) {
  return std::string(LINE_END) + std::string(REPAIR_TAG) + DecimalText(repair.pieceSize) + ' ' +
         HexDigits(repair.checksum);
}

std::string RecoveryLine(const RecoveryRecord& recovery) {
  return std::string(LINE_END) + std::string(RECOVERY_TAG) + DecimalText(recovery.sliceSize) + ' ' +
         DecimalText(recovery.volumes);
}

std::string ChecksumLines(const InfoChecksums& checksums) {
  std::string lines = std::string(LINE_END) + std::string(WHOLE_CRC_TAG) + HexDigits(checksums.wholeFile);
  for (size_t index = 0; index < checksums.pieces.size(); ++index)
    lines += std::string(LINE_END) + std::string(PIECE_CRC_TAG) + PieceDigits(static_cast<uint32_t>(index)) + ' ' +
             HexDigits(checksums.pieces[index]);
  return lines;
}

InfoParse ParseInfoFields(std::string_view data, unsigned legacyCodePage, RestoreInfo& info,
                          size_t* fieldsEnd) {
  return ParseFields(data, &legacyCodePage, info, fieldsEnd);
}

InfoParse ParseRestoreInfo(std::string_view data, unsigned legacyCodePage, RestoreInfo& info) {
  size_t fieldsEnd = 0;
  InfoParse fields = ParseFields(data, nullptr, info, &fieldsEnd);
  if (!fields.parsed) return fields;
  std::string_view rest = data.substr(fieldsEnd);
  info.exactName.clear();
  info.checksums.reset();
  info.repair.reset();
  info.recovery.reset();
  if (!TakeExactName(rest, info)) return Failure(INFO_NAME, BAD_EXACT_NAME);
  // The first field names the file only where no exact name stands beside it.
  if (info.exactName.empty() && !IsPlainFileName(info.originalName, legacyCodePage))
    return Failure(INFO_NAME, BAD_NAME);
  // Other bytes after the size are ignored, as they always were.
  if (!rest.starts_with(std::string(LINE_END) + std::string(WHOLE_CRC_TAG))) return fields;
  InfoChecksums checksums;
  if (!ParseChecksumLines(rest, info, checksums)) {
    info.repair.reset();
    info.recovery.reset();
    return Failure(INFO_CHECKSUMS, BAD_CHECKSUMS);
  }
  info.checksums = std::move(checksums);
  return fields;
}
