// What the split dialog and the restore dialog share as main windows: the
// system menu with its About item, the minimised icon, the destination check and
// the list of progress windows they own.
#pragma once
#include <string>
#include <vector>
#include <windows.h>

class ProgressDialog;

// Appends a separator and the About item (command 16, text 101) to the system
// menu, removes Size and Maximize and grays Restore.
void PrepareSystemMenu(HWND window);
// Keeps Minimize and Restore of the system menu in step with the window's state.
void TrackMinimizeRestore(HWND window, unsigned command);
// Draws the icon centred in the client area while the window is minimised;
// returns false (nothing drawn) otherwise.
bool PaintIconWhenMinimized(HWND window, HICON icon);

// Whether a destination folder can be used. One trailing backslash is removed
// from the text (A:\ becomes A:); then "\dummy.dmy" inside it is opened for
// reading, creating nothing. Only a bad path (a folder or drive that does not
// exist, a malformed name, a file in place of a folder, a path too long to name a
// file inside it) counts against it: a drive without a disk or a denied access does not.
bool IsUsableDestination(std::string& folder, DWORD sharing);

// The progress windows a main window has opened and not yet deleted.
class ProgressDialogList {
 public:
  ProgressDialogList() = default;
  ProgressDialogList(const ProgressDialogList&) = delete;
  ProgressDialogList& operator=(const ProgressDialogList&) = delete;
  ~ProgressDialogList() { DestroyAll(); }

  // Creates the window of a new progress dialog owned by owner, shows it and keeps it.
  void Start(ProgressDialog* dialog, HWND owner);
  // Takes a listed dialog off the list, destroys its window and deletes it; an
  // unlisted one is left alone (nothing is destroyed twice). Returns whether it was listed.
  bool Close(ProgressDialog* dialog);
  void DestroyAll();
  bool Empty() const { return dialogs.empty(); }

 private:
  std::vector<ProgressDialog*> dialogs;
};
