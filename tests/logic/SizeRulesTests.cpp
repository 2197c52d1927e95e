#include <doctest/doctest.h>

#include <climits>

#include "logic/SizeRules.h"
#include "support/TextLanguage.h"

namespace {

// Sources around the 1000-piece limit, the first scale steps and the top of the range.
const int32_t SOURCES[] = {1, 2, 999, 1000, 1001, 2000, 2001, 32767, 32768, 100000, 1457664,
                           1000001, INT32_MAX - 1000, INT32_MAX};

bool BoundsAre(int64_t source, int32_t minSize, int32_t maxSize, int32_t minCount, int32_t maxCount) {
  SizeBounds b = ComputeSizeBounds(source);
  return b.minSize == minSize && b.maxSize == maxSize && b.minCount == minCount && b.maxCount == maxCount;
}

}  // namespace

TEST_CASE("Bounds, and one value following the other") {
  SUBCASE("examples") {
    CHECK(BoundsAre(0, 0, 0, 0, 0));
    CHECK(BoundsAre(-1, 0, 0, 0, 0));  // no readable source
    CHECK(BoundsAre(1, 1, 1, 1, 1));
    CHECK(BoundsAre(1000, 1, 1000, 1, 1000));
    CHECK(BoundsAre(1001, 2, 1001, 1, 1000));
    CHECK(BoundsAre(INT32_MAX, 2147484, INT32_MAX, 1, 1000));
    CHECK(SizeForCount(10, 6) == 2);  // not inverse: size 2 gives 5 pieces
    CHECK(CountForSize(10, 2) == 5);
    CHECK(CountForSize(3000000, FLOPPY_144_PIECE_BYTES) == 3);
  }
  SUBCASE("minSize is the smallest size giving at most 1000 pieces; a spread count covers the source") {
    for (int32_t source : SOURCES) {
      CAPTURE(source);
      SizeBounds bounds = ComputeSizeBounds(source);
      CHECK(CountForSize(source, bounds.minSize) <= MAX_CUSTOM_PIECES);
      if (bounds.minSize > 1) CHECK(CountForSize(source, bounds.minSize - 1) > MAX_CUSTOM_PIECES);
      for (int32_t count : {1, 2, 7, 1000}) {
        if (count > bounds.maxCount) continue;
        int32_t size = SizeForCount(source, count);
        CHECK(CountForSize(source, size) <= count);
        CHECK(int64_t(size) * count >= source);
      }
    }
  }
  SUBCASE("zero, negative and extreme inputs neither divide by zero nor overflow") {
    CHECK(CountForSize(100, 0) == 0);
    CHECK(SizeForCount(100, -5) == 0);
    CHECK(CountForSize(0, 2) == 0);  // an empty source needs no piece
    CHECK(SizeForCount(0, 3) == 0);
    CHECK(CountForSize(INT_MIN, 7) == 0);
    CHECK(CountForSize(INT32_MAX, 1) == INT32_MAX);
    CHECK(SizeForCount(INT32_MAX, 1000) == 2147484);
  }
}

