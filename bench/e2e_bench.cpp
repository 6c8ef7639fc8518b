// e2e_bench [--runs N] [--keep] <avdconv> <game-folder> <data-folder>
//
// One whole conversion against the compression floor. The converter is
// copied into a fresh temporary folder with the data folder beside it as
// "DATA", and run there under a pseudo-terminal: the bench waits for the
// folder chooser, types the game folder's path and Enter, waits for the final
// prompt and presses a key. It measures the wall time from the start to the
// final prompt, the child's processor time and its peak resident memory.
//
// The peak is the converter's own high-water mark (VmHWM), read while it waits
// at the final prompt with all its work done. The child's ru_maxrss from
// wait4 would not do: a forked child starts as a copy of this process, and
// exec carries that copy's resident size into ru_maxrss, which after the first
// run holds every decompressed member.
//
// The floor is the time liblzo2's LZO1X-999 alone takes for exactly the same
// work on one processor: the archive the run produced is read back, every
// member decompressed, and each member compressed again, one at a time, with
// the buffers the archive writer uses with one worker (a 1 MiB output buffer
// and the library's work memory, both allocated and zero-filled once). The
// converter compresses on as many workers as it has processors, so its wall
// time can fall below the floor; its processor time (every thread's) cannot.
//
// The converter inherits this process's environment and processor affinity:
// run the bench under `taskset` to pin both, or give bench/avdconv_workers
// with AVD_WORKERS set to choose the number of workers.
//
// With --runs N the conversion and the floor are each measured N times,
// alternately, and the fastest of each is reported (peak memory: the
// largest). With --keep the temporary folder stays, with the converter and
// its archive, for a profiler to resolve symbols in.
//
// Prints one machine-readable line starting "e2e " and a readable table.
#include <fcntl.h>
#include <lzo/lzo1x.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_format.h"
#include "archive/archive_reader.h"
#include "archive/lzo_worst_case.h"
#include "pty_io.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kTimeout = std::chrono::minutes(10);
// The archive writer's compression buffer.
constexpr size_t kCompressBufferSize = size_t{1} << 20;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
double Seconds(const timeval& tv) { return static_cast<double>(tv.tv_sec) + tv.tv_usec / 1e6; }

struct RunResult {
  bool finished = false;  // the final prompt appeared and the child exited
  int exitStatus = -1;
  double wallSeconds = 0;  // start to final prompt
  double cpuSeconds = 0;   // user + system time of the child
  long peakRssKiB = 0;     // VmHWM at the final prompt (ru_maxrss if unreadable)
  std::string output;
};

// The "VmHWM" line of /proc/<pid>/status in KiB, or -1.
long PeakResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

