// End-to-end runs on hostile input: project and settings paths that name no ordinary file,
// huge files and lines, overlong paths, odd bytes in the settings, and tools that fail. Every
// run must end within its time limit with its own status and exact output, start no tool unless
// the case names one (and then with exactly the arguments it names), and leave the case's
// folder as it found it.
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <optional>

#include "e2e_harness.hpp"

namespace zerudud_e2e {
namespace {

// Every file and folder in `root` by its path relative to it, but the tool's record.
std::vector<std::string> listing(const fs::path& root) {
  std::vector<std::string> out;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = entry.path().lexically_relative(root).string();
    if (name != "record") {
      out.push_back(name);
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

class Hostile : public E2e {
 protected:
  // run(), and a check that the run added, removed and renamed nothing in the case's folder.
  Outcome run_clean(const Launch& launch) {
    const std::vector<std::string> before = listing(root_);
    Outcome got = run(launch);
    EXPECT_EQ(listing(root_), before) << "the run left its folder changed";
    return got;
  }

  void forget_record() {
    std::error_code ignored;
    fs::remove(record_, ignored);
  }
};

void make_folder_project(const fs::path& root) {
  fs::create_directory(root / "work" / "folder.prj");
}

void make_fifo_project(const fs::path& root) {
  ASSERT_EQ(::mkfifo((root / "work" / "fifo.prj").c_str(), 0644), 0) << std::strerror(errno);
}

void make_settings_folder(const fs::path& root) {
  fs::remove(root / "app" / "ZERUDUD.ini");
  fs::create_directory(root / "app" / "ZERUDUD.ini");
}

// A zero byte hides the rest of its piece; a Ctrl-Z ends the file, here in the middle of a
// line, so the PEXO path is cut there and the MUK line after it is never read.
using namespace std::string_literals;
const std::string kZeroAndCtrlZ =
    "\0ZUD_OVOD_MUK = @TOOL@ hidden\n"
    "ZUD_OVOD_TOLV = @TOOL@ tolv\0 hidden\n"
    "ZUD_OVOD_MUK = @TOOL@ muk\n"
    "ZUD_OVOD_PEXO = @TOOL@ pe\x1axo\n"
    "ZUD_OVOD_MUK = @TOOL@ late\n"s;

struct HostileCase {
  const char* name;
  std::string settings;                // app/ZERUDUD.ini, any bytes
  std::optional<std::string> project;  // work/p.prj; none when nullopt
  std::string argument;                // the project path
  void (*make)(const fs::path& root);  // makes more of the case's folder; may be null
  std::vector<std::string> env;
  int status;
  std::string out;
  std::string err;
  std::vector<std::string> tool;  // what the tool received, argv[0] on; empty: not started
};

TEST_F(Hostile, EachEndsWithItsOutcome) {
  // Long enough that no platform opens it; the file it would name, if it were cut or
  // rewritten, is the tagged p.prj or the folder itself.
  std::string long_path;
  while (long_path.size() + 7 < 10000) {
    long_path += std::string{'.', kSeparator};
  }
  long_path += std::string(10000 - 5 - long_path.size(), kSeparator) + "p.prj";
  // A 3 MiB line of 254-character pieces, each with a "<cpu>" that is no tag, then the tag at
  // the start of a piece: the scan runs through 48 blocks.
  std::string long_line;
  for (int i = 0; i < 12384; ++i) {
    long_line += std::string(249, 'x') + "<cpu>";
  }
  long_line += "<cpu>MUK\n";
  const std::string error_opening = "Error opening file ''";
  // clang-format off
  const HostileCase cases[] = {
      // name, settings, project, argument, make, environment, status, out, err, tool
      {"the project path names a folder", kSettings, std::nullopt, "folder.prj",
       make_folder_project, {}, -2, "", error_opening + "folder.prj''\n", {}},
      {"the project is the null device", kSettings, std::nullopt, kNullDevice, nullptr, {}, 1,
       "", "", {}},
      {"the project is a FIFO without a writer", kSettings, std::nullopt, "fifo.prj",
       make_fifo_project, {}, 1, "", "", {}},
      {"the settings file is a folder", "", "<cpu>TOLV\n", "p.prj", make_settings_folder, {},
       -5, "", kNoSettingsLines, {}},
      {"a project path of 10,000 characters", kSettings, "<cpu>TOLV\n", long_path, nullptr, {},
       -2, "", error_opening + long_path + "''\n", {}},
      {"a 3 MiB line with the tag at its end", kSettings, long_line, "p.prj", nullptr, {}, 0,
       "", "", {"@TOOL@", "muk", "p.prj"}},
      {"zero bytes and a Ctrl-Z in the settings, a TOLV project", kZeroAndCtrlZ,
       "<cpu>TOLV\n", "p.prj", nullptr, {}, 0, "", "bad line (#1) in INI File\n",
       {"@TOOL@", "tolv", "p.prj"}},
      {"zero bytes and a Ctrl-Z in the settings, a MUK project", kZeroAndCtrlZ,
       "<cpu>MUK\n", "p.prj", nullptr, {}, 0, "", "bad line (#1) in INI File\n",
       {"@TOOL@", "muk", "p.prj"}},
      {"zero bytes and a Ctrl-Z in the settings, a PEXO project", kZeroAndCtrlZ,
       "<cpu>PEXO\n", "p.prj", nullptr, {}, 0, "", "bad line (#1) in INI File\n",
       {"@TOOL@", "pe", "p.prj"}},
      // The launcher has ended before the tool fails.
      {"a tool that fails at once", "ZUD_OVOD_TOLV = @TOOL@\n", "<cpu>TOLV\n", "p.prj",
       nullptr, {"ZERUDUD_E2E_EXIT=3"}, 0, "", "", {"@TOOL@", "p.prj"}},
  };
  // clang-format on
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (left_out(c.name)) {
      continue;
    }
    std::error_code ignored;
    fs::remove_all(app_ / "ZERUDUD.ini", ignored);
    for (const char* const name : {"p.prj", "folder.prj", "fifo.prj"}) {
      fs::remove(work_ / name, ignored);
    }
    forget_record();
    write_file(app_ / "ZERUDUD.ini", fill(c.settings));
    if (c.project) {
      write_file(work_ / "p.prj", *c.project);
    }
    if (c.make != nullptr) {
      c.make(root_);
    }
    Launch launch({c.argument});
    launch.env = c.env;
    const Outcome got = run_clean(launch);
    EXPECT_EQ(got.status, exit_code(c.status));
    EXPECT_EQ(got.out, lines(c.out));
    EXPECT_EQ(got.err, lines(c.err));
    EXPECT_EQ(read_record(record_), record_of(c.tool));
  }
}

TEST_F(Hostile, ProjectDeletedBetweenRuns) {
  write_settings("ZUD_OVOD_TOLV = @TOOL@\n");
  write_file(work_ / "p.prj", "<cpu>TOLV\n");
  Outcome got = run_clean(std::vector<std::string>{"p.prj"});
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(read_record(record_), record_of({"@TOOL@", "p.prj"}));
  forget_record();
  fs::remove(work_ / "p.prj");
  got = run_clean(std::vector<std::string>{"p.prj"});
  EXPECT_EQ(got.status, exit_code(-2));
  EXPECT_EQ(got.out, "");
  EXPECT_EQ(got.err, lines("Error opening file ''p.prj''\n"));
  EXPECT_EQ(read_record(record_), record_of({}));
}

// Whether `account` has each access (access() modes) to its path in `needs`.
bool usable_by(const Account& account, const std::vector<std::pair<fs::path, int>>& needs) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(account.gid) != 0 || ::setuid(account.uid) != 0) {
      ::_exit(1);
    }
    for (const auto& [path, mode] : needs) {
      if (::access(path.c_str(), mode) != 0) {
        ::_exit(1);
      }
    }
    ::_exit(0);
  }
  int status = 0;
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// A project that the user cannot read fails to open like a missing one. Root reads every file,
// so as root the launcher runs as the user "nobody", first with the project readable.
TEST_F(Hostile, UnreadableProject) {
  write_settings("ZUD_OVOD_TOLV = @TOOL@\n");
  write_file(work_ / "p.prj", "<cpu>TOLV\n");
  write_file(record_, "");
  Account nobody = {};
  Launch launch({"p.prj"});
  if (::geteuid() == 0) {
    if (!kRunsAsAnotherUser) {
      GTEST_SKIP() << "root reads every file, and Wine runs only for the user who owns its "
                      "prefix, so the launcher cannot run as another user";
    }
    const passwd* const user = ::getpwnam("nobody");
    if (user == nullptr) {
      GTEST_SKIP() << "there is no user \"nobody\" to run the launcher as";
    }
    nobody = {user->pw_uid, user->pw_gid};
    launch.account = &nobody;
    using fs::perms;
    for (const fs::path& folder : {root_, app_, work_}) {
      fs::permissions(folder, perms::owner_all | perms::group_read | perms::group_exec |
                                  perms::others_read | perms::others_exec);
    }
    fs::permissions(app_ / "ZERUDUD.ini", perms::owner_read | perms::group_read |
                                              perms::others_read | perms::owner_write);
    fs::permissions(record_,
                    perms::all & ~(perms::owner_exec | perms::group_exec | perms::others_exec));
    if (!usable_by(nobody, {{launcher_, X_OK},
                            {recorder_, X_OK},
                            {app_ / "ZERUDUD.ini", R_OK},
                            {record_, W_OK}})) {
      GTEST_SKIP() << "the user \"nobody\" cannot reach the files in " << root_;
    }
  }
  Outcome got = run_clean(launch);
  EXPECT_EQ(got.status, 0) << "cannot run the launcher as another user here";
  EXPECT_EQ(read_record(record_), record_of({"@TOOL@", "p.prj"}));

  write_file(record_, "");
  fs::permissions(work_ / "p.prj", fs::perms::none);
  if (launch.account == nullptr && ::access((work_ / "p.prj").c_str(), R_OK) == 0) {
    GTEST_SKIP() << "this user reads files without read permission";
  }
  got = run_clean(launch);
  EXPECT_EQ(got.status, exit_code(-2));
  EXPECT_EQ(got.out, "");
  EXPECT_EQ(got.err, lines("Error opening file ''p.prj''\n"));
  EXPECT_EQ(read_record(record_), record_of({}));
}

// A project of 1 GiB without a line feed or a tag is scanned to its end within the run's time
// limit. The time of each run is printed.
TEST_F(Hostile, GigabyteProjectWithoutLineFeed) {
  constexpr off_t kSize = off_t{1} << 30;
  struct Case {
    const char* name;
    char fill;  // zero: a sparse file, which reads as zero bytes
  };
  const Case cases[] = {{"zero bytes, a sparse file", '\0'}, {"the letter x", 'x'}};
  write_settings(kSettings);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path project = work_ / "huge.prj";
    const int fd = ::open(project.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    if (c.fill == '\0') {
      ASSERT_EQ(::ftruncate(fd, kSize), 0) << std::strerror(errno);
    } else {
      const std::string chunk(std::size_t{8} << 20, c.fill);
      for (off_t at = 0; at < kSize; at += static_cast<off_t>(chunk.size())) {
        ASSERT_EQ(::pwrite(fd, chunk.data(), chunk.size(), at), static_cast<ssize_t>(chunk.size()))
            << std::strerror(errno);
      }
    }
    ASSERT_EQ(::close(fd), 0);
    const Outcome got = run_clean(std::vector<std::string>{"huge.prj"});
    EXPECT_EQ(got.status, 1);
    EXPECT_EQ(got.out, "");
    EXPECT_EQ(got.err, "");
    EXPECT_EQ(read_record(record_), record_of({}));
    std::printf("[ TIMING    ] 1 GiB project, %s: %lld ms\n", c.name,
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(got.took).count()));
    fs::remove(project);
  }
}

