// What is on disk, as a test compares it before and after a job: every file
// below a folder with its length and a checksum of its bytes.
#pragma once
#include <string>
#include <vector>

// A checksum of the file's bytes, or "unreadable".
std::string Checksum(const std::string& path);

// "name length checksum" for every file below the folder (names relative to it,
// folders as "name\"), sorted; the marker of a test floppy is left out. Makes no
// test assertions, so an action on a worker's thread may take one.
std::vector<std::string> FolderState(const std::string& folder);

// The entry FolderState gives for a file of this name and content.
std::string StateEntry(const std::string& name, const std::string& content);
