// End-to-end tests of the built launcher. Each case makes a fresh folder holding a copy of the
// launcher with its settings file, a project and the recorder tool, runs the copy as a user
// would, and checks the exit status, every byte of standard output and standard error, and what
// the tool received.
//
// The folder of a case:
//   app/zerudud, app/ZERUDUD.ini   the launcher and its settings
//   recorder, record               the tool, and what it writes down when started
//   work/                          the current directory: the projects, and a decoy
//                                  ZERUDUD.ini whose tools all get the extra argument "decoy",
//                                  so a run that reads the settings from there shows it
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// What differs between platforms. The cases use only this block to run the launcher, to write
// paths and expected messages and to read the terminal, so the same cases run against the Linux
// build and, built with ZERUDUD_E2E_WINE, against the 64-bit Windows build under Wine.

// A program to start, found on PATH when it is a bare name, and its argument vector.
struct Command {
  std::string program;
  std::vector<std::string> argv;
};

// A case that cannot apply on this platform, by its name: the name of a test, which is then
// skipped whole, or of one case in a test's table, which is then left out.
struct NotHere {
  std::string_view name;
  std::string_view reason;
};

#ifdef ZERUDUD_E2E_WINE

// Wine runs the Windows programs in a prefix of the build tree (its session is started and ended
// by the wine.session tests of CTest, or by tests/windows/wine_session.sh). Wine shows the
// Linux file system to them as drive Z:.
constexpr const char* kWine = ZERUDUD_E2E_WINE64;
constexpr const char* kWinePrefix = ZERUDUD_E2E_WINE_PREFIX;
constexpr const char* kLauncherFile = ZERUDUD_E2E_LAUNCHER;
constexpr const char* kRecorderFile = ZERUDUD_E2E_RECORDER;
// Starts a program with argument 0 as given; see starter_win32.cpp.
constexpr const char* kStarterFile = ZERUDUD_E2E_STARTER;
constexpr const char* kLauncherName = "zerudud.exe";
constexpr const char* kRecorderName = "recorder.exe";
constexpr char kSeparator = '\\';
// What each line feed of a message becomes on a pipe: the runtime's text mode writes CR LF.
constexpr std::string_view kLineEnd = "\r\n";
// Windows hands the tool one command line, which the recorder writes down too.
constexpr bool kRecordsCommandLine = true;

// Wine's own settings for every run. Its desktop process (explorer.exe) is left out: no
// launcher run needs it, and when the first console on a terminal started it, that desktop
// inherited the terminal and now and then kept the typed key from the console.
const std::vector<std::pair<const char*, const char*>> kEnvironment = {
    {"WINEPREFIX", kWinePrefix}, {"WINEDEBUG", "-all"}, {"WINEDLLOVERRIDES", "explorer.exe=d"}};

const std::vector<NotHere> kNotHere = {
    {R"(say "hi".prj)", "a Windows file name cannot hold a double quote"},
    {R"(back\slash\\" \.prj)",
     "a Windows file name cannot hold a double quote, and its backslashes separate folders"},
    {"CommandLineLimit",
     "the ANSI file interfaces of Windows open no path of more than 260 characters (MAX_PATH) "
     "and a tool path holds at most 238, so a command line never reaches 512 characters"},
    {"a letter, standard input from /dev/null",
     "Wine's console reads the keys from the standard input of Linux, not from the terminal"},
    {"an arrow key arriving in two parts",
     "Wine's console takes an escape character that arrives alone for the Escape key, which "
     "ends the wait, and leaves the rest of the arrow's sequence unread on the terminal"},
    {"Ctrl+C",
     "Wine leaves the terminal's signal keys on: Ctrl+C raises SIGINT, which Wine turns into a "
     "console control event that ends the program whatever its console mode"},
};

// Why the cases cannot run now; empty when they can. Without the session a run would start a
// server of its own, and on a new prefix take longer than a run may to set it up.
std::string not_ready() {
  if (fs::exists(fs::path(kWinePrefix) / "session")) {
    return {};
  }
  return std::string("no Wine session in ") + kWinePrefix +
         "; run these tests through ctest, or first: tests/windows/wine_session.sh start " +
         kWinePrefix;
}

// A path as Windows programs under Wine see it, through drive Z:.
std::string windows_path(const fs::path& path) {
  std::string out = "Z:" + fs::absolute(path).lexically_normal().string();
  for (char& c : out) {
    if (c == '/') {
      c = '\\';
    }
  }
  return out;
}

std::string settings_path(const fs::path& path) {
  return windows_path(path);
}

std::string argument_path(const fs::path& path) {
  return windows_path(path);
}

// The Linux file that a path of a command line names.
fs::path host_path(std::string_view path) {
  std::string out(path.substr(path.rfind("Z:", 0) == 0 ? 2 : 0));
  for (char& c : out) {
    if (c == '\\') {
      c = '/';
    }
  }
  return out;
}