// A settings line of 1 MiB and its line feed arrives in pieces of 511 characters, each counted
// as a line: 2,052 pieces too long, then a faulty piece of five characters. The path line
// after it is piece 2,054 and still counts.
TEST_F(Hostile, SettingsLineOfOneMebibyte) {
  constexpr std::size_t kLine = std::size_t{1} << 20;
  constexpr int kLongPieces = 2052;
  static_assert(kLongPieces * 511 + 5 == kLine + 1);
  write_file(app_ / "ZERUDUD.ini", std::string(kLine, 'x') + fill("\nZUD_OVOD_TOLV = @TOOL@\n"));
  write_file(work_ / "p.prj", "<cpu>TOLV\n");
  std::string want;
  for (int piece = 1; piece <= kLongPieces; ++piece) {
    want += "Line too long (#" + std::to_string(piece) + ") in INI File\n";
  }
  want += "bad line (#" + std::to_string(kLongPieces + 1) + ") in INI File\n";
  const Outcome got = run_clean(std::vector<std::string>{"p.prj"});
  EXPECT_EQ(got.status, 0);
  EXPECT_EQ(got.out, "");
  const std::string first_lines =
      lines("Line too long (#1) in INI File\nLine too long (#2) in INI File\n");
  EXPECT_EQ(got.err.substr(0, first_lines.size()), first_lines);
  EXPECT_EQ(std::count(got.err.begin(), got.err.end(), '\n'), kLongPieces + 1);
  EXPECT_TRUE(got.err == lines(want)) << "the messages differ from the expected sequence";
  EXPECT_EQ(read_record(record_), record_of({"@TOOL@", "p.prj"}));
}

