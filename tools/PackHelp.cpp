// Packs a help text for the program's resources, at build time:
//   PackHelp res/help_en.txt help_en.bin
// The text is UTF-8. A line "= Title" begins a topic; every other line stays a line of
// its own (the help window wraps long ones). The packed text holds the topics in
// their order, each its title, an empty line and its lines, joined by CR LF, the
// topics apart by a form feed; its letters are in code page 1252, which the program
// converts into its own. The packer unpacks what it wrote and compares before it
// writes anything.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "logic/PackedText.h"
#include "tools/TextPacker.h"

namespace {

// One line in code page 1252; false for a letter that the help may not use (1252's
// own letters of 0x80 to 0x9F have no place in Latin-1 and are left out).
bool ToLatin1(const std::string& line, std::string& letters) {
  letters.clear();
  for (size_t at = 0; at < line.size(); ++at) {
    unsigned char lead = static_cast<unsigned char>(line[at]);
    unsigned letter = lead;
    if (lead >= 0x80) {
      if ((lead & 0xE0) != 0xC0 || at + 1 >= line.size()) return false;
      letter = ((lead & 0x1F) << 6) | (static_cast<unsigned char>(line[++at]) & 0x3F);
    }
    if (letter < 0x20 || (letter >= 0x7F && letter < 0xA0) || letter > 0xFF) return false;
    letters += static_cast<char>(letter);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: PackHelp HELP.txt PACKED.bin\n";
    return 2;
  }
  std::ifstream input(argv[1], std::ios::binary);
  if (!input) {
    std::cerr << argv[1] << ": cannot be read\n";
    return 1;
  }
  std::string text, line, letters, pendingLines;
  int number = 0;
  while (std::getline(input, line)) {
    ++number;
    if (!ToLatin1(line, letters)) {
      std::cerr << argv[1] << ":" << number << ": a letter outside Latin-1, or a control character\n";
      return 1;
    }
    if (letters.rfind("= ", 0) == 0) {
      if (!text.empty()) text += '\f';
      text += letters.substr(2) + "\r\n";
      pendingLines.clear();
    } else if (text.empty()) {
      std::cerr << argv[1] << ":" << number << ": text before the first topic\n";
      return 1;
    } else if (letters.empty()) {
      pendingLines += "\r\n";  // kept only between lines of the topic
    } else {
      text += pendingLines + "\r\n" + letters;
      pendingLines.clear();
    }
  }
  std::string packed = PackText(text);
  std::string unpacked;
  if (!UnpackText(reinterpret_cast<const unsigned char*>(packed.data()), packed.size(), unpacked) ||
      unpacked != text) {
    std::cerr << argv[1] << ": the packed text does not unpack to itself\n";
    return 1;
  }
  std::ofstream output(argv[2], std::ios::binary);
  output.write(packed.data(), static_cast<std::streamsize>(packed.size()));
  output.close();
  if (!output) {
    std::cerr << argv[2] << ": cannot be written\n";
    std::remove(argv[2]);
    return 1;
  }
  std::cout << argv[1] << ": " << text.size() << " bytes packed into " << packed.size() << "\n";
  return 0;
}
