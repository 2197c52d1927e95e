// The info file a split must write for a source: the three fields and the checksum
// lines, the CRCs taken of the source's bytes here, piece by piece and whole.
#pragma once
#include <string>

std::string ExpectedInfoText(const std::string& name, const std::string& original, size_t pieceSize);
