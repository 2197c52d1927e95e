// The dialog base: a window handle bound to a template by number, one-line
// helpers for its items, and a per-class routing table (the message map).
#pragma once
#include <optional>
#include <string>
#include <windows.h>

namespace fw {

// Whether a path is one a path field passes on: at most 259 characters, as the system counts
// them, so that it is never cut into the name of some other file.
bool FitsPathField(const std::string& path);

class Dialog {
 public:
  Dialog(unsigned templateId, HWND parent);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally; returns the value given to EndDialog.
  INT_PTR DoModal();
  // Creates the dialog as a modeless window (a page or a progress window). The one
  // window that takesKeys gets its keyboard from the modal loop (Tab, Escape, the
  // arrows) while a modal dialog runs beside it.
  bool Create(HWND parent, bool takesKeys = false);
  void DestroyWindow();

  HWND Handle() const { return window; }
  HWND Parent() const { return parent; }
  // The window that a modal run disables and returns to.
  void SetOwner(HWND owner) { parent = owner; }
  unsigned TemplateId() const { return templateId; }

  // Item helpers.
  HWND Item(int id) const { return GetDlgItem(window, id); }
  void SetItemText(int id, const std::string& text) const;
  // The whole text of a control.
  std::string ItemText(int id) const;
  // The text of a path field; false when it does not fit one (FitsPathField).
  bool ReadPathField(int id, std::string& path) const;
  void EnableItem(int id, bool enable) const;
  bool IsItemEnabled(int id) const;
  void ShowItem(int id, bool show) const;
  void CheckButton(int id, bool checked) const;
  bool IsButtonChecked(int id) const;  // anything but unchecked counts
  LRESULT SendItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

 protected:
  // Category handlers with the framework's default behaviour.
  virtual bool OnInitDialog();  // true: the system sets the focus
  virtual void OnOK();          // button 1; ends a modal dialog
  virtual void OnCancel();      // button 2 and Escape; ends a modal dialog
  // The template whose help topic the Help button and F1 open: the dialog's own, or
  // that of the page within it that is shown.
  virtual unsigned HelpTopic() const { return templateId; }

  // The routing table; classes define it with the MESSAGE_MAP macros below.
  // Returns true when a handler took the message.
  virtual bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  void EndDialog(INT_PTR result);

 private:
  static INT_PTR CALLBACK StaticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Procedure(UINT message, WPARAM wParam, LPARAM lParam);
  void RunModalLoop();
  void ShowHelp() const;

  unsigned templateId;
  HWND parent;
  HWND window = nullptr;
  bool modal = false;
  bool modalEnded = false;
  INT_PTR modalResult = -1;
};

// Command codes of WM_COMMAND and notification codes of WM_NOTIFY for a control.
inline bool IsCommand(UINT message, WPARAM wParam, int id, int code) {
  return message == WM_COMMAND && LOWORD(wParam) == id && HIWORD(wParam) == code;
}
inline NMHDR* NotifyHeader(UINT message, LPARAM lParam, int id, UINT code) {
  NMHDR* header = message == WM_NOTIFY ? reinterpret_cast<NMHDR*>(lParam) : nullptr;
  return header && header->idFrom == static_cast<UINT_PTR>(id) && header->code == code ? header : nullptr;
}

}  // namespace fw

// The routing table of a dialog class. In the class: DECLARE_MESSAGE_MAP().
// In its source, first thing:
//   BEGIN_MESSAGE_MAP(SplitDialog, fw::Dialog)
//     ON_MESSAGE(WM_SET_SOURCE, OnSetSource)     LRESULT OnSetSource(WPARAM, LPARAM)
//     ON_MESSAGE_OR_DEFAULT(WM_PAINT, OnPaint)   std::optional<LRESULT> OnPaint(WPARAM, LPARAM)
//     ON_BUTTON(IDC_ABOUT, OnAbout)              void OnAbout()
//     ON_EDIT_CHANGE(IDC_SOURCE_EDIT, OnSourceChange)
//     ON_NOTIFY(TCN_SELCHANGE, IDC_TAB, OnTabChange)  LRESULT OnTabChange(NMHDR*)
//   END_MESSAGE_MAP()
// The rule: the first entry that matches takes the message, and no later entry nor the
// base class's table sees it. Its handler has handled it, except that a handler entered
// with ON_MESSAGE_OR_DEFAULT may answer nothing (std::nullopt): the system's default
// processing then takes the message. A message that no entry matches goes to the base
// class's table, and from the last one to the system.
#define DECLARE_MESSAGE_MAP() \
  bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

#define BEGIN_MESSAGE_MAP(ThisClass, BaseClass)                                                \
  bool ThisClass::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) { \
    using MapBase = BaseClass;

#define ON_MESSAGE(number, handler)   \
  if (message == (number)) {          \
    result = handler(wParam, lParam); \
    return true;                      \
  }

#define ON_MESSAGE_OR_DEFAULT(number, handler)               \
  if (message == (number)) {                                 \
    std::optional<LRESULT> answer = handler(wParam, lParam); \
    result = answer.value_or(0);                             \
    return answer.has_value();                               \
  }

#define ON_CONTROL(code, id, handler)                 \
  if (fw::IsCommand(message, wParam, (id), (code))) { \
    handler();                                        \
    result = 0;                                       \
    return true;                                      \
  }

#define ON_BUTTON(id, handler) ON_CONTROL(BN_CLICKED, id, handler)
#define ON_EDIT_CHANGE(id, handler) ON_CONTROL(EN_CHANGE, id, handler)

#define ON_NOTIFY(code, id, handler)                                     \
  if (NMHDR* header = fw::NotifyHeader(message, lParam, (id), (code))) { \
    result = handler(header);                                            \
    return true;                                                         \
  }

#define END_MESSAGE_MAP() \
  return MapBase::ProcessMessage(message, wParam, lParam, result); \
  }
