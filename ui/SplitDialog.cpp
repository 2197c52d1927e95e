#include "ui/SplitDialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include "framework/CodePages.h"
#include "framework/Texts.h"
#include "job/Messages.h"
#include "job/UserMessage.h"
#include "logic/RecoveryAmount.h"
#include "logic/SizeRules.h"
#include "res/resource.h"
#include "shell/ShellPaths.h"
#include "shell/ShellRegistration.h"
#include "shell/SystemPage.h"
#include "ui/ExtrasPage.h"
#include "ui/FilesPage.h"
#include "ui/SizePage.h"

BEGIN_MESSAGE_MAP(SplitDialog, MainDialog)
  ON_MESSAGE(WM_DROPFILES, OnDropFiles)
  ON_NOTIFY(TCN_SELCHANGE, IDC_TAB, OnTabChange)
  ON_MESSAGE(WM_SET_SOURCE, OnSetSource)
  ON_MESSAGE(WM_SET_DESTINATION, OnSetDestination)
  ON_MESSAGE(WM_SET_SIZE_OPTION, OnSetSizeOption)
  ON_MESSAGE(WM_SET_EXTRAS, OnSetExtras)
  ON_MESSAGE(WM_SET_REGISTRATION, OnSetRegistration)
  ON_MESSAGE(WM_WORK_DONE, OnWorkDone)
  ON_MESSAGE(WM_WORK_FAILED, OnWorkFailed)
  ON_MESSAGE_OR_DEFAULT(WM_DESTROY, OnDestroy)
END_MESSAGE_MAP()

namespace {

constexpr int PAGE_COUNT = 4;
// Per tab: its title and the control that takes the focus when it is selected.
constexpr unsigned TAB_TITLES[PAGE_COUNT] = {IDS_TAB_FILES, IDS_TAB_SIZE, IDS_TAB_EXTRAS, IDS_TAB_SYSTEM};
constexpr int FIRST_CONTROLS[PAGE_COUNT] = {IDC_SOURCE_EDIT, IDC_FLOPPY_144, IDC_EXTRA_PROGRAM_COPY,
                                            IDC_REGISTER_EXTENSION};

// Where the pages stand in the dialog, in dialog units: inside the tab control.
constexpr int PAGE_LEFT = 10;
constexpr int PAGE_TOP = 20;

}  // namespace

SplitDialog::SplitDialog(const SplitCommandLine& startOptions, HWND parent)
    : MainDialog(IDD_SPLIT, startOptions, parent), choice(startOptions) {
  if (!startOptions.unattended) ApplyShellRegistration(choice.registrationFlags);
}

SplitDialog::~SplitDialog() = default;

bool SplitDialog::OnInitDialog() {
  PrepareMainWindow();
  DragAcceptFiles(Handle(), TRUE);
  splitButton = Item(IDOK);
  tabControl = Item(IDC_TAB);

  filesPage = std::make_unique<FilesPage>(Handle());
  sizePage = std::make_unique<SizePage>(Handle());
  extrasPage = std::make_unique<ExtrasPage>(Handle());
  systemPage = std::make_unique<SystemPage>(Handle());
  CreatePages();

  sizePage->SetChoice(choice.sizeOption == SIZE_FLOPPY_144 ? 0 : choice.sizeOption == SIZE_FLOPPY_720 ? 1 : 2);
  // Both report at once; a usable source makes the Size page recompute.
  filesPage->SetSource(choice.sourcePath);
  filesPage->SetDestination(choice.destinationPath);
  filesPage->SetSizeOption(choice.sizeOption);
  filesPage->SetExtras(choice.extrasFlags, choice.recoveryPieces);
  SetFocus(filesPage->SourceEdit());
  extrasPage->SetChoices(choice.extrasFlags, choice.recoveryPieces);
  systemPage->SetFlags(choice.registrationFlags);

  StartIfUnattended();
  return false;  // the focus is set
}

fw::Dialog* SplitDialog::Page(int index) const {
  switch (index) {
    case 0: return filesPage.get();
    case 1: return sizePage.get();
    case 2: return extrasPage.get();
    case 3: return systemPage.get();
    default: return nullptr;
  }
}

