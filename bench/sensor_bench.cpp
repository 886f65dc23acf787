// Measures the built sensor against the simulated librfc32, whole process
// by whole process, and prints a table: a single-system scan against a
// trivial static program, the multi-system run over growing numbers of
// systems, and the peak resident memory of a scan.
//   sensor_bench BUILD_DIR [RUNS]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "driver/worker_protocol.h"
#include "profiles/profile_text.h"
#include "profiles/system_profile.h"

namespace {

namespace fs = std::filesystem;

// The simulated NetWeaver library as the build names it.
constexpr const char kSimNwRfc[] = "libsapnwrfc.so";

struct Sample {
  double wall_ms = 0;
  double cpu_ms = 0;  // user + system time of the child
  long max_rss_kb = 0;
};

struct Summary {
  double wall_ms = 0;  // medians
  double cpu_ms = 0;
  long max_rss_kb = 0;  // the largest seen
};

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "sensor_bench: %s\n", what.c_str());
  std::exit(1);
}

double Milliseconds(const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

// Runs `argv` in `dir` with standard output going to `out` (discarded by
// default); the run must end with exit code 0.
Sample RunOnce(const std::vector<std::string>& argv, const std::string& dir,
               const std::string& out = "/dev/null", const std::string& in = "/dev/null") {
  std::vector<char*> args;
  std::vector<std::string> copies = argv;
  for (std::string& arg : copies) args.push_back(arg.data());
  args.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child < 0) Fail("fork failed");
  if (child == 0) {
    int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, STDOUT_FILENO);
    int input = open(in.c_str(), O_RDONLY);
    if (input >= 0) dup2(input, STDIN_FILENO);
    if (chdir(dir.c_str()) != 0) _exit(126);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) Fail("wait4 failed");
  auto end = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    Fail(argv[0] + " in " + dir + " did not end with exit code 0");
  Sample sample;
  sample.wall_ms = std::chrono::duration<double, std::milli>(end - start).count();
  sample.cpu_ms = Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime);
  sample.max_rss_kb = usage.ru_maxrss;
  return sample;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Runs each of `runs` in turn, `count` rounds after three to warm up, so
// that a machine busy with something else slows all of them alike.
std::vector<Summary> Measure(const std::vector<std::function<Sample()>>& runs, int count) {
  std::vector<std::vector<double>> wall(runs.size()), cpu(runs.size());
  std::vector<Summary> summaries(runs.size());
  for (int round = -3; round < count; ++round) {
    for (size_t i = 0; i < runs.size(); ++i) {
      Sample s = runs[i]();
      if (round < 0) continue;
      wall[i].push_back(s.wall_ms);
      cpu[i].push_back(s.cpu_ms);
      summaries[i].max_rss_kb = std::max(summaries[i].max_rss_kb, s.max_rss_kb);
    }
  }
  for (size_t i = 0; i < runs.size(); ++i) {
    summaries[i].wall_ms = Median(wall[i]);
    summaries[i].cpu_ms = Median(cpu[i]);
  }
  return summaries;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Fails unless a run of `argv` in `dir` answers with `expected` in its
// document: the benchmark times only runs that do the whole job.
void Verify(const std::vector<std::string>& argv, const fs::path& dir,
            const std::string& expected) {
  const fs::path out = dir.parent_path() / (dir.filename().string() + ".out");
  RunOnce(argv, dir.string(), out.string());
  if (ReadFile(out).find(expected) == std::string::npos)
    Fail("a run in " + dir.string() + " did not answer with " + expected);
}

void WriteFile(const fs::path& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary);
  out << contents;
  if (!out) Fail("cannot write " + path.string());
}

// The worker processes a run of `argv` in `dir` starts, as the simulated
// library counts them: the run is repeated, untimed, with its log on.
int ProcessesStarted(const std::vector<std::string>& argv, const fs::path& dir) {
  const fs::path log = dir / "SimRfc.log";
  WriteFile(log, "");
  RunOnce(argv, dir.string());
  const std::string calls = ReadFile(log);
  fs::remove(log);
  int count = 0;
  const std::string line = "New process\n";
  for (size_t at = calls.find(line); at != std::string::npos; at = calls.find(line, at + 1))
    ++count;
  return count;
}

std::string ProfileText(const std::string& destination) {
  quillmeter::ProfileFields fields;
  fields.extcompany = "Bench Ltd";
  fields.destination = destination;
  // The simulated NetWeaver library finds a system by its host: one each.
  fields.host = "h" + destination;
  fields.gwhost = "saphost01";
  fields.sysnr = "00";
  fields.gwservice = "sapgw00";
  return quillmeter::ProfileText(fields);
}

