// The size rules fed any source size up to one step past the largest (1000 pieces of
// 2^31 - 1 bytes), typed size and count, scroll code, thumb position and command-line
// values: a valid choice covers the source in at most 1000 pieces of at most
// 2^31 - 1 bytes, scroll steps and positions stay within their bounds, and nothing
// overflows.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz/Require.h"
#include "logic/SizeRules.h"

namespace {

// The pieces of this size cover the source, and one piece fewer would not.
void RequireCovers(int64_t source, int32_t size, int64_t count) {
  REQUIRE_PROPERTY(size * count >= source);
  REQUIRE_PROPERTY(size * (count - 1) < source);
}

// What the Size page does with a typed (or command-line) size, then the count that follows.
void RequireTypedSize(int64_t source, const SizeBounds& bounds, int64_t typed) {
  const ClampedValue size = ClampEditedSize(bounds, typed);
  REQUIRE_PROPERTY(size.value >= 0 && size.value <= bounds.maxSize);
  REQUIRE_PROPERTY(size.changed == (size.value != typed));
  const int64_t count = CountForSize(source, size.value);
  if (IsSizeChoiceValid(true, size.value, count)) {
    REQUIRE_PROPERTY(count >= bounds.minCount && count <= MAX_CUSTOM_PIECES);
    REQUIRE_PROPERTY(size.value >= bounds.minSize);
    RequireCovers(source, size.value, count);
  }
}

void RequireTypedCount(int64_t source, const SizeBounds& bounds, int64_t typed) {
  const ClampedValue count = ClampEditedCount(bounds, typed);
  REQUIRE_PROPERTY(count.value >= 0 && count.value <= bounds.maxCount);
  const int32_t size = SizeForCount(source, count.value);
  if (count.value >= 1 && bounds.maxSize >= 1) {
    REQUIRE_PROPERTY(size >= bounds.minSize && size <= bounds.maxSize);
    // The split makes as many pieces as the size needs: never more than the count typed,
    // or, for a count below the smallest, the smallest count with the largest pieces.
    const int64_t pieces = CountForSize(source, size);
    REQUIRE_PROPERTY(pieces <= count.value || (size == bounds.maxSize && pieces == bounds.minCount));
    RequireCovers(source, size, pieces);
    REQUIRE_PROPERTY(IsSizeChoiceValid(true, size, pieces));
  }
}

int64_t WithinBounds(int64_t value, int64_t minimum, int64_t maximum) {
  return value < minimum ? minimum : value > maximum ? maximum : value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const int32_t lowSource = input.ConsumeIntegral<int32_t>();
  const int32_t typedSize = input.ConsumeIntegral<int32_t>();
  const int32_t typedCount = input.ConsumeIntegral<int32_t>();
  const int scrollCode = input.ConsumeIntegral<int>();
  const int32_t thumb = input.ConsumeIntegral<int32_t>();
  const int32_t value = input.ConsumeIntegral<int32_t>();
  const int32_t commandCount = input.ConsumeIntegral<int32_t>();
  const int32_t commandBytes = input.ConsumeIntegral<int32_t>();
  const int32_t commandKilobytes = input.ConsumeIntegral<int32_t>();
  const int32_t commandMegabytes = input.ConsumeIntegral<int32_t>();
  const int32_t sizeOption = input.ConsumeIntegral<int32_t>();
  const std::string field = input.ConsumeRandomLengthString(40);
  // Sources past 32 bits: up to 1001 of the largest pieces on top (0 when the input ends early).
  const int64_t source =
      lowSource + input.ConsumeIntegralInRange<int64_t>(0, MAX_CUSTOM_PIECES + 1) * MAX_PIECE_BYTES;

  const SizeBounds bounds = ComputeSizeBounds(source);
  if (source >= 1 && source <= MAX_SOURCE_BYTES) {
    REQUIRE_PROPERTY(bounds.minSize >= 1 && bounds.minSize <= bounds.maxSize);
    REQUIRE_PROPERTY(bounds.maxSize == (source < MAX_PIECE_BYTES ? source : MAX_PIECE_BYTES));
    REQUIRE_PROPERTY(bounds.minCount >= 1 && bounds.minCount <= bounds.maxCount &&
                     bounds.maxCount <= MAX_CUSTOM_PIECES);
    REQUIRE_PROPERTY(CountForSize(source, bounds.maxSize) == bounds.minCount);
    REQUIRE_PROPERTY(CountForSize(source, bounds.minSize) <= MAX_CUSTOM_PIECES);
    if (bounds.minSize > 1) REQUIRE_PROPERTY(CountForSize(source, bounds.minSize - 1) > MAX_CUSTOM_PIECES);
  } else {
    REQUIRE_PROPERTY(bounds.minSize == 0 && bounds.maxSize == 0);
    REQUIRE_PROPERTY(bounds.minCount == 0 && bounds.maxCount == 0);
  }
  if (source >= 1 && typedSize >= 1) RequireCovers(source, typedSize, CountForSize(source, typedSize));

  const int64_t fieldNumber = ReadFieldNumber(field.c_str());
  REQUIRE_PROPERTY(fieldNumber >= 0);
  RequireTypedSize(source, bounds, typedSize);
  RequireTypedSize(source, bounds, fieldNumber);
  RequireTypedCount(source, bounds, typedCount);
  RequireTypedCount(source, bounds, fieldNumber);
  const int64_t commandLineSize = CommandLineSize(source, commandCount, commandBytes, commandKilobytes,
                                                  commandMegabytes);
  REQUIRE_PROPERTY(commandLineSize >= 0);
  if (commandBytes != 0 || commandKilobytes != 0 || commandMegabytes != 0)
    REQUIRE_PROPERTY(commandLineSize <= MAX_PIECE_BYTES);
  RequireTypedSize(source, bounds, commandLineSize);

  // Scroll steps of a value that lies within its bounds keep it there.
  const int32_t scale = SizeScrollScale(source);
  REQUIRE_PROPERTY(scale >= 1);
  const int64_t size0 = WithinBounds(value, bounds.minSize, bounds.maxSize);
  const int64_t sizeStep =
      StepScrollValue(size0, scrollCode, SizeForScrollPosition(thumb, scale), bounds.minSize, bounds.maxSize);
  REQUIRE_PROPERTY(sizeStep >= bounds.minSize && sizeStep <= bounds.maxSize);
  const int64_t count0 = WithinBounds(value, bounds.minCount, bounds.maxCount);
  const int64_t countStep = StepScrollValue(count0, scrollCode, thumb, bounds.minCount, bounds.maxCount);
  REQUIRE_PROPERTY(countStep >= bounds.minCount && countStep <= bounds.maxCount);
  // A count that follows a tiny size may lie far beyond the bar; its thumb is pinned to the end.
  const int64_t manyPieces = CountForSize(source, typedSize);
  const int32_t countPosition = CountScrollPosition(manyPieces);
  REQUIRE_PROPERTY(countPosition >= 0 && countPosition <= SCROLL_LIMIT);
  if (manyPieces <= SCROLL_LIMIT) REQUIRE_PROPERTY(countPosition == manyPieces);

  // The size scroll bar's range fits a scroll bar and is never empty; its ends stand for
  // sizes within the bounds (the one position of a source with no room for two).
  const ScrollRange range = SizeScrollRange(bounds, scale);
  REQUIRE_PROPERTY(range.minPosition >= 0 && range.maxPosition <= SCROLL_LIMIT);
  REQUIRE_PROPERTY(range.minPosition <= range.maxPosition);
  if (bounds.maxSize >= 1) {
    REQUIRE_PROPERTY(SizeForScrollPosition(range.maxPosition, scale) <= bounds.maxSize);
    if (range.minPosition < range.maxPosition)
      REQUIRE_PROPERTY(SizeForScrollPosition(range.minPosition, scale) >= bounds.minSize);
    const int32_t position = SizeScrollPosition(int32_t(size0), scale);
    REQUIRE_PROPERTY(position >= range.minPosition - 1 && position <= range.maxPosition);
  }

  const int32_t pieceSize = ResolvePieceSize(sizeOption);
  REQUIRE_PROPERTY(pieceSize >= 0);
  REQUIRE_PROPERTY((pieceSize > 0) == (sizeOption > 0 || sizeOption == SIZE_FLOPPY_144 ||
                                       sizeOption == SIZE_FLOPPY_720));
  return 0;
}
