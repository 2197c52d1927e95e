// The rules that tie together the source size, the size of one piece and the
// number of pieces: what a size choice means in bytes, the bounds of a custom
// size and count, how one follows the other, the scroll-bar mapping, when a
// choice is valid and how a size from the command line becomes bytes.
// Plain integer arithmetic; only the two label texts need the string table.
#pragma once
#include <climits>
#include <cstdint>
#include <string>

// The size choice (SizeOption) that travels from the Size page to the split:
// a positive value is a custom piece size in bytes, these three are sentinels.
constexpr int32_t SIZE_FLOPPY_144 = -1;
constexpr int32_t SIZE_FLOPPY_720 = -2;
// A custom size or count came from the command line and still waits for a source.
constexpr int32_t SIZE_FROM_COMMAND_LINE = -3;

// Piece sizes of the floppy choices: 2,847 and 1,426 sectors of 512 bytes.
constexpr int32_t FLOPPY_144_PIECE_BYTES = 1457664;
constexpr int32_t FLOPPY_720_PIECE_BYTES = 730112;

// Custom sizes are held to this many pieces (.000 to .999).
constexpr int32_t MAX_CUSTOM_PIECES = 1000;
// A piece size is a signed 32-bit value (which also keeps every piece within what FAT32 holds).
constexpr int32_t MAX_PIECE_BYTES = INT32_MAX;
// The largest source that can be split: 1000 pieces of the largest size.
constexpr int64_t MAX_SOURCE_BYTES = int64_t{MAX_CUSTOM_PIECES} * MAX_PIECE_BYTES;
// The largest value a scroll bar is given.
constexpr int32_t SCROLL_LIMIT = 32767;

// Horizontal scroll codes as the system delivers them with WM_HSCROLL
// (the values of SB_LINELEFT, SB_LINERIGHT, SB_PAGELEFT, SB_PAGERIGHT,
// SB_THUMBPOSITION, SB_THUMBTRACK, SB_LEFT, SB_RIGHT and SB_ENDSCROLL).
constexpr int SCROLL_LINE_LEFT = 0;
constexpr int SCROLL_LINE_RIGHT = 1;
constexpr int SCROLL_PAGE_LEFT = 2;
constexpr int SCROLL_PAGE_RIGHT = 3;
constexpr int SCROLL_THUMB_RELEASED = 4;
constexpr int SCROLL_THUMB_DRAGGED = 5;
constexpr int SCROLL_TO_LEFT_END = 6;
constexpr int SCROLL_TO_RIGHT_END = 7;
constexpr int SCROLL_END = 8;

// The smallest and largest custom piece size and piece count for one source.
struct SizeBounds {
  int32_t minSize = 0;
  int32_t maxSize = 0;
  int32_t minCount = 0;
  int32_t maxCount = 0;
};

// A typed value after clamping, and whether clamping changed it (the field is then rewritten).
struct ClampedValue {
  int32_t value;
  bool changed;
};

// A scroll bar's range of positions.
struct ScrollRange {
  int32_t minPosition;
  int32_t maxPosition;
};

// Bounds for a source of this many bytes. The largest size is the whole source, at
// most MAX_PIECE_BYTES; the smallest count is the count that the largest size gives
// (1 up to MAX_PIECE_BYTES, 2 and more beyond). All four are 0 for an empty source
// and for one larger than MAX_SOURCE_BYTES, where no custom size is valid.
SizeBounds ComputeSizeBounds(int64_t sourceSize);

// Pieces needed for pieces of this size (the ceiling of source / size);
// 0 for an empty source or a size below 1.
int64_t CountForSize(int64_t sourceSize, int32_t pieceSize);
// The size that spreads the source over this many pieces (the ceiling of
// source / count), held to MAX_PIECE_BYTES: a count below the smallest count of
// a source beyond that gets the largest pieces there are, and more of them.
// 0 for an empty source or a count below 1.
int32_t SizeForCount(int64_t sourceSize, int64_t pieceCount);

// A typed size is held to at most maxSize, a typed count to at most maxCount.
// Values under the minimum are kept (the choice is then invalid); only a
// negative value, which no field can hold, is raised to 0.
ClampedValue ClampEditedSize(const SizeBounds& bounds, int64_t size);
ClampedValue ClampEditedCount(const SizeBounds& bounds, int64_t count);

// The number an edit field holds: its leading decimal digits (after blanks),
// 0 when it holds none, and at most INT64_MAX however many digits were typed.
int64_t ReadFieldNumber(const char* text);

// One scroll step of a size or a count within [minimum, maximum]. thumbValue is
// the value the dragged thumb stands for (see SizeForScrollPosition for the size
// bar; the position itself for the count bar); it is held within the bounds.
// A page step that would cross a bound does nothing; codes other than line,
// page and thumb dragging leave the value unchanged. A value from 0 to maximum
// stays within 0 to maximum. The bounds are those of a size or a count (32 bits).
int64_t StepScrollValue(int64_t value, int scrollCode, int64_t thumbValue, int64_t minimum, int64_t maximum);

// The size scroll bar shows size / scale so that its range stays within SCROLL_LIMIT;
// the scale follows the largest size of the source.
int32_t SizeScrollScale(int64_t sourceSize);
// From the ceiling of minSize / scale to maxSize / scale; when no multiple of the
// scale lies between the two sizes (a source near MAX_SOURCE_BYTES), the one
// position maxSize / scale.
ScrollRange SizeScrollRange(const SizeBounds& bounds, int32_t scale);
int32_t SizeScrollPosition(int32_t size, int32_t scale);
// The size a thumb position stands for (position x scale, at most INT32_MAX).
int32_t SizeForScrollPosition(int32_t position, int32_t scale);
// The count scroll bar's thumb for a count: the count itself, a count beyond what
// a scroll bar holds at SCROLL_LIMIT (the bar pins either to its end).
int32_t CountScrollPosition(int64_t count);

// A floppy choice is always valid; a custom one needs a size and a count of at
// least 1 and at most MAX_CUSTOM_PIECES pieces.
bool IsSizeChoiceValid(bool custom, int32_t size, int64_t count);

// The bytes per piece of a size choice; 0 when it names none (0, SIZE_FROM_COMMAND_LINE,
// any other negative value), which no split may start with.
int32_t ResolvePieceSize(int32_t sizeOption);

// The piece size that a command-line count, bytes, kilobytes or megabytes value
// (0 where not given; a later one in this order wins) means for this source, to be
// entered as if typed into the size field (which holds it to the largest size).
// The count is spread over the source in 64 bits: 0 for an empty source. A bytes,
// kilobytes or megabytes value whose product is not a positive signed 32-bit
// number (2 GB or more, a negative value) is rejected as 0, which is never a valid
// choice; so is "none given" and a negative count.
int64_t CommandLineSize(int64_t sourceSize, int32_t pieceCount, int32_t pieceBytes, int32_t pieceKilobytes,
                        int32_t pieceMegabytes);

// Label texts in the chosen language: "1 byte" / "%d bytes", "1 file" / "%d files".
std::string ByteCountText(int32_t bytes);
std::string FileCountText(int32_t files);
