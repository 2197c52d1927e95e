#include "ui/HelpWindow.h"

#include "framework/CodePages.h"
#include "framework/Texts.h"
#include "framework/PackedText.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(HelpWindow, fw::Dialog)
  ON_CONTROL(LBN_SELCHANGE, IDC_HELP_TOPICS, OnTopicChosen)
  ON_MESSAGE(WM_HELP, OnHelp)
END_MESSAGE_MAP()

namespace {

// The topics in the order of the help texts, by the dialogs and pages they explain;
// any other dialog opens the first topic.
struct TopicOfTemplate {
  unsigned dialogTemplate;
  int topic;
};
constexpr TopicOfTemplate TOPICS[] = {
    {IDD_FILES_PAGE, 0}, {IDD_SIZE_PAGE, 1}, {IDD_EXTRAS_PAGE, 2},
    {IDD_SYSTEM_PAGE, 3}, {IDD_PROGRESS, 4}, {IDD_RESTORE, 5},
};

int TopicOf(unsigned dialogTemplate) {
  for (const TopicOfTemplate& entry : TOPICS)
    if (entry.dialogTemplate == dialogTemplate) return entry.topic;
  return 0;
}

// The help texts of the program's language, unpacked, in the program's code page.
bool LoadHelpText(std::string& text) {
  DWORD size = 0;
  const void* packed = fw::FindLanguageResource(RT_RCDATA, IDR_HELP_TEXT, size);
  if (!packed || !UnpackText(static_cast<const unsigned char*>(packed), size, text)) return false;
  text = fw::Recode(text, 1252, fw::NameCodePage(), '?').text;
  return true;
}

// Where the topic after the one at start begins (the topics stand apart by form
// feeds), or std::string::npos after the last.
size_t NextTopic(const std::string& text, size_t start) {
  size_t end = text.find('\f', start);
  return end == std::string::npos ? end : end + 1;
}

size_t TopicStart(const std::string& text, int topic) {
  size_t start = 0;
  for (; topic > 0 && start != std::string::npos; --topic) start = NextTopic(text, start);
  return start;
}

}  // namespace

HelpWindow HelpWindow::window;

HelpWindow::HelpWindow() : fw::Dialog(IDD_HELP, nullptr) {}

void HelpWindow::Show(HWND owner, unsigned topicTemplate) {
  while (HWND above = GetWindow(owner, GW_OWNER)) owner = above;
  if (!window.Handle() && !window.Create(owner, true)) {
    MessageBeep(MB_ICONHAND);
    return;
  }
  window.ShowTopic(TopicOf(topicTemplate));
  ShowWindow(window.Handle(), SW_SHOWNORMAL);
  SetForegroundWindow(window.Handle());
}

// Unreadable texts leave no window: the packer has checked them at build time.
bool HelpWindow::OnInitDialog() {
  if (!LoadHelpText(text)) {
    DestroyWindow();
    return false;
  }
  for (size_t start = 0; start != std::string::npos; start = NextTopic(text, start))
    SendItemMessage(IDC_HELP_TOPICS, LB_ADDSTRING, 0,
                    reinterpret_cast<LPARAM>(text.substr(start, text.find('\r', start) - start).c_str()));
  SetFocus(Item(IDC_HELP_TOPICS));
  return false;
}

void HelpWindow::OnTopicChosen() {
  ShowTopic(static_cast<int>(SendItemMessage(IDC_HELP_TOPICS, LB_GETCURSEL)));
}

// F1 here asks for nothing more than this window shows.
LRESULT HelpWindow::OnHelp(WPARAM, LPARAM) { return TRUE; }

void HelpWindow::ShowTopic(int topic) {
  size_t start = topic < 0 ? std::string::npos : TopicStart(text, topic);
  if (start == std::string::npos) return;
  SendItemMessage(IDC_HELP_TOPICS, LB_SETCURSEL, static_cast<WPARAM>(topic));
  SetItemText(IDC_HELP_TEXT, text.substr(start, text.find('\f', start) - start));
}