// Each page becomes a child dialog inside the tab control. It goes to the top of
// the z-order: below the tab control it would be painted over.
void SplitDialog::CreatePages() {
  RECT origin = {PAGE_LEFT, PAGE_TOP, 0, 0};
  MapDialogRect(Handle(), &origin);
  for (int index = 0; index < PAGE_COUNT; ++index) {
    std::string title = fw::LoadText(TAB_TITLES[index]);
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = title.data();
    SendMessageA(tabControl, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
    fw::Dialog* page = Page(index);
    page->Create(Handle());
    SetWindowPos(page->Handle(), HWND_TOP, origin.left, origin.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  }
  SendMessageA(tabControl, TCM_SETCURSEL, 0, 0);
}

void SplitDialog::UpdateSplitButton() const {
  EnableWindow(splitButton, sourceValid && destinationValid && sizeValid && recoveryValid);
}

int SplitDialog::SelectedTab() const { return static_cast<int>(SendMessageA(tabControl, TCM_GETCURSEL, 0, 0)); }

LRESULT SplitDialog::OnTabChange(NMHDR*) {
  int selected = SelectedTab();
  fw::Dialog* shown = Page(selected);
  if (!shown) return 0;
  for (int index = 0; index < PAGE_COUNT; ++index)
    if (index != selected) ShowWindow(Page(index)->Handle(), SW_HIDE);
  ShowWindow(shown->Handle(), SW_SHOW);
  HWND first = shown->Item(FIRST_CONTROLS[selected]);
  SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
  return 0;
}

// Split: one more progress dialog with copies of the current choice. Enter
// reaches here even while the Split button is disabled; nothing starts then.
void SplitDialog::OnOK() {
  if (!IsWindowEnabled(splitButton)) return;
  WorkerJob request{.sourcePath = choice.sourcePath,
                    .destinationPath = choice.destinationPath,
                    .mode = JOB_SPLIT,
                    .pieceSize = choice.sizeOption,
                    .extrasFlags = choice.extrasFlags,
                    .recoveryPieces = choice.recoveryPieces};
  StartProgress(request);
}

unsigned SplitDialog::HelpTopic() const {
  const fw::Dialog* shown = Page(SelectedTab());
  return shown ? shown->TemplateId() : TemplateId();
}

// One dropped file becomes the source; a drop of several files changes nothing.
// A path too long for the field would be cut to the name of another file, so it
// changes nothing either.
LRESULT SplitDialog::OnDropFiles(WPARAM drop, LPARAM) {
  HDROP files = reinterpret_cast<HDROP>(drop);
  char path[fw::PATH_BYTES] = "";
  if (DragQueryFileA(files, 0xFFFFFFFF, nullptr, 0) == 1 && DragQueryFileA(files, 0, nullptr, 0) < sizeof path &&
      DragQueryFileA(files, 0, path, sizeof path) > 0 && fw::Utf16Length(path) < MAX_PATH)
    filesPage->SetSource(ResolveShortcut(path));
  DragFinish(files);
  return 0;
}

// Progress windows first, in the order they were started, then the pages.
std::optional<LRESULT> SplitDialog::OnDestroy(WPARAM, LPARAM) {
  DestroyProgressWindows();
  filesPage.reset();
  sizePage.reset();
  extrasPage.reset();
  systemPage.reset();
  return std::nullopt;
}

LRESULT SplitDialog::OnSetSource(WPARAM length, LPARAM text) {
  const int64_t sourceSize = *reinterpret_cast<const int64_t*>(length);
  sourceValid = sourceSize != NO_SOURCE;
  if (sourceValid) {
    choice.sourcePath = reinterpret_cast<const char*>(text);
    sizePage->SetSourceSize(sourceSize);
    if (choice.sizeOption == SIZE_FROM_COMMAND_LINE) {
      const SplitCommandLine& commandLine = startOptions;
      sizePage->SetChoice(2);
      const int64_t pieceSize = CommandLineSize(sourceSize, commandLine.pieceCount, commandLine.pieceBytes,
                                                commandLine.pieceKilobytes, commandLine.pieceMegabytes);
      sizePage->Recompute();
      sizePage->SetSize(pieceSize);
    } else {
      sizePage->Recompute();
    }
  }
  UpdateSplitButton();
  return 0;
}

LRESULT SplitDialog::OnSetDestination(WPARAM usable, LPARAM text) {
  destinationValid = usable != 0;
  if (destinationValid) choice.destinationPath = reinterpret_cast<const char*>(text);
  UpdateSplitButton();
  return 0;
}

LRESULT SplitDialog::OnSetSizeOption(WPARAM valid, LPARAM option) {
  sizeValid = valid != 0;
  choice.sizeOption = static_cast<int32_t>(option);
  filesPage->SetSizeOption(choice.sizeOption);
  UpdateSplitButton();
  return 0;
}

// An amount outside the range is no amount: the last one stays, and Split waits for one
// while recovery data is chosen.
LRESULT SplitDialog::OnSetExtras(WPARAM flags, LPARAM recoveryAmount) {
  choice.extrasFlags = static_cast<uint32_t>(flags);
  const int32_t amount = static_cast<int32_t>(recoveryAmount);
  if (IsRecoveryAmount(amount)) choice.recoveryPieces = amount;
  recoveryValid = IsRecoveryAmount(amount) || !(choice.extrasFlags & EXTRA_REPAIR_FILE);
  filesPage->SetExtras(choice.extrasFlags, choice.recoveryPieces);
  UpdateSplitButton();
  return 0;
}

LRESULT SplitDialog::OnSetRegistration(WPARAM flags, LPARAM) {
  choice.registrationFlags = static_cast<uint32_t>(flags);
  ApplyShellRegistration(choice.registrationFlags);
  choice.SaveDefaults();
  return 0;
}

LRESULT SplitDialog::OnWorkDone(WPARAM, LPARAM) {
  SetFocus(Handle());
  if (!startOptions.unattended) ShowUserText(IDS_SPLIT_DONE, MB_OK | MB_ICONINFORMATION);
  WorkEnded(true);
  return 0;
}

LRESULT SplitDialog::OnWorkFailed(WPARAM, LPARAM) {
  WorkEnded(false);
  return 0;
}
