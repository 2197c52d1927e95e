#include "support/ExpectedInfo.h"

#include "logic/Crc32.h"
#include "logic/InfoFileFormat.h"

std::string ExpectedInfoText(const std::string& name, const std::string& original, size_t pieceSize) {
  InfoChecksums checksums;
  checksums.wholeFile = Crc32Update(0, original.data(), original.size());
  for (size_t start = 0; start < original.size(); start += pieceSize) {
    std::string piece = original.substr(start, pieceSize);
    checksums.pieces.push_back(Crc32Update(0, piece.data(), piece.size()));
  }
  return RestoreInfoText(name, static_cast<int32_t>(checksums.pieces.size()), static_cast<int32_t>(original.size())) +
         ChecksumLines(checksums);
}