// Wine's loader always gives a program the full Windows path of its file as argument 0, so a
// run with another argument 0 goes through the starter, which starts the launcher as a Windows
// program would.
Command command(const fs::path& launcher, const std::string& argv0, bool through_path,
                const std::vector<std::string>& args) {
  Command out{kWine, {kWine}};
  if (argv0.empty()) {
    out.argv.push_back(windows_path(launcher));
  } else {
    out.argv.push_back(windows_path(kStarterFile));
    out.argv.push_back(through_path ? "" : windows_path(launcher));
    out.argv.push_back(argv0);
  }
  out.argv.insert(out.argv.end(), args.begin(), args.end());
  return out;
}

// The setting that puts `folder` first on the search path of Windows programs.
std::string search_path_with(const fs::path& folder) {
  return "WINEPATH=" + windows_path(folder);
}

// What a terminal shows of Wine's console output, which draws the text one character at a
// time between escape sequences: each "move right by N" is N blanks, other sequences show
// nothing, and of two carriage returns in a row only the second counts.
std::string on_screen(std::string_view raw) {
  std::string out;
  for (std::size_t at = 0; at < raw.size(); ++at) {
    if (raw.compare(at, 2, "\x1b[") == 0) {
      const std::size_t end = raw.find_first_not_of("0123456789;?", at + 2);
      if (end == std::string_view::npos) {
        break;
      }
      if (raw[end] == 'C') {
        const std::string_view count = raw.substr(at + 2, end - at - 2);
        out.append(count.empty() ? 1 : std::stoul(std::string(count)), ' ');
      }
      at = end;
    } else if (raw[at] != '\r' || at + 1 == raw.size() || raw[at + 1] != '\r') {
      out += raw[at];
    }
  }
  return out;
}

#else

constexpr const char* kLauncherFile = ZERUDUD_E2E_LAUNCHER;
constexpr const char* kRecorderFile = ZERUDUD_E2E_RECORDER;
constexpr const char* kLauncherName = "zerudud";
constexpr const char* kRecorderName = "recorder";
constexpr char kSeparator = '/';
constexpr std::string_view kLineEnd = "\n";
constexpr bool kRecordsCommandLine = false;
const std::vector<std::pair<const char*, const char*>> kEnvironment = {};
const std::vector<NotHere> kNotHere = {};

std::string not_ready() {
  return {};
}

// A path as the settings file names it.
std::string settings_path(const fs::path& path) {
  return path.string();
}

// A path as the launcher's command line gives it and the tool's record shows it.
std::string argument_path(const fs::path& path) {
  return path.string();
}

// The file that a path of the launcher's command line names.
fs::path host_path(std::string_view path) {
  return path;
}

// Runs the launcher's copy, or, with `through_path`, the program that the bare name `argv0`
// finds on PATH.
Command command(const fs::path& launcher, const std::string& argv0, bool through_path,
                const std::vector<std::string>& args) {
  Command out{through_path ? argv0 : launcher.string(),
              {argv0.empty() ? launcher.string() : argv0}};
  out.argv.insert(out.argv.end(), args.begin(), args.end());
  return out;
}

// The setting that puts `folder` first on PATH.
std::string search_path_with(const fs::path& folder) {
  const char* const path = std::getenv("PATH");
  return "PATH=" + folder.string() + ":" + (path != nullptr ? path : "/usr/bin:/bin");
}

// What the terminal shows of the launcher's output: the bytes themselves.
std::string on_screen(std::string_view raw) {
  return std::string(raw);
}

#endif

// The exit code that a launcher status becomes for its parent: the low eight bits.
int exit_code(int status) {
  return status & 0xFF;
}

// Why the case `name` cannot apply on this platform; empty when it can.
std::string_view not_here(std::string_view name) {
  for (const NotHere& skip : kNotHere) {
    if (skip.name == name) {
      return skip.reason;
    }
  }
  return {};
}

// Whether the case `name` of a table is left out here; says so, with the reason.
bool left_out(std::string_view name) {
  const std::string_view reason = not_here(name);
  if (!reason.empty()) {
    // Not in GoogleTest's own words for a skipped test, which CTest would take for the whole.
    std::printf("[ SKIP CASE ] %.*s: %.*s\n", static_cast<int>(name.size()), name.data(),
                static_cast<int>(reason.size()), reason.data());
  }
  return !reason.empty();
}

// How long a run may take before it counts as hung and is killed.
constexpr auto kRunLimit = 10s;
// The recorder holds on for at most ten seconds; this leaves room beyond that.
constexpr auto kToolLimit = 15s;

std::string lines(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') {
      out += kLineEnd;
    } else {
      out += c;
    }
  }
  return out;
}