// Runs `exe` (in its own folder) under a pseudo-terminal with output
// processing off and a locale that is not UTF-8, picks `gameFolder` in the
// chooser and ends the run at the final prompt.
RunResult RunConverter(const fs::path& exe, const std::string& gameFolder) {
  RunResult result;
  int master = -1;
  const Clock::time_point start = Clock::now();
  const std::string folder = exe.parent_path().string();
  pid_t pid = pty_io::StartUnderTerminal(exe.string(), master, [&] {
    if (chdir(folder.c_str()) != 0) _exit(127);
  });
  if (pid < 0) return result;
  const Clock::time_point deadline = start + kTimeout;
  bool prompted = false;
  if (pty_io::ReadUntil(master, result.output, pty_io::kChooserTitleSjis, 0, deadline)) {
    const std::string typed = gameFolder + "\r";
    ssize_t ignored = write(master, typed.data(), typed.size());
    (void)ignored;
    if (pty_io::ReadUntil(master, result.output, pty_io::kPressAKeySjis, result.output.size(), deadline)) {
      result.wallSeconds = Seconds(Clock::now() - start);
      result.peakRssKiB = PeakResidentKiB(pid);
      prompted = true;
      ignored = write(master, "a", 1);
      (void)ignored;
    }
  }
  if (!prompted) kill(pid, SIGKILL);
  // Drain the rest so the child never blocks on a full terminal.
  while (pty_io::ReadUntil(master, result.output, "\x01\x02\x03-never", result.output.size(),
                           std::min(deadline, Clock::now() + std::chrono::milliseconds(200)))) {
  }
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  close(master);
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.finished = prompted && result.exitStatus >= 0;
  result.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  if (result.peakRssKiB < 0) result.peakRssKiB = usage.ru_maxrss;
  return result;
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using Member = archive::ArchiveContents::Member;

// Every member of the archive, decompressed; false when the archive is
// damaged or a member does not decompress to its recorded length.
bool ReadMembers(const std::vector<uint8_t>& raw, std::vector<Member>& members) {
  archive::ArchiveContents contents(raw);
  if (!contents.valid) {
    const std::string_view why = archive::Describe(contents.error);
    std::fprintf(stderr, "e2e_bench: member %zu of the archive cannot be read: %.*s\n",
                 contents.members.size(), static_cast<int>(why.size()), why.data());
    return false;
  }
  members = std::move(contents.members);
  return true;
}

struct Floor {
  bool ok = false;
  double wallSeconds = 0;
  double cpuSeconds = 0;
  uint64_t packedBytes = 0;
};

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

// LZO1X-999 over every member, one at a time, as the archive writer does it.
Floor CompressionFloor(const std::vector<Member>& members) {
  Floor floor;
  const double cpuStart = ProcessCpuSeconds();
  const Clock::time_point start = Clock::now();
  std::vector<uint8_t> buffer(kCompressBufferSize, 0);
  std::vector<uint8_t> workMemory(LZO1X_999_MEM_COMPRESS, 0);
  for (const Member& m : members) {
    const size_t worst = archive::LzoWorstCase(m.bytes.size());
    if (worst > buffer.size()) buffer.resize(worst);
    lzo_uint packed = 0;
    if (lzo1x_999_compress(m.bytes.data(), m.bytes.size(), buffer.data(), &packed, workMemory.data()) !=
        LZO_E_OK) {
      return floor;
    }
    floor.packedBytes += packed;
  }
  floor.wallSeconds = Seconds(Clock::now() - start);
  floor.cpuSeconds = ProcessCpuSeconds() - cpuStart;
  floor.ok = true;
  return floor;
}

bool HasExtension(const fs::path& path, std::string_view ext) {
  std::string e = path.extension().string();
  std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return std::tolower(c); });
  return e == ext;
}

struct InputSize {
  int scenarios = 0;
  int pictures = 0;
  uint64_t bytes = 0;
};

// The scenarios, pictures and data files the converter reads.
InputSize MeasureInput(const fs::path& game, const fs::path& data) {
  InputSize in;
  auto add = [&](const fs::path& folder, std::string_view ext, int* counter) {
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
      if (!e.is_regular_file() || (!ext.empty() && !HasExtension(e.path(), ext))) continue;
      in.bytes += e.file_size();
      if (counter) ++*counter;
    }
  };
  add(game / "MES", ".sio", &in.scenarios);
  for (const char* sub : {"", "CG", "TACHI", "OPENING"}) add(game / sub, ".moe", &in.pictures);
  add(data, "", nullptr);
  return in;
}

