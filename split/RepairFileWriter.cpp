#include "split/RepairFileWriter.h"

#include "job/GuardedFile.h"
#include "job/TracedStep.h"
#include "logic/Crc32.h"
#include "res/resource.h"

bool RepairChecksum(RepairStripes& stripes, const PieceLayout& layout, CopyEnd source, uint32_t& checksum) {
  checksum = 0;
  return stripes.Run(layout, source, nullptr, -1, [&](const unsigned char* bytes, int64_t, uint32_t length) {
    checksum = Crc32Update(checksum, bytes, length);
    return true;
  });
}

bool WriteRepairFile(RepairStripes& stripes, const PieceLayout& layout, CopyEnd source, const std::string& path,
                     bool flushEachStripe, HWND owner, uint32_t& checksum) {
  fw::File file;
  if (!TracedStep("Trying to create repair file...", [&] { return CreateFileGuarded(path, file, owner); }))
    return false;
  checksum = 0;
  bool written = stripes.Run(layout, source, nullptr, -1, [&](const unsigned char* bytes, int64_t, uint32_t length) {
    checksum = Crc32Update(checksum, bytes, length);
    return TracedStep("Trying to write repair file...", [&] {
      file.Write(bytes, length);
      if (flushEachStripe) file.Flush();
      return true;
    });
  });
  written = written && TracedStep("Trying to close repair file...", [&] {
              file.Close();
              return true;
            });
  if (!written) {
    file.Abort();
    DeleteFileA(path.c_str());
  }
  return written;
}