TEST_CASE("Edited values") {
  SizeBounds bounds = ComputeSizeBounds(100000);
  SUBCASE("clamped from above only") {
    ClampedValue size = ClampEditedSize(bounds, 250000);
    CHECK((size.changed && size.value == 100000));
    ClampedValue count = ClampEditedCount(bounds, 2000);
    CHECK((count.changed && count.value == 1000));
    CHECK(SizeForCount(100000, count.value) == 100);
    ClampedValue small = ClampEditedSize(ComputeSizeBounds(5000), 1);  // below minSize: kept, invalid
    CHECK((!small.changed && small.value == 1));
    CHECK_FALSE(IsSizeChoiceValid(true, 1, CountForSize(5000, 1)));
  }
  SUBCASE("an empty source holds every typed value to 0; negatives are raised to 0") {
    CHECK(ClampEditedSize(ComputeSizeBounds(0), 12345).value == 0);
    CHECK(ClampEditedCount(ComputeSizeBounds(0), 3).value == 0);
    CHECK(ClampEditedSize(bounds, -1).value == 0);
    CHECK(ClampEditedCount(bounds, INT32_MIN).changed);
  }
  SUBCASE("reading a field") {
    CHECK(ReadFieldNumber("") == 0);
    CHECK(ReadFieldNumber(nullptr) == 0);
    CHECK(ReadFieldNumber("abc") == 0);
    CHECK(ReadFieldNumber("  4711") == 4711);
    CHECK(ReadFieldNumber("12ab3") == 12);
    CHECK(ReadFieldNumber("2147483648") == 2147483648);
    CHECK(ReadFieldNumber("9223372036854775807") == INT64_MAX);
    CHECK(ReadFieldNumber("9223372036854775808") == INT64_MAX);
    CHECK(ReadFieldNumber("99999999999999999999999") == INT64_MAX);
  }
}

TEST_CASE("Scroll steps and the size scroll bar") {
  SUBCASE("line and page steps stop at the bounds; page steps are not shortened") {
    CHECK(StepScrollValue(105, SCROLL_LINE_LEFT, 0, 100, 200) == 104);
    CHECK(StepScrollValue(105, SCROLL_PAGE_LEFT, 0, 100, 200) == 105);
    CHECK(StepScrollValue(110, SCROLL_PAGE_LEFT, 0, 100, 200) == 100);
    CHECK(StepScrollValue(200, SCROLL_LINE_RIGHT, 0, 100, 200) == 200);
    CHECK(StepScrollValue(190, SCROLL_PAGE_RIGHT, 0, 100, 200) == 200);
    CHECK(StepScrollValue(191, SCROLL_PAGE_RIGHT, 0, 100, 200) == 191);
    CHECK(StepScrollValue(INT32_MIN, SCROLL_PAGE_RIGHT, 0, INT32_MIN, INT32_MIN) == INT32_MIN);
    CHECK(StepScrollValue(INT32_MAX, SCROLL_PAGE_LEFT, 0, INT32_MAX, INT32_MAX) == INT32_MAX);
  }
  SUBCASE("thumb drag sets the value within the bounds; other codes change nothing") {
    CHECK(StepScrollValue(105, SCROLL_THUMB_DRAGGED, 150, 100, 200) == 150);
    CHECK(StepScrollValue(105, SCROLL_THUMB_DRAGGED, 999, 100, 200) == 200);
    CHECK(StepScrollValue(105, SCROLL_THUMB_DRAGGED, 3, 100, 200) == 100);
    for (int code : {SCROLL_THUMB_RELEASED, SCROLL_TO_LEFT_END, SCROLL_TO_RIGHT_END, SCROLL_END, 9})
      CHECK(StepScrollValue(150, code, 120, 100, 200) == 150);
  }
  SUBCASE("scale and range examples") {
    CHECK(SizeScrollScale(0) == 1);
    CHECK(SizeScrollScale(32767) == 1);
    CHECK(SizeScrollScale(32768) == 2);
    CHECK(SizeScrollScale(FLOPPY_144_PIECE_BYTES) == 45);
    ScrollRange range = SizeScrollRange(ComputeSizeBounds(FLOPPY_144_PIECE_BYTES), 45);
    CHECK((range.minPosition == 33 && range.maxPosition == 32392));
    CHECK(SizeForScrollPosition(SCROLL_LIMIT, 65539) == INT32_MAX);  // saturates
    CHECK(SizeScrollRange(ComputeSizeBounds(500), 0).maxPosition == 500);  // no division by zero
  }
  SUBCASE("every range fits the scroll bar and its ends map into the bounds") {
    for (int32_t source : SOURCES) {
      CAPTURE(source);
      SizeBounds bounds = ComputeSizeBounds(source);
      int32_t scale = SizeScrollScale(source);
      ScrollRange range = SizeScrollRange(bounds, scale);
      CHECK(range.maxPosition <= SCROLL_LIMIT);
      CHECK(SizeForScrollPosition(range.minPosition, scale) >= bounds.minSize);
      CHECK(SizeForScrollPosition(range.maxPosition, scale) <= bounds.maxSize);
    }
  }
}