int Usage() {
  std::fprintf(stderr, "usage: e2e_bench [--runs N] [--keep] <avdconv> <game-folder> <data-folder>\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 1;
  bool keep = false;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
      if (runs < 1) return Usage();
    } else if (arg == "--keep") {
      keep = true;
    } else {
      args.push_back(arg);
    }
  }
  if (args.size() != 3) return Usage();
  const fs::path converter = fs::absolute(args[0]);
  const fs::path game = fs::absolute(args[1]);
  const fs::path data = fs::absolute(args[2]);
  if (!fs::is_regular_file(converter) || !fs::is_directory(game) || !fs::is_directory(data)) return Usage();
  if (lzo_init() != LZO_E_OK) {
    std::fprintf(stderr, "e2e_bench: liblzo2 does not initialise\n");
    return 1;
  }

  char pattern[] = "/tmp/e2e_bench.XXXXXX";
  if (!mkdtemp(pattern)) {
    std::perror("e2e_bench: mkdtemp");
    return 1;
  }
  const fs::path work = pattern;
  const fs::path exe = work / "avdconv";
  fs::copy_file(converter, exe);
  fs::copy(data, work / "DATA", fs::copy_options::recursive);
  const InputSize input = MeasureInput(game, data);

  RunResult best;
  Floor bestFloor;
  std::vector<uint8_t> archiveBytes;
  std::vector<Member> members;
  uint64_t memberBytes = 0, packedBytes = 0;
  for (int r = 0; r < runs; ++r) {
    const RunResult run = RunConverter(exe, game.string());
    if (!run.finished) {
      std::fprintf(stderr, "e2e_bench: the converter did not reach its final prompt; it wrote:\n%s\n",
                   run.output.c_str());
      if (!keep) fs::remove_all(work);
      return 1;
    }
    std::vector<uint8_t> raw = ReadFile(work / "DAV299.AVD");
    if (r == 0) {
      if (!ReadMembers(raw, members) || fs::exists(work / "tmp.dat")) {
        std::fprintf(stderr, "e2e_bench: the archive is missing or damaged\n");
        if (!keep) fs::remove_all(work);
        return 1;
      }
      for (const Member& m : members) {
        memberBytes += m.bytes.size();
        packedBytes += m.packed;
      }
      archiveBytes = std::move(raw);
    } else if (raw != archiveBytes) {
      std::fprintf(stderr, "e2e_bench: run %d wrote a different archive\n", r + 1);
      if (!keep) fs::remove_all(work);
      return 1;
    }

    const Floor floor = CompressionFloor(members);
    if (!floor.ok) {
      std::fprintf(stderr, "e2e_bench: LZO1X-999 failed on a member\n");
      if (!keep) fs::remove_all(work);
      return 1;
    }
    if (floor.packedBytes != packedBytes) {
      std::fprintf(stderr, "e2e_bench: warning: the floor packed %llu bytes, the archive holds %llu\n",
                   static_cast<unsigned long long>(floor.packedBytes),
                   static_cast<unsigned long long>(packedBytes));
    }
    if (r == 0) {
      best = run;
      bestFloor = floor;
    } else {
      best.wallSeconds = std::min(best.wallSeconds, run.wallSeconds);
      best.cpuSeconds = std::min(best.cpuSeconds, run.cpuSeconds);
      best.peakRssKiB = std::max(best.peakRssKiB, run.peakRssKiB);
      bestFloor.wallSeconds = std::min(bestFloor.wallSeconds, floor.wallSeconds);
      bestFloor.cpuSeconds = std::min(bestFloor.cpuSeconds, floor.cpuSeconds);
    }
  }
  if (keep) {
    std::fprintf(stderr, "e2e_bench: kept %s\n", work.c_str());
  } else {
    fs::remove_all(work);
  }

  const double ratio = best.wallSeconds / bestFloor.wallSeconds;
  const double cpuRatio = best.cpuSeconds / bestFloor.cpuSeconds;
  const double rssMiB = best.peakRssKiB / 1024.0;
  std::printf(
      "e2e runs=%d scenarios=%d pictures=%d members=%zu input_bytes=%llu member_bytes=%llu "
      "packed_bytes=%llu conversion_s=%.3f floor_s=%.3f ratio=%.3f conversion_cpu_s=%.3f floor_cpu_s=%.3f "
      "cpu_ratio=%.3f peak_rss_mib=%.1f\n",
      runs, input.scenarios, input.pictures, members.size(), static_cast<unsigned long long>(input.bytes),
      static_cast<unsigned long long>(memberBytes), static_cast<unsigned long long>(packedBytes),
      best.wallSeconds, bestFloor.wallSeconds, ratio, best.cpuSeconds, bestFloor.cpuSeconds, cpuRatio,
      rssMiB);
  std::printf("\n");
  std::printf("  %-34s %12s\n", "input", "");
  std::printf("  %-34s %12d\n", "  scenarios", input.scenarios);
  std::printf("  %-34s %12d\n", "  pictures", input.pictures);
  std::printf("  %-34s %12.1f\n", "  bytes read (MB)", input.bytes / 1e6);
  std::printf("  %-34s %12s\n", "archive", "");
  std::printf("  %-34s %12zu\n", "  members", members.size());
  std::printf("  %-34s %12.1f\n", "  member bytes (MB)", memberBytes / 1e6);
  std::printf("  %-34s %12.1f\n", "  compressed bytes (MB)", packedBytes / 1e6);
  std::printf("  %-34s %12s %12s\n", runs > 1 ? "time (fastest of the runs)" : "time", "wall s", "cpu s");
  std::printf("  %-34s %12.3f %12.3f\n", "  conversion (start to prompt)", best.wallSeconds, best.cpuSeconds);
  std::printf("  %-34s %12.3f %12.3f\n", "  floor (LZO1X-999 alone)", bestFloor.wallSeconds,
              bestFloor.cpuSeconds);
  std::printf("  %-34s %12.3f %12.3f\n", "  ratio conversion / floor", ratio, cpuRatio);
  std::printf("  %-34s %12.1f\n", "peak resident memory (MiB)", rssMiB);
  return 0;
}
