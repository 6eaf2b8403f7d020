#include "text/text_reader.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zerudud::text {
namespace {

using namespace std::string_literals;

// The reader is large (one block and its carry-over), so tests keep it off the stack.
std::unique_ptr<Reader> make_reader() {
  return std::make_unique<Reader>();
}

// Reads pieces until the end, checking that each count matches the zero-terminated piece.
std::vector<std::string> read_all(Reader& reader, std::size_t limit) {
  std::vector<std::string> pieces;
  std::vector<char> out(limit + 2, '\x55');
  for (;;) {
    const std::size_t n = read_piece(reader, out.data(), limit);
    EXPECT_LE(n, limit);
    EXPECT_EQ(out[n], '\0');
    EXPECT_EQ(out[limit + 1], '\x55') << "wrote past limit + 1 bytes";
    if (n == 0) {
      break;
    }
    pieces.emplace_back(out.data(), n);
  }
  EXPECT_EQ(read_piece(reader, out.data(), limit), 0u) << "the end of the text stays the end";
  return pieces;
}

struct PieceCase {
  const char* name;
  std::string text;
  std::size_t limit;
  std::vector<std::string> want;
};

// Each case must give the same pieces wherever the block boundaries fall.
TEST(TextReader, PiecesFollowTextModeRulesAtEveryBlockSize) {
  const PieceCase cases[] = {
      {"empty text", "", 10, {}},
      {"lines end after their line feed", "ab\ncd\n\nef", 10, {"ab\n", "cd\n", "\n", "ef"}},
      {"a long line arrives in pieces", "abcdefghij\n", 4, {"abcd", "efgh", "ij\n"}},
      {"a line feed that just fits", "abc\nd", 4, {"abc\n", "d"}},
      {"a line feed right after a full piece", "abcd\ne", 4, {"abcd", "\n", "e"}},
      {"CR LF is read as LF", "ab\r\ncd\r\n", 10, {"ab\n", "cd\n"}},
      {"a lone CR stays", "a\rb\r\rc\n", 10, {"a\rb\r\rc\n"}},
      {"only the CR right before LF goes", "a\r\r\n", 10, {"a\r\n"}},
      {"a CR at the end of the text stays", "ab\r", 10, {"ab\r"}},
      {"a CR filling the piece pairs with the LF after it", "abc\r\nd", 4, {"abc\n", "d"}},
      {"a CR filling the piece, then no LF", "abc\rd", 4, {"abc\r", "d"}},
      {"a CR filling the piece at the end of the text", "abc\r", 4, {"abc\r"}},
      {"a CR filling the piece, then CR LF", "abc\r\r\n", 4, {"abc\r", "\n"}},
      {"253 characters and CR LF make one piece of 254",
       std::string(253, 'x') + "\r\n" + "y",
       254,
       {std::string(253, 'x') + "\n", "y"}},
      {"254 characters and CR LF make two pieces",
       std::string(254, 'x') + "\r\n",
       254,
       {std::string(254, 'x'), "\n"}},
      {"Ctrl-Z ends the text",
       "ab\x1a"
       "cd\n",
       10,
       {"ab"}},
      {"Ctrl-Z first",
       "\x1a"
       "ab\n",
       10,
       {}},
      {"Ctrl-Z after a CR leaves the CR", "a\r\x1a\n", 10, {"a\r"}},
      {"Ctrl-Z after a CR that fills the piece", "abc\r\x1a\n", 4, {"abc\r"}},
      {"zero bytes are kept and counted", "a\0b\n\0\0\n"s, 10, {"a\0b\n"s, "\0\0\n"s}},
      {"a zero byte does not end a piece early", "\0\0\0\0\0\0"s, 4, {"\0\0\0\0"s, "\0\0"s}},
  };
  const std::size_t block_sizes[] = {1, 2, 3, 7, kBlockSize};
  auto reader = make_reader();
  for (const PieceCase& c : cases) {
    for (const std::size_t block_size : block_sizes) {
      SCOPED_TRACE(std::string(c.name) + ", block size " + std::to_string(block_size));
      open_memory(*reader, c.text, block_size);
      EXPECT_EQ(read_all(*reader, c.limit), c.want);
    }
  }
}

// The same rules where a refill of the full block size splits a CR LF pair.
TEST(TextReader, CrLfSplitByAFullBlock) {
  auto reader = make_reader();
  {
    SCOPED_TRACE("CR ends the block inside a piece");
    // 65535 = 128 * 511 + 127: the CR is the block's last byte and the piece goes on.
    const std::string text = std::string(kBlockSize - 1, 'x') + "\r\nend";
    open_memory(*reader, text);
    std::vector<std::string> want(128, std::string(511, 'x'));
    want.push_back(std::string(127, 'x') + "\n");
    want.push_back("end");
    EXPECT_EQ(read_all(*reader, 511), want);
  }
  {
    SCOPED_TRACE("CR ends the block and fills the piece");
    const std::string text = std::string(kBlockSize - 1, 'x') + "\r\nend";
    open_memory(*reader, text);
    std::vector<std::string> want(255, std::string(256, 'x'));
    want.push_back(std::string(255, 'x') + "\n");
    want.push_back("end");
    EXPECT_EQ(read_all(*reader, 256), want);
  }
}

}  // namespace
}  // namespace zerudud::text
