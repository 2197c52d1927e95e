#include "tools/TextPacker.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "framework/PackedText.h"

using namespace packed_text;

namespace {

// The coding side of the binary range coder that framework/PackedText reads: a carry out
// of the low end runs back through the bytes of 0xFF kept in waiting.
class BitWriter {
 public:
  void Bit(uint16_t& probability, unsigned bit) {
    uint32_t bound = (range >> PROBABILITY_BITS) * probability;
    if (bit) {
      low += bound;
      range -= bound;
    } else {
      range = bound;
    }
    Learn(probability, bit);
    while (range < TOP) {
      range <<= 8;
      ShiftLow();
    }
  }

  // As many 1 bits as the value has bits after its leading one, a 0 (left out at the
  // longest), then those bits from the top.
  void Number(uint16_t* model, uint32_t value) {
    unsigned bits = 0;
    while (value >> (bits + 1)) ++bits;
    for (unsigned index = 0; index < bits; ++index) Bit(model[index], 1);
    if (bits < NUMBER_BITS) Bit(model[bits], 0);
    for (; bits; --bits) Bit(model[NUMBER_BITS + bits], (value >> (bits - 1)) & 1);
  }

  std::string Finish() {
    for (int count = 0; count < 5; ++count) ShiftLow();
    return bytes;
  }

 private:
  void ShiftLow() {
    if (static_cast<uint32_t>(low) < 0xFF000000u || (low >> 32) != 0) {
      unsigned carry = static_cast<unsigned>(low >> 32);
      unsigned char waiting = cache;
      do {
        bytes += static_cast<char>(waiting + carry);
        waiting = 0xFF;
      } while (--cacheSize != 0);
      cache = static_cast<unsigned char>(low >> 24);
    }
    ++cacheSize;
    low = (low & 0x00FFFFFFu) << 8;
  }

  uint64_t low = 0;
  uint32_t range = 0xFFFFFFFF;
  unsigned char cache = 0;
  uint64_t cacheSize = 1;
  std::string bytes;
};

struct Match {
  size_t length = 0;
  size_t distance = 0;
};

// The longest earlier copy of the bytes at position; of equal ones the nearest.
Match LongestMatch(const std::string& text, size_t position) {
  Match best;
  for (size_t start = position; start-- > 0;) {
    size_t length = 0;
    while (position + length < text.size() && text[start + length] == text[position + length]) ++length;
    if (length > best.length) best = {length, position - start};
  }
  return best;
}

// Roughly what a match costs against its bytes as literals, in bits.
bool WorthCopying(const Match& match) {
  if (match.length < MINIMUM_MATCH) return false;
  double cost = 2 * std::log2(static_cast<double>(match.length)) + 2 * std::log2(static_cast<double>(match.distance)) + 3;
  return cost < 4.5 * static_cast<double>(match.length);
}

}  // namespace

std::string PackText(const std::string& text) {
  std::vector<uint16_t> model(MODEL_SIZE, 1u << (PROBABILITY_BITS - 1));
  BitWriter writer;
  unsigned afterMatch = 0;
  for (size_t position = 0; position < text.size();) {
    Match match = LongestMatch(text, position);
    // A longer copy one byte later is worth a literal first.
    if (WorthCopying(match) && position + 1 < text.size() &&
        LongestMatch(text, position + 1).length > match.length + 1)
      match = Match();
    if (WorthCopying(match)) {
      writer.Bit(model[IS_MATCH + afterMatch], 1);
      writer.Number(&model[LENGTH], static_cast<uint32_t>(match.length - (MINIMUM_MATCH - 1)));
      writer.Number(&model[DISTANCE], static_cast<uint32_t>(match.distance));
      position += match.length;
      afterMatch = 1;
    } else {
      writer.Bit(model[IS_MATCH + afterMatch], 0);
      unsigned before = position ? static_cast<unsigned char>(text[position - 1]) : 0;
      uint16_t* literal = &model[LITERALS + (before >> LITERAL_CONTEXT_SHIFT) * 256];
      unsigned letter = static_cast<unsigned char>(text[position]);
      for (unsigned node = 1, bit = 8; bit-- > 0;) {
        unsigned value = (letter >> bit) & 1;
        writer.Bit(literal[node], value);
        node = (node << 1) | value;
      }
      ++position;
      afterMatch = 0;
    }
  }
  uint32_t length = static_cast<uint32_t>(text.size());
  std::string packed;
  for (int shift = 0; shift < 32; shift += 8) packed += static_cast<char>(length >> shift);
  return packed + writer.Finish();
}
