#include "logic/SizeRules.h"

#include <climits>

namespace {

// The ceiling of total / parts for a total of at least 1 and parts of at least 1;
// (total - 1) / parts + 1 cannot overflow there.
int32_t CeilingDivision(int32_t total, int32_t parts) {
  if (total < 1 || parts < 1) return 0;
  return (total - 1) / parts + 1;
}

// A typed value held to the maximum; only a negative value, which no field can hold, is raised.
ClampedValue ClampTyped(int32_t value, int32_t maximum) {
  if (value > maximum) return {maximum, true};
  if (value < 0) return {0, true};
  return {value, false};
}

// The scale of a size scroll bar, never below 1 (it divides).
int32_t UsableScale(int32_t scale) { return scale < 1 ? 1 : scale; }

// A 64-bit result as a piece size: positive and within 32 bits, or 0.
int32_t PositiveOrRejected(int64_t size) { return size >= 1 && size <= INT32_MAX ? int32_t(size) : 0; }

}  // namespace

SizeBounds ComputeSizeBounds(int32_t sourceSize) {
  SizeBounds bounds;
  if (sourceSize < 1) return bounds;
  bounds.minSize = CeilingDivision(sourceSize, MAX_CUSTOM_PIECES);
  bounds.maxSize = sourceSize;
  bounds.minCount = 1;
  bounds.maxCount = sourceSize < MAX_CUSTOM_PIECES ? sourceSize : MAX_CUSTOM_PIECES;
  return bounds;
}

int32_t CountForSize(int32_t sourceSize, int32_t pieceSize) {
  return CeilingDivision(sourceSize, pieceSize);
}

int32_t SizeForCount(int32_t sourceSize, int32_t pieceCount) {
  return CeilingDivision(sourceSize, pieceCount);
}

ClampedValue ClampEditedSize(const SizeBounds& bounds, int32_t size) {
  return ClampTyped(size, bounds.maxSize);
}

ClampedValue ClampEditedCount(const SizeBounds& bounds, int32_t count) {
  return ClampTyped(count, bounds.maxCount);
}

int32_t ReadFieldNumber(const char* text) {
  if (!text) return 0;
  while (*text == ' ' || *text == '\t' || *text == '\r' || *text == '\n') ++text;
  int64_t number = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    number = number * 10 + (*text - '0');
    if (number > INT32_MAX) return INT32_MAX;
  }
  return int32_t(number);
}

int32_t StepScrollValue(int32_t value, int scrollCode, int32_t thumbValue, int32_t minimum,
                        int32_t maximum) {
  // Compared in 64 bits: min + 9 and max - 9 must not wrap for any bounds.
  const int64_t current = value;
  switch (scrollCode) {
    case SCROLL_LINE_LEFT:
      return current > minimum ? value - 1 : value;
    case SCROLL_LINE_RIGHT:
      return current < maximum ? value + 1 : value;
    case SCROLL_PAGE_LEFT:
      return current > int64_t(minimum) + 9 ? value - 10 : value;
    case SCROLL_PAGE_RIGHT:
      return current < int64_t(maximum) - 9 ? value + 10 : value;
    case SCROLL_THUMB_DRAGGED:
      // The scroll bar keeps its thumb within its range; a stray value is held to the bounds.
      if (thumbValue > maximum) return maximum;
      if (thumbValue < minimum) return minimum;
      return thumbValue;
    default:
      return value;
  }
}

int32_t SizeScrollScale(int32_t sourceSize) {
  return sourceSize < 1 ? 1 : CeilingDivision(sourceSize, SCROLL_LIMIT);
}

ScrollRange SizeScrollRange(const SizeBounds& bounds, int32_t scale) {
  return {CeilingDivision(bounds.minSize, UsableScale(scale)),
          SizeScrollPosition(bounds.maxSize, scale)};
}

int32_t SizeScrollPosition(int32_t size, int32_t scale) { return size / UsableScale(scale); }

int32_t SizeForScrollPosition(int32_t position, int32_t scale) {
  int64_t size = int64_t(position) * UsableScale(scale);
  return size > INT32_MAX ? INT32_MAX : size < INT32_MIN ? INT32_MIN : int32_t(size);
}

bool IsSizeChoiceValid(bool custom, int32_t size, int32_t count) {
  if (!custom) return true;
  return size >= 1 && count >= 1 && count <= MAX_CUSTOM_PIECES;
}

int32_t ResolvePieceSize(int32_t sizeOption) {
  if (sizeOption == SIZE_FLOPPY_144) return FLOPPY_144_PIECE_BYTES;
  if (sizeOption == SIZE_FLOPPY_720) return FLOPPY_720_PIECE_BYTES;
  return sizeOption > 0 ? sizeOption : 0;
}

int32_t CommandLineSize(int32_t sourceSize, int32_t pieceCount, int32_t pieceBytes,
                        int32_t pieceKilobytes, int32_t pieceMegabytes) {
  int64_t size = 0;
  if (pieceCount != 0) {
    // Unsigned: an empty source wraps to 4,294,967,295 bytes here, and the Size
    // page then holds the result to the empty source's largest size, 0.
    const uint32_t dividend = uint32_t(sourceSize) - 1u;
    size = pieceCount < 0 ? -1 : int64_t(dividend / uint32_t(pieceCount)) + 1;
  }
  if (pieceBytes != 0) size = pieceBytes;
  if (pieceKilobytes != 0) size = int64_t(pieceKilobytes) * 1024;
  if (pieceMegabytes != 0) size = int64_t(pieceMegabytes) * 1048576;
  return PositiveOrRejected(size);
}
