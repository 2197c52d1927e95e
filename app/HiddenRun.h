// An unattended run that hides its progress shows no window at all: its job, built from the
// command line (and for a split the stored defaults) exactly as the dialog would start it,
// runs on the calling thread without a progress window. The job's questions, disk prompts
// and failures still come as boxes.
#pragma once
#include <optional>

#include "logic/SplitCommandLine.h"

// The process's exit status once the job has ended; nothing, and nothing done, when the run
// is not one that hides its progress unattended or its job cannot start by itself (the
// dialog then opens and waits for the user).
std::optional<int> RunHidden(const SplitCommandLine& commandLine);
