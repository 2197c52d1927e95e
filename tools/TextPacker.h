// The packing side of framework/PackedText: run at build time on the help texts, and by
// the native tests, which unpack what it packs.
#pragma once
#include <string>

// The packed stream of a text of at most packed_text::LONGEST_TEXT bytes.
std::string PackText(const std::string& text);
