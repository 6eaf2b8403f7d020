#include "tool_paths/tool_paths.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <utility>

namespace zerudud {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

// The three fields after a read, and every byte written to standard error.
struct Want {
  Want(std::string tolv_ = "", std::string muk_ = "", std::string pexo_ = "", std::string err_ = "")
      : tolv(std::move(tolv_)),
        muk(std::move(muk_)),
        pexo(std::move(pexo_)),
        err(std::move(err_)) {}
  std::string tolv;
  std::string muk;
  std::string pexo;
  std::string err;
};

void expect_fields(const Want& want) {
  EXPECT_EQ(tool_path(kTolv), want.tolv);
  EXPECT_EQ(tool_path(kMuk), want.muk);
  EXPECT_EQ(tool_path(kPexo), want.pexo);
}

struct SettingsCase {
  const char* name;
  std::string ini;
  Want want;
};

// Reads each case's text from memory into freshly emptied fields and checks the three fields
// and every byte written to standard error.
void run_cases(const SettingsCase* begin, const SettingsCase* end) {
  const auto reader = std::make_unique<text::Reader>();
  for (const SettingsCase* c = begin; c != end; ++c) {
    SCOPED_TRACE(c->name);
    std::memset(tool_paths, 0, sizeof tool_paths);
    text::open_memory(*reader, c->ini);
    testing::internal::CaptureStderr();
    read_settings(*reader);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c->want.err);
    expect_fields(c->want);
  }
}

template <std::size_t N>
void run_cases(const SettingsCase (&cases)[N]) {
  run_cases(cases, cases + N);
}

std::string bad(int line) {
  return "bad line (#" + std::to_string(line) + ") in INI File\n";
}

std::string too_long(int line) {
  return "Line too long (#" + std::to_string(line) + ") in INI File\n";
}

TEST(ReadSettings, LinesAndTheirNumbers) {
  const SettingsCase cases[] = {
      {"empty file", "", {}},
      {"all three families",
       "ZUD_OVOD_TOLV = C:\\t\\tolv.exe\nZUD_OVOD_MUK = m -x\nZUD_OVOD_PEXO = \"C:\\p q\\p.exe\"\n",
       {"C:\\t\\tolv.exe", "m -x", "\"C:\\p q\\p.exe\""}},
      {"comments and blank lines count",
       "# one\n\nZUD_OVOD_MUK = m\n#\nfaulty\n",
       {"", "m", "", bad(2) + bad(5)}},
      {"a '#' after the first column makes no comment", " # no\n", {"", "", "", bad(1)}},
      {"an indented path line is faulty",
       " ZUD_OVOD_TOLV = t\n\tZUD_OVOD_MUK = m\n",
       {"", "", "", bad(1) + bad(2)}},
      {"the prefix in other letter case is faulty",
       "zud_ovod_TOLV = t\nZud_Ovod_MUK = m\nZUD_OVOD_pexo = p\n",
       {"", "", "", bad(1) + bad(2)}},
      {"the key in other letter case matches nothing", "ZUD_OVOD_Tolv = t\n", {}},
      {"blanks and tabs between prefix and key are skipped",
       "ZUD_OVOD_ TOLV = t\nZUD_OVOD_\t \tPEXO = p\n",
       {"t", "", "p"}},
      {"a prefix without a key is faulty",
       "ZUD_OVOD_\nZUD_OVOD_ \t \nZUD_OVOD_",
       {"", "", "", bad(1) + bad(2) + bad(3)}},
      {"faulty lines do not stop the reading",
       "ZUD_OVOD_TOLV = t\nx\nZUD_OVOD_MUK = m\n",
       {"t", "m", "", bad(2)}},
      {"an unknown key is passed over silently", "ZUD_OVOD_FOO = f\nZUD_OVOD_TOLVX = x\n", {}},
      {"a key of 19 characters matches nothing", "ZUD_OVOD_TOLVxxxxxxxxxxxxxxx = k\n", {}},
      {"a key of 20 characters that starts with TOLV matches nothing",
       "ZUD_OVOD_TOLVxxxxxxxxxxxxxxxx = k\n",
       {}},
      {"a key far too long leaves the next line intact",
       "ZUD_OVOD_" + std::string(200, 'K') + " = k\nZUD_OVOD_MUK = m\n",
       {"", "m", ""}},
      {"CR LF lines",
       "# c\r\nZUD_OVOD_TOLV = t\r\n\r\nZUD_OVOD_MUK = m\r\n",
       {"t", "m", "", bad(3)}},
      {"the last line without a line feed is used", "ZUD_OVOD_PEXO = p", {"", "", "p"}},
      {"Ctrl-Z ends the file", "ZUD_OVOD_TOLV = t\x1a\nZUD_OVOD_MUK = m\nx\n", {"t", "", ""}},
      {"Ctrl-Z within a value ends it",
       "ZUD_OVOD_TOLV = a\x1a"
       "b",
       {"a", "", ""}},
      {"a zero byte hides the rest of the line", "ZUD_OVOD_TOLV = a\0b\n"s, {"a", "", ""}},
      {"a zero byte in the prefix makes the line faulty",
       "ZUD_OVOD_\0TOLV = t\n"s,
       {"", "", "", bad(1)}},
      {"a zero byte first makes the line faulty, not a comment", "\0# c\n"s, {"", "", "", bad(1)}},
  };
  run_cases(cases);
}

