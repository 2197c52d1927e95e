// The file type of info files and the Explorer verbs "Split" and "UnSplit".
#pragma once
#include <cstdint>
#include <string>

// Removes every entry the program may have written, then writes those that the
// registration flags (REGISTER_EXTENSION, REGISTER_SPLIT_VERB, REGISTER_RESTORE_VERB)
// ask for, pointing at the running program. Failures are ignored.
void ApplyShellRegistration(uint32_t registrationFlags);
// The same for a given program path (the above gives the running program's full path).
void ApplyShellRegistration(uint32_t registrationFlags, const std::string& programPath);
