// The command-line parser fed argument vectors of any bytes and any length:
// switches, numbers, drive paths and plain bytes, past 99 arguments and past
// 259 characters, with long names of any length from the file system.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz/Require.h"
#include "logic/Letters.h"
#include "logic/RecoveryAmount.h"
#include "logic/SplitCommandLine.h"
#include "native/FakeLongFileNames.h"

namespace {

const char* const SWITCH_NAMES[] = {"u",  "s",  "n14", "n72", "np", "nb", "nk", "nm",
                                    "op", "or", "ob",  "of",  "t",  "nd", "na", "nf"};

std::string Argument(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange(0, 4)) {
    case 0:
      return std::string(1, input.ConsumeBool() ? '/' : '-') + input.PickValueInArray(SWITCH_NAMES);
    case 1:
      return input.ConsumeBytesAsString(input.ConsumeIntegralInRange(0, 2)) +
             std::to_string(input.ConsumeIntegral<int64_t>());
    case 2: {
      std::string path = std::string(1, char('A' + input.ConsumeIntegralInRange(0, 25))) + ":\\";
      for (int depth = input.ConsumeIntegralInRange(0, 6); depth > 0; --depth)
        path += input.ConsumeRandomLengthString(80) + (input.ConsumeBool() ? "\\" : "");
      return path;
    }
    default:
      return input.ConsumeRandomLengthString(400);
  }
}

bool IsFlag(int value) { return value == 0 || value == 1; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  ClearFakeLongFileNames();
  std::vector<std::string> arguments{"C:\\PARVOLA\\PARVOLA95.EXE"};
  for (size_t count = input.ConsumeIntegralInRange<size_t>(0, 130); count > 0; --count)
    arguments.push_back(Argument(input));
  // The file system names some prefixes of the arguments, with names of any length.
  for (const std::string& argument : arguments)
    for (size_t end = 3; end <= argument.size() && input.remaining_bytes() > 0; ++end)
      if ((end == argument.size() || argument[end] == '\\') && input.ConsumeBool())
        SetFakeLongFileName(argument.substr(0, end), input.ConsumeRandomLengthString(300));

  SplitCommandLine line;
  constexpr unsigned CODE_PAGES[] = {1252, 932, UTF8_CODE_PAGE};
  line.codePage = CODE_PAGES[arguments.size() % std::size(CODE_PAGES)];
  line.SetArguments(arguments);
  const bool result = line.Parse();

  if (arguments.size() > 1) REQUIRE_PROPERTY(result == (line.valid != 0));
  for (int flag : {line.restoreMode, line.splitMode, line.floppy144, line.floppy720, line.copyProgram,
                   line.writeInfoFile, line.writeBatchFile, line.writeRepairFile, line.checkMode, line.unattended, line.unattendedAsked, line.hideProgress,
                   line.valid})
    REQUIRE_PROPERTY(IsFlag(flag));
  for (int value : {line.pieceCount, line.pieceBytes, line.pieceKilobytes, line.pieceMegabytes})
    REQUIRE_PROPERTY(value >= 0);
  const int sizeChoices = line.floppy144 + line.floppy720 + (line.pieceCount != 0) + (line.pieceBytes != 0) +
                          (line.pieceKilobytes != 0) + (line.pieceMegabytes != 0);
  REQUIRE_PROPERTY(sizeChoices <= 1);
  // Recovery data comes in an amount of 1 to 99 pieces' worth, or not at all.
  REQUIRE_PROPERTY(line.recoveryPieces == 0 || IsRecoveryAmount(line.recoveryPieces));
  REQUIRE_PROPERTY((line.recoveryPieces != 0) == (line.writeRepairFile != 0));
  REQUIRE_PROPERTY(!(line.restoreMode && line.splitMode));
  REQUIRE_PROPERTY(!line.restoreMode || !line.fileArgument.empty());
  REQUIRE_PROPERTY(!line.splitMode || !line.fileArgument.empty());
  REQUIRE_PROPERTY(!line.unattended || !line.fileArgument.empty());
  REQUIRE_PROPERTY(!line.unattended || line.unattendedAsked);
  REQUIRE_PROPERTY(!line.hideProgress || line.unattended);
  REQUIRE_PROPERTY(Utf16Length(line.fileArgument, line.codePage) <= SplitCommandLine::MAX_PATH_CHARS);
  REQUIRE_PROPERTY(Utf16Length(line.destinationArgument, line.codePage) <= SplitCommandLine::MAX_PATH_CHARS);
  // A clean command line used every argument, and has no more than the tracked positions.
  if (line.valid) REQUIRE_PROPERTY(arguments.size() <= size_t(SplitCommandLine::MAX_POSITIONS));
  return 0;
}