TEST(ReadSettings, SeparatorAndValue) {
  const SettingsCase cases[] = {
      {"no separator is silent", "ZUD_OVOD_TOLV\nZUD_OVOD_MUK =m\nZUD_OVOD_PEXO= p\n", {}},
      {"'=' without blanks runs into the key and sets nothing", "ZUD_OVOD_TOLV=C:\\t.exe\n", {}},
      {"a tab before '=' is no separator", "ZUD_OVOD_TOLV\t= t\n", {}},
      {"the key ends at a tab", "ZUD_OVOD_TOLV\t = t\n", {"t", "", ""}},
      {"two blanks around '=': the value starts with a blank",
       "ZUD_OVOD_TOLV  =  t\n",
       {" t", "", ""}},
      {"only the first separator counts", "ZUD_OVOD_MUK = a = b\n", {"", "a = b", ""}},
      {"a blank value", "ZUD_OVOD_MUK =  \n", {"", " ", ""}},
      {"an empty value clears an earlier one", "ZUD_OVOD_TOLV = t\nZUD_OVOD_TOLV = \n", {}},
      {"an empty value at the end of the file", "ZUD_OVOD_TOLV = t\nZUD_OVOD_TOLV = ", {}},
      {"a later line replaces an earlier one",
       "ZUD_OVOD_PEXO = p1\nZUD_OVOD_PEXO = p2\n",
       {"", "", "p2"}},
      {"a value ends at a tab", "ZUD_OVOD_TOLV = a b\tc\nZUD_OVOD_MUK = \tm\n", {"a b", "", ""}},
      {"a value ends at a lone CR", "ZUD_OVOD_TOLV = a\rb\n", {"a", "", ""}},
      {"a value ends at any control character",
       "ZUD_OVOD_TOLV = a\x01"
       "b\n",
       {"a", "", ""}},
      {"bytes from 0x7f up are kept",
       "ZUD_OVOD_PEXO = C:\\\x7f\x80\xe9\xff.exe\n",
       {"", "", "C:\\\x7f\x80\xe9\xff.exe"}},
  };
  run_cases(cases);
}

TEST(ReadSettings, LongLines) {
  const std::string prefix = "ZUD_OVOD_TOLV = ";  // 16 characters
  const std::string v238(238, 'v');
  const std::string v239(239, 'v');
  const SettingsCase cases[] = {
      {"255 characters with the line feed are used", prefix + v238 + "\n", {v238, "", ""}},
      {"256 characters with the line feed are too long",
       prefix + v239 + "\nx\n",
       {"", "", "", too_long(1) + bad(2)}},
      {"255 characters without a line feed are used", prefix + v239, {v239, "", ""}},
      {"256 characters without a line feed are too long",
       prefix + v239 + "v",
       {"", "", "", too_long(1)}},
      {"a CR before the line feed does not count", prefix + v238 + "\r\n", {v238, "", ""}},
      {"a comment of 256 to 511 characters is silent",
       "#" + std::string(300, 'c') + "\n#" + std::string(509, 'c') + "\nx\n",
       {"", "", "", bad(3)}},
      {"the length is measured up to a zero byte",
       "ZUD_OVOD_MUK = m\0"s + std::string(300, 'z') + "\n",
       {"", "m", ""}},
      {"a line over 511 characters arrives as pieces, each counted",
       prefix + std::string(600, 'v') + "\nZUD_OVOD_MUK = m\nx\n",
       {"", "m", "", too_long(1) + bad(2) + bad(4)}},
      {"each piece is judged by its own content",
       std::string(511, 'x') + "ZUD_OVOD_PEXO = p\n" + std::string(511, 'y') + "#c\n",
       {"", "", "p", too_long(1) + too_long(3)}},
      {"a long comment's later pieces are judged too",
       "#" + std::string(510, 'c') + "ZUD_OVOD_MUK = m\n#" + std::string(600, 'c') + "\nx\n",
       {"", "m", "", bad(4) + bad(5)}},
      {"510 characters and CR LF make one piece",
       "#" + std::string(509, 'c') + "\r\n\n",
       {"", "", "", bad(2)}},
  };
  run_cases(cases);
}

