// End-to-end tests of the launcher's outcomes and behaviour, through the harness in
// e2e_harness.hpp.
#include "e2e_harness.hpp"

namespace zerudud_e2e {
namespace {

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
    if (left_out(c.name)) {
      continue;
    }
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
      // Too long for the buffer, but it names the launcher's copy itself.
      {"by a full path of 4,000 characters",
       [this] {
         std::string path = argument_path(app_);
         const std::string name = kSeparator + std::string(kLauncherName);
         while (path.size() + name.size() < 4000) {
           path += path.size() + name.size() == 3999 ? std::string{kSeparator}
                                                     : std::string{kSeparator, '.'};
         }
         return path + name;
       }(),
       false},
  };
  write_settings(kSettings);
  write_file(work_ / "p.prj", "<cpu>TOLV\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (left_out(c.name)) {
      continue;
    }
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
    ::execvp(program, argv);
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
    const auto deadline = Clock::now() + run_limit();
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

}  // namespace zerudud_e2e