std::string replace_all(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

void write_file(const fs::path& path, std::string_view text) {
  std::FILE* const file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  std::fwrite(text.data(), 1, text.size(), file);
  ASSERT_EQ(std::fclose(file), 0) << path;
}

// The entries of the recorder's file, "cwd TEXT" and "arg TEXT", one per item; empty when the
// tool never ran. Each item is read by its byte count, so any bytes come back exactly.
std::vector<std::string> read_record(const fs::path& path) {
  std::vector<std::string> entries;
  std::FILE* const file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return entries;
  }
  char tag[4] = {};
  std::size_t size = 0;
  while (std::fscanf(file, "%3s %zu", tag, &size) == 2 && std::fgetc(file) == ' ') {
    std::string text(size, '\0');
    if (std::fread(text.data(), 1, size, file) != size || std::fgetc(file) != '\n') {
      entries.push_back("unreadable record");
      break;
    }
    entries.push_back(std::string(tag) + " " + text);
  }
  std::fclose(file);
  return entries;
}

// Reads what `fd` holds now into `to`; returns false at the end of the stream.
bool take(int fd, std::string& to) {
  char buffer[4096];
  const ssize_t got = ::read(fd, buffer, sizeof buffer);
  if (got > 0) {
    to.append(buffer, static_cast<std::size_t>(got));
    return true;
  }
  return got < 0 && (errno == EINTR || errno == EAGAIN);
}

bool readable(int fd, std::chrono::milliseconds within) {
  pollfd watch = {fd, POLLIN, 0};
  return ::poll(&watch, 1, static_cast<int>(within.count())) > 0;
}

// Reaps every process of `group` that is a child of this one, waiting at most `wait` for them
// to end before killing the rest. Only groups with a live or unreaped member are signalled, so
// a process group id that the system has handed out again is never hit. Returns whether they
// all ended by themselves.
bool end_group(pid_t group, Clock::duration wait) {
  const auto deadline = Clock::now() + wait;
  for (;;) {
    const pid_t got = ::waitpid(-group, nullptr, WNOHANG);
    if (got < 0) {
      return true;
    }
    if (got == 0) {
      if (Clock::now() >= deadline) {
        break;
      }
      std::this_thread::sleep_for(5ms);
    }
  }
  ::kill(-group, SIGKILL);
  while (::waitpid(-group, nullptr, 0) > 0) {
  }
  return false;
}

// Exit code of a wait status, or 256 + the signal number for a process killed by one.
int exit_code_of(int wait_status) {
  return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 256 + WTERMSIG(wait_status);
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> out;
  for (std::string& text : texts) {
    out.push_back(text.data());
  }
  out.push_back(nullptr);
  return out;
}

struct Launch {
  Launch(std::vector<std::string> arguments) : args(std::move(arguments)) {}
  std::vector<std::string> args;  // argument 1 on
  std::string argv0;              // empty: the full path of the launcher's copy
  bool through_path = false;      // look argv0 up on PATH, with the launcher's folder first
  bool merged = false;            // standard error into the standard output pipe
  bool keep_tool = false;         // return while the tool that was started still runs
  std::vector<std::string> env;   // NAME=value, for the launcher and its tool
};

struct Outcome {
  int status = -1;  // the exit code; 256 + signal when killed by one; -1 when it hung
  std::string out;
  std::string err;
};

