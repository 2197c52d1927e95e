// The native build's file system for long names: a table that tests and fuzz
// targets fill. A path that is not in it is one the file system cannot name.
#pragma once
#include <string>
#include <vector>

void SetFakeLongFileName(const std::string& path, const std::string& longName);
// Empties the table and the list of paths asked for.
void ClearFakeLongFileNames();
// Every path the parser asked for since the last clearing, in order.
const std::vector<std::string>& FakeLongFileNameQueries();
