// Resource numbers shared by the resource scripts and the program.
// Dialog templates, control identifiers, texts and pictures keep these exact
// numbers in both languages: other code addresses them by number only.
#pragma once

// Dialog templates
#define IDD_ABOUT 100
#define IDD_SPLIT 102
#define IDD_FILES_PAGE 103
#define IDD_SIZE_PAGE 104
#define IDD_EXTRAS_PAGE 105
#define IDD_PROGRESS 106
#define IDD_RESTORE 108
#define IDD_SYSTEM_PAGE 109

// Pictures
#define IDI_APPLICATION_ICON 202
#define IDB_BULLET 203
#define IDR_PROGRESS_ANIMATION 204
#define IDI_SECOND_ICON 206
#define IDI_INFO_FILE_ICON 207

// Standard command identifiers (OK = 1 and Cancel = 2 come from the system)
#define IDC_ABOUT 16
#define ID_HELP 57670

// Split dialog
#define IDC_TAB 1001
// Files page (1004 and 1005 are also the restore dialog's destination and Browse)
#define IDC_SOURCE_EDIT 1002
#define IDC_SOURCE_BROWSE 1003
#define IDC_DESTINATION_EDIT 1004
#define IDC_DESTINATION_BROWSE 1005
#define IDC_SIZE_SENTENCE 1006
#define IDC_EXTRAS_SENTENCE 1007
// Size page
#define IDC_FLOPPY_144 1008
#define IDC_FLOPPY_720 1009
#define IDC_CUSTOM_SIZE 1010
#define IDC_SIZE_SCROLL 1011
#define IDC_COUNT_SCROLL 1012
#define IDC_SIZE_EDIT 1013
#define IDC_COUNT_EDIT 1014
#define IDC_MIN_SIZE_LABEL 1026
#define IDC_MAX_SIZE_LABEL 1027
#define IDC_MIN_COUNT_LABEL 1028
#define IDC_MAX_COUNT_LABEL 1029
#define IDC_BYTES_LABEL 1030
#define IDC_FILES_LABEL 1031
// Extras page
#define IDC_EXTRA_INFO_FILE 1015
#define IDC_EXTRA_BATCH_FILE 1016
#define IDC_EXTRA_PROGRAM_COPY 1017
#define IDC_EXTRA_REPAIR_FILE 1040
#define IDC_CHECK_PIECES 1041
#define IDC_RECOVERY_PIECES_EDIT 1042
#define IDC_RECOVERY_PIECES_SPIN 1043
// Progress dialog
#define IDC_FROM_LINE 1018
#define IDC_TO_LINE 1019
#define IDC_PROGRESS_BAR 1020
#define IDC_TIME_LINE 1021
#define IDC_ANIMATION 1022
#define IDC_BREAK 1023
// System page
#define IDC_APPLY 1034
#define IDC_REGISTER_EXTENSION 1035
#define IDC_REGISTER_SPLIT_VERB 1036
#define IDC_REGISTER_RESTORE_VERB 1037

