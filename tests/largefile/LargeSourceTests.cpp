// The real program on a source past 4 GiB, end to end: an unattended split into
// pieces of 1 GiB with the info file and the batch file, an unattended restore, and
// the batch file under the command interpreter, each result compared byte for byte
// with the source. The source is sparse, with random bytes in its first and last MiB;
// the pieces and the rebuilt files are written in full, into memory where the machine
// has room for them (a file system of its own there), else onto the disk.
#include <doctest/doctest.h>

#include <cstdint>
#include <string>

#include "logic/PieceNames.h"
#include "support/CommandInterpreter.h"
#include "support/TestFiles.h"
#include "support/TestSupport.h"
#include "support/UnixScript.h"

namespace {

constexpr int64_t MIB = int64_t{1} << 20;
constexpr int64_t GIB = int64_t{1} << 30;
constexpr int64_t SOURCE_BYTES = 4 * GIB + 3 * MIB + 7;  // 4,298,113,031
// The pieces and one rebuilt file at a time (the restored one goes before the batch file
// runs; the command interpreter appends each piece in place), with room to spare.
constexpr int64_t NEEDED_BYTES = 9 * GIB;
// Each step moves 4 GiB under Wine.
constexpr DWORD STEP_TIMEOUT_MS = 15 * 60 * 1000;

// The folder as a file system in memory of its own, while the object lives, when the
// machine can spare the memory and lets the test mount one (as root): the copies take
// half the time there. The two builds' runs of this test take turns (see CMakeLists.txt).
class MemoryDisk {
 public:
  explicit MemoryDisk(const std::string& folder) : unixFolder(ShellWord(UnixPathOf(folder))) {
    const std::string spare = std::to_string((NEEDED_BYTES + 3 * GIB) / 1024);
    mounted = RunUnixScript("[ \"$(awk '/^MemAvailable:/ { print $2 }' /proc/meminfo)\" -gt " + spare +
                            " ] && mount -t tmpfs -o size=" + std::to_string(NEEDED_BYTES) + " parvola-large " +
                            unixFolder) == 0;
    MESSAGE(std::string(mounted ? "the copies go to a file system in memory" : "the copies go to the disk"));
  }
  ~MemoryDisk() {
    if (mounted) RunUnixScript("umount " + unixFolder + " || umount -l " + unixFolder);
  }
  MemoryDisk(const MemoryDisk&) = delete;
  MemoryDisk& operator=(const MemoryDisk&) = delete;

 private:
  std::string unixFolder;
  bool mounted = false;
};

void RequireFreeSpace(const std::string& folder) {
  ULARGE_INTEGER available = {};
  REQUIRE(GetDiskFreeSpaceExA((folder + '\\').c_str(), &available, nullptr, nullptr));
  REQUIRE_MESSAGE(int64_t(available.QuadPart) >= NEEDED_BYTES, "this test needs about 9 GiB of free space in ",
                  folder, " for the pieces of a 4 GiB file and one rebuilt copy; there are only ",
                  int64_t(available.QuadPart) / MIB, " MiB");
}

// The source, sparse between its random first and last MiB.
void MakeSource(const std::string& path) {
  const std::string file = ShellWord(UnixPathOf(path));
  const std::string randomMib =
      "head -c 1048576 /dev/urandom | dd iflag=fullblock bs=1M conv=notrunc status=none";
  REQUIRE(RunUnixScript("set -e\ntruncate -s " + std::to_string(SOURCE_BYTES) + " " + file + "\n" + randomMib +
                        " of=" + file + "\n" + randomMib + " oflag=seek_bytes seek=" +
                        std::to_string(SOURCE_BYTES - MIB) + " of=" + file) == 0);
  REQUIRE(FileLength(path) == SOURCE_BYTES);
}

// Whether two files hold the same bytes, by cmp on the Linux side.
bool SameBytes(const std::string& one, const std::string& other) {
  return RunUnixScript("cmp " + ShellWord(UnixPathOf(one)) + " " + ShellWord(UnixPathOf(other)),
                       STEP_TIMEOUT_MS) == 0;
}

void RunProgram(const std::string& arguments) {
  test::RunningProgram program(arguments);
  REQUIRE(program.Started());
  REQUIRE_MESSAGE(program.WaitForExit(STEP_TIMEOUT_MS), "the program did not end: ", arguments);
}

}  // namespace

TEST_CASE("4 GiB, 3 MiB and 7 bytes: split into 1 GiB pieces, restored, and rebuilt by the batch file") {
  TempFolder folder;
  MemoryDisk memory(folder.Path());
  RequireFreeSpace(folder.Path());
  const std::string source = folder / "DISC.ISO";
  const std::string pieces = folder / "pieces", restored = folder / "restored", rebuilt = folder / "rebuilt";
  for (const std::string& inner : {pieces, restored, rebuilt}) MakeFolder(inner);
  MakeSource(source);

  RunProgram("/s \"" + source + "\" /nm 1024 /or /ob /nd /na \"" + pieces + "\"");
  const int64_t pieceBytes[] = {GIB, GIB, GIB, GIB, 3 * MIB + 7};
  for (uint32_t index = 0; index < 5; ++index) {
    CAPTURE(index);
    CHECK(FileLength(PiecePath(pieces, "DISC", index)) == pieceBytes[index]);
  }
  CHECK_FALSE(FileExists(PiecePath(pieces, "DISC", 5)));
  // The three fields, then the checksum lines (the restore checks them against the bytes).
  CHECK(ReadWholeFile(pieces + "\\DISC.Split")
            .starts_with("<ORIGINALNAME>DISC.ISO\r\n<#FILES>5\r\n<SIZE>4298113031\r\n<CRC32>"));

  RunProgram("/u \"" + pieces + "\\DISC.Split\" /nd /na \"" + restored + "\"");
  CHECK(SameBytes(source, restored + "\\DISC.ISO"));
  DeleteFileA((restored + "\\DISC.ISO").c_str());

  const std::string batch = "\"" + pieces + "\\DISC.Bat\" " + pieces + "\\ " + rebuilt + "\\";
  const std::string printed = RunCommandInterpreter(batch, folder / "batch.txt", std::string(), STEP_TIMEOUT_MS);
  INFO("the batch file printed: ", printed);
  CHECK(printed.find("The file 'DISC.ISO' has been restored.") != std::string::npos);
  CHECK(SameBytes(source, rebuilt + "\\DISC.ISO"));
}
