#include "framework/PackedText.h"

using namespace packed_text;

namespace {

// The decoding side of a binary range coder.
class BitReader {
 public:
  BitReader(const unsigned char* next, const unsigned char* end) : next(next), end(end) {
    for (int count = 0; count < 5; ++count) code = (code << 8) | Byte();
  }

  unsigned Bit(uint16_t& probability) {
    uint32_t bound = (range >> PROBABILITY_BITS) * probability;
    unsigned bit = code >= bound;
    if (bit) {
      code -= bound;
      range -= bound;
    } else {
      range = bound;
    }
    Learn(probability, bit);
    while (range < TOP) {
      range <<= 8;
      code = (code << 8) | Byte();
    }
    return bit;
  }

  // A number of 1 or more, coded as the packer's NumberBits.
  uint32_t Number(uint16_t* model) {
    unsigned bits = 0;
    while (bits < NUMBER_BITS && Bit(model[bits])) ++bits;
    uint32_t value = 1;
    while (bits) value = (value << 1) | Bit(model[NUMBER_BITS + bits--]);
    return value;
  }

  bool CutShort() const { return overrun; }

 private:
  unsigned Byte() {
    if (next < end) return *next++;
    overrun = true;
    return 0;
  }

  const unsigned char* next;
  const unsigned char* end;
  uint32_t range = 0xFFFFFFFF;
  uint32_t code = 0;
  bool overrun = false;
};

}  // namespace

bool UnpackText(const unsigned char* packed, size_t size, std::string& text) {
  text.clear();
  if (size < 4) return false;
  uint32_t length = packed[0] | packed[1] << 8 | packed[2] << 16 | static_cast<uint32_t>(packed[3]) << 24;
  if (length > LONGEST_TEXT) return false;
  uint16_t model[MODEL_SIZE];
  for (uint16_t& probability : model) probability = 1u << (PROBABILITY_BITS - 1);
  BitReader reader(packed + 4, packed + size);
  std::string unpacked(length, '\0');
  unsigned afterMatch = 0;
  for (uint32_t at = 0; at < length && !reader.CutShort();) {
    if (reader.Bit(model[IS_MATCH + afterMatch])) {
      uint32_t count = reader.Number(&model[LENGTH]) + (MINIMUM_MATCH - 1);
      uint32_t distance = reader.Number(&model[DISTANCE]);
      if (distance > at || count > length - at) return false;
      for (; count; --count, ++at) unpacked[at] = unpacked[at - distance];
      afterMatch = 1;
    } else {
      unsigned before = at ? static_cast<unsigned char>(unpacked[at - 1]) : 0;
      uint16_t* literal = &model[LITERALS + (before >> LITERAL_CONTEXT_SHIFT) * 256];
      unsigned letter = 1;
      while (letter < 256) letter = (letter << 1) | reader.Bit(literal[letter]);
      unpacked[at++] = static_cast<char>(letter);
      afterMatch = 0;
    }
  }
  if (reader.CutShort()) return false;
  text = std::move(unpacked);
  return true;
}
