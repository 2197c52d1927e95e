// The batch script's texts, kept apart from the window-free script builder
// because they read the string table.
#include "framework/NumberedTexts.h"
#include "logic/BatchScript.h"
#include "res/resource.h"

BatchTexts LoadBatchTexts() {
  return BatchTexts{fw::LoadText(IDS_BATCH_USAGE), fw::LoadText(IDS_BATCH_EXISTS),
                    fw::LoadText(IDS_BATCH_RESTORING), fw::LoadText(IDS_BATCH_INSERT),
                    fw::LoadText(IDS_BATCH_RESTORED), fw::LoadText(IDS_BATCH_NEEDS_NT)};
}
