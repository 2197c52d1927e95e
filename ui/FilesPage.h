// The Files page: the source file and the destination folder, each checked on
// every change and reported to the split dialog, and two sentences that sum up
// what a split will write.
#pragma once
#include <cstdint>
#include <string>

#include "framework/Dialog.h"
#include "logic/RecoveryAmount.h"

class FilesPage : public fw::Dialog {
 public:
  explicit FilesPage(HWND parent);

  // Writes a path into the source or destination field; the field's change runs
  // its check and report exactly as typing does.
  void SetSource(const std::string& path);
  void SetDestination(const std::string& path);
  // Store the size option, or the extras flags with the amount of recovery data, and
  // rebuild both sentences.
  void SetSizeOption(int32_t option);
  void SetExtras(uint32_t flags, int32_t recoveryPieces);

  // The source field, which the split dialog gives the focus.
  HWND SourceEdit() const;

 private:
  DECLARE_MESSAGE_MAP()
  void OnSourceChange();
  void OnDestinationChange();
  void OnBrowseSource();
  void OnBrowseDestination();
  void ShowSentences();
  // The text of a path field; false when it is longer than a path can be.

  int32_t sizeOption = 0;
  uint32_t extrasFlags = 0;
  int32_t recoveryPieces = DEFAULT_RECOVERY_PIECES;
};