// read_tool_paths and load_tool_paths on real files in a fresh temporary folder.
class ToolPathsFile : public testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("zerudud-test-" + std::to_string(std::random_device()()));
    created_ = fs::create_directory(root_);
    ASSERT_TRUE(created_) << root_ << " exists already";
    std::memset(tool_paths, 0, sizeof tool_paths);
  }

  void TearDown() override {
    if (created_) {
      fs::remove_all(root_);
    }
  }

  // Makes a folder under the root whose path, with its final '/', is `length` characters long.
  std::string make_folder_of_length(std::size_t length, char fill) {
    std::string path = root_.string() + "/";
    while (path.size() < length) {
      std::size_t part = std::min<std::size_t>(200, length - path.size() - 1);
      if (length - path.size() - part - 1 == 1) {
        --part;  // leave room for a last part of at least one character and its '/'
      }
      path += std::string(part, fill) + "/";
    }
    fs::create_directories(path);
    return path;
  }

  static void write_settings(const std::string& folder, const std::string& text) {
    std::ofstream(folder + std::string(kSettingsFileName), std::ios::binary) << text;
  }

  // Copies `folder` into a directory buffer of the size the launcher uses.
  static void fill(char (&directory)[kDirectoryBufferSize], const std::string& folder) {
    std::memset(directory, 0, sizeof directory);
    ASSERT_LT(folder.size(), sizeof directory);
    std::memcpy(directory, folder.data(), folder.size());
  }

  fs::path root_;
  bool created_ = false;
};

TEST_F(ToolPathsFile, ReadsTheFileInTheFolder) {
  const std::string folder = root_.string() + "/";
  write_settings(folder, "ZUD_OVOD_TOLV = t\r\nx\r\nZUD_OVOD_PEXO = p");
  char directory[kDirectoryBufferSize];
  fill(directory, folder);
  testing::internal::CaptureStderr();
  EXPECT_EQ(load_tool_paths(directory), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), bad(2));
  EXPECT_EQ(std::string(directory), folder + "ZERUDUD.ini");
  expect_fields({"t", "", "p", ""});
}

TEST_F(ToolPathsFile, FailsToOpen) {
  struct Case {
    const char* name;
    std::string folder;
  };
  fs::create_directories(root_ / "dir" / "ZERUDUD.ini");
  const Case cases[] = {
      {"no settings file", root_.string() + "/"},
      {"no such folder", root_.string() + "/missing/"},
      {"the settings file is a folder", root_.string() + "/dir/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char directory[kDirectoryBufferSize];
    fill(directory, c.folder);
    testing::internal::CaptureStderr();
    EXPECT_EQ(read_tool_paths(directory), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "INI File ZERUDUD.ini Not Found!\n");

    fill(directory, c.folder);
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_tool_paths(directory), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "INI File ZERUDUD.ini Not Found!\nCan't Read INI File.\n");
    expect_fields({});
  }
}

// The directory buffer holds 511 characters: a folder of 500 leaves just room for the name.
TEST_F(ToolPathsFile, FolderTooLongForTheName) {
  const std::string fits = make_folder_of_length(500, 'a');
  const std::string too_long = make_folder_of_length(501, 'b');
  ASSERT_EQ(fits.size(), 500u);
  ASSERT_EQ(too_long.size(), 501u);
  write_settings(fits, "ZUD_OVOD_MUK = m\n");
  write_settings(too_long, "ZUD_OVOD_MUK = m\n");
  char directory[kDirectoryBufferSize];

  fill(directory, fits);
  testing::internal::CaptureStderr();
  EXPECT_EQ(load_tool_paths(directory), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  expect_fields({"", "m", "", ""});

  std::memset(tool_paths, 0, sizeof tool_paths);
  fill(directory, too_long);
  testing::internal::CaptureStderr();
  EXPECT_EQ(load_tool_paths(directory), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "INI File ZERUDUD.ini Not Found!\nCan't Read INI File.\n");
  EXPECT_EQ(std::string(directory), too_long) << "nothing is appended";
  expect_fields({});
}

}  // namespace
}  // namespace zerudud
