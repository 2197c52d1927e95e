// Texts packed so that they cost the program little: a match-or-literal stream
// (a literal byte, or a copy of bytes written before) coded bit by bit with adaptive
// probabilities. tools/TextPacker packs at build time; the program only unpacks.
// Window-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace packed_text {

// The layout both sides share: a 4-byte length of the text (little-endian), then the
// coded stream. Probabilities are 11-bit, each starting at one half.
constexpr unsigned PROBABILITY_BITS = 11;
constexpr unsigned MOVE_BITS = 4;
constexpr uint32_t TOP = 1u << 24;
// A literal's probabilities depend on the high bits of the letter before it.
constexpr unsigned LITERAL_CONTEXT_SHIFT = 5;
// A number of 1 or more: as many 1 bits as it has bits after its leading one, a 0,
// then those bits, each with probabilities of its own.
constexpr unsigned NUMBER_BITS = 24;
constexpr unsigned NUMBER_MODEL = 2 * NUMBER_BITS + 1;
// Where each model's probabilities lie: match or literal after a literal or after a
// match, the length (less one) and the distance of a match, the literals.
constexpr unsigned IS_MATCH = 0;
constexpr unsigned LENGTH = 2;
constexpr unsigned DISTANCE = LENGTH + NUMBER_MODEL;
constexpr unsigned LITERALS = DISTANCE + NUMBER_MODEL;
constexpr unsigned MODEL_SIZE = LITERALS + (256 >> LITERAL_CONTEXT_SHIFT) * 256;
constexpr unsigned MINIMUM_MATCH = 2;
// Longer texts are refused as damaged.
constexpr uint32_t LONGEST_TEXT = 1u << 20;

// After each bit its probability of a 0 moves a step toward what came.
inline void Learn(uint16_t& probability, unsigned bit) {
  if (bit)
    probability -= probability >> MOVE_BITS;
  else
    probability += ((1u << PROBABILITY_BITS) - probability) >> MOVE_BITS;
}

}  // namespace packed_text

// The text of a packed stream; false (and no text) for a stream that is cut short or
// damaged: it never reads or writes past either buffer.
bool UnpackText(const unsigned char* packed, size_t size, std::string& text);
