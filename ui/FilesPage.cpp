#include "ui/FilesPage.h"

#include <commdlg.h>

#include "framework/CodePages.h"
#include "framework/File.h"
#include "framework/Texts.h"
#include "job/Messages.h"
#include "logic/SizeRules.h"
#include "res/resource.h"
#include "ui/FolderBrowser.h"
#include "ui/DestinationCheck.h"
#include "ui/SplitChoice.h"

namespace {


std::string SizeSentence(int32_t sizeOption) {
  std::string sentence = fw::LoadText(IDS_SIZE_SENTENCE);
  if (sizeOption == SIZE_FLOPPY_144 || sizeOption == SIZE_FROM_COMMAND_LINE)
    sentence += fw::LoadText(IDS_SIZE_FLOPPY_144);
  else if (sizeOption == SIZE_FLOPPY_720)
    sentence += fw::LoadText(IDS_SIZE_FLOPPY_720);
  else
    sentence += fw::FormatText(IDS_SIZE_BYTES, sizeOption);
  return sentence;
}

// What the recovery data buys, any one lost disk or any N, and the info file that comes
// with it where the sentence does not name that file already.
std::string RecoveryText(int32_t recoveryPieces, bool infoFileNamed) {
  std::string text = recoveryPieces == 1 ? fw::LoadText(IDS_EXTRAS_REPAIR_FILE)
                                         : fw::FormatText(IDS_EXTRAS_RECOVERY_DISKS, int(recoveryPieces));
  return infoFileNamed ? text : text + fw::LoadText(IDS_EXTRAS_RECOVERY_NEEDS);
}

std::string ExtrasSentence(uint32_t extrasFlags, int32_t recoveryPieces) {
  static constexpr struct {
    uint32_t flag;
    unsigned text;
  } ITEMS[] = {{EXTRA_PROGRAM_COPY, IDS_EXTRAS_PROGRAM},
               {EXTRA_INFO_FILE, IDS_EXTRAS_INFO_FILE},
               {EXTRA_BATCH_FILE, IDS_EXTRAS_BATCH_FILE}};
  std::string sentence = fw::LoadText(IDS_EXTRAS_SENTENCE);
  bool first = true;
  auto add = [&](const std::string& text) {
    if (!first) sentence += fw::LoadText(IDS_EXTRAS_AND);
    sentence += text;
    first = false;
  };
  for (const auto& item : ITEMS)
    if (extrasFlags & item.flag) add(fw::LoadText(item.text));
  if (extrasFlags & EXTRA_REPAIR_FILE) add(RecoveryText(recoveryPieces, extrasFlags & EXTRA_INFO_FILE));
  if (first) sentence += fw::LoadText(IDS_EXTRAS_NOTHING);
  return sentence + fw::LoadText(IDS_EXTRAS_END);
}

// The open dialog of the common dialogs, loaded when first asked for: linked to the
// program, they and the print spooler they bring along would load at every start. They
// come from the system folder by their full path, never from the program's folder,
// which may be the disk with the pieces. nullptr when they cannot be loaded.
decltype(&GetOpenFileNameA) OpenFileDialog() {
  char system[MAX_PATH];
  UINT length = GetSystemDirectoryA(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  HMODULE dialogs = LoadLibraryA((std::string(system, length) + "\\comdlg32.dll").c_str());
  if (!dialogs) return nullptr;
  return reinterpret_cast<decltype(&GetOpenFileNameA)>(
      reinterpret_cast<void*>(GetProcAddress(dialogs, "GetOpenFileNameA")));
}

// The size of the open dialog's request: the headers give the form of Windows 2000 and later
// (with the places bar), which Windows 95, 98, ME and NT 4 refuse; they take the form that
// ends with the template name.
DWORD OpenRequestSize() {
  bool windows2000OrLater = LOBYTE(LOWORD(GetVersion())) >= 5;
  return windows2000OrLater ? sizeof(OPENFILENAMEA) : OPENFILENAME_SIZE_VERSION_400A;
}

}  // namespace

BEGIN_MESSAGE_MAP(FilesPage, fw::Dialog)
  ON_EDIT_CHANGE(IDC_SOURCE_EDIT, OnSourceChange)
  ON_EDIT_CHANGE(IDC_DESTINATION_EDIT, OnDestinationChange)
  ON_BUTTON(IDC_SOURCE_BROWSE, OnBrowseSource)
  ON_BUTTON(IDC_DESTINATION_BROWSE, OnBrowseDestination)
END_MESSAGE_MAP()

FilesPage::FilesPage(HWND parent) : fw::Dialog(IDD_FILES_PAGE, parent) {}

void FilesPage::SetSource(const std::string& path) { SetItemText(IDC_SOURCE_EDIT, path); }
void FilesPage::SetDestination(const std::string& path) { SetItemText(IDC_DESTINATION_EDIT, path); }

void FilesPage::SetSizeOption(int32_t option) {
  sizeOption = option;
  ShowSentences();
}

void FilesPage::SetExtras(uint32_t flags, int32_t pieces) {
  extrasFlags = flags;
  recoveryPieces = pieces;
  ShowSentences();
}

HWND FilesPage::SourceEdit() const { return Item(IDC_SOURCE_EDIT); }

// Sent, not posted: the length and the text live in this call only.
void FilesPage::OnSourceChange() {
  std::string path;
  const int64_t length = ReadPathField(IDC_SOURCE_EDIT, path) ? SourceLength(path) : NO_SOURCE;
  SendMessageA(Parent(), WM_SET_SOURCE, reinterpret_cast<WPARAM>(&length),
               reinterpret_cast<LPARAM>(path.c_str()));
}

void FilesPage::OnDestinationChange() {
  std::string folder;
  bool usable = ReadPathField(IDC_DESTINATION_EDIT, folder) && IsUsableDestination(folder, fw::File::READ_SHARE_READ);
  SendMessageA(Parent(), WM_SET_DESTINATION, usable ? 1 : 0, reinterpret_cast<LPARAM>(folder.c_str()));
}

void FilesPage::OnBrowseSource() {
  // The filter text separates its parts with bars; the dialog wants NULs.
  std::string filter = fw::LoadText(IDS_SOURCE_FILTER);
  for (char& c : filter)
    if (c == '|') c = '\0';
  char file[fw::PATH_BYTES] = "";
  OPENFILENAMEA request = {};
  request.lStructSize = OpenRequestSize();
  request.hwndOwner = Handle();
  request.lpstrFilter = filter.c_str();
  request.lpstrFile = file;
  request.nMaxFile = sizeof(file);
  request.Flags = OFN_HIDEREADONLY;
  auto openFile = OpenFileDialog();
  if (openFile && openFile(&request)) SetSource(file);
}

void FilesPage::OnBrowseDestination() {
  std::string folder;
  if (FolderBrowser(Handle(), fw::LoadText(IDS_CHOOSE_FOLDER)).Browse(folder) == FolderBrowser::CHOSEN)
    SetDestination(folder);
}

void FilesPage::ShowSentences() {
  SetItemText(IDC_SIZE_SENTENCE, SizeSentence(sizeOption));
  SetItemText(IDC_EXTRAS_SENTENCE, ExtrasSentence(extrasFlags, recoveryPieces));
}
