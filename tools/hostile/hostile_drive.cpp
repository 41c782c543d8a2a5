// hostile_drive: puts hostile skins through a form holding every skinned control, and hostile form texts
// through a form over the good skin, each in a process of its own, and tells per input whether it ended
// well, how long it took and how much memory it used.
//
//   hostile_drive set [--seed S] [--from A] [--to B] [--sample | --per-family N] [--family f1,f2]
//                     [--exclude f1,f2] [--jobs J] [--limit SECONDS] [--work DIR] [--keep DIR] [--goals]
//       the generated set (or inputs A..B-1 of it, or the first N inputs of every family, or the fixed
//       sample: the first two of every family; only the families named, none of those excluded), J at a
//       time. Prints a line per input that did not end well and a table by family (time is the child's
//       processor time, memory its peak resident set). Exits 1 when an input aborted, crashed, left a
//       sanitizer report, raised after loading or ran past the limit (then it is killed); with --goals also
//       when one took over 2 s or 200 MB. A child may not map more than 2 GiB in the optimised build, nor
//       hold more than 4 GiB under the sanitizers, so that one input does not run a machine shared with
//       others out of memory.
//   hostile_drive run <skin.ini | skin.skn> [--second <skin.ini>] [--picture <png>]
//   hostile_drive run --form <form.txt> [--picture <png>]
//   hostile_drive run --events <events.txt>
//       one skin, one form text read into a form over the good test skin, or one script of events played
//       through controls (HostileEvents.h), in this process: what the child of `set` does. Prints "load:", "raised:"
//       and "peak:" lines; --picture writes the screen after the first paint.
//   hostile_drive write <seed> <index> <dir>
//       writes input <index> of the set made from <seed> into <dir>, to keep or look at.
//   hostile_drive families
//       lists the families: name, the index of the first input, the number of inputs.
//   hostile_drive corpus <dir>
//       writes the fuzz targets' seeds made from the good skins into <dir>/<target>/.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "skin/data/bsSkinData.h"
#include "tools/hostile/HostileEvents.h"
#include "tools/hostile/HostileForm.h"
#include "tools/hostile/HostileFormTexts.h"
#include "tools/hostile/HostileSkins.h"
#include "tools/hostile/HostileViews.h"
#include "tools/mkskin/SkinFiles.h"
#include "tools/mkskin/TestSkin.h"

namespace fs = std::filesystem;