class E2e : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string_view reason =
        not_here(::testing::UnitTest::GetInstance()->current_test_info()->name());
    if (!reason.empty()) {
      GTEST_SKIP() << reason;
    }
    for (const auto& [name, value] : kEnvironment) {
      ASSERT_EQ(::setenv(name, value, 1), 0);
    }
    ASSERT_EQ(not_ready(), "");
    // Tools outlive the launcher that started them; as their subreaper this process can wait
    // for them and knows for sure when a tool has finished or was never started.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    std::string pattern = (fs::temp_directory_path() / "zerudud-e2e-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    app_ = root_ / "app";
    work_ = root_ / "work";
    launcher_ = app_ / kLauncherName;
    recorder_ = root_ / kRecorderName;
    record_ = root_ / "record";
    fs::create_directory(app_);
    fs::create_directory(work_);
    for (const char* const file : {kLauncherFile, kRecorderFile}) {
      ASSERT_TRUE(fs::exists(file)) << file << " has not been built";
    }
    fs::copy_file(kLauncherFile, launcher_);
    fs::copy_file(kRecorderFile, recorder_);
    write_file(work_ / "ZERUDUD.ini", fill("ZUD_OVOD_TOLV = @TOOL@ decoy\n"
                                           "ZUD_OVOD_MUK = @TOOL@ decoy\n"
                                           "ZUD_OVOD_PEXO = @TOOL@ decoy\n"));
  }

  void TearDown() override {
    for (const pid_t group : groups_) {
      end_group(group, 0s);
    }
    if (!root_.empty()) {
      std::error_code ignored;
      fs::remove_all(root_, ignored);
    }
  }

  // `text` with @TOOL@ and @ROOT@ written as the settings file writes paths and @WORK@ as the
  // command line does.
  std::string fill(std::string_view text) const {
    std::string out = replace_all(std::string(text), "@TOOL@", settings_path(recorder_));
    out = replace_all(out, "@ROOT@", settings_path(root_));
    return replace_all(out, "@WORK@", argument_path(work_));
  }

  void write_settings(const char* text) {
    if (text != nullptr) {
      write_file(app_ / "ZERUDUD.ini", fill(text));
    }
  }

  // What the record should hold after one start of the tool with `args` (argv[0] on, the
  // project last) from the working folder; nothing when `args` is empty. Where the recorder
  // writes down the command line too, that is the tool path as configured (`tool`, or else the
  // words of `args` before the project, joined by blanks), a blank and the project in quotes.
  std::vector<std::string> record_of(const std::vector<std::string>& args,
                                     const char* tool = nullptr) const {
    std::vector<std::string> entries;
    if (!args.empty()) {
      entries.push_back("cwd " + argument_path(work_));
      if (kRecordsCommandLine) {
        std::string line = tool != nullptr ? tool : "";
        for (std::size_t i = 0; tool == nullptr && i + 1 < args.size(); ++i) {
          line += (i == 0 ? "" : " ") + args[i];
        }
        entries.push_back("cmd " + fill(line + " \"" + args.back() + "\""));
      }
      for (const std::string& arg : args) {
        entries.push_back("arg " + fill(arg));
      }
    }
    return entries;
  }

  // Runs the launcher's copy from the working folder, in a session of its own with no
  // controlling terminal and standard input from /dev/null, and captures both output streams.
  // Unless `keep_tool`, it then waits for the tool (and anything else in the session) to end.
  Outcome run(const Launch& launch) {
    Command started = command(launcher_, launch.argv0, launch.through_path, launch.args);
    std::vector<std::string> env = launch.env;
    env.push_back("ZERUDUD_E2E_RECORD=" + argument_path(record_));
    if (launch.through_path) {
      env.push_back(search_path_with(app_));
    }
    std::vector<char*> argp = pointers(started.argv);
    std::vector<char*> envp = pointers(env);
    const std::string cwd = work_.string();

    Outcome outcome;
    int out_pipe[2];
    int err_pipe[2];
    if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0) {
      ADD_FAILURE() << "pipe2: " << std::strerror(errno);
      return outcome;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int null = ::open("/dev/null", O_RDONLY);
      if (::setsid() < 0 || null < 0 || ::dup2(null, 0) < 0 || ::dup2(out_pipe[1], 1) < 0 ||
          ::dup2(launch.merged ? out_pipe[1] : err_pipe[1], 2) < 0 || ::chdir(cwd.c_str()) != 0) {
        ::_exit(126);
      }
      for (char* const entry : envp) {
        if (entry != nullptr) {
          ::putenv(entry);
        }
      }
      ::execvp(started.program.c_str(), argp.data());
      ::_exit(127);
    }
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    if (pid < 0) {
      ADD_FAILURE() << "fork: " << std::strerror(errno);
      ::close(out_pipe[0]);
      ::close(err_pipe[0]);
      return outcome;
    }
    groups_.push_back(pid);

    // Read both pipes while the launcher runs. A tool that is still running holds them open,
    // so the end of the launcher, not the end of the pipes, ends the run; what the launcher
    // wrote is in the pipes by then.
    pollfd pipes[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    std::string* const into[2] = {&outcome.out, &outcome.err};
    int wait_status = 0;
    bool ended = false;
    const auto deadline = Clock::now() + kRunLimit;
    while (!ended && Clock::now() < deadline) {
      ::poll(pipes, 2, 20);
      for (int i = 0; i < 2; ++i) {
        if (pipes[i].fd >= 0 && (pipes[i].revents & (POLLIN | POLLHUP)) != 0 &&
            !take(pipes[i].fd, *into[i])) {
          pipes[i].fd = -1;
        }
      }
      ended = ::waitpid(pid, &wait_status, WNOHANG) == pid;
    }
    for (int i = 0; i < 2; ++i) {
      while (pipes[i].fd >= 0 && readable(pipes[i].fd, 0ms) && take(pipes[i].fd, *into[i])) {
      }
    }
    ::close(out_pipe[0]);
    ::close(err_pipe[0]);
    if (ended) {
      outcome.status = exit_code_of(wait_status);
    } else {
      ADD_FAILURE() << "the launcher did not end within " << kRunLimit.count() << " s";
      end_group(pid, 0s);
    }
    if (!launch.keep_tool) {
      EXPECT_TRUE(end_group(pid, kToolLimit)) << "the tool did not end";
    }
    return outcome;
  }

  fs::path root_, app_, work_, launcher_, recorder_, record_;
  std::vector<pid_t> groups_;
};

