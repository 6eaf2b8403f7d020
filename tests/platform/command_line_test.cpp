#include "platform/command_line.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace zerudud::platform {
namespace {

struct SplitCase {
  const char* name;
  std::string_view line;
  std::vector<std::string> want;
};

TEST(SplitCommandLine, WindowsRules) {
  const SplitCase cases[] = {
      {"empty line", "", {}},
      {"blanks and tabs only", " \t  \t", {}},
      {"blanks and tabs separate", "  a\tb  \t c ", {"a", "b", "c"}},
      {"quotes group and are removed",
       "\"C:\\Program Files\\t.exe\" -x",
       {"C:\\Program Files\\t.exe", "-x"}},
      {"quotes inside an argument", "a\"b c\"d e", {"ab cd", "e"}},
      {"a tab inside quotes", "\"a\tb\"", {"a\tb"}},
      {"an unclosed quote runs to the end", "a \"b c  ", {"a", "b c  "}},
      {"an empty quoted argument", "a \"\" b", {"a", "", "b"}},
      {"only an empty quoted argument", "\"\"", {""}},
      {"backslashes are literal elsewhere", "C:\\dir\\\\sub\\ x\\", {"C:\\dir\\\\sub\\", "x\\"}},
      {"one backslash before a quote gives a quote", "a\\\"b", {"a\"b"}},
      {"two backslashes before a quote give one, and the quote opens", "a\\\\\"b c\"", {"a\\b c"}},
      {"three backslashes before a quote give one and a quote", "a\\\\\\\"b c", {"a\\\"b", "c"}},
      {"four backslashes before a quote give two, and the quote closes",
       "\"a\\\\\\\\\" b",
       {"a\\\\", "b"}},
      {"an escaped quote inside quotes", "\"a \\\" b\"", {"a \" b"}},
      {"a trailing backslash inside quotes", "\"C:\\dir\\\\\" x", {"C:\\dir\\", "x"}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.name);
    char text[64];
    const char* args[8];
    const int count = split_command_line(c.line, text, sizeof text, args, 8);
    ASSERT_EQ(count, static_cast<int>(c.want.size()));
    for (std::size_t i = 0; i < c.want.size(); ++i) {
      EXPECT_EQ(args[i], c.want[i]) << "argument " << i;
    }
    EXPECT_EQ(args[count], nullptr);
  }
}

// The arguments need their text with one zero each, and one slot more than their count for the
// closing null entry. One byte or one slot less fails, and nothing is written past either.
TEST(SplitCommandLine, OverflowFailsWithoutWritingPast) {
  struct Case {
    const char* name;
    std::string_view line;
    std::size_t text_needed;
    std::size_t slots_needed;
  };
  const Case cases[] = {
      {"empty line", "", 0, 1},
      {"one argument", "abc", 4, 2},
      {"three arguments", " a \"b c\" \"\"", 7, 4},
      {"backslashes and an escaped quote", "x\\\\\\\"y", 5, 2},
  };
  constexpr char kGuard = '\x7e';
  const char* const kGuardSlot = "guard";
  for (const Case& c : cases) {
    for (const bool text_short : {false, true}) {
      for (const bool slots_short : {false, true}) {
        if ((text_short && c.text_needed == 0) || (slots_short && c.slots_needed == 0)) {
          continue;
        }
        SCOPED_TRACE(std::string(c.name) + (text_short ? ", text one byte short" : "") +
                     (slots_short ? ", one slot short" : ""));
        const std::size_t text_size = c.text_needed - (text_short ? 1 : 0);
        const std::size_t slots = c.slots_needed - (slots_short ? 1 : 0);
        char text[32];
        const char* args[8];
        std::memset(text, kGuard, sizeof text);
        std::fill(std::begin(args), std::end(args), kGuardSlot);
        const int count = split_command_line(c.line, text, text_size, args, slots);
        EXPECT_EQ(count, text_short || slots_short ? -1 : static_cast<int>(c.slots_needed - 1));
        for (std::size_t i = text_size; i < sizeof text; ++i) {
          EXPECT_EQ(text[i], kGuard) << "text byte " << i;
        }
        for (std::size_t i = slots; i < 8; ++i) {
          EXPECT_EQ(args[i], kGuardSlot) << "slot " << i;
        }
      }
    }
  }
}

}  // namespace
}  // namespace zerudud::platform
