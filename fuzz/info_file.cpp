// The info-file reader fed any bytes, up to and past the 32 KiB the program
// reads, as a system of one of the code pages reads them (the first byte picks it):
// whatever it accepts is a name that stays inside the restore folder, letter by letter
// in its code page (the exact UTF-8 name where there is one, else the first field),
// a piece count and a size above 0, checksums for exactly that many pieces when it
// has them, the same three fields as a reader of those alone finds, and reads back
// the same after writing; a mutated checksum line is either read or refused whole.
// The same bytes, taken as the digits of a size, read back as that size in 64 bits
// when it is at most the largest file the program splits, and are refused when not.
#include <cctype>
#include <string>
#include <string_view>

#include "fuzz/Require.h"
#include "logic/InfoFileFormat.h"
#include "logic/Letters.h"
#include "logic/SizeRules.h"

namespace {

// The decimal digits of the data as a size field: each byte's value mod 10.
void RequireSizeDigitsRead(const uint8_t* data, size_t size) {
  std::string digits;
  for (size_t index = 0; index < size && index < 40; ++index) digits += char('0' + data[index] % 10);
  RestoreInfo info;
  const InfoParse outcome = ParseInfoFields("<ORIGINALNAME>a.b\r\n<#FILES>1\r\n<SIZE>" + digits, 1252, info);
  const size_t firstDigit = digits.find_first_not_of('0');
  const std::string significant = firstDigit == std::string::npos ? std::string() : digits.substr(firstDigit);
  const std::string largest = std::to_string(MAX_SOURCE_BYTES);
  const bool fits = significant.size() < largest.size() ||
                    (significant.size() == largest.size() && significant <= largest);
  REQUIRE_PROPERTY(outcome.parsed == (fits && !significant.empty()));
  if (outcome.parsed) REQUIRE_PROPERTY(std::to_string(info.totalSize) == significant);
}

// Whether Windows opens the name as a device in any folder: its part before the first dot,
// without trailing blanks and in any case, is one of the device names, the COM and LPT
// ports with the superscript digits too (one byte in code page 1252, two in UTF-8).
bool NamesDevice(const std::string& name, unsigned codePage) {
  std::string stem = name.substr(0, name.find('.'));
  stem.erase(stem.find_last_not_of(' ') + 1);
  for (char& letter : stem) letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (stem == device) return true;
  const std::string superscripts[] = {codePage == UTF8_CODE_PAGE ? "\xC2\xB9" : "\xB9",
                                      codePage == UTF8_CODE_PAGE ? "\xC2\xB2" : "\xB2",
                                      codePage == UTF8_CODE_PAGE ? "\xC2\xB3" : "\xB3"};
  for (const char* port : {"COM", "LPT"}) {
    for (char digit = '1'; digit <= '9'; ++digit)
      if (stem == std::string(port) + digit) return true;
    for (const std::string& superscript : superscripts)
      if (stem == port + superscript) return true;
  }
  return false;
}

// A name that no folder separator, drive colon, control byte or device name can take out
// of the folder.
void RequireStaysInside(const std::string& name, unsigned codePage) {
  REQUIRE_PROPERTY(FindLetter(name, "\\/:", codePage) == std::string::npos);
  REQUIRE_PROPERTY(name != "." && name != "..");
  REQUIRE_PROPERTY(name.find('\0') == std::string::npos);
  REQUIRE_PROPERTY(!NamesDevice(name, codePage));
}

constexpr unsigned CODE_PAGES[] = {1252, 850, 932, 936, 949, 950, UTF8_CODE_PAGE};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RequireSizeDigitsRead(data, size);
  const unsigned codePage = size > 0 ? CODE_PAGES[data[0] % std::size(CODE_PAGES)] : 1252;
  RestoreInfo info;
  const InfoParse outcome =
      ParseRestoreInfo(std::string_view(reinterpret_cast<const char*>(data), size), codePage, info);
  if (!outcome.parsed) {
    REQUIRE_PROPERTY(outcome.failure != nullptr);
    REQUIRE_PROPERTY(outcome.failedField >= INFO_NAME && outcome.failedField < INFO_FIELDS);
    return 0;
  }
  const std::string& name = info.originalName;
  // The first field names the file only where no exact name stands beside it.
  if (info.exactName.empty())
    RequireStaysInside(name, codePage);
  else
    RequireStaysInside(info.exactName, UTF8_CODE_PAGE);
  REQUIRE_PROPERTY(info.pieceCount >= 1);
  REQUIRE_PROPERTY(info.totalSize >= 1);
  if (info.checksums) REQUIRE_PROPERTY(info.checksums->pieces.size() == static_cast<size_t>(info.pieceCount));
  // A repair file stands beside the checksums alone, and its piece size makes the pieces.
  if (info.repair) {
    REQUIRE_PROPERTY(info.checksums.has_value());
    const int64_t before = (int64_t{info.pieceCount} - 1) * info.repair->pieceSize;
    REQUIRE_PROPERTY(before < info.totalSize && info.totalSize - before <= info.repair->pieceSize);
  }

  // A reader of the three fields alone reads the same, unless it refuses a first field that
  // is no plain name in its code page (the exact name names the file then).
  RestoreInfo fieldsOnly;
  const bool fieldsParsed =
      ParseInfoFields(std::string_view(reinterpret_cast<const char*>(data), size), codePage, fieldsOnly).parsed;
  REQUIRE_PROPERTY(fieldsParsed || !info.exactName.empty());
  if (fieldsParsed) {
    REQUIRE_PROPERTY(fieldsOnly.originalName == name);
    REQUIRE_PROPERTY(fieldsOnly.pieceCount == info.pieceCount);
    REQUIRE_PROPERTY(fieldsOnly.totalSize == info.totalSize);
  }

  std::string written = RestoreInfoText(name, info.pieceCount, info.totalSize);
  if (!info.exactName.empty()) written += ExactNameLine(info.exactName);
  if (info.checksums) written += ChecksumLines(*info.checksums);
  if (info.repair) written += RepairLine(*info.repair);
  if (info.recovery) written += RecoveryLine(*info.recovery);
  RestoreInfo again;
  const InfoParse back = ParseRestoreInfo(written, codePage, again);
  REQUIRE_PROPERTY(back.parsed);
  REQUIRE_PROPERTY(again.originalName == name);
  REQUIRE_PROPERTY(again.exactName == info.exactName);
  REQUIRE_PROPERTY(again.pieceCount == info.pieceCount);
  REQUIRE_PROPERTY(again.totalSize == info.totalSize);
  REQUIRE_PROPERTY(again.checksums.has_value() == info.checksums.has_value());
  REQUIRE_PROPERTY(again.repair.has_value() == info.repair.has_value());
  REQUIRE_PROPERTY(again.recovery.has_value() == info.recovery.has_value());
  if (info.recovery)
    REQUIRE_PROPERTY(again.recovery->sliceSize == info.recovery->sliceSize &&
                     again.recovery->volumes == info.recovery->volumes);
  if (info.repair)
    REQUIRE_PROPERTY(again.repair->pieceSize == info.repair->pieceSize && again.repair->checksum == info.repair->checksum);
  if (info.checksums) {
    REQUIRE_PROPERTY(again.checksums->wholeFile == info.checksums->wholeFile);
    REQUIRE_PROPERTY(again.checksums->pieces == info.checksums->pieces);
  }
  return 0;
}