TEST_CASE("Validity and piece size of a choice") {
  CHECK(IsSizeChoiceValid(false, 0, 0));  // floppy choices, whatever the values
  CHECK(IsSizeChoiceValid(false, 5, 5000));
  CHECK(IsSizeChoiceValid(true, 100, 1000));
  CHECK_FALSE(IsSizeChoiceValid(true, 100, 1001));
  CHECK_FALSE(IsSizeChoiceValid(true, 0, 5));
  CHECK_FALSE(IsSizeChoiceValid(true, 5, 0));
  CHECK_FALSE(IsSizeChoiceValid(true, -1, 1));
  CHECK(ResolvePieceSize(SIZE_FLOPPY_144) == 0x163E00);
  CHECK(ResolvePieceSize(SIZE_FLOPPY_720) == 0xB2400);
  CHECK(ResolvePieceSize(4711) == 4711);
  for (int32_t none : {0, SIZE_FROM_COMMAND_LINE, -4, INT32_MIN}) CHECK(ResolvePieceSize(none) == 0);
}

TEST_CASE("Size from the command line") {
  SUBCASE("each form; a later one wins") {
    CHECK(CommandLineSize(10, 3, 0, 0, 0) == 4);
    CHECK(CommandLineSize(INT32_MAX, 1, 0, 0, 0) == INT32_MAX);
    CHECK(CommandLineSize(10, 0, 5000, 0, 0) == 5000);
    CHECK(CommandLineSize(10, 0, 0, 64, 0) == 65536);
    CHECK(CommandLineSize(10, 0, 0, 0, 1) == 1048576);
    CHECK(CommandLineSize(10, 0, 0, 0, 0) == 0);
    CHECK(CommandLineSize(10, 3, 77, 0, 0) == 77);
    CHECK(CommandLineSize(10, 3, 77, 2, 3) == 3145728);
  }
  SUBCASE("products of 2 GB or more and negative values are rejected, not wrapped") {
    CHECK(CommandLineSize(10, 0, 0, 2097151, 0) == 2147482624);
    CHECK(CommandLineSize(10, 0, 0, 2097152, 0) == 0);
    CHECK(CommandLineSize(10, 0, 0, 4194305, 0) == 0);  // would wrap to 1,024
    CHECK(CommandLineSize(10, 0, 0, 0, 2047) == 2146435072);
    CHECK(CommandLineSize(10, 0, 0, 0, 2048) == 0);
    CHECK(CommandLineSize(10, 0, 0, 0, 4097) == 0);  // would wrap to 1,048,576
    CHECK(CommandLineSize(10, 0, -5, 0, 0) == 0);
    CHECK(CommandLineSize(10, -2, 0, 0, 0) == 0);
  }
  SUBCASE("a count for an empty source ends as 0 in the size field, never negative") {
    for (int32_t count : {1, 2, 3, 1000, INT32_MAX}) {
      CAPTURE(count);
      int32_t size = CommandLineSize(0, count, 0, 0, 0);
      CHECK(size >= 0);
      CHECK(ClampEditedSize(ComputeSizeBounds(0), size).value == 0);
    }
  }
}