// The names of `count` systems, as short as a list of 2047 characters
// allows: "0", "1", ... each a profile file of its own.
std::string SystemName(size_t i) { return std::to_string(i); }

// "D000", "D001", ...: each system a destination of its own.
std::string Destination(size_t i) {
  std::string number = std::to_string(i);
  return "D" + std::string(number.size() < 3 ? 3 - number.size() : 0, '0') + number;
}

std::string SystemText(const std::string& destination, unsigned latency_ms = 0) {
  return "host h" + destination +
         "\nclient 100\nuser monitor\npassword Secret12\nlastcoll Mon Dec  7 10:11:12 2026\n"
         "latency " +
         std::to_string(latency_ms) +
         "\nst04line\nLOGPAGES 250000\nLOGWAITS 300\nROLLBACKS 1500\nQUEUEOVER 0\n";
}

// A directory for a multi-system run over `count` systems: a global listing
// naming them, and for each a profile and a simulated system. Returns the
// listing's length.
size_t MakeSystems(const fs::path& dir, size_t count, unsigned latency_ms = 0) {
  fs::create_directories(dir);
  std::string list;
  for (size_t i = 0; i < count; ++i) {
    const std::string destination = Destination(i);
    WriteFile(dir / SystemName(i), ProfileText(destination));
    WriteFile(dir / (destination + ".simrfc"), SystemText(destination, latency_ms));
    list += SystemName(i) + "#";
  }
  WriteFile(dir / "SAP Tessarin.Gbl", "# GSNG: BENCH       " + list +
                                          "\n# GSNX: BENCH      Item=LogWrites,Sensor=\"SAP "
                                          "Quillmeter\"\n");
  return list.size();
}

