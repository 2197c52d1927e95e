#include "split/ProgramCopy.h"

#include <vector>

#include "framework/App.h"
#include "framework/File.h"
#include "job/BlockCopier.h"
#include "job/GuardedFile.h"
#include "job/TraceLog.h"
#include "job/TracedStep.h"

bool WriteProgramCopy(std::string destination, HWND owner) {
  std::string sourcePath = fw::App::ProgramPath();
  std::string targetPath = destination + "\\Parvola95.exe";
  Trace().WriteLine("Trying to copy parvola");
  Trace().WriteText("Trying to open parvola file...");
  fw::File source, target;
  if (!source.Open(sourcePath, fw::File::READ_SHARE_READ)) return false;
  if (!CreateFileGuarded(targetPath, target, owner)) {
    Trace().WriteLine("failed");
    return false;
  }
  Trace().WriteLine("done");

  // The loop ends after a read that delivers nothing; that read and its empty write
  // are steps like the others.
  std::vector<char> buffer(COPY_BLOCK_BYTES);
  uint32_t count = 0;
  do {
    if (!TracedStep("Trying to read from parvola file...",
                    [&] { return source.Read(buffer.data(), COPY_BLOCK_BYTES, count); }) ||
        !TracedStep("Trying to write to the parvola file...", [&] { return target.Write(buffer.data(), count); }))
      return false;
  } while (count > 0);

  return TracedStep("Trying to close parvola file (copy)...", [&] { return target.Close(); }) &&
         TracedStep("Trying to close parvola file (original)...", [&] { return source.Close(); });
}
