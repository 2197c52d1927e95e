// The info-file reader fed any bytes, up to and past the 32 KiB the program
// reads: whatever it accepts is a name that stays inside the restore folder,
// a piece count and a size above 0, checksums for exactly that many pieces when it
// has them, the same three fields as a reader of those alone finds, and reads back
// the same after writing; a mutated checksum line is either read or refused whole.
#include <string>
#include <string_view>

#include "fuzz/Require.h"
#include "logic/InfoFileFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RestoreInfo info;
  const InfoParse outcome = ParseRestoreInfo(std::string_view(reinterpret_cast<const char*>(data), size), info);
  if (!outcome.parsed) {
    REQUIRE_PROPERTY(outcome.failure != nullptr);
    REQUIRE_PROPERTY(outcome.failedField >= INFO_NAME && outcome.failedField < INFO_FIELDS);
    return 0;
  }
  const std::string& name = info.originalName;
  REQUIRE_PROPERTY(name.find_first_of("\\/:") == std::string::npos);
  REQUIRE_PROPERTY(name != "." && name != "..");
  REQUIRE_PROPERTY(name.find('\0') == std::string::npos);
  REQUIRE_PROPERTY(info.pieceCount >= 1);
  REQUIRE_PROPERTY(info.totalSize >= 1);
  if (info.checksums) REQUIRE_PROPERTY(info.checksums->pieces.size() == static_cast<size_t>(info.pieceCount));

  RestoreInfo fieldsOnly;
  REQUIRE_PROPERTY(ParseInfoFields(std::string_view(reinterpret_cast<const char*>(data), size), fieldsOnly).parsed);
  REQUIRE_PROPERTY(fieldsOnly.originalName == name);
  REQUIRE_PROPERTY(fieldsOnly.pieceCount == info.pieceCount);
  REQUIRE_PROPERTY(fieldsOnly.totalSize == info.totalSize);

  std::string written = RestoreInfoText(name, info.pieceCount, info.totalSize);
  if (info.checksums) written += ChecksumLines(*info.checksums);
  RestoreInfo again;
  const InfoParse back = ParseRestoreInfo(written, again);
  REQUIRE_PROPERTY(back.parsed);
  REQUIRE_PROPERTY(again.originalName == name);
  REQUIRE_PROPERTY(again.pieceCount == info.pieceCount);
  REQUIRE_PROPERTY(again.totalSize == info.totalSize);
  REQUIRE_PROPERTY(again.checksums.has_value() == info.checksums.has_value());
  if (info.checksums) {
    REQUIRE_PROPERTY(again.checksums->wholeFile == info.checksums->wholeFile);
    REQUIRE_PROPERTY(again.checksums->pieces == info.checksums->pieces);
  }
  return 0;
}
