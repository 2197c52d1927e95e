#include "logic/InfoFileFormat.h"

#include <climits>

namespace {

constexpr std::string_view NAME_TAG = "<ORIGINALNAME>";
constexpr std::string_view COUNT_TAG = "<#FILES>";
constexpr std::string_view SIZE_TAG = "<SIZE>";

const char* const TAG_NOT_FOUND = "failed (tag not found)";
const char* const CR_NOT_FOUND = "failed (CR not found)";
const char* const BAD_NAME = "failed (name not allowed)";
const char* const BAD_COUNT = "failed (CR not found or # = 0)";
const char* const BAD_SIZE = "failed (size = 0)";

// A reading position that may lie beyond the end of the data.
class Cursor {
 public:
  explicit Cursor(std::string_view data) : data(data) {}

  void Skip(size_t count) { position += count; }
  bool AtEnd() const { return position >= data.size(); }

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

bool IsDeviceName(const std::string& name) {
  // Windows opens these as devices in any folder, with any extension.
  std::string stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& letter : stem)
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" ||
      stem == "CONOUT$")
    return true;
  // COM1 to COM9 and LPT1 to LPT9, also with the superscript digits 1, 2 and 3 (code page 1252).
  constexpr std::string_view SUPERSCRIPT_DIGITS = "\xB9\xB2\xB3";
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         ((stem[3] >= '1' && stem[3] <= '9') || SUPERSCRIPT_DIGITS.find(stem[3]) != std::string_view::npos);
}

// Whether a restore may create a file of this name inside the chosen folder: no
// folder separators, drive colon or control bytes, not only dots and blanks, and no
// DOS device name. The empty name passes (creating it fails later like any bad path).
bool IsPlainFileName(const std::string& name) {
  if (name.find_first_of("\\/:") != std::string::npos) return false;
  for (char letter : name)
    if (static_cast<unsigned char>(letter) < 32) return false;
  if (!name.empty() && name.find_first_not_of(". ") == std::string::npos) return false;
  return !IsDeviceName(name);
}

}  // namespace

std::string RestoreInfoText(const std::string& originalName, int32_t pieceCount, int64_t totalSize) {
  return std::string(NAME_TAG) + originalName + "\r\n" + std::string(COUNT_TAG) + std::to_string(pieceCount) +
         "\r\n" + std::string(SIZE_TAG) + std::to_string(totalSize);
}

InfoParse ParseRestoreInfo(std::string_view data, RestoreInfo& info) {
  Cursor cursor(data);
  if (!cursor.MatchesTag(NAME_TAG)) return Failure(INFO_NAME, TAG_NOT_FOUND);
  size_t nameEnd = data.find('\r', NAME_TAG.size());
  if (nameEnd == std::string_view::npos) return Failure(INFO_NAME, CR_NOT_FOUND);
  info.originalName.assign(data.substr(NAME_TAG.size(), nameEnd - NAME_TAG.size()));
  if (!IsPlainFileName(info.originalName)) return Failure(INFO_NAME, BAD_NAME);

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
  return InfoParse{true, INFO_FIELDS, nullptr};
}
