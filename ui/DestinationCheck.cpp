#include "ui/DestinationCheck.h"

#include <windows.h>

#include "framework/CodePages.h"
#include "logic/Letters.h"

bool IsUsableDestination(std::string& folder, fw::File::Mode probeMode) {
  if (folder.empty()) return false;
  if (EndsWithLetter(folder, '\\', fw::NameCodePage())) folder.pop_back();
  fw::File probe;
  DWORD cause = 0;
  if (probe.Open(folder + "\\dummy.dmy", probeMode, &cause)) return true;
  switch (cause) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return false;
    default:
      return true;
  }
}