namespace {

// Seconds on the monotonic clock (<chrono> does not compile with the build's GBK literals).
double Now() {
  timespec t {};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

constexpr double kGoalSeconds = 2.0;
constexpr long kGoalKb = 200L * 1024;

int Usage() {
  std::fprintf(stderr,
               "usage: hostile_drive set [--seed S] [--from A] [--to B] [--sample | --per-family N] [--family f1,f2]\n"
               "                         [--exclude f1,f2] [--jobs J] [--limit SECONDS] [--work DIR] [--keep DIR]\n"
               "                         [--goals]\n"
               "       hostile_drive run <skin.ini|skin.skn> [--second <skin.ini>] [--picture <png>]\n"
               "       hostile_drive run --form <form.txt> [--picture <png>]\n"
               "       hostile_drive run --events <events.txt>\n"
               "       hostile_drive write <seed> <index> <dir>\n"
               "       hostile_drive families\n"
               "       hostile_drive corpus <dir>\n");
  return 2;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

void LoadSkin(TbsSkinData* skin, const std::string& path) {
  if (EndsWith(path, ".skn")) {
    TbsCompressedStoredSkin packed(nullptr);
    packed.LoadFromCompressFile(path);
    skin->LoadCompressedStoredSkin(&packed);
  } else {
    skin->LoadFromFile(path);
  }
}

std::string ReadFile(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string OneLine(std::string s) {
  std::replace(s.begin(), s.end(), '\n', ' ');
  std::replace(s.begin(), s.end(), '\r', ' ');
  return s;
}

// This process's peak resident set in kB since it was started (VmHWM); 0 when unknown.
long PeakKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

void Print(const hostile::Run& run) {
  std::printf("load: %s\n", run.load.empty() ? "ok" : ("refused: " + OneLine(run.load)).c_str());
  for (const std::string& r : run.raised) std::printf("raised: %s\n", OneLine(r).c_str());
  // The child's own peak: the rusage of a child counts the pages of the driver it was forked from too.
  std::printf("peak: %ld kB\n", PeakKb());
  std::printf("done\n");
}

int RunOne(const std::string& path, const std::string& second, const std::string& picture) {
  Print(hostile::Exercise([&](TbsSkinData* s) { LoadSkin(s, path); }, [&](TbsSkinData* s) { LoadSkin(s, second); },
                          hostile::Depth::Full, picture));
  return 0;
}

void LoadGoodSkin(TbsSkinData* s) { s->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini"); }

// The families made outside the skin generator, in set order.
void AddFamilies() {
  hostile::AddFormFamilies();
  hostile::AddViewFamilies();
  hostile::AddTreeViewFamily();
}

int RunEvents(const std::string& path) {
  AddFamilies();
  Print(hostile::PlayEvents(ReadFile(path), LoadGoodSkin));
  return 0;
}

int RunForm(const std::string& path, const std::string& picture) {
  const std::string text = ReadFile(path);
  Print(hostile::ExerciseForm(text, LoadGoodSkin, picture));
  return 0;
}

// ---- The set ------------------------------------------------------------------------------------------------

enum Status { Ok, Refused, Raised, Crashed, Report, Hang, kStatuses };
const char* const kStatusNames[] = { "ok", "refused", "raised", "crash", "report", "hang" };

struct Result {
  int index;
  std::string family, what;
  Status status { Ok };
  double seconds {};
  long kb {};
  std::string detail;  // the first line that tells what went wrong
};

// The first line of `text` holding `needle`, or "".
std::string LineWith(const std::string& text, const std::string& needle) {
  const size_t at = text.find(needle);
  if (at == std::string::npos) return "";
  const size_t b = text.rfind('\n', at);
  const size_t e = text.find('\n', at);
  return text.substr(b == std::string::npos ? 0 : b + 1, e == std::string::npos ? std::string::npos : e - b - 1);
}

void Classify(Result& r, int wstatus, const fs::path& dir) {
  const std::string out = ReadFile(dir / "stdout"), err = ReadFile(dir / "stderr");
  for (const char* marker : { "ERROR: AddressSanitizer", "ERROR: LeakSanitizer",
                              "runtime error:", "WARNING: AddressSanitizer", "hard rss limit exhausted" }) {
    if (const std::string line = LineWith(err, marker); !line.empty()) {
      r.status = Report;
      r.detail = line;
      return;
    }
  }
  if (WIFSIGNALED(wstatus) || !WIFEXITED(wstatus) || WEXITSTATUS(wstatus) != 0 ||
      out.find("\ndone\n") == std::string::npos) {
    r.status = Crashed;
    r.detail = WIFSIGNALED(wstatus) ? "signal " + std::to_string(WTERMSIG(wstatus))
                                    : "exit " + std::to_string(WEXITSTATUS(wstatus));
    if (const std::string line = LineWith(err, "terminate"); !line.empty()) r.detail += ": " + line;
    return;
  }
  if (const std::string line = LineWith(out, "raised: "); !line.empty()) {
    r.status = Raised;
    r.detail = line.substr(8);
    // What a user would see as a message box each: many of them are boxes without end.
    size_t raises = 0;
    for (size_t at = 0; (at = out.find("\nraised: ", at)) != std::string::npos; ++at) ++raises;
    if (raises > 1) r.detail += " (" + std::to_string(raises) + " raises in all)";
  } else if (const std::string refused = LineWith(out, "load: refused: "); !refused.empty()) {
    r.status = Refused;
    r.detail = refused.substr(15);
  }
}

struct Options {
  uint64_t seed { 1 };
  int from { 0 }, to { -1 };
  int perFamily { 0 };  // 0: every input
  bool goals {};
  std::set<std::string> only, exclude;  // only: empty for every family
  int jobs { 4 };
  int limit { 120 };
  fs::path work, keep;
  std::string second { std::string(XJ_TEST_SKIN_DIR) + "/second/skin.ini" };
};

std::vector<int> Chosen(const Options& o) {
  std::vector<int> out;
  const int to = o.to < 0 ? hostile::SetSize() : std::min(o.to, hostile::SetSize());
  for (int i = o.from; i < to; ++i) {
    const auto [family, k] = hostile::Locate(i);
    if (o.perFamily > 0 && k >= o.perFamily) continue;
    const std::string& name = hostile::Families()[static_cast<size_t>(family)].name;
    if (o.exclude.count(name) || (!o.only.empty() && !o.only.count(name))) continue;
    out.push_back(i);
  }
  return out;
}

struct Running {
  pid_t pid;
  Result result;
  fs::path dir;
  double start {};
  bool killed {};
};

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

// The most address space a child may map in the optimised build, and the most it may hold resident under
// the sanitizers (which take twice the memory or more): one input must not run a shared machine out of memory.
constexpr rlim_t kChildAddressSpace = rlim_t { 2 } << 30;
constexpr int kSanitizedRssMb = 4096;

pid_t Spawn(const std::string& self, const fs::path& dir, const hostile::Input& input, const std::string& second) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  const int out = open((dir / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open((dir / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(out, 1);
  dup2(err, 2);
  if (!kSanitized) {
    const rlimit limit { kChildAddressSpace, kChildAddressSpace };
    setrlimit(RLIMIT_AS, &limit);
  }
  const std::string entry = (dir / "skin" / input.Entry()).string();
  if (input.kind == hostile::Input::Kind::FormText)
    execl(self.c_str(), self.c_str(), "run", "--form", entry.c_str(), static_cast<char*>(nullptr));
  else if (input.kind == hostile::Input::Kind::Events)
    execl(self.c_str(), self.c_str(), "run", "--events", entry.c_str(), static_cast<char*>(nullptr));
  else
    execl(self.c_str(), self.c_str(), "run", entry.c_str(), "--second", second.c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

void PrintTable(const std::vector<Result>& results) {
  struct Row {
    int n {}, status[kStatuses] {}, slow {}, big {};
    double maxSeconds {};
    long maxKb {};
  };
  std::map<std::string, Row> rows;
  std::vector<std::string> order;
  Row total;
  for (const Result& r : results) {
    if (!rows.count(r.family)) order.push_back(r.family);
    for (Row* row : { &rows[r.family], &total }) {
      ++row->n;
      ++row->status[r.status];
      row->slow += r.seconds > kGoalSeconds;
      row->big += r.kb > kGoalKb;
      row->maxSeconds = std::max(row->maxSeconds, r.seconds);
      row->maxKb = std::max(row->maxKb, r.kb);
    }
  }
  std::printf(
      "\n| family | inputs | ok | refused | raised | crash | report | hang | > 2 s cpu | > 200 MB | max cpu s | max MB "
      "|\n");
  std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
  auto print = [](const std::string& name, const Row& row) {
    std::printf("| %s | %d | %d | %d | %d | %d | %d | %d | %d | %d | %.2f | %ld |\n", name.c_str(), row.n,
                row.status[Ok], row.status[Refused], row.status[Raised], row.status[Crashed], row.status[Report],
                row.status[Hang], row.slow, row.big, row.maxSeconds, row.maxKb / 1024);
  };
  for (const std::string& f : order) print(f, rows[f]);
  print("all", total);
}

int RunSet(const std::string& self, const Options& o) {
  const std::vector<int> chosen = Chosen(o);
  const fs::path work = o.work.empty() ? fs::temp_directory_path() / ("hostile-" + std::to_string(getpid())) : o.work;
  fs::create_directories(work);
  setenv("XJ_DISPLAY", "headless", 1);
  setenv("XJ_AUDIO", "null", 1);
  setenv("ASAN_OPTIONS", "detect_leaks=1", 0);
  // The sanitizers reserve terabytes of address space, so their own ceiling on the resident set stands in
  // for the optimised build's one on the address space, unless the caller set a ceiling of its own.
  if (const std::string asan = getenv("ASAN_OPTIONS"); kSanitized && asan.find("rss_limit_mb") == std::string::npos)
    setenv("ASAN_OPTIONS", (asan + ":hard_rss_limit_mb=" + std::to_string(kSanitizedRssMb)).c_str(), 1);
  setenv("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1", 0);
  std::vector<Result> results;
  std::vector<Running> running;
  std::ofstream tsv(work / "results.tsv");
  tsv << "index\tfamily\tstatus\tcpu_seconds\tpeak_mb\twhat\tdetail\n";
  auto finish = [&](Running& r, int wstatus, const rusage& usage) {
    // The child's own processor time: the parent may be busy writing the next input when a child ends,
    // and a loaded machine stretches the wall clock; neither is the input's cost.
    r.result.seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    r.result.kb = usage.ru_maxrss;
    const std::string out = ReadFile(r.dir / "stdout");
    if (const size_t at = out.find("\npeak: "); at != std::string::npos) r.result.kb = std::atol(out.c_str() + at + 7);
    if (r.killed) {
      r.result.status = Hang;
      r.result.detail = "killed after " + std::to_string(o.limit) + " s";
    } else {
      Classify(r.result, wstatus, r.dir);
    }
    const Result& x = r.result;
    const bool bad = x.status >= Raised || (o.goals && (x.seconds > kGoalSeconds || x.kb > kGoalKb));
    if (bad) {
      std::printf("%5d %-18s %-7s %6.2f s cpu %5ld MB  %s | %s\n", x.index, x.family.c_str(), kStatusNames[x.status],
                  x.seconds, x.kb / 1024, x.what.c_str(), x.detail.c_str());
      std::fflush(stdout);
    }
    tsv << x.index << '\t' << x.family << '\t' << kStatusNames[x.status] << '\t' << x.seconds << '\t' << x.kb / 1024
        << '\t' << x.what << '\t' << x.detail << std::endl;
    if (bad && !o.keep.empty()) {
      const fs::path keep = o.keep / (std::to_string(x.index) + "-" + x.family);
      fs::remove_all(keep);
      fs::create_directories(keep.parent_path());
      fs::copy(r.dir, keep, fs::copy_options::recursive);
    }
    fs::remove_all(r.dir);
    results.push_back(x);
  };
  size_t next = 0;
  while (next < chosen.size() || !running.empty()) {
    while (next < chosen.size() && static_cast<int>(running.size()) < o.jobs) {
      const int index = chosen[next++];
      const hostile::Input input = hostile::Make(o.seed, index);
      Running r { 0, Result { index, input.family, input.what, Ok, 0, 0, "" }, work / std::to_string(index) };
      fs::remove_all(r.dir);
      hostile::Write(input, r.dir / "skin");
      r.start = Now();
      r.pid = Spawn(self, r.dir, input, o.second);
      running.push_back(std::move(r));
    }
    int wstatus = 0;
    rusage usage {};
    const pid_t done = wait4(-1, &wstatus, WNOHANG, &usage);
    if (done > 0) {
      auto it = std::find_if(running.begin(), running.end(), [&](const Running& r) { return r.pid == done; });
      if (it != running.end()) {
        finish(*it, wstatus, usage);
        running.erase(it);
      }
      continue;
    }
    const double now = Now();
    for (Running& r : running) {
      if (!r.killed && now - r.start > o.limit) {
        kill(r.pid, SIGKILL);
        r.killed = true;
      }
    }
    usleep(10000);  // a driver's poll for its children, not a test's wait
  }
  std::sort(results.begin(), results.end(), [](const Result& a, const Result& b) { return a.index < b.index; });
  PrintTable(results);
  std::printf("\nseed %llu, %zu inputs; per input: %s\n", static_cast<unsigned long long>(o.seed), results.size(),
              (work / "results.tsv").c_str());
  bool bad = false;
  for (const Result& r : results)
    bad |= r.status >= Raised || (o.goals && (r.seconds > kGoalSeconds || r.kb > kGoalKb));
  if (o.work.empty()) fs::remove_all(work);
  return bad ? 1 : 0;
}

// The fuzz targets' seeds that are made from the good skins, too large to keep in the repository: the
// compressed-skin content for skin_paint, and for skin_ini, skin_stored and skin_compressed what they read.
void WriteSeeds(const fs::path& dir) {
  const mkskin::Skin skin = mkskin::BuildTestSkin();
  auto write = [&](const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes) {
    fs::create_directories(dir / target);
    mkskin::WriteFileBytes(dir / target / name, bytes);
  };
  int i = 0;
  for (const auto& payload : hostile::GoodPayloads()) write("skin_paint", "good-" + std::to_string(i++), payload);
  const std::string ini = mkskin::IniText(skin);
  write("skin_ini", "test.ini", std::vector<uint8_t>(ini.begin(), ini.end()));
  write("skin_stored", "test.pictures", mkskin::PicturesProperty(skin));
  // skin_compressed: a mode byte (0 the zlib data, 1 the payload, 2 a compressed skin file), then the bytes.
  const std::vector<uint8_t> payload = mkskin::SkinPayload(skin), data = mkskin::ZlibCompress(payload);
  const std::vector<std::vector<uint8_t>> modes { data, payload, mkskin::CompressedSkinFile(data) };
  for (uint8_t mode = 0; mode < 3; ++mode) {
    std::vector<uint8_t> seed(1 + modes[mode].size(), mode);
    std::copy(modes[mode].begin(), modes[mode].end(), seed.begin() + 1);
    write("skin_compressed", "mode-" + std::to_string(mode), seed);
  }
}

// The families of a comma-separated list, each of which must be in the set.
std::set<std::string> FamilyNames(const std::string& list) {
  std::set<std::string> out;
  std::stringstream in(list);
  for (std::string f; std::getline(in, f, ',');) {
    const auto& all = hostile::Families();
    if (std::none_of(all.begin(), all.end(), [&](const hostile::Family& x) { return x.name == f; }))
      throw std::invalid_argument("no family " + f);
    out.insert(f);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string cmd = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  try {
    if (cmd == "run" && (args.size() == 2 || (args.size() == 4 && args[2] == "--picture")) && args[0] == "--form")
      return RunForm(args[1], args.size() == 4 ? args[3] : "");
    if (cmd == "run" && args.size() == 2 && args[0] == "--events") return RunEvents(args[1]);
    if (cmd == "run" && !args.empty()) {
      std::string second = std::string(XJ_TEST_SKIN_DIR) + "/second/skin.ini", picture;
      for (size_t i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--second")
          second = args[i + 1];
        else if (args[i] == "--picture")
          picture = args[i + 1];
        else
          return Usage();
      }
      if (args.size() % 2 == 0) return Usage();
      return RunOne(args[0], second, picture);
    }
    AddFamilies();
    if (cmd == "write" && args.size() == 3) {
      const hostile::Input in = hostile::Make(std::stoull(args[0]), std::stoi(args[1]));
      hostile::Write(in, args[2]);
      std::printf("%s: %s (load %s)\n", in.family.c_str(), in.what.c_str(), (fs::path(args[2]) / in.Entry()).c_str());
      return 0;
    }
    if (cmd == "families" && args.empty()) {
      int first = 0;
      for (const hostile::Family& f : hostile::Families()) {
        std::printf("%-18s %6d %6d\n", f.name.c_str(), first, f.count);
        first += f.count;
      }
      return 0;
    }
    if (cmd == "corpus" && args.size() == 1) {
      WriteSeeds(args[0]);
      return 0;
    }
    if (cmd != "set") return Usage();
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
      const std::string& a = args[i];
      auto value = [&]() -> std::string {
        if (i + 1 >= args.size()) throw std::invalid_argument(a + " needs a value");
        return args[++i];
      };
      if (a == "--seed")
        o.seed = std::stoull(value());
      else if (a == "--from")
        o.from = std::stoi(value());
      else if (a == "--to")
        o.to = std::stoi(value());
      else if (a == "--sample")
        o.perFamily = 2;
      else if (a == "--per-family")
        o.perFamily = std::max(1, std::stoi(value()));
      else if (a == "--goals")
        o.goals = true;
      else if (a == "--jobs")
        o.jobs = std::max(1, std::stoi(value()));
      else if (a == "--limit")
        o.limit = std::max(1, std::stoi(value()));
      else if (a == "--work")
        o.work = value();
      else if (a == "--keep")
        o.keep = value();
      else if (a == "--second")
        o.second = value();
      else if (a == "--exclude")
        o.exclude = FamilyNames(value());
      else if (a == "--family")
        o.only = FamilyNames(value());
      else
        return Usage();
    }
    return RunSet(fs::read_symlink("/proc/self/exe").string(), o);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "hostile_drive: %s\n", e.what());
    return 2;
  }
}