const char* const kSettings =
    "ZUD_OVOD_TOLV = @TOOL@ tolv\n"
    "ZUD_OVOD_MUK = @TOOL@ muk\n"
    "ZUD_OVOD_PEXO = @TOOL@ pexo\n";

constexpr const char* kNoSettingsLines =
    "INI File ZERUDUD.ini Not Found!\n"
    "Can't Read INI File.\n"
    "PROBLEM READING .INI FILE, 'ZERUDUD.ini'.\n";

struct OutcomeCase {
  const char* name;
  const char* settings;  // app/ZERUDUD.ini; none when null
  const char* project;   // work/p.prj; none when null
  std::vector<std::string> args;
  int status;
  const char* out;
  const char* err;
  std::vector<std::string> tool;  // what the tool received, argv[0] on; empty: not started
};

// Every outcome with its status and exact output, in the fixed order of the checks: argument,
// project file, settings file, tag, tool path, process start.
TEST_F(E2e, EachOutcomeHasItsStatusAndOutput) {
  // clang-format off
  const OutcomeCase cases[] = {
      // name, settings, project, arguments, status, standard output, standard error, tool
      {"a TOLV project starts the TOLV tool", kSettings, "<cpu>TOLV\n", {"p.prj"}, 0, "", "",
       {"@TOOL@", "tolv", "p.prj"}},
      {"a MUK project starts the MUK tool", kSettings, "x\n<cpu>MUK1\n", {"p.prj"}, 0, "", "",
       {"@TOOL@", "muk", "p.prj"}},
      {"a PEXO project starts the PEXO tool", kSettings, "<cpu>PEXO\n", {"p.prj"}, 0, "", "",
       {"@TOOL@", "pexo", "p.prj"}},
      {"arguments after the project change nothing", kSettings, "<cpu>TOLV\n",
       {"p.prj", "q.prj", "--help"}, 0, "", "", {"@TOOL@", "tolv", "p.prj"}},
      {"a project without a tag", kSettings, "<cpu>tolv\n<cpu> MUK\n", {"p.prj"}, 1, "", "", {}},
      {"an empty project", kSettings, "", {"p.prj"}, 1, "", "", {}},
      {"no project argument", kSettings, "<cpu>TOLV\n", {}, -1, "", "No file specified...\n", {}},
      {"a missing project", kSettings, nullptr, {"p.prj"}, -2, "",
       "Error opening file ''p.prj''\n", {}},
      {"a missing project and missing settings", nullptr, nullptr, {"p.prj"}, -2, "",
       "Error opening file ''p.prj''\n", {}},
      {"missing settings, a project with a tag", nullptr, "<cpu>TOLV\n", {"p.prj"}, -5, "",
       kNoSettingsLines, {}},
      {"missing settings, a project without a tag", nullptr, "none\n", {"p.prj"}, -5, "",
       kNoSettingsLines, {}},
      {"a tool path naming a missing program", "ZUD_OVOD_TOLV = @ROOT@/absent\n", "<cpu>TOLV\n",
       {"p.prj"}, -3, "", "", {}},
      {"a bare tool name not on PATH", "ZUD_OVOD_TOLV = zerudud-absent-tool\n", "<cpu>TOLV\n",
       {"p.prj"}, -3, "", "", {}},
      {"a tool path naming a folder", "ZUD_OVOD_TOLV = @ROOT@\n", "<cpu>TOLV\n",
       {"p.prj"}, -3, "", "", {}},
      {"a tool path of blanks only", "ZUD_OVOD_TOLV =    \n", "<cpu>TOLV\n",
       {"p.prj"}, -3, "", "", {}},
      // No controlling terminal to wait on, so the run ends at once after the message.
      {"no tool for the family", "ZUD_OVOD_MUK = @TOOL@\n", "<cpu>TOLV\n", {"p.prj"}, -6,
       "TOOL NOT IDENTIFIED, CAN'T LAUNCH PROJECT\n", "", {}},
      {"faulty settings lines, then a start", "\nZUD_OVOD_TOLV = @TOOL@\nnot a path line\n",
       "<cpu>TOLV\n", {"p.prj"}, 0, "",
       "bad line (#1) in INI File\nbad line (#3) in INI File\n", {"@TOOL@", "p.prj"}},
      {"faulty settings lines, then no tool", " ZUD_OVOD_TOLV = @TOOL@\n", "<cpu>TOLV\n",
       {"p.prj"}, -6, "TOOL NOT IDENTIFIED, CAN'T LAUNCH PROJECT\n",
       "bad line (#1) in INI File\n", {}},
      {"faulty settings lines, then no tag", "zud_ovod_TOLV = @TOOL@\n", "\n",
       {"p.prj"}, 1, "", "bad line (#1) in INI File\n", {}},
  };
  // clang-format on
  for (const OutcomeCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ignored;
    fs::remove(app_ / "ZERUDUD.ini", ignored);
    fs::remove(work_ / "p.prj", ignored);
    fs::remove(record_, ignored);
    write_settings(c.settings);
    if (c.project != nullptr) {
      write_file(work_ / "p.prj", c.project);
    }
    const Outcome got = run(c.args);
    EXPECT_EQ(got.status, exit_code(c.status));
    EXPECT_EQ(got.out, lines(c.out));
    EXPECT_EQ(got.err, lines(c.err));
    EXPECT_EQ(read_record(record_), record_of(c.tool));
  }
}