// Texts
#define IDS_ABOUT_MENU 101
#define IDS_FROM_WHOLE 102
#define IDS_FROM_SHORTENED 103
#define IDS_TO_WHOLE 104
#define IDS_TO_SHORTENED 105
#define IDS_REMAINING_TIME 106
#define IDS_ONE_HOUR 107
#define IDS_HOURS 108
#define IDS_ONE_MINUTE 109
#define IDS_MINUTES 110
#define IDS_ONE_SECOND 111
#define IDS_SECONDS 112
#define IDS_SOURCE_FILTER 113
#define IDS_CHOOSE_FOLDER 114
#define IDS_SIZE_SENTENCE 115
#define IDS_SIZE_FLOPPY_144 116
#define IDS_SIZE_FLOPPY_720 117
#define IDS_SIZE_BYTES 118
#define IDS_EXTRAS_SENTENCE 119
#define IDS_EXTRAS_PROGRAM 120
#define IDS_EXTRAS_AND 121
#define IDS_EXTRAS_INFO_FILE 122
#define IDS_EXTRAS_BATCH_FILE 123
#define IDS_EXTRAS_NOTHING 124
#define IDS_EXTRAS_END 125
#define IDS_ONE_BYTE 126
#define IDS_BYTES 127
#define IDS_ONE_FILE 128
#define IDS_FILES 129
#define IDS_TAB_FILES 130
#define IDS_TAB_SIZE 131
#define IDS_TAB_EXTRAS 132
#define IDS_TAB_SYSTEM 133
#define IDS_BATCH_USAGE 134
#define IDS_BATCH_EXISTS 135
#define IDS_BATCH_RESTORING 136
#define IDS_BATCH_INSERT 137
#define IDS_BATCH_RESTORED 138
#define IDS_FILE_TYPE_NAME 139
#define IDS_RESTORE_VERB 140
#define IDS_SPLIT_VERB 141
#define IDS_FILE_RESTORED 142
#define IDS_SPLIT_DONE 143
#define IDS_OVERWRITE 144
#define IDS_CANNOT_CREATE 145
#define IDS_CANNOT_READ 146
#define IDS_NEXT_DISK 147
#define IDS_READ_INCOMPLETE 148
#define IDS_WRITE_INCOMPLETE 149
#define IDS_ABORT_SPLIT 150
#define IDS_PROGRAM_COPY_FAILED 151
#define IDS_BATCH_FILE_FAILED 152
#define IDS_INFO_FILE_FAILED 153
#define IDS_INFO_FILE_UNREADABLE 154
#define IDS_INSERT_DISK_WITH 155
#define IDS_ABORT_RESTORE 156
#define IDS_WRONG_SIZE 157
// Jobs the split refuses before it writes anything
#define IDS_TOO_MANY_PIECES 160
#define IDS_SOURCE_TOO_LARGE 161
#define IDS_PIECE_SIZE_INVALID 162
#define IDS_SOURCE_EMPTY 163
// A batch file the command interpreter could not read
#define IDS_BATCH_NAME_UNREADABLE 170
// A restore whose checksums tell that the contents are not what the split wrote
#define IDS_PIECE_DAMAGED 171
#define IDS_FILE_DAMAGED 172
// A restored file that the destination's file system cannot hold
#define IDS_FILE_TOO_LARGE_FOR_VOLUME 173
// A batch file that COMMAND.COM runs but cannot read
#define IDS_BATCH_NEEDS_NT 174
// The repair file: the Files page's sentence (for one disk), mending a piece with it
#define IDS_EXTRAS_REPAIR_FILE 181
#define IDS_SET_PIECE_ASIDE 182
#define IDS_REPAIR_FILE_DAMAGED 183
#define IDS_REBUILT_PIECE_DAMAGED 184
// The check of the pieces without restoring: its window, its Break question, its findings
#define IDS_CHECK_TITLE 185
#define IDS_ABORT_CHECK 186
#define IDS_CHECK_GOOD 187
#define IDS_CHECK_SIZES_GOOD 188
#define IDS_CHECK_FAULTS 189
#define IDS_CHECK_MISSING 190
#define IDS_CHECK_DAMAGED 191
#define IDS_CHECK_NOT_THE_FILE 192
#define IDS_CHECK_RESTORABLE 193
#define IDS_CHECK_MENDABLE 194
#define IDS_CHECK_NOT_MENDABLE 195
#define IDS_CHECK_SIZES_ONLY 196
// The recovery set of a split: a file of it that cannot be written, the prompt for each disk
// of a volume after the last piece's, and floppies too small for a volume beside its index
#define IDS_RECOVERY_FILE_FAILED 197
#define IDS_REPAIR_DISK 198
#define IDS_RECOVERY_NO_ROOM 199
// The recovery data in the Files page's sentence: for more than one disk, and the info
// file it needs where the sentence does not name that already
#define IDS_EXTRAS_RECOVERY_DISKS 200
#define IDS_EXTRAS_RECOVERY_NEEDS 201
// The mend of a restore from a recovery set: setting a piece aside, the repair disks, what
// cannot be mended
#define IDS_SET_ASIDE_FOR_RECOVERY 202
#define IDS_INSERT_REPAIR_DISK 203
#define IDS_RECOVERY_TOO_FEW 204
#define IDS_REBUILT_SLICES_DAMAGED 205
#define IDS_NO_RECOVERY_SET 206
// The check of pieces that a recovery set protects: a damaged piece's lost slices, and what
// the recovery data at hand can rebuild
#define IDS_CHECK_DAMAGED_SLICES 207
#define IDS_CHECK_RECOVERABLE 208
#define IDS_CHECK_UNRECOVERABLE 209
#define IDS_APPLICATION_TITLE 57344

// The help window: its template, its controls and its packed texts (one per language)
#define IDD_HELP 110
#define IDC_HELP_TOPICS 1100
#define IDC_HELP_TEXT 1101
#define IDR_HELP_TEXT 249

// The texts of the string tables (res/strings_en.rc and res/strings_de.rc), packed at build
// time, one per language; the program finds each by its IDS_ number
#define IDR_TEXTS 250
