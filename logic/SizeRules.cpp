#include "logic/SizeRules.h"

namespace {

// The ceiling of total / parts for a total of at least 1 and parts of at least 1;
// (total - 1) / parts + 1 cannot overflow there.
int64_t CeilingDivision(int64_t total, int64_t parts) {
  if (total < 1 || parts < 1) return 0;
  return (total - 1) / parts + 1;
}

// A typed value held to the maximum; only a negative value, which no field can hold, is raised.
ClampedValue ClampTyped(int64_t value, int32_t maximum) {
  if (value > maximum) return {maximum, true};
  if (value < 0) return {0, true};
  return {int32_t(value), false};
}

// The scale of a size scroll bar, never below 1 (it divides).
int32_t UsableScale(int32_t scale) { return scale < 1 ? 1 : scale; }

// A result as a piece size: positive and within 32 bits, or 0.
int32_t PositiveOrRejected(int64_t size) { return size >= 1 && size <= MAX_PIECE_BYTES ? int32_t(size) : 0; }

// The largest piece of a source: the whole of it, up to the largest piece size.
int32_t LargestPiece(int64_t sourceSize) {
  return sourceSize < MAX_PIECE_BYTES ? int32_t(sourceSize) : MAX_PIECE_BYTES;
}

}  // namespace

SizeBounds ComputeSizeBounds(int64_t sourceSize) {
  SizeBounds bounds;
  if (sourceSize < 1 || sourceSize > MAX_SOURCE_BYTES) return bounds;
  // Within MAX_SOURCE_BYTES, all four fit 32 bits.
  bounds.minSize = int32_t(CeilingDivision(sourceSize, MAX_CUSTOM_PIECES));
  bounds.maxSize = LargestPiece(sourceSize);
  bounds.minCount = int32_t(CountForSize(sourceSize, bounds.maxSize));
  bounds.maxCount = sourceSize < MAX_CUSTOM_PIECES ? int32_t(sourceSize) : MAX_CUSTOM_PIECES;
  return bounds;
}

int64_t CountForSize(int64_t sourceSize, int32_t pieceSize) { return CeilingDivision(sourceSize, pieceSize); }

int32_t SizeForCount(int64_t sourceSize, int64_t pieceCount) {
  const int64_t size = CeilingDivision(sourceSize, pieceCount);
  return size < MAX_PIECE_BYTES ? int32_t(size) : MAX_PIECE_BYTES;
}

ClampedValue ClampEditedSize(const SizeBounds& bounds, int64_t size) {
  return ClampTyped(size, bounds.maxSize);
}

ClampedValue ClampEditedCount(const SizeBounds& bounds, int64_t count) {
  return ClampTyped(count, bounds.maxCount);
}

int64_t ReadFieldNumber(const char* text) {
  if (!text) return 0;
  while (*text == ' ' || *text == '\t' || *text == '\r' || *text == '\n') ++text;
  int64_t number = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    const int digit = *text - '0';
    if (number > (INT64_MAX - digit) / 10) return INT64_MAX;
    number = number * 10 + digit;
  }
  return number;
}

int64_t StepScrollValue(int64_t value, int scrollCode, int64_t thumbValue, int64_t minimum, int64_t maximum) {
  switch (scrollCode) {
    case SCROLL_LINE_LEFT:
      return value > minimum ? value - 1 : value;
    case SCROLL_LINE_RIGHT:
      return value < maximum ? value + 1 : value;
    case SCROLL_PAGE_LEFT:
      return value > minimum + 9 ? value - 10 : value;
    case SCROLL_PAGE_RIGHT:
      return value < maximum - 9 ? value + 10 : value;
    case SCROLL_THUMB_DRAGGED:
      // The scroll bar keeps its thumb within its range; a stray value is held to the bounds.
      if (thumbValue > maximum) return maximum;
      if (thumbValue < minimum) return minimum;
      return thumbValue;
    default:
      return value;
  }
}

int32_t SizeScrollScale(int64_t sourceSize) {
  return sourceSize < 1 ? 1 : int32_t(CeilingDivision(LargestPiece(sourceSize), SCROLL_LIMIT));
}

ScrollRange SizeScrollRange(const SizeBounds& bounds, int32_t scale) {
  const int32_t last = SizeScrollPosition(bounds.maxSize, scale);
  const int32_t first = int32_t(CeilingDivision(bounds.minSize, UsableScale(scale)));
  return {first < last ? first : last, last};
}

int32_t SizeScrollPosition(int32_t size, int32_t scale) { return size / UsableScale(scale); }

int32_t SizeForScrollPosition(int32_t position, int32_t scale) {
  int64_t size = int64_t(position) * UsableScale(scale);
  return size > INT32_MAX ? INT32_MAX : size < INT32_MIN ? INT32_MIN : int32_t(size);
}

int32_t CountScrollPosition(int64_t count) {
  return count > SCROLL_LIMIT ? SCROLL_LIMIT : count < 0 ? 0 : int32_t(count);
}

bool IsSizeChoiceValid(bool custom, int32_t size, int64_t count) {
  if (!custom) return true;
  return size >= 1 && count >= 1 && count <= MAX_CUSTOM_PIECES;
}

int32_t ResolvePieceSize(int32_t sizeOption) {
  if (sizeOption == SIZE_FLOPPY_144) return FLOPPY_144_PIECE_BYTES;
  if (sizeOption == SIZE_FLOPPY_720) return FLOPPY_720_PIECE_BYTES;
  return sizeOption > 0 ? sizeOption : 0;
}

int64_t CommandLineSize(int64_t sourceSize, int32_t pieceCount, int32_t pieceBytes, int32_t pieceKilobytes,
                        int32_t pieceMegabytes) {
  int64_t size = 0;
  if (pieceCount != 0) size = CeilingDivision(sourceSize, pieceCount);
  if (pieceBytes != 0) size = PositiveOrRejected(pieceBytes);
  if (pieceKilobytes != 0) size = PositiveOrRejected(int64_t(pieceKilobytes) * 1024);
  if (pieceMegabytes != 0) size = PositiveOrRejected(int64_t(pieceMegabytes) * 1048576);
  return size;
}
