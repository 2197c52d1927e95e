// The shell's folder chooser, shared by the Files page and the restore dialog.
#pragma once
#include <string>
#include <windows.h>

class FolderBrowser {
 public:
  static constexpr int CHOSEN = 1;
  static constexpr int CANCELLED = 2;

  FolderBrowser(HWND owner, std::string title) : owner(owner), title(std::move(title)) {}

  // Lets the user choose a file-system folder below the desktop. On CHOSEN folder
  // holds its full path; on CANCELLED it is left as it was.
  int Browse(std::string& folder) const;

 private:
  HWND owner;
  std::string title;
};
