// The split dialog: the program's main window outside restore mode. A tab
// control carries the Files, Size / Numbers, Extras and System pages; the dialog
// keeps what they report, enables Split when source, destination, size and the
// amount of recovery data are usable, starts each split in a progress dialog of
// its own and holds the per-user defaults.
#pragma once
#include <memory>

#include "logic/SplitCommandLine.h"
#include "ui/MainDialog.h"
#include "ui/SplitChoice.h"

class FilesPage;
class SizePage;
class ExtrasPage;
class SystemPage;

class SplitDialog : public MainDialog {
 public:
  // startOptions: the parsed command line, which outlives the dialog.
  SplitDialog(const SplitCommandLine& startOptions, HWND parent);
  ~SplitDialog() override;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;      // Split
  unsigned HelpTopic() const override;  // the page shown

 private:
  DECLARE_MESSAGE_MAP()
  void CreatePages();
  // The page of a tab (0 Files, 1 Size, 2 Extras, 3 System).
  fw::Dialog* Page(int index) const;
  int SelectedTab() const;
  void UpdateSplitButton() const;

  LRESULT OnTabChange(NMHDR*);
  LRESULT OnDropFiles(WPARAM drop, LPARAM);
  std::optional<LRESULT> OnDestroy(WPARAM, LPARAM);
  LRESULT OnSetSource(WPARAM length, LPARAM text);
  LRESULT OnSetDestination(WPARAM usable, LPARAM text);
  LRESULT OnSetSizeOption(WPARAM valid, LPARAM option);
  LRESULT OnSetExtras(WPARAM flags, LPARAM recoveryAmount);
  LRESULT OnSetRegistration(WPARAM flags, LPARAM);
  LRESULT OnWorkDone(WPARAM, LPARAM);
  LRESULT OnWorkFailed(WPARAM, LPARAM);

  SplitChoice choice;  // as the pages last reported it
  HWND splitButton = nullptr;
  HWND tabControl = nullptr;
  std::unique_ptr<FilesPage> filesPage;
  std::unique_ptr<SizePage> sizePage;
  std::unique_ptr<ExtrasPage> extrasPage;
  std::unique_ptr<SystemPage> systemPage;
  bool sourceValid = false;
  bool destinationValid = false;
  bool sizeValid = true;
  bool recoveryValid = true;  // the Extras page's field holds an amount, or no recovery data is chosen
};
