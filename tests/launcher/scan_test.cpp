#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "launcher/launcher.hpp"

namespace zerudud {
namespace {

using namespace std::string_literals;

// Refills of these sizes put block boundaries everywhere, at and around a piece's length, and
// at the reader's own block size.
constexpr std::size_t kBlockSizes[] = {1, 7, 254, 255, 4096, text::kBlockSize};

Family scan(text::Reader& reader, const std::string& text, std::size_t block_size) {
  text::open_memory(reader, text, block_size);
  return scan_for_family(reader);
}

std::string xs(std::size_t count) {
  return std::string(count, 'x');
}

// `length` bytes of lines without tags, ending with a line feed.
std::string padding(std::size_t length) {
  std::string text;
  while (text.size() < length) {
    const std::size_t line = std::min<std::size_t>(99, length - text.size() - 1);
    text += std::string(line, 'y') + "\n";
  }
  return text;
}

struct ScanCase {
  const char* name;
  std::string text;
  Family want;
};

void run_cases(const ScanCase* begin, const ScanCase* end) {
  const auto reader = std::make_unique<text::Reader>();
  for (const ScanCase* c = begin; c != end; ++c) {
    for (const std::size_t block_size : kBlockSizes) {
      SCOPED_TRACE(std::string(c->name) + ", block size " + std::to_string(block_size));
      EXPECT_EQ(scan(*reader, c->text, block_size), c->want);
    }
  }
}

template <std::size_t N>
void run_cases(const ScanCase (&cases)[N]) {
  run_cases(cases, cases + N);
}

TEST(ScanForFamily, TagsAndWhatIsNoTag) {
  const ScanCase cases[] = {
      {"TOLV", "<proj>\n  <cpu>TOLV</cpu>\n</proj>\n", kTolv},
      {"MUK", "<proj>\n  <cpu>MUK</cpu>\n</proj>\n", kMuk},
      {"PEXO", "<proj>\n  <cpu>PEXO</cpu>\n</proj>\n", kPexo},
      {"a longer processor name still matches", "<cpu>PEXO2000X", kPexo},
      {"a tag after a stray '<'", "<<cpu<cpu>MUK", kMuk},
      {"empty text", "", kNoFamily},
      {"no tag", "<proj>\n<cpu></cpu>\n</proj>\n", kNoFamily},
      {"other letter case", "<cpu>tolv\n<CPU>MUK\n<cpu>Pexo\n", kNoFamily},
      {"a blank after <cpu>", "<cpu> TOLV\n<cpu>\tMUK\n", kNoFamily},
      {"a blank inside <cpu>", "< cpu>TOLV\n<cpu >MUK\n", kNoFamily},
      {"a key cut short", "<cpu>TOL\n<cpu>MU\n<cpu>PEX", kNoFamily},
      {"a line feed inside the tag", "<cpu>\nTOLV\n<cpu>MU\nK\n", kNoFamily},
      {"a tag in the last bytes of the text", xs(500) + "<cpu>MUK", kMuk},
      {"a cut tag in the last bytes of the text", xs(500) + "<cpu>MU", kNoFamily},
      {"a tag as the whole text", "<cpu>TOLV", kTolv},
  };
  run_cases(cases);
}

TEST(ScanForFamily, TheFirstPieceWithATagDecides) {
  const ScanCase cases[] = {
      {"within a piece TOLV beats PEXO", "<cpu>PEXO and <cpu>TOLV\n", kTolv},
      {"within a piece MUK beats PEXO", "<cpu>PEXO <cpu>MUK\n", kMuk},
      {"within a piece TOLV beats MUK", "<cpu>MUK <cpu>PEXO <cpu>TOLV", kTolv},
      {"a later line does not count", "<cpu>PEXO\n<cpu>TOLV\n", kPexo},
      {"a later line after lines without tags", padding(1000) + "<cpu>MUK\n<cpu>TOLV\n", kMuk},
      {"a lone CR does not end the piece", "<cpu>PEXO\r<cpu>TOLV\n", kTolv},
      {"CR LF ends the line", "<cpu>PEXO\r\n<cpu>TOLV\r\n", kPexo},
      {"a tag in the second piece of a long line", xs(300) + "<cpu>PEXO\n", kPexo},
      {"a lower family in the next piece of the same line does not win",
       xs(254) + "<cpu>PEXO" + xs(245) + "<cpu>TOLV\n", kPexo},
      {"a lower family later in the same piece wins", xs(254) + "<cpu>PEXO" + xs(236) + "<cpu>TOLV",
       kTolv},
      {"a tag that ends the first piece", xs(245) + "<cpu>PEXO<cpu>TOLV\n", kPexo},
      {"a tag that starts the second piece", xs(254) + "<cpu>MUK" + xs(300) + "<cpu>TOLV", kMuk},
      {"a tag in the third piece of a line", xs(508) + "<cpu>MUK\n<cpu>TOLV", kMuk},
      {"pieces restart after each line feed", xs(100) + "\n" + xs(245) + "<cpu>PEXO<cpu>TOLV",
       kPexo},
      {"253 characters and CR LF make one piece", xs(253) + "\r\n<cpu>PEXO <cpu>MUK\r\n", kMuk},
      {"pieces after a CR LF line",
       xs(253) + "\r\n" + xs(254) + "<cpu>PEXO" + xs(245) + "<cpu>TOLV", kPexo},
  };
  run_cases(cases);
}

// A tag counts only where all of it lies within one piece.
TEST(ScanForFamily, TagsAcrossPieceBoundaries) {
  // A tag belongs to the piece in which it starts, even when it runs on into the next one.
  const ScanCase cases[] = {
      {"a tag that straddles two pieces is found", xs(250) + "<cpu>MUK\n", kMuk},
      {"every straddling start is found",
       xs(246) + "<cpu>TOLV\n" + xs(247) + "<cpu>TOLV\n" + xs(253) + "<cpu>TOLV\n", kTolv},
      {"the straddling tag beats a lower family in the next piece",
       xs(250) + "<cpu>PEXO" + "<cpu>MUK\n", kPexo},
      {"the straddling tag beats a later line", xs(250) + "<cpu>PEXO\n<cpu>TOLV\n", kPexo},
      {"a tag straddling the second boundary", xs(505) + "<cpu>MUK\n<cpu>TOLV", kMuk},
      {"a tag starting right at the boundary is the next piece's", xs(254) + "<cpu>PEXO", kPexo},
      {"within its own piece a lower family still wins",
       xs(200) + "<cpu>PEXO" + xs(41) + "<cpu>MUK\n", kMuk},
      {"a zero byte before the straddling tag hides it",
       "\0"s + xs(249) + "<cpu>TOLV" + "<cpu>MUK\n", kMuk},
  };
  run_cases(cases);
}

TEST(ScanForFamily, ZeroBytesAndCtrlZ) {
  const ScanCase cases[] = {
      {"a zero byte hides the rest of its piece", "ab\0<cpu>TOLV\n<cpu>PEXO\n"s, kPexo},
      {"a tag before the zero byte counts", "<cpu>PEXO\0<cpu>TOLV\n<cpu>MUK\n"s, kPexo},
      {"a zero byte after the tag does not matter", "<cpu>MUK\0\n"s, kMuk},
      {"the next piece of the same line is seen", "\0"s + xs(253) + "<cpu>MUK\n", kMuk},
      {"a zero byte at the start of a long piece", "\0"s + xs(244) + "<cpu>TOLV\n<cpu>PEXO"s,
       kPexo},
      {"a zero byte in the second piece", xs(254) + "\0<cpu>TOLV"s + xs(300) + "<cpu>MUK", kMuk},
      {"Ctrl-Z ends the text", "ab\x1a<cpu>TOLV\n", kNoFamily},
      {"Ctrl-Z first", "\x1a<cpu>TOLV", kNoFamily},
      {"Ctrl-Z inside a tag", "<cpu>TO\x1aLV", kNoFamily},
      {"Ctrl-Z after a tag", "<cpu>PEXO\x1a<cpu>TOLV", kPexo},
      {"Ctrl-Z far into the text", padding(5000) + "\x1a<cpu>MUK", kNoFamily},
  };
  run_cases(cases);
}

// Slides a line across a block boundary so that the boundary falls at every offset within it:
// the tag must be found wherever it lies, and a zero byte at the start of its piece, carried
// over from an earlier block, must still hide it.
TEST(ScanForFamily, LinesAcrossBlockBoundaries) {
  const std::string tag_line = xs(245) + "<cpu>TOLV\n<cpu>PEXO\n";
  const std::string hidden_line = "\0"s + xs(244) + "<cpu>TOLV\n<cpu>PEXO\n";
  const auto reader = std::make_unique<text::Reader>();
  for (const std::size_t block_size :
       {std::size_t{7}, std::size_t{254}, std::size_t{255}, std::size_t{4096}, text::kBlockSize}) {
    // A boundary with room for a full line of padding before it.
    const std::size_t boundary = (600 / block_size + 1) * block_size;
    for (std::size_t before = 0; before <= 256; ++before) {
      SCOPED_TRACE("block size " + std::to_string(block_size) + ", line starts " +
                   std::to_string(before) + " bytes before a boundary");
      const std::string pad = padding(boundary - before);
      EXPECT_EQ(scan(*reader, pad + tag_line, block_size), kTolv);
      EXPECT_EQ(scan(*reader, pad + hidden_line, block_size), kPexo);
    }
  }
}

}  // namespace
}  // namespace zerudud
