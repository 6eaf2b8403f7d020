// The harness of the end-to-end tests of the built launcher. Each case makes a fresh folder
// holding a copy of the launcher with its settings file, a project and the recorder tool, runs
// the copy as a user would, and checks the exit status, every byte of standard output and
// standard error, and what the tool received.
//
// The folder of a case:
//   app/zerudud, app/ZERUDUD.ini   the launcher and its settings
//   recorder, record               the tool, and what it writes down when started
//   work/                          the current directory: the projects, and a decoy
//                                  ZERUDUD.ini whose tools all get the extra argument "decoy",
//                                  so a run that reads the settings from there shows it
//
// On Linux, ZERUDUD_E2E_RUN_PREFIX may name a program, with its options, separated by blanks,
// that runs each launcher run in its stead, such as valgrind; the harness hands it the
// launcher's path (or bare name) and arguments, and allows each run more time.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <pwd.h>
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

namespace zerudud_e2e {

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
// The null device, as a project path names it.
constexpr const char* kNullDevice = "NUL";
// Wine runs only for the user who owns its prefix, so no run can be made as another user.
constexpr bool kRunsAsAnotherUser = false;

// Wine runs the launcher itself, with no program in front of it.
inline const std::vector<std::string>& run_prefix() {
  static const std::vector<std::string> none;
  return none;
}

// Wine's own settings for every run. Its desktop process (explorer.exe) is left out: no
// launcher run needs it, and when the first console on a terminal started it, that desktop
// inherited the terminal and now and then kept the typed key from the console.
inline const std::vector<std::pair<const char*, const char*>> kEnvironment = {
    {"WINEPREFIX", kWinePrefix}, {"WINEDEBUG", "-all"}, {"WINEDLLOVERRIDES", "explorer.exe=d"}};

inline const std::vector<NotHere> kNotHere = {
    {R"(say "hi".prj)", "a Windows file name cannot hold a double quote"},
    {R"(back\slash\\" \.prj)",
     "a Windows file name cannot hold a double quote, and its backslashes separate folders"},
    {"CommandLineLimit",
     "the ANSI file interfaces of Windows open no path of more than 260 characters (MAX_PATH) "
     "and a tool path holds at most 238, so a command line never reaches 512 characters"},
    {"LongestProjectPathThatOpens",
     "the longest path that opens is the 4,095 bytes of Linux; the ANSI file interfaces of "
     "Windows open none of more than 260 characters, and CommandLineLimit covers those"},
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
inline std::string not_ready() {
  if (fs::exists(fs::path(kWinePrefix) / "session")) {
    return {};
  }
  return std::string("no Wine session in ") + kWinePrefix +
         "; run these tests through ctest, or first: tests/windows/wine_session.sh start " +
         kWinePrefix;
}

// A path as Windows programs under Wine see it, through drive Z:.
inline std::string windows_path(const fs::path& path) {
  std::string out = "Z:" + fs::absolute(path).lexically_normal().string();
  for (char& c : out) {
    if (c == '/') {
      c = '\\';
    }
  }
  return out;
}

inline std::string settings_path(const fs::path& path) {
  return windows_path(path);
}

inline std::string argument_path(const fs::path& path) {
  return windows_path(path);
}

// The Linux file that a path of a command line names.
inline fs::path host_path(std::string_view path) {
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
inline Command command(const fs::path& launcher, const std::string& argv0, bool through_path,
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
inline std::string search_path_with(const fs::path& folder) {
  return "WINEPATH=" + windows_path(folder);
}

// What a terminal shows of Wine's console output, which draws the text one character at a
// time between escape sequences: each "move right by N" is N blanks, other sequences show
// nothing, and of two carriage returns in a row only the second counts.
inline std::string on_screen(std::string_view raw) {
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
constexpr const char* kNullDevice = "/dev/null";
constexpr bool kRunsAsAnotherUser = true;
inline const std::vector<std::pair<const char*, const char*>> kEnvironment = {};

// The program, and its options, that runs each launcher run: ZERUDUD_E2E_RUN_PREFIX split at
// blanks. Empty when it is not set: the launcher then runs by itself.
inline const std::vector<std::string>& run_prefix() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> out;
    const char* const text = std::getenv("ZERUDUD_E2E_RUN_PREFIX");
    std::string word;
    for (const char* at = text != nullptr ? text : "";; ++at) {
      if (*at != ' ' && *at != '\0') {
        word += *at;
        continue;
      }
      if (!word.empty()) {
        out.push_back(word);
        word.clear();
      }
      if (*at == '\0') {
        return out;
      }
    }
  }();
  return words;
}

// A run prefix starts the launcher by the path or name that it is given, and that is argument 0
// too, so argument 0 cannot name another file.
constexpr std::string_view kArgument0Reason =
    "argument 0 names another file than the launcher's, which a run prefix cannot start";
// posix_spawn starts the tool with a clone that shares the launcher's memory, through which the
// child reports an exec that fails; valgrind turns that clone into a plain fork, so such a start
// looks successful to the launcher.
constexpr std::string_view kFailedExecReason =
    "under a run prefix such as valgrind, an exec that fails in posix_spawn's child is not "
    "reported back, and the start looks successful";
inline const std::vector<NotHere> kNotHere =
    run_prefix().empty() ? std::vector<NotHere>{}
                         : std::vector<NotHere>{
                               {"by a bare name that is not its own", kArgument0Reason},
                               {"by an argument 0 of more than 511 characters", kArgument0Reason},
                               {"a tool path naming a missing program", kFailedExecReason},
                               {"a bare tool name not on PATH", kFailedExecReason},
                               {"a tool path naming a folder", kFailedExecReason},
                           };

inline std::string not_ready() {
  return {};
}

// A path as the settings file names it.
inline std::string settings_path(const fs::path& path) {
  return path.string();
}

// A path as the launcher's command line gives it and the tool's record shows it.
inline std::string argument_path(const fs::path& path) {
  return path.string();
}

// The file that a path of the launcher's command line names.
inline fs::path host_path(std::string_view path) {
  return path;
}

// Runs the launcher's copy, or, with `through_path`, the program that the bare name `argv0`
// finds on PATH. A run prefix is given the launcher by argument 0, which must then name it.
inline Command command(const fs::path& launcher, const std::string& argv0, bool through_path,
                       const std::vector<std::string>& args) {
  const std::string name = argv0.empty() ? launcher.string() : argv0;
  Command out{through_path ? argv0 : launcher.string(), {name}};
  if (!run_prefix().empty()) {
    out = {run_prefix().front(), run_prefix()};
    out.argv.push_back(name);
  }
  out.argv.insert(out.argv.end(), args.begin(), args.end());
  return out;
}

// The setting that puts `folder` first on PATH.
inline std::string search_path_with(const fs::path& folder) {
  const char* const path = std::getenv("PATH");
  return "PATH=" + folder.string() + ":" + (path != nullptr ? path : "/usr/bin:/bin");
}

// What the terminal shows of the launcher's output: the bytes themselves.
inline std::string on_screen(std::string_view raw) {
  return std::string(raw);
}

#endif

// The exit code that a launcher status becomes for its parent: the low eight bits.
inline int exit_code(int status) {
  return status & 0xFF;
}

// Why the case `name` cannot apply on this platform; empty when it can.
inline std::string_view not_here(std::string_view name) {
  for (const NotHere& skip : kNotHere) {
    if (skip.name == name) {
      return skip.reason;
    }
  }
  return {};
}

// Whether the case `name` of a table is left out here; says so, with the reason.
inline bool left_out(std::string_view name) {
  const std::string_view reason = not_here(name);
  if (!reason.empty()) {
    // Not in GoogleTest's own words for a skipped test, which CTest would take for the whole.
    std::printf("[ SKIP CASE ] %.*s: %.*s\n", static_cast<int>(name.size()), name.data(),
                static_cast<int>(reason.size()), reason.data());
  }
  return !reason.empty();
}

// How long a run may take before it counts as hung and is killed; a run prefix such as
// valgrind makes runs many times slower.
constexpr auto kRunLimit = 10s;
inline Clock::duration run_limit() {
  return run_prefix().empty() ? kRunLimit : 6 * kRunLimit;
}
// The recorder holds on for at most ten seconds; this leaves room beyond that.
constexpr auto kToolLimit = 15s;

inline std::string lines(std::string_view text) {
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

inline std::string replace_all(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

inline void write_file(const fs::path& path, std::string_view text) {
  std::FILE* const file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  std::fwrite(text.data(), 1, text.size(), file);
  ASSERT_EQ(std::fclose(file), 0) << path;
}

// The entries of the recorder's file, "cwd TEXT" and "arg TEXT", one per item; empty when the
// tool never ran. Each item is read by its byte count, so any bytes come back exactly.
inline std::vector<std::string> read_record(const fs::path& path) {
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
inline bool take(int fd, std::string& to) {
  char buffer[4096];
  const ssize_t got = ::read(fd, buffer, sizeof buffer);
  if (got > 0) {
    to.append(buffer, static_cast<std::size_t>(got));
    return true;
  }
  return got < 0 && (errno == EINTR || errno == EAGAIN);
}

inline bool readable(int fd, std::chrono::milliseconds within) {
  pollfd watch = {fd, POLLIN, 0};
  return ::poll(&watch, 1, static_cast<int>(within.count())) > 0;
}

// Reaps every process of `group` that is a child of this one, waiting at most `wait` for them
// to end before killing the rest. Only groups with a live or unreaped member are signalled, so
// a process group id that the system has handed out again is never hit. Returns whether they
// all ended by themselves.
inline bool end_group(pid_t group, Clock::duration wait) {
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
inline int exit_code_of(int wait_status) {
  return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 256 + WTERMSIG(wait_status);
}

inline std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> out;
  for (std::string& text : texts) {
    out.push_back(text.data());
  }
  out.push_back(nullptr);
  return out;
}

// A user account to run the launcher as.
struct Account {
  uid_t uid;
  gid_t gid;
};

struct Launch {
  Launch(std::vector<std::string> arguments) : args(std::move(arguments)) {}
  std::vector<std::string> args;     // argument 1 on
  std::string argv0;                 // empty: the full path of the launcher's copy
  bool through_path = false;         // look argv0 up on PATH, with the launcher's folder first
  bool merged = false;               // standard error into the standard output pipe
  bool keep_tool = false;            // return while the tool that was started still runs
  std::vector<std::string> env;      // NAME=value, for the launcher and its tool
  const Account* account = nullptr;  // run as this user (this process must be root); null: as is
};

struct Outcome {
  int status = -1;  // the exit code; 256 + signal when killed by one; -1 when it hung
  std::string out;
  std::string err;
  Clock::duration took{};  // from the start of the run to the end of the launcher
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
      const Account* const account = launch.account;
      if (account != nullptr && (::setgroups(0, nullptr) != 0 || ::setgid(account->gid) != 0 ||
                                 ::setuid(account->uid) != 0)) {
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
    const auto start = Clock::now();
    const auto deadline = start + run_limit();
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
    outcome.took = Clock::now() - start;
    for (int i = 0; i < 2; ++i) {
      while (pipes[i].fd >= 0 && readable(pipes[i].fd, 0ms) && take(pipes[i].fd, *into[i])) {
      }
    }
    ::close(out_pipe[0]);
    ::close(err_pipe[0]);
    if (ended) {
      outcome.status = exit_code_of(wait_status);
    } else {
      ADD_FAILURE() << "the launcher did not end within "
                    << std::chrono::duration_cast<std::chrono::seconds>(run_limit()).count()
                    << " s";
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

inline const char* const kSettings =
    "ZUD_OVOD_TOLV = @TOOL@ tolv\n"
    "ZUD_OVOD_MUK = @TOOL@ muk\n"
    "ZUD_OVOD_PEXO = @TOOL@ pexo\n";

inline constexpr const char* kNoSettingsLines =
    "INI File ZERUDUD.ini Not Found!\n"
    "Can't Read INI File.\n"
    "PROBLEM READING .INI FILE, 'ZERUDUD.ini'.\n";

}  // namespace zerudud_e2e
