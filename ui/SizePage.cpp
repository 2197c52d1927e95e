#include "ui/SizePage.h"

#include <iterator>

#include "framework/Texts.h"
#include "job/Messages.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(SizePage, fw::Dialog)
  ON_BUTTON(IDC_FLOPPY_144, OnChoiceClicked)
  ON_BUTTON(IDC_FLOPPY_720, OnChoiceClicked)
  ON_BUTTON(IDC_CUSTOM_SIZE, OnChoiceClicked)
  ON_EDIT_CHANGE(IDC_SIZE_EDIT, OnSizeEdited)
  ON_EDIT_CHANGE(IDC_COUNT_EDIT, OnCountEdited)
  ON_MESSAGE(WM_HSCROLL, OnHorizontalScroll)
END_MESSAGE_MAP()

// The size rules take the scroll codes exactly as WM_HSCROLL delivers them.
static_assert(SCROLL_LINE_LEFT == SB_LINELEFT && SCROLL_LINE_RIGHT == SB_LINERIGHT);
static_assert(SCROLL_PAGE_LEFT == SB_PAGELEFT && SCROLL_PAGE_RIGHT == SB_PAGERIGHT);
static_assert(SCROLL_THUMB_RELEASED == SB_THUMBPOSITION && SCROLL_THUMB_DRAGGED == SB_THUMBTRACK);
static_assert(SCROLL_TO_LEFT_END == SB_LEFT && SCROLL_TO_RIGHT_END == SB_RIGHT && SCROLL_END == SB_ENDSCROLL);

namespace {

// The radio buttons in the order of the choice index.
constexpr int CHOICE_BUTTONS[] = {IDC_FLOPPY_144, IDC_FLOPPY_720, IDC_CUSTOM_SIZE};
constexpr int CUSTOM_CHOICE = 2;

// The controls that only the custom choice enables.
constexpr int CUSTOM_CONTROLS[] = {IDC_SIZE_EDIT,       IDC_BYTES_LABEL,     IDC_SIZE_SCROLL,
                                   IDC_MIN_SIZE_LABEL,  IDC_MAX_SIZE_LABEL,  IDC_COUNT_EDIT,
                                   IDC_FILES_LABEL,     IDC_COUNT_SCROLL,    IDC_MIN_COUNT_LABEL,
                                   IDC_MAX_COUNT_LABEL};

}  // namespace

SizePage::SizePage(HWND parent) : fw::Dialog(IDD_SIZE_PAGE, parent) {}

bool SizePage::OnInitDialog() {
  SetChoice(choice);
  return fw::Dialog::OnInitDialog();
}

void SizePage::SetSourceSize(int64_t bytes) { sourceSize = bytes; }

void SizePage::Recompute() {
  if (sourceSize != rememberedSourceSize) {
    rememberedSourceSize = sourceSize;
    bounds = ComputeSizeBounds(sourceSize);
    SetItemText(IDC_MIN_SIZE_LABEL, ByteCountText(bounds.minSize));
    SetItemText(IDC_MAX_SIZE_LABEL, ByteCountText(bounds.maxSize));
    SetItemText(IDC_MIN_COUNT_LABEL, FileCountText(bounds.minCount));
    SetItemText(IDC_MAX_COUNT_LABEL, FileCountText(bounds.maxCount));
    // A new source starts as one piece of the whole file.
    WriteNumber(IDC_SIZE_EDIT, bounds.maxSize);
    WriteNumber(IDC_COUNT_EDIT, bounds.minCount);
    const ScrollRange sizeRange = SizeScrollRange(bounds, Scale());
    SetScrollRange(Item(IDC_SIZE_SCROLL), SB_CTL, sizeRange.minPosition, sizeRange.maxPosition, TRUE);
    SetScrollRange(Item(IDC_COUNT_SCROLL), SB_CTL, bounds.minCount, bounds.maxCount, TRUE);
  }
  choice = ReadChoice();
  for (int id : CUSTOM_CONTROLS) EnableItem(id, choice == CUSTOM_CHOICE);
  Report(ReadNumber(IDC_SIZE_EDIT), ReadNumber(IDC_COUNT_EDIT));
}