// Messages reach their streams in the order the checks make them: the settings file's lines
// before the missing-tool message.
TEST_F(E2e, SettingsLinesComeBeforeTheMissingToolMessage) {
  write_settings("bad\nZUD_OVOD_MUK = @TOOL@\n");
  write_file(work_ / "p.prj", "<cpu>PEXO\n");
  Launch launch({"p.prj"});
  launch.merged = true;
  const Outcome got = run(launch);
  EXPECT_EQ(got.status, exit_code(-6));
  EXPECT_EQ(got.out,
            lines("bad line (#1) in INI File\nTOOL NOT IDENTIFIED, CAN'T LAUNCH PROJECT\n"));
}

// The tool path is split into arguments by the Windows rules; the project path follows as one
// more argument exactly as it came. No shell ever sees either.
TEST_F(E2e, ToolReceivesItsSplitPathAndTheProject) {
  struct Case {
    const char* name;
    const char* tool;  // the value of the TOLV line
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {"quotes, blanks and a backslash",
       R"("@TOOL@" --flag "two words" back\slash)",
       {"@TOOL@", "--flag", "two words", R"(back\slash)"}},
      {"backslashes before quotes",
       R"(@TOOL@ a\"b "c\\" d\\\"e x"y z"w)",
       {"@TOOL@", R"(a"b)", R"(c\)", R"(d\"e)", "xy zw"}},
      {"an empty quoted argument", R"(@TOOL@ "" x)", {"@TOOL@", "", "x"}},
      {"shell syntax is plain text",
       "@TOOL@ $(touch x) ; `touch x` 'q'",
       {"@TOOL@", "$(touch", "x)", ";", "`touch", "x`", "'q'"}},
      {"a quoted program path with a blank",
       R"("@ROOT@/with blank/recorder" x)",
       {"@ROOT@/with blank/recorder", "x"}},
  };
  fs::create_directory_symlink(root_, root_ / "with blank");
  write_file(work_ / "p.prj", "<cpu>TOLV\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ignored;
    fs::remove(record_, ignored);
    write_settings((std::string("ZUD_OVOD_TOLV = ") + c.tool + "\n").c_str());
    const Outcome got = run(std::vector<std::string>{"p.prj"});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.err, "");
    std::vector<std::string> want = c.want;
    want.push_back("p.prj");
    EXPECT_EQ(read_record(record_), record_of(want, c.tool));
    EXPECT_FALSE(fs::exists(work_ / "x"));
  }
}

TEST_F(E2e, ProjectPathReachesTheToolUnchanged) {
  const char* const names[] = {
      "two words.prj",          R"(say "hi".prj)",     "$(touch x);touch x;`touch x`.prj",
      R"(back\slash\\" \.prj)", " -leading blank.prj", "@WORK@/an absolute path.prj",
  };
  write_settings("ZUD_OVOD_TOLV = @TOOL@\n");
  for (const char* const name : names) {
    SCOPED_TRACE(name);
    if (left_out(name)) {
      continue;
    }
    std::error_code ignored;
    fs::remove(record_, ignored);
    const std::string project = fill(name);
    write_file(work_ / host_path(project), "<cpu>TOLV\n");
    const Outcome got = run(std::vector<std::string>{project});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.err, "");
    EXPECT_EQ(read_record(record_), record_of({"@TOOL@", project}));
    EXPECT_FALSE(fs::exists(work_ / "x"));
  }
}

