// The program's own help: one window per process, modeless beside the dialog it was
// opened from, with the list of topics and the text of the chosen one, in the
// language of the program.
#pragma once
#include <string>

#include "framework/Dialog.h"

class HelpWindow : public fw::Dialog {
 public:
  // Opens the help at the topic of a dialog or page, given by its template number,
  // or brings the open window to the front at that topic. It belongs to the program's
  // main window, the first owner above owner, and goes with it.
  static void Show(HWND owner, unsigned topicTemplate);

 private:
  HelpWindow();
  DECLARE_MESSAGE_MAP()
  bool OnInitDialog() override;
  void OnTopicChosen();
  LRESULT OnHelp(WPARAM, LPARAM);
  void ShowTopic(int topic);

  static HelpWindow window;
  // The topics, each its title, an empty line and its text, apart by form feeds.
  std::string text;
};