void SizePage::SetChoice(int newChoice) {
  choice = newChoice == 0 || newChoice == 1 ? newChoice : CUSTOM_CHOICE;
  for (int index = 0; index < int(std::size(CHOICE_BUTTONS)); ++index)
    CheckButton(CHOICE_BUTTONS[index], index == choice);
}

void SizePage::SetSize(int64_t pieceSize) {
  WriteNumber(IDC_SIZE_EDIT, pieceSize < 0 ? 0 : pieceSize);  // the field holds digits only
  OnSizeEdited();
}

void SizePage::OnChoiceClicked() { Recompute(); }

void SizePage::OnSizeEdited() {
  const ClampedValue size = ClampEditedSize(bounds, ReadNumber(IDC_SIZE_EDIT));
  if (size.changed) WriteNumber(IDC_SIZE_EDIT, size.value);
  const int64_t count = CountForSize(rememberedSourceSize, size.value);
  WriteNumber(IDC_COUNT_EDIT, count);
  Report(size.value, count);
}

void SizePage::OnCountEdited() {
  const ClampedValue count = ClampEditedCount(bounds, ReadNumber(IDC_COUNT_EDIT));
  if (count.changed) WriteNumber(IDC_COUNT_EDIT, count.value);
  const int32_t size = SizeForCount(rememberedSourceSize, count.value);
  WriteNumber(IDC_SIZE_EDIT, size);
  Report(size, count.value);
}

LRESULT SizePage::OnHorizontalScroll(WPARAM wParam, LPARAM lParam) {
  const HWND bar = reinterpret_cast<HWND>(lParam);
  const int code = LOWORD(wParam);
  const int32_t thumb = HIWORD(wParam);  // the scroll bars' ranges stay within 16 bits
  // The page keeps the size field within 0 to maxSize, so a step keeps it within 32 bits.
  int32_t size = ClampEditedSize(bounds, ReadNumber(IDC_SIZE_EDIT)).value;
  int64_t count = ReadNumber(IDC_COUNT_EDIT);
  if (bar == Item(IDC_SIZE_SCROLL)) {
    size = int32_t(
        StepScrollValue(size, code, SizeForScrollPosition(thumb, Scale()), bounds.minSize, bounds.maxSize));
    count = CountForSize(rememberedSourceSize, size);
  } else if (bar == Item(IDC_COUNT_SCROLL)) {
    count = StepScrollValue(count, code, thumb, bounds.minCount, bounds.maxCount);
    size = SizeForCount(rememberedSourceSize, count);
  } else {
    return 0;
  }
  WriteNumber(IDC_SIZE_EDIT, size);
  WriteNumber(IDC_COUNT_EDIT, count);
  Report(size, count);
  return 0;
}

void SizePage::Report(int32_t size, int64_t count) {
  SetScrollPos(Item(IDC_SIZE_SCROLL), SB_CTL, SizeScrollPosition(size, Scale()), TRUE);
  SetScrollPos(Item(IDC_COUNT_SCROLL), SB_CTL, CountScrollPosition(count), TRUE);
  const bool custom = choice == CUSTOM_CHOICE;
  const int32_t sizeOption = custom ? size : choice == 0 ? SIZE_FLOPPY_144 : SIZE_FLOPPY_720;
  PostMessageA(Parent(), WM_SET_SIZE_OPTION, IsSizeChoiceValid(custom, size, count) ? 1 : 0,
               static_cast<LPARAM>(sizeOption));
}

int SizePage::ReadChoice() const {
  for (int index = 0; index < int(std::size(CHOICE_BUTTONS)); ++index)
    if (IsButtonChecked(CHOICE_BUTTONS[index])) return index;
  return choice;
}

int64_t SizePage::ReadNumber(int id) const { return ReadFieldNumber(ItemText(id).c_str()); }

void SizePage::WriteNumber(int id, int64_t value) const { SetItemText(id, fw::Format("%I64d", value)); }