// The longest path that opens on Linux (PATH_MAX - 1 bytes) opens, and with any tool path the
// command line is too long: it is reported and nothing starts. One byte more and the path
// fails to open.
TEST_F(Hostile, LongestProjectPathThatOpens) {
  struct Case {
    std::size_t length;
    int status;
  };
  const Case cases[] = {{PATH_MAX - 1, -3}, {PATH_MAX, -2}};
  write_settings("ZUD_OVOD_TOLV = @TOOL@\n");
  write_file(work_ / "p.prj", "<cpu>TOLV\n");
  const std::string name = argument_path(work_) + "/p.prj";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    forget_record();
    // Extra slashes stretch the path without changing the file it names.
    const std::string project = std::string(c.length - name.size(), '/') + name;
    const int fd = ::open(project.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(fd >= 0, c.status == -3) << "this system opens paths of other lengths";
    if (fd >= 0) {
      ::close(fd);
    }
    const Outcome got = run_clean(std::vector<std::string>{project});
    EXPECT_EQ(got.status, exit_code(c.status));
    EXPECT_EQ(got.out, "");
    const std::size_t command_line = settings_path(recorder_).size() + 2 + project.size() + 1;
    EXPECT_EQ(got.err, c.status == -3
                           ? lines("Command line too long (" + std::to_string(command_line) +
                                   " characters), tool not started\n")
                           : lines("Error opening file ''" + project + "''\n"));
    EXPECT_EQ(read_record(record_), record_of({}));
  }
}

}  // namespace
}  // namespace zerudud_e2e
