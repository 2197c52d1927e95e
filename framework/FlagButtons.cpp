#include "framework/FlagButtons.h"

uint32_t CheckedFlags(const fw::Dialog& page, std::span<const FlagButton> buttons) {
  uint32_t flags = 0;
  for (const FlagButton& button : buttons)
    if (page.IsButtonChecked(button.id)) flags |= button.flag;
  return flags;
}

void CheckFlagButtons(const fw::Dialog& page, std::span<const FlagButton> buttons, uint32_t flags) {
  for (const FlagButton& button : buttons) page.CheckButton(button.id, (flags & button.flag) != 0);
}