// The settings file is the one beside the launcher, however it was started, and never the one
// in the current directory (the decoy).
TEST_F(E2e, SettingsAreFoundBesideTheLauncher) {
  struct Case {
    const char* name;
    std::string argv0;
    bool through_path;
  };
  const Case cases[] = {
      {"by its full path", "", false},
      {"by a relative path from another folder",
       std::string("..") + kSeparator + "app" + kSeparator + kLauncherName, false},
      {"by its bare name through PATH", kLauncherName, true},
      {"by a bare name that is not its own", "launch", false},
      // Its directory is the current folder: the settings file would be the decoy if this
      // argument 0 were cut to fit and used.
      {"by an argument 0 of more than 511 characters",
       [] {
         std::string up;
         while (up.size() < 600) {
           up += '.';
           up += kSeparator;
         }
         return up + kLauncherName;
       }(),
       false},
  };
  write_settings(kSettings);
  write_file(work_ / "p.prj", "<cpu>TOLV\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ignored;
    fs::remove(record_, ignored);
    Launch launch({"p.prj"});
    launch.argv0 = c.argv0;
    launch.through_path = c.through_path;
    const Outcome got = run(launch);
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.err, "");
    EXPECT_EQ(read_record(record_), record_of({"@TOOL@", "tolv", "p.prj"}));
  }
}

// The command line is the tool path, a blank and the project path in double quotes; one that
// does not fit in 511 characters is reported and nothing is started.
TEST_F(E2e, CommandLineLimit) {
  struct Case {
    std::size_t length;
    int status;
  };
  const Case cases[] = {{511, 0}, {512, -3}, {700, -3}};
  write_settings("ZUD_OVOD_TOLV = @TOOL@\n");
  write_file(work_ / "p.prj", "<cpu>TOLV\n");
  const std::string name = argument_path(work_) + "/p.prj";
  const std::size_t shortest = settings_path(recorder_).size() + 2 + name.size() + 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    std::error_code ignored;
    fs::remove(record_, ignored);
    // Extra slashes stretch the project path without changing the file it names.
    const std::string project = std::string(c.length - shortest, '/') + name;
    ASSERT_EQ(settings_path(recorder_).size() + 2 + project.size() + 1, c.length);
    const Outcome got = run(std::vector<std::string>{project});
    EXPECT_EQ(got.status, exit_code(c.status));
    EXPECT_EQ(got.out, "");
    if (c.status == 0) {
      EXPECT_EQ(got.err, "");
      EXPECT_EQ(read_record(record_), record_of({"@TOOL@", project}));
    } else {
      EXPECT_EQ(got.err, lines("Command line too long (" + std::to_string(c.length) +
                               " characters), tool not started\n"));
      EXPECT_EQ(read_record(record_), record_of({}));
    }
  }
}

// The launcher ends as soon as the tool has started, not when the tool ends.
TEST_F(E2e, LauncherReturnsWhileTheToolRuns) {
  write_settings("ZUD_OVOD_TOLV = @TOOL@\n");
  write_file(work_ / "p.prj", "<cpu>TOLV\n");
  const fs::path release = root_ / "release";
  const fs::path done = root_ / "record.done";
  Launch launch({"p.prj"});
  launch.keep_tool = true;
  launch.env = {"ZERUDUD_E2E_RELEASE=" + argument_path(release)};
  const Outcome got = run(launch);
  EXPECT_EQ(got.status, 0);
  EXPECT_FALSE(fs::exists(done)) << "the tool had already ended";
  write_file(release, "");
  EXPECT_TRUE(end_group(groups_.back(), kToolLimit)) << "the tool did not end";
  EXPECT_TRUE(fs::exists(done));
  EXPECT_EQ(read_record(record_), record_of({"@TOOL@", "p.prj"}));
}

// The key wait, in a pseudo-terminal.
//
// The terminal's session leader is a small wrapper, forked from this process, that runs the
// launcher, waits for it and for anything it left running, and then reports: how the launcher
// ended, whether the terminal's modes were left as they were found, and what input was still
// unread (read with a short timeout). Under Wine a terminal gives the program a console, whose
// host process (conhost.exe) reads the keys, draws the text and sets the terminal's modes; it
// ends after the launcher, and the wrapper, as its subreaper, waits for it too.
struct TerminalReport {
  int wait_status;
  int modes_restored;
  int left_size;
  char left[64];
};