TEST_CASE("Sources of 2 GiB and more: pieces of at most 2^31 - 1 bytes, at most 1000 of them") {
  constexpr int64_t GIB = int64_t{1} << 30;
  struct Large {
    int64_t source;
    SizeBounds bounds;
    int32_t firstPosition;  // of the size scroll bar, whose scale is 65539 for all of them
  };
  const Large larges[] = {
      {INT32_MAX, {2147484, INT32_MAX, 1, 1000}, 33},
      {2 * GIB, {2147484, INT32_MAX, 2, 1000}, 33},
      {4 * GIB - 1, {4294968, INT32_MAX, 3, 1000}, 66},
      {4 * GIB, {4294968, INT32_MAX, 3, 1000}, 66},
      {4 * GIB + 1, {4294968, INT32_MAX, 3, 1000}, 66},
      {5 * GIB, {5368710, INT32_MAX, 3, 1000}, 82},
      // The largest source: one size only, and its one scroll position.
      {MAX_SOURCE_BYTES, {INT32_MAX, INT32_MAX, 1000, 1000}, 32766},
  };
  SUBCASE("bounds, scroll ranges and steps at the ends") {
    for (const Large& large : larges) {
      CAPTURE(large.source);
      const SizeBounds& expected = large.bounds;
      CHECK(BoundsAre(large.source, expected.minSize, expected.maxSize, expected.minCount, expected.maxCount));
      // The smallest count is what the largest size needs; the smallest size still makes 1000 pieces.
      CHECK(CountForSize(large.source, expected.maxSize) == expected.minCount);
      CHECK(CountForSize(large.source, expected.minSize) <= MAX_CUSTOM_PIECES);
      CHECK(IsSizeChoiceValid(true, expected.maxSize, expected.minCount));
      CHECK(IsSizeChoiceValid(true, expected.minSize, CountForSize(large.source, expected.minSize)));

      const int32_t scale = SizeScrollScale(large.source);
      CHECK(scale == 65539);
      const ScrollRange range = SizeScrollRange(expected, scale);
      CHECK(range.minPosition == large.firstPosition);
      CHECK(range.maxPosition == 32766);
      CHECK(SizeScrollPosition(expected.maxSize, scale) == range.maxPosition);
      // Dragging the thumb to either end gives a size within the bounds.
      for (int32_t position : {range.minPosition, range.maxPosition}) {
        const int64_t size = StepScrollValue(expected.maxSize, SCROLL_THUMB_DRAGGED,
                                             SizeForScrollPosition(position, scale), expected.minSize,
                                             expected.maxSize);
        CHECK(size >= expected.minSize);
        CHECK(size <= expected.maxSize);
      }
      // At the largest size and the largest count, steps to the right stay there; to the left they move.
      CHECK(StepScrollValue(INT32_MAX, SCROLL_PAGE_RIGHT, 0, expected.minSize, INT32_MAX) == INT32_MAX);
      CHECK(StepScrollValue(INT32_MAX, SCROLL_LINE_RIGHT, 0, expected.minSize, INT32_MAX) == INT32_MAX);
      CHECK(StepScrollValue(INT32_MAX, SCROLL_LINE_LEFT, 0, expected.minSize, INT32_MAX) ==
            (expected.minSize < INT32_MAX ? INT32_MAX - 1 : INT32_MAX));
      CHECK(StepScrollValue(1000, SCROLL_LINE_RIGHT, 0, expected.minCount, 1000) == 1000);
      CHECK(StepScrollValue(expected.minCount, SCROLL_LINE_LEFT, 0, expected.minCount, 1000) == expected.minCount);
    }
  }
  SUBCASE("one byte more than 1000 of the largest pieces has no valid custom size") {
    CHECK(BoundsAre(MAX_SOURCE_BYTES + 1, 0, 0, 0, 0));
    CHECK(CountForSize(MAX_SOURCE_BYTES + 1, INT32_MAX) == 1001);
    CHECK_FALSE(IsSizeChoiceValid(true, INT32_MAX, CountForSize(MAX_SOURCE_BYTES + 1, INT32_MAX)));
    CHECK(ClampEditedSize(ComputeSizeBounds(MAX_SOURCE_BYTES + 1), INT32_MAX).value == 0);
  }
  SUBCASE("counts beyond 32 bits, and sizes that follow a count held to the largest piece") {
    CHECK(CountForSize(5 * GIB, 1) == 5 * GIB);
    CHECK(CountForSize(MAX_SOURCE_BYTES, 1) == MAX_SOURCE_BYTES);
    CHECK(CountScrollPosition(5 * GIB) == SCROLL_LIMIT);
    CHECK(CountScrollPosition(999) == 999);
    CHECK_FALSE(IsSizeChoiceValid(true, 1, CountForSize(5 * GIB, 1)));
    CHECK_FALSE(IsSizeChoiceValid(true, 1, int64_t{1} << 32));  // not taken for 0 pieces
    CHECK(SizeForCount(5 * GIB, 3) == 1789569707);
    CHECK(CountForSize(5 * GIB, 1789569707) == 3);
    CHECK(SizeForCount(5 * GIB, 1) == INT32_MAX);  // below the smallest count: the largest pieces
    CHECK(SizeForCount(MAX_SOURCE_BYTES, 1000) == INT32_MAX);
    CHECK(SizeForCount(MAX_SOURCE_BYTES + 1000, 1000) == INT32_MAX);
  }
  SUBCASE("typed sizes beyond 32 bits are held to the largest piece and rewritten") {
    const SizeBounds bounds = ComputeSizeBounds(5 * GIB);
    const ClampedValue size = ClampEditedSize(bounds, ReadFieldNumber("5368709120"));
    CHECK((size.changed && size.value == INT32_MAX));
    const ClampedValue justFits = ClampEditedSize(bounds, ReadFieldNumber("2147483647"));
    CHECK((!justFits.changed && justFits.value == INT32_MAX));
    CHECK(ClampEditedSize(bounds, ReadFieldNumber("2147483648")).changed);
    const ClampedValue count = ClampEditedCount(bounds, ReadFieldNumber("4294967297"));
    CHECK((count.changed && count.value == 1000));
  }
  SUBCASE("the command line: a count spreads in 64 bits, products of 2 GB or more are refused") {
    const int64_t source = 4 * GIB + 3 * 1048576 + 7;
    CHECK(CommandLineSize(source, 0, 0, 0, 1024) == GIB);
    CHECK(CountForSize(source, GIB) == 5);
    CHECK(CommandLineSize(5 * GIB, 2, 0, 0, 0) == 2684354560);
    CHECK(ClampEditedSize(ComputeSizeBounds(5 * GIB), 2684354560).value == INT32_MAX);
    CHECK(CommandLineSize(MAX_SOURCE_BYTES, 1000, 0, 0, 0) == INT32_MAX);
    CHECK(CommandLineSize(MAX_SOURCE_BYTES + 1, 1000, 0, 0, 0) == int64_t{INT32_MAX} + 1);
    CHECK(CommandLineSize(5 * GIB, 0, 0, 0, 2048) == 0);
    CHECK(CommandLineSize(5 * GIB, 0, 0, 2097152, 0) == 0);
    CHECK(CommandLineSize(5 * GIB, 0, INT32_MAX, 0, 0) == INT32_MAX);
  }
}

TEST_CASE("Count texts") {
  SUBCASE("English") {
    UseEnglishTexts();
    CHECK(ByteCountText(1) == "1 byte");
    CHECK(ByteCountText(0) == "0 bytes");
    CHECK(ByteCountText(1457664) == "1457664 bytes");
    CHECK(FileCountText(1) == "1 file");
    CHECK(FileCountText(1000) == "1000 files");
  }
#ifdef _WIN32
  SUBCASE("German") {
    UseGermanTexts();
    CHECK(ByteCountText(1) == "1 Byte");
    CHECK(ByteCountText(2) == "2 Bytes");
    CHECK(FileCountText(1) == "1 Datei");
    CHECK(FileCountText(0) == "0 Dateien");
  }
#endif
  UseEnglishTexts();
}
