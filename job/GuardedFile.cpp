#include "job/GuardedFile.h"

#include "job/Messages.h"
#include "job/TraceLog.h"
#include "job/UserMessage.h"
#include "res/resource.h"

namespace {

// Sends a message with 0 and 0 to the owner, when there is one.
void NotifyOwner(HWND owner, unsigned message) {
  if (owner) SendMessageA(owner, message, 0, 0);
}

bool ReportCannotCreate(const std::string& path, HWND owner) {
  NotifyOwner(owner, WM_ANIMATION_STOP);
  ShowUserText(IDS_CANNOT_CREATE, path, MB_OK | MB_ICONSTOP);
  return false;
}

}  // namespace

bool CreateFileGuarded(std::string path, fw::File& file, HWND owner, fw::File::Mode mode) {
  Trace().WriteText("Createing");
  Trace().WriteLine(path);
  Trace().WriteText("Trying to create file...");

  // The probe is a real open: only a file that is plainly not there may be created
  // without asking. A file that exists but cannot be opened is never overwritten.
  fw::File probe;
  DWORD cause = 0;
  if (probe.Open(path, fw::File::READ_SHARE_READ, &cause)) {
    Trace().WriteText("file already exists...");
    NotifyOwner(owner, WM_ANIMATION_STOP);
    probe.Abort();
    if (ShowUserText(IDS_OVERWRITE, path, MB_YESNO | MB_ICONQUESTION) != IDYES) {
      Trace().WriteLine("abort by user");
      return false;
    }
    NotifyOwner(owner, WM_ANIMATION_PLAY);
    Trace().WriteText("overwrite by user...");
  } else if (cause != ERROR_FILE_NOT_FOUND) {
    Trace().WriteLine("hmmm, something wired happened!");
    return ReportCannotCreate(path, owner);
  }

  Trace().WriteText("trying now...");
  if (file.Open(path, mode)) {
    Trace().WriteLine("done");
    return true;
  }
  Trace().WriteLine("failed");
  return ReportCannotCreate(path, owner);
}