bool same_modes(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

[[noreturn]] void run_wrapper(const char* program, char* const* argv, bool stdin_null,
                              int report_fd) {
  // A handler, unlike SIG_IGN, is reset by exec: the launcher keeps the default action, so a
  // Ctrl+C that still raised SIGINT would kill the launcher but not the wrapper.
  struct sigaction survive = {};
  survive.sa_handler = [](int) {};
  ::sigaction(SIGINT, &survive, nullptr);
  ::prctl(PR_SET_CHILD_SUBREAPER, 1);
  termios before = {};
  termios after = {};
  ::tcgetattr(STDIN_FILENO, &before);
  TerminalReport report = {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = stdin_null ? ::open("/dev/null", O_RDONLY) : -1;
    if (null >= 0) {
      ::dup2(null, STDIN_FILENO);
    }
    ::execv(program, argv);
    ::_exit(127);
  }
  while (::waitpid(pid, &report.wait_status, 0) < 0 && errno == EINTR) {
  }
  while (::waitpid(-1, nullptr, 0) > 0 || errno == EINTR) {
  }
  ::tcgetattr(STDIN_FILENO, &after);
  report.modes_restored = same_modes(before, after);
  termios drain = after;
  drain.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  drain.c_cc[VMIN] = 0;
  drain.c_cc[VTIME] = 3;
  ::tcsetattr(STDIN_FILENO, TCSANOW, &drain);
  ssize_t got = 0;
  while (report.left_size < static_cast<int>(sizeof report.left) &&
         (got = ::read(STDIN_FILENO, report.left + report.left_size,
                       sizeof report.left - static_cast<std::size_t>(report.left_size))) > 0) {
    report.left_size += static_cast<int>(got);
  }
  const bool sent = ::write(report_fd, &report, sizeof report) == sizeof report;
  ::_exit(sent ? 0 : 1);
}

TEST_F(E2e, KeyWaitInATerminal) {
  struct Case {
    const char* name;
    std::string_view key;
    std::string_view key_rest;  // typed 20 ms after `key`
    bool stdin_null;            // the wait must not read standard input
  };
  const Case cases[] = {
      {"a letter", "a", "", false},
      {"a letter, standard input from /dev/null", "a", "", true},
      {"an arrow key", "\x1b[A", "", false},
      {"an arrow key arriving in two parts", "\x1b", "[A", false},
      {"Ctrl+C", "\x03", "", false},
      {"Ctrl+S", "\x13", "", false},
  };
  write_settings("ZUD_OVOD_MUK = @TOOL@\n");
  write_file(work_ / "p.prj", "<cpu>TOLV\n");
  Command started = command(launcher_, "", false, {"p.prj"});
  std::vector<char*> argp = pointers(started.argv);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (left_out(c.name)) {
      continue;
    }
    int report_pipe[2];
    ASSERT_EQ(::pipe2(report_pipe, O_CLOEXEC), 0);
    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
      if (::chdir(work_.c_str()) != 0) {
        ::_exit(126);
      }
      run_wrapper(started.program.c_str(), argp.data(), c.stdin_null, report_pipe[1]);
    }
    ::close(report_pipe[1]);
    ASSERT_GT(pid, 0) << std::strerror(errno);
    groups_.push_back(pid);
    struct Closer {
      int a, b;
      ~Closer() {
        ::close(a);
        ::close(b);
      }
    } closer{master, report_pipe[0]};
    std::string screen;
    const auto read_screen = [&](std::chrono::milliseconds within) {
      return readable(master, within) && take(master, screen);
    };

    // Keys typed before the launcher has set up its wait would meet the terminal's line
    // editing and signal keys, so the test types only once the terminal has left line mode.
    // (Wine's console host leaves it when it starts; keys typed from then on wait in the
    // console's input queue.)
    const auto deadline = Clock::now() + kRunLimit;
    termios modes = {};
    while (Clock::now() < deadline && !readable(report_pipe[0], 0ms) &&
           (::tcgetattr(master, &modes) != 0 || (modes.c_lflag & ICANON) != 0)) {
      read_screen(10ms);
    }
    ASSERT_EQ(modes.c_lflag & ICANON, 0u) << "the wait never began";
    ASSERT_FALSE(readable(report_pipe[0], 300ms)) << "the launcher ended without a key";
    ASSERT_EQ(::write(master, c.key.data(), c.key.size()), static_cast<ssize_t>(c.key.size()));
    if (!c.key_rest.empty()) {
      std::this_thread::sleep_for(20ms);
      ASSERT_EQ(::write(master, c.key_rest.data(), c.key_rest.size()),
                static_cast<ssize_t>(c.key_rest.size()));
    }
    ASSERT_TRUE(readable(report_pipe[0], 5000ms)) << "the key did not end the wait";
    TerminalReport report = {};
    ASSERT_EQ(::read(report_pipe[0], &report, sizeof report), static_cast<ssize_t>(sizeof report));
    // Once everything on the terminal has ended, reading its master fails.
    while (read_screen(2000ms)) {
    }
    EXPECT_TRUE(end_group(pid, kToolLimit));

    EXPECT_EQ(exit_code_of(report.wait_status), exit_code(-6));
    EXPECT_EQ(std::string(report.left, static_cast<std::size_t>(report.left_size)), "")
        << "input left unread after the key";
    EXPECT_TRUE(report.modes_restored) << "terminal modes not restored";
    // The terminal turns the line feed into a carriage return and a line feed; the key is not
    // echoed.
    EXPECT_EQ(on_screen(screen), "TOOL NOT IDENTIFIED, CAN'T LAUNCH PROJECT\r\n");
  }
}

}  // namespace
