// Check boxes that each stand for one bit of a flag set (the extras, the shell
// registration choices): reading the set from the boxes and showing a set in them.
#pragma once
#include <cstdint>
#include <span>

#include "framework/Dialog.h"

struct FlagButton {
  int id;
  uint32_t flag;
};

// The flags of the checked boxes; a box counts as checked in any state but unchecked.
uint32_t CheckedFlags(const fw::Dialog& page, std::span<const FlagButton> buttons);
// Checks the boxes whose flag is set and unchecks the others. This is no click:
// the page reports nothing.
void CheckFlagButtons(const fw::Dialog& page, std::span<const FlagButton> buttons, uint32_t flags);
