// The private window messages that join pages, dialogs and workers, and the
// flag sets that travel in them.
#pragma once
#include <cstdint>

constexpr unsigned WM_USER_BASE = 0x400;  // the system's first private message number
constexpr unsigned WM_SET_SOURCE = WM_USER_BASE + 1;
constexpr unsigned WM_SET_DESTINATION = WM_USER_BASE + 2;
constexpr unsigned WM_SET_SIZE_OPTION = WM_USER_BASE + 3;
constexpr unsigned WM_SET_EXTRAS = WM_USER_BASE + 4;
constexpr unsigned WM_SET_REGISTRATION = WM_USER_BASE + 5;
constexpr unsigned WM_PROGRESS_CLOSED = WM_USER_BASE + 6;
// A job's outcome, to the dialog that started it; the first parameter is the job's mode.
constexpr unsigned WM_WORK_DONE = WM_USER_BASE + 7;
constexpr unsigned WM_WORK_FAILED = WM_USER_BASE + 8;
constexpr unsigned WM_ANIMATION_STOP = WM_USER_BASE + 9;
constexpr unsigned WM_ANIMATION_PLAY = WM_USER_BASE + 10;
constexpr unsigned WM_PROGRESS_POS = WM_USER_BASE + 11;
constexpr unsigned WM_SHOW_FROM = WM_USER_BASE + 12;
constexpr unsigned WM_SHOW_TO = WM_USER_BASE + 13;
constexpr unsigned WM_SHOW_TIME_LEFT = WM_USER_BASE + 14;
constexpr unsigned WM_AUTO_START = WM_USER_BASE + 15;

// WM_SET_SOURCE is sent with the address of the source's length in bytes, an int64_t,
// as its first parameter: a message parameter of the 32-bit program cannot hold a
// 64-bit length, and a sent message keeps the address valid until it is handled.
// The length is NO_SOURCE when the field is empty or the file cannot be split.
constexpr int64_t NO_SOURCE = -1;

// WM_SET_EXTRAS carries the extras flags as its first parameter and, as its second, the
// amount of recovery data in pieces' worth (1 to 99), or NO_RECOVERY_AMOUNT while the
// Extras page's field holds no amount in that range.
constexpr int32_t NO_RECOVERY_AMOUNT = 0;

// Extras written to the last disk.
constexpr uint32_t EXTRA_PROGRAM_COPY = 1;
constexpr uint32_t EXTRA_INFO_FILE = 2;
constexpr uint32_t EXTRA_BATCH_FILE = 4;
constexpr uint32_t EXTRA_REPAIR_FILE = 8;  // recovery data, in the job's amount

// Shell registration choices.
constexpr uint32_t REGISTER_EXTENSION = 1;
constexpr uint32_t REGISTER_SPLIT_VERB = 2;
constexpr uint32_t REGISTER_RESTORE_VERB = 4;
