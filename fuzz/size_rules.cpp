// The size rules fed any source size, typed size and count, scroll code, thumb
// position and command-line values: a valid choice covers the source in at most
// 1000 pieces, scroll steps stay within their bounds, and nothing overflows.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz/Require.h"
#include "logic/SizeRules.h"

namespace {

// The pieces of this size cover the source, and one piece fewer would not.
void RequireCovers(int32_t source, int32_t size, int32_t count) {
  REQUIRE_PROPERTY(int64_t(size) * count >= source);
  REQUIRE_PROPERTY(int64_t(size) * (count - 1) < source);
}

// What the Size page does with a typed (or command-line) size, then the count that follows.
void RequireTypedSize(int32_t source, const SizeBounds& bounds, int32_t typed) {
  const ClampedValue size = ClampEditedSize(bounds, typed);
  REQUIRE_PROPERTY(size.value >= 0 && size.value <= bounds.maxSize);
  REQUIRE_PROPERTY(size.changed == (size.value != typed));
  const int32_t count = CountForSize(source, size.value);
  if (IsSizeChoiceValid(true, size.value, count)) {
    REQUIRE_PROPERTY(count >= 1 && count <= MAX_CUSTOM_PIECES);
    REQUIRE_PROPERTY(size.value >= bounds.minSize);
    RequireCovers(source, size.value, count);
  }
}

void RequireTypedCount(int32_t source, const SizeBounds& bounds, int32_t typed) {
  const ClampedValue count = ClampEditedCount(bounds, typed);
  REQUIRE_PROPERTY(count.value >= 0 && count.value <= bounds.maxCount);
  const int32_t size = SizeForCount(source, count.value);
  if (count.value >= 1 && source >= 1) {
    REQUIRE_PROPERTY(size >= bounds.minSize && size <= bounds.maxSize);
    // The split makes as many pieces as the size needs: never more than the count typed.
    const int32_t pieces = CountForSize(source, size);
    REQUIRE_PROPERTY(pieces <= count.value);
    RequireCovers(source, size, pieces);
    REQUIRE_PROPERTY(IsSizeChoiceValid(true, size, pieces));
  }
}

int32_t WithinBounds(int32_t value, int32_t minimum, int32_t maximum) {
  return value < minimum ? minimum : value > maximum ? maximum : value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const int32_t source = input.ConsumeIntegral<int32_t>();
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

  const SizeBounds bounds = ComputeSizeBounds(source);
  if (source >= 1) {
    REQUIRE_PROPERTY(bounds.minSize >= 1 && bounds.minSize <= bounds.maxSize && bounds.maxSize == source);
    REQUIRE_PROPERTY(bounds.minCount == 1 && bounds.maxCount >= 1 && bounds.maxCount <= MAX_CUSTOM_PIECES);
    REQUIRE_PROPERTY(CountForSize(source, bounds.minSize) <= MAX_CUSTOM_PIECES);
  } else {
    REQUIRE_PROPERTY(bounds.minSize == 0 && bounds.maxSize == 0 && bounds.minCount == 0 && bounds.maxCount == 0);
  }
  if (source >= 1 && typedSize >= 1) RequireCovers(source, typedSize, CountForSize(source, typedSize));

  RequireTypedSize(source, bounds, typedSize);
  RequireTypedSize(source, bounds, ReadFieldNumber(field.c_str()));
  RequireTypedCount(source, bounds, typedCount);
  const int32_t commandLineSize = CommandLineSize(source, commandCount, commandBytes, commandKilobytes,
                                                  commandMegabytes);
  REQUIRE_PROPERTY(commandLineSize >= 0);
  RequireTypedSize(source, bounds, commandLineSize);
  REQUIRE_PROPERTY(ReadFieldNumber(field.c_str()) >= 0);

  // Scroll steps of a value that lies within its bounds keep it there.
  const int32_t scale = SizeScrollScale(source);
  REQUIRE_PROPERTY(scale >= 1);
  const int32_t size0 = WithinBounds(value, bounds.minSize, bounds.maxSize);
  const int32_t sizeStep =
      StepScrollValue(size0, scrollCode, SizeForScrollPosition(thumb, scale), bounds.minSize, bounds.maxSize);
  REQUIRE_PROPERTY(sizeStep >= bounds.minSize && sizeStep <= bounds.maxSize);
  const int32_t count0 = WithinBounds(value, bounds.minCount, bounds.maxCount);
  const int32_t countStep = StepScrollValue(count0, scrollCode, thumb, bounds.minCount, bounds.maxCount);
  REQUIRE_PROPERTY(countStep >= bounds.minCount && countStep <= bounds.maxCount);

  // The size scroll bar's range fits a scroll bar, and its ends stand for sizes within the bounds.
  const ScrollRange range = SizeScrollRange(bounds, scale);
  REQUIRE_PROPERTY(range.minPosition >= 0 && range.maxPosition <= SCROLL_LIMIT);
  if (source >= 1) {
    REQUIRE_PROPERTY(range.minPosition <= range.maxPosition);
    REQUIRE_PROPERTY(SizeForScrollPosition(range.minPosition, scale) >= bounds.minSize);
    REQUIRE_PROPERTY(SizeForScrollPosition(range.maxPosition, scale) <= bounds.maxSize);
    const int32_t position = SizeScrollPosition(size0, scale);
    REQUIRE_PROPERTY(position >= range.minPosition - 1 && position <= range.maxPosition);
  }

  const int32_t pieceSize = ResolvePieceSize(sizeOption);
  REQUIRE_PROPERTY(pieceSize >= 0);
  REQUIRE_PROPERTY((pieceSize > 0) == (sizeOption > 0 || sizeOption == SIZE_FLOPPY_144 ||
                                       sizeOption == SIZE_FLOPPY_720));
  return 0;
}
