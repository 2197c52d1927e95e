// Packs texts for the program's resources, at build time:
//   PackTexts help res/help_en.txt help_en.bin
//   PackTexts strings res/resource.h res/strings_en.rc strings_en.bin
// Both sources are UTF-8, and every letter must be one of code page 1252 that Latin-1
// has too; the packed texts hold them in code page 1252, which the program converts into
// its own. The packer unpacks what it wrote and compares before it writes anything.
//
// Help: a line "= Title" begins a topic; every other line stays a line of its own (the
// help window wraps long ones). The packed text holds the topics in their order, each its
// title, an empty line and its lines, joined by CR LF, the topics apart by a form feed.
//
// Strings: each line IDS_NAME "text" of the string table (with \n and \r for line breaks),
// its number from the resource header's #define. The packed text holds the texts in their
// order, each as its number and its length (2 bytes each, little-endian) and its letters.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "framework/PackedText.h"
#include "tools/TextPacker.h"

namespace {

// One line in code page 1252; false for a letter that the texts may not use (1252's
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

// A source's lines, each in Latin-1; false (told) for a file that cannot be read or a line
// with a letter outside it.
bool ReadLatin1Lines(const char* path, std::vector<std::string>& lines) {
  std::ifstream input(path, std::ios::binary);
  if (!input) {
    std::cerr << path << ": cannot be read\n";
    return false;
  }
  std::string line, letters;
  while (std::getline(input, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!ToLatin1(line, letters)) {
      std::cerr << path << ":" << lines.size() + 1 << ": a letter outside Latin-1, or a control character\n";
      return false;
    }
    lines.push_back(letters);
  }
  return true;
}

bool HelpText(const char* path, std::string& text) {
  std::vector<std::string> lines;
  if (!ReadLatin1Lines(path, lines)) return false;
  std::string pendingLines;
  for (size_t number = 1; number <= lines.size(); ++number) {
    const std::string& letters = lines[number - 1];
    if (letters.rfind("= ", 0) == 0) {
      if (!text.empty()) text += '\f';
      text += letters.substr(2) + "\r\n";
      pendingLines.clear();
    } else if (text.empty()) {
      std::cerr << path << ":" << number << ": text before the first topic\n";
      return false;
    } else if (letters.empty()) {
      pendingLines += "\r\n";  // kept only between lines of the topic
    } else {
      text += pendingLines + "\r\n" + letters;
      pendingLines.clear();
    }
  }
  return true;
}

void AppendNumber(std::string& text, size_t number) {
  text += static_cast<char>(number & 0xFF);
  text += static_cast<char>(number >> 8);
}

bool StringsText(const char* header, const char* table, std::string& text) {
  std::vector<std::string> defines, lines;
  if (!ReadLatin1Lines(header, defines) || !ReadLatin1Lines(table, lines)) return false;
  std::map<std::string, unsigned long> numbers;
  const std::regex define(R"(#define\s+(\w+)\s+(\d+)\s*)");
  std::smatch match;
  for (const std::string& line : defines)
    if (std::regex_match(line, match, define)) numbers[match[1]] = std::stoul(match[2]);
  const std::regex entry(R"re(\s*(\w+)\s+"([^"\\]*(?:\\[nr][^"\\]*)*)"\s*)re");
  const std::regex frame(R"(\s*(//.*|LANGUAGE .*|STRINGTABLE|BEGIN|END)?\s*)");
  std::map<unsigned long, bool> seen;
  for (size_t number = 1; number <= lines.size(); ++number) {
    const std::string& line = lines[number - 1];
    if (std::regex_match(line, frame)) continue;
    const auto known = std::regex_match(line, match, entry) ? numbers.find(match[1]) : numbers.end();
    if (known == numbers.end() || known->second > 0xFFFF || seen[known->second]) {
      std::cerr << table << ":" << number << ": not a text of a known, unique number\n";
      return false;
    }
    seen[known->second] = true;
    std::string letters = match[2];
    for (size_t at = letters.find('\\'); at != std::string::npos; at = letters.find('\\', at + 1))
      letters.replace(at, 2, letters[at + 1] == 'n' ? "\n" : "\r");
    AppendNumber(text, known->second);
    AppendNumber(text, letters.size());
    text += letters;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string kind = argc > 1 ? argv[1] : "";
  if (!((kind == "help" && argc == 4) || (kind == "strings" && argc == 5))) {
    std::cerr << "usage: PackTexts help HELP.txt PACKED.bin\n"
                 "       PackTexts strings resource.h STRINGS.rc PACKED.bin\n";
    return 2;
  }
  std::string text;
  if (!(kind == "help" ? HelpText(argv[2], text) : StringsText(argv[2], argv[3], text))) return 1;
  const char* source = argv[argc - 2];
  const char* target = argv[argc - 1];
  std::string packed = PackText(text);
  std::string unpacked;
  if (!UnpackText(reinterpret_cast<const unsigned char*>(packed.data()), packed.size(), unpacked) ||
      unpacked != text) {
    std::cerr << source << ": the packed text does not unpack to itself\n";
    return 1;
  }
  std::ofstream output(target, std::ios::binary);
  output.write(packed.data(), static_cast<std::streamsize>(packed.size()));
  output.close();
  if (!output) {
    std::cerr << target << ": cannot be written\n";
    std::remove(target);
    return 1;
  }
  std::cout << source << ": " << text.size() << " bytes packed into " << packed.size() << "\n";
  return 0;
}