// Puts back every system's profile without history, so that the next run
// rewrites each one.
void ResetProfiles(const fs::path& dir, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const std::string destination = Destination(i);
    WriteFile(dir / SystemName(i), ProfileText(destination));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) Fail("usage: sensor_bench BUILD_DIR [RUNS]");
  const fs::path build = fs::absolute(argv[1]);
  const std::string sensor = (build / "quillmeter").string();
  const std::string trivial = (build / "quillmeter_bench_trivial").string();
  const std::string trivial_shared = (build / "quillmeter_bench_trivial_shared_libc").string();
  const int runs = argc > 2 ? std::atoi(argv[2]) : 101;
  if (runs < 1) Fail("RUNS must be at least 1");

  fs::path root = fs::temp_directory_path() / ("quillmeter-bench-" + std::to_string(getpid()));
  // A scan whose history line stands from an earlier scan of the same day
  // while the counters stand still, and one that finds no history line and
  // so rewrites the profile (written beside it, flushed to disk, renamed).
  const std::string profile = ProfileText("PRD");
  const std::string system = SystemText("PRD");
  for (const char* dir : {"kept", "rewritten", "null", "netweaver"}) {
    fs::create_directories(root / dir);
    WriteFile(root / dir / "PRD.P00", profile);
    WriteFile(root / dir / "PRD.simrfc", system);
  }
  // The sensor beside a library that answers at once: its own cost.
  const std::string null_sensor = (root / "null" / "quillmeter").string();
  fs::copy_file(sensor, null_sensor);
  fs::copy_file(build / "libquillmeter_bench_null_rfc.so", root / "null" / "librfc32.so");
  const std::string null_dir = (root / "null").string();
  // The sensor alone with the simulated NetWeaver library: the same scan
  // through the other backend.
  const std::string nw_sensor = (root / "netweaver" / "quillmeter").string();
  fs::copy_file(sensor, nw_sensor);
  fs::copy_file(build / kSimNwRfc, root / "netweaver" / kSimNwRfc);
  const std::string nw_dir = (root / "netweaver").string();
  const std::string kept_dir = (root / "kept").string();
  const std::string rewritten_dir = (root / "rewritten").string();
  auto trivial_run = [&] { return RunOnce({trivial}, kept_dir); };
  auto trivial_shared_run = [&] { return RunOnce({trivial_shared}, kept_dir); };
  auto scan_kept = [&] { return RunOnce({sensor, "PRD", "@"}, kept_dir); };
  auto scan_null = [&] { return RunOnce({null_sensor, "PRD", "@"}, null_dir); };
  auto scan_netweaver = [&] { return RunOnce({nw_sensor, "PRD", "@"}, nw_dir); };
  auto scan_rewritten = [&] {
    WriteFile(root / "rewritten" / "PRD.P00", profile);
    sync();  // the sensor's own flush must not pay for the harness's writes
    return RunOnce({sensor, "PRD", "@"}, rewritten_dir);
  };
  Verify({sensor, "PRD", "@"}, root / "kept", "<Text>(PRD) Logging: LogWrites=0");
  Verify({null_sensor, "PRD", "@"}, root / "null", "<Text>(PRD) Logging: LogWrites=0");
  Verify({nw_sensor, "PRD", "@"}, root / "netweaver", "<Text>(PRD) Logging: LogWrites=0");
  std::vector<Summary> single = Measure(
      {trivial_run, trivial_shared_run, scan_kept, scan_rewritten, scan_null, scan_netweaver}, runs);

  std::printf(
      "Quillmeter benchmark: %d runs each, medians (CPU = user + system of the process)\n\n", runs);
  std::printf("%-44s %10s %10s %8s %8s %10s\n", "run", "wall ms", "CPU ms", "x wall", "x CPU",
              "peak RSS");
  auto row = [&](const std::string& name, const Summary& s) {
    std::printf("%-44s %10.3f %10.3f %8.2f %8.2f %7ld kB\n", name.c_str(), s.wall_ms, s.cpu_ms,
                s.wall_ms / single[0].wall_ms, s.cpu_ms / std::max(single[0].cpu_ms, 1e-3),
                s.max_rss_kb);
  };
  row("trivial static program", single[0]);
  row("trivial program, C library shared", single[1]);
  row("scan, history unchanged", single[2]);
  row("scan, profile rewritten", single[3]);
  row("scan, do-nothing library, history unchanged", single[4]);
  row("scan through simnwrfc, history unchanged", single[5]);

  // The multi-system run: its CPU time per system, at rest (history kept)
  // and when every profile is rewritten.
  std::printf("\n%-10s %12s %12s %14s %14s %12s %10s\n", "systems", "CPU ms kept", "ms/system",
              "CPU ms rewrite", "ms/system", "wall ms rw", "peak RSS");
  const std::vector<std::string> multi_args = {sensor, "global", "BENCH", "@"};
  double base_kept = 0, base_rewritten = 0;
  double worst_per_system = 0, first_per_system = 0, last_per_system = 0;
  for (size_t count : {1, 10, 100, 500, 1000}) {
    fs::path dir = root / ("multi" + std::to_string(count));
    size_t list = MakeSystems(dir, count);
    if (list > 2047) {
      std::printf("%-10zu the list takes %zu characters; a listing holds 2047 (Error 1027)\n",
                  count, list);
      continue;
    }
    Verify(multi_args, dir,
           "NoSystems=" + std::to_string(count) + ", Processed=" + std::to_string(count) +
               ", Failed=0");
    const std::string d = dir.string();
    auto kept = [&] { return RunOnce(multi_args, d); };
    auto rewritten = [&] {
      ResetProfiles(dir, count);
      sync();
      return RunOnce(multi_args, d);
    };
    int rounds = std::max(5, std::min(runs, static_cast<int>(2000 / count)));
    std::vector<Summary> m = Measure({kept, rewritten}, rounds);
    if (count == 1) {
      base_kept = m[0].cpu_ms;
      base_rewritten = m[1].cpu_ms;
    }
    // Per system: what each system beyond the first adds.
    double n = static_cast<double>(count);
    double per_kept = count > 1 ? (m[0].cpu_ms - base_kept) / (n - 1) : m[0].cpu_ms;
    double per_rewritten = count > 1 ? (m[1].cpu_ms - base_rewritten) / (n - 1) : m[1].cpu_ms;
    if (count > 1) {
      worst_per_system = std::max({worst_per_system, per_kept, per_rewritten});
      if (first_per_system == 0) first_per_system = per_rewritten;
      last_per_system = per_rewritten;
    }
    std::printf("%-10zu %12.3f %12.3f %14.3f %14.3f %12.3f %7ld kB\n", count, m[0].cpu_ms, per_kept,
                m[1].cpu_ms, per_rewritten, m[1].wall_ms,
                std::max(m[0].max_rss_kb, m[1].max_rss_kb));
  }
  std::printf("\nms/system: CPU time each system beyond the first adds (for 1: the whole run).\n");

  // The multi-system run's workers: 50 systems at once or one at a time, the
  // library answering at once or taking 50 ms a call (the open, and each of
  // the three calls and receives). CPU is the whole run's, workers included.
  // Processes: the workers the run started.
  std::printf("\n%-24s %8s %12s %12s %12s %10s %10s\n", "50 systems", "JOBS", "wall ms", "CPU ms",
              "CPU ms/sys", "processes", "peak RSS");
  const size_t kSystems = 50;
  double slowest_single = 0, wall_jobs1 = 0, wall_default = 0, wall_jobs8 = 0;
  double per_system_0 = 0;
  bool processes_as_expected = true;
  for (unsigned latency : {0u, 50u}) {
    fs::path dir = root / ("workers" + std::to_string(latency));
    MakeSystems(dir, kSystems, latency);
    fs::path one = root / ("worker-one" + std::to_string(latency));
    MakeSystems(one, 1, latency);
    const std::string d = dir.string();
    int rounds = latency == 0 ? std::max(5, std::min(runs, 21)) : 3;
    if (latency > 0) {
      std::vector<Summary> m =
          Measure({[&] {
                    return RunOnce({sensor, "global", "BENCH", "@"}, one.string());
                  }},
                  rounds);
      slowest_single = m[0].wall_ms;
    }
    for (const char* jobs : {"JOBS=1", "", "JOBS=8"}) {
      std::vector<std::string> args = {sensor, "global", "BENCH", std::string("@ ") + jobs};
      Verify(args, dir, "NoSystems=50, Processed=50, Failed=0");
      std::vector<Summary> m = Measure({[&] { return RunOnce(args, d); }}, rounds);
      const int processes = ProcessesStarted(args, dir);
      const int jobs_n = *jobs ? std::atoi(jobs + 5) : 4;
      processes_as_expected &= processes == std::min(jobs_n, static_cast<int>(kSystems));
      std::string row = std::to_string(latency) + " ms a call";
      std::printf("%-24s %8s %12.1f %12.1f %12.3f %10d %7ld kB\n", row.c_str(),
                  *jobs ? jobs + 5 : "4", m[0].wall_ms, m[0].cpu_ms, m[0].cpu_ms / kSystems,
                  processes, m[0].max_rss_kb);
      if (latency == 0 && *jobs == '\0') per_system_0 = m[0].cpu_ms / kSystems;
      if (latency > 0) {
        if (std::string(jobs) == "JOBS=1") wall_jobs1 = m[0].wall_ms;
        if (*jobs == '\0') wall_default = m[0].wall_ms;
        if (std::string(jobs) == "JOBS=8") wall_jobs8 = m[0].wall_ms;
      }
    }
  }
  // Many systems through the default pool.
  double per_system_500 = 0;
  {
    const size_t count = 500;
    fs::path dir = root / "workers-many";
    MakeSystems(dir, count);
    std::vector<std::string> args = {sensor, "global", "BENCH", "@"};
    Verify(args, dir, "NoSystems=500, Processed=500, Failed=0");
    std::vector<Summary> m =
        Measure({[&] { return RunOnce(args, dir.string()); }}, std::max(5, std::min(runs, 7)));
    const int processes = ProcessesStarted(args, dir);
    processes_as_expected &= processes == 4;
    per_system_500 = m[0].cpu_ms / count;
    std::printf("%-24s %8s %12.1f %12.1f %12.3f %10d %7ld kB\n", "500 systems, 0 ms a call", "4",
                m[0].wall_ms, m[0].cpu_ms, per_system_500, processes, m[0].max_rss_kb);
  }
  // The same 50 systems through the simulated NetWeaver library.
  double nw_per_system_0 = 0;
  {
    fs::path dir = root / "workers0";
    std::vector<std::string> args = {nw_sensor, "global", "BENCH", "@"};
    Verify(args, dir, "NoSystems=50, Processed=50, Failed=0");
    std::vector<Summary> m =
        Measure({[&] { return RunOnce(args, dir.string()); }}, std::max(5, std::min(runs, 21)));
    std::printf("%-24s %8s %12.1f %12.1f %12.3f %7ld kB\n", "0 ms a call, simnwrfc", "4",
                m[0].wall_ms, m[0].cpu_ms, m[0].cpu_ms / kSystems, m[0].max_rss_kb);
    nw_per_system_0 = m[0].cpu_ms / kSystems;
  }
  // One worker alone, as the run starts it: its job on standard input.
  {
    fs::path dir = root / "workers0";
    quillmeter::WorkerJob job;
    job.request.open.profile_name = SystemName(0);
    job.request.profile_text = ReadFile(dir / SystemName(0));
    if (!quillmeter::ReadSystemProfile(job.request.profile_text, SystemName(0),
                                       &job.request.open.profile)
             .ok())
      Fail("the benchmark's profile does not read");
    const fs::path job_file = root / "worker.job";
    WriteFile(job_file, quillmeter::EncodeJob(job));
    std::vector<Summary> m = Measure({[&] {
                                       return RunOnce({sensor, quillmeter::kWorkerEntry},
                                                      dir.string(), "/dev/null", job_file.string());
                                     }},
                                     std::max(5, std::min(runs, 21)));
    std::printf("%-24s %8s %12.1f %12.1f %12.3f %10s %7ld kB\n", "one worker alone", "-",
                m[0].wall_ms, m[0].cpu_ms, m[0].cpu_ms, "1", m[0].max_rss_kb);
  }
  // The Windows executable under Wine, at 0 ms a call, when the caller names
  // its build (bench/run.sh does when there is one, with a prefix of its
  // own). The wineserver runs on throughout and its time is not the
  // sensor's: CPU counts the sensor's processes only.
  if (const char* windows = std::getenv("QUILLMETER_BENCH_WINE"); windows && *windows) {
    const std::string exe = (fs::path(windows) / "quillmeter.exe").string();
    const char* loader = std::getenv("QUILLMETER_BENCH_WINE_LOADER");
    const std::string wine = loader && *loader ? loader : "wine";
    fs::path dir = root / "workers0";
    // Already running is as good.
    (void)std::system("wineserver -p </dev/null >/dev/null 2>&1");
    for (const char* jobs : {"JOBS=1", "", "JOBS=8"}) {
      std::vector<std::string> args = {wine, exe, "global", "BENCH", std::string("@ ") + jobs};
      Verify(args, dir, "NoSystems=50, Processed=50, Failed=0");
      std::vector<Summary> m = Measure({[&] { return RunOnce(args, dir.string()); }}, 5);
      std::printf("%-24s %8s %12.1f %12.1f %12.3f %10d %7ld kB\n", "Wine, 0 ms a call",
                  *jobs ? jobs + 5 : "4", m[0].wall_ms, m[0].cpu_ms, m[0].cpu_ms / kSystems,
                  ProcessesStarted(args, dir), m[0].max_rss_kb);
    }
  }
  std::printf("peak RSS: the largest of the run's processes, parent or worker.\n");
  std::printf("one system alone at 50 ms a call: %.1f ms wall\n", slowest_single);

  const Summary& scan = single[2];
  long peak_kb = std::max(single[2].max_rss_kb, single[3].max_rss_kb);
  std::printf("\ntargets\n");
  std::printf("  scan / trivial static program, CPU    %6.2f   (at most 2)\n",
              scan.cpu_ms / single[0].cpu_ms);
  std::printf("  scan / trivial static program, wall   %6.2f   (at most 2)\n",
              scan.wall_ms / single[0].wall_ms);
  std::printf("  do-nothing scan / trivial shared, CPU %6.2f   (at most 1.5)\n",
              single[4].cpu_ms / single[1].cpu_ms);
  std::printf("  multi-system run, CPU ms per system   %6.3f   (under 2, worst of the sizes)\n",
              worst_per_system);
  std::printf("  per-system cost, largest / 10 systems %6.2f   (at most 1.1)\n",
              first_per_system > 0 ? last_per_system / first_per_system : 0.0);
  std::printf("  scan peak resident memory, MB         %6.2f   (under 8)\n", peak_kb / 1024.0);
  std::printf("  50 at 50 ms, default JOBS / JOBS=1    %6.2f   (at most 0.33)\n",
              wall_default / wall_jobs1);
  std::printf(
      "  50 at 50 ms, JOBS=8 wall ms        %9.1f   (at most %.1f: 1.25 x 7 x one system + 5 ms "
      "each)\n",
      wall_jobs8, 1.25 * 7 * slowest_single + 5.0 * kSystems);
  std::printf("  workers, CPU ms per system            %6.3f   (50 at 0 ms, default JOBS)\n",
              per_system_0);
  std::printf("  workers per system / scan, CPU        %6.2f   (at most 0.25)\n",
              per_system_0 / std::max(scan.cpu_ms, 1e-3));
  std::printf("  workers per system, 500 / 50 systems  %6.2f   (at most 1.1)\n",
              per_system_500 / std::max(per_system_0, 1e-3));
  std::printf("  processes started, min(JOBS, systems) %6s\n",
              processes_as_expected ? "yes" : "NO");
  std::printf("  simnwrfc scan / simrfc scan, CPU      %6.2f   (at most 1.2)\n",
              single[5].cpu_ms / std::max(scan.cpu_ms, 1e-3));
  std::printf("  multi-system, simnwrfc / simrfc, CPU  %6.2f   (per system, 50 at 0 ms)\n",
              nw_per_system_0 / std::max(per_system_0, 1e-3));

  fs::remove_all(root);
  return 0;
}
