// The rules that tie together the source size, the size of one piece and the
// number of pieces: what a size choice means in bytes, the bounds of a custom
// size and count, how one follows the other, the scroll-bar mapping, when a
// choice is valid and how a size from the command line becomes bytes.
// Plain integer arithmetic; only the two label texts need the string table.
#pragma once
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

// Bounds for a source of this many bytes; all four are 0 for an empty source.
SizeBounds ComputeSizeBounds(int32_t sourceSize);

// Pieces needed for pieces of this size (the ceiling of source / size);
// 0 for an empty source or a size below 1.
int32_t CountForSize(int32_t sourceSize, int32_t pieceSize);
// The size that spreads the source over this many pieces (the ceiling of
// source / count); 0 for an empty source or a count below 1.
int32_t SizeForCount(int32_t sourceSize, int32_t pieceCount);

// A typed size is held to at most maxSize, a typed count to at most maxCount.
// Values under the minimum are kept (the choice is then invalid); only a
// negative value, which no field can hold, is raised to 0.
ClampedValue ClampEditedSize(const SizeBounds& bounds, int32_t size);
ClampedValue ClampEditedCount(const SizeBounds& bounds, int32_t count);

// The number an edit field holds: its leading decimal digits (after blanks),
// 0 when it holds none, and at most INT32_MAX however many digits were typed.
int32_t ReadFieldNumber(const char* text);

// One scroll step of a size or a count within [minimum, maximum]. thumbValue is
// the value the dragged thumb stands for (see SizeForScrollPosition for the size
// bar; the position itself for the count bar); it is held within the bounds.
// A page step that would cross a bound does nothing; codes other than line,
// page and thumb dragging leave the value unchanged.
int32_t StepScrollValue(int32_t value, int scrollCode, int32_t thumbValue, int32_t minimum,
                        int32_t maximum);

// The size scroll bar shows size / scale so that its range stays within SCROLL_LIMIT.
int32_t SizeScrollScale(int32_t sourceSize);
// From the ceiling of minSize / scale to maxSize / scale.
ScrollRange SizeScrollRange(const SizeBounds& bounds, int32_t scale);
int32_t SizeScrollPosition(int32_t size, int32_t scale);
// The size a thumb position stands for (position x scale, at most INT32_MAX).
int32_t SizeForScrollPosition(int32_t position, int32_t scale);

// A floppy choice is always valid; a custom one needs a size and a count of at
// least 1 and at most MAX_CUSTOM_PIECES pieces.
bool IsSizeChoiceValid(bool custom, int32_t size, int32_t count);

// The bytes per piece of a size choice; 0 when it names none (0, SIZE_FROM_COMMAND_LINE,
// any other negative value), which no split may start with.
int32_t ResolvePieceSize(int32_t sizeOption);

// The piece size that a command-line count, bytes, kilobytes or megabytes value
// (0 where not given; a later one in this order wins) means for this source.
// The count is spread over the source in unsigned arithmetic. A result that is
// not a positive signed 32-bit number (a product of 2 GB or more, a negative
// value) is rejected as 0, which is never a valid choice; so is "none given".
int32_t CommandLineSize(int32_t sourceSize, int32_t pieceCount, int32_t pieceBytes,
                        int32_t pieceKilobytes, int32_t pieceMegabytes);

// Label texts in the chosen language: "1 byte" / "%d bytes", "1 file" / "%d files".
std::string ByteCountText(int32_t bytes);
std::string FileCountText(int32_t files);
