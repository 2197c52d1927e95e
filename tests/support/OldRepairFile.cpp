#include "support/OldRepairFile.h"

#include "logic/Crc32.h"
#include "logic/InfoFileFormat.h"
#include "logic/PieceNames.h"
#include "support/TestFiles.h"

void AddOldRepairFile(const std::string& base, int32_t pieceSize) {
  std::string repair(static_cast<size_t>(pieceSize), '\0');
  for (uint32_t index = 0; FileExists(base + '.' + PieceDigits(index)); ++index) {
    const std::string piece = ReadWholeFile(base + '.' + PieceDigits(index));
    for (size_t at = 0; at < piece.size(); ++at) repair[at] = static_cast<char>(repair[at] ^ piece[at]);
  }
  WriteWholeFile(base + ".Fix", repair);
  RecordOldRepairFile(base);
}

void RecordOldRepairFile(const std::string& base) {
  const std::string repair = ReadWholeFile(base + ".Fix");
  std::string info = ReadWholeFile(base + ".Split");
  info = info.substr(0, info.find("\r\n<REPAIR>"));
  WriteWholeFile(base + ".Split", info + RepairLine({static_cast<int32_t>(repair.size()),
                                                     Crc32Update(0, repair.data(), repair.size())}));
}
