#include <algorithm>
#include <cstdint>
#include <cstring>

#include "launcher/launcher.hpp"

namespace zerudud {

namespace {

constexpr std::size_t longest_tag() {
  std::size_t longest = 0;
  for (const FamilyEntry& entry : kFamilies) {
    longest = std::max(longest, entry.tag.size());
  }
  return longest;
}

constexpr std::size_t kLongestTag = longest_tag();
// A piece starts at most this many bytes before a tag in it; those bytes are kept in the
// reader across refills so that a zero byte before the tag can still be seen.
constexpr std::size_t kLookBack = kProjectPieceLimit - 1;
static_assert(kLookBack + kLongestTag <= text::kCarryOver);

// The family whose tag starts at `at`, where `available` bytes can be read; kNoFamily if none.
Family tag_at(const char* at, std::size_t available) {
  for (const FamilyEntry& entry : kFamilies) {
    if (available >= entry.tag.size() && std::memcmp(at, entry.tag.data(), entry.tag.size()) == 0) {
      return entry.family;
    }
  }
  return kNoFamily;
}

// Moves `line_start` to just after the last line feed in [from, to), file offsets that lie in
// the reader's buffer.
void pass_lines(const text::Reader& reader, std::uint64_t from, std::uint64_t to,
                std::uint64_t& line_start) {
  const char* const first = reader.buffer + (from - reader.base);
  const char* last = reader.buffer + (to - reader.base);
  if (from < to && std::memchr(first, '\n', to - from) != nullptr) {
    while (*--last != '\n') {
    }
    line_start = reader.base + static_cast<std::uint64_t>(last - reader.buffer) + 1;
  }
}

}  // namespace

// The scan never copies pieces out. It searches each block for '<' and works out the piece of
// a tag only where one starts. Pieces break after a line feed and every 254 characters within
// a line; since the text-mode rules drop only the carriage return right before a line feed,
// offsets within a line are the same before and after them, so the raw bytes serve.
Family scan_for_family(text::Reader& reader) {
  std::uint64_t searched = 0;    // every possible tag start before this offset has been tried
  std::uint64_t line_start = 0;  // where the line holding offset `searched` begins
  Family best = kNoFamily;       // the lowest family seen so far in the deciding piece
  std::uint64_t best_piece = 0;  // where the deciding piece begins
  for (;;) {
    text::refill(reader);
    const std::uint64_t data_end = reader.base + reader.end;
    // A tag start is tried only once all of the tag could be in the buffer, or at the end.
    std::uint64_t limit = data_end;
    if (!reader.at_end) {
      limit = data_end > kLongestTag - 1 ? data_end - (kLongestTag - 1) : 0;
    }
    limit = std::max(limit, searched);
    for (std::uint64_t at = searched; at < limit;) {
      const char* const from = reader.buffer + (at - reader.base);
      const auto* open = static_cast<const char*>(std::memchr(from, '<', limit - at));
      if (open == nullptr) {
        break;
      }
      const std::uint64_t tag_start =
          reader.base + static_cast<std::uint64_t>(open - reader.buffer);
      at = tag_start + 1;
      const Family family = tag_at(open, data_end - tag_start);
      if (family == kNoFamily) {
        continue;
      }
      pass_lines(reader, searched, tag_start, line_start);
      searched = tag_start;
      const std::uint64_t piece =
          line_start + (tag_start - line_start) / kProjectPieceLimit * kProjectPieceLimit;
      if (best != kNoFamily && piece != best_piece) {
        return best;
      }
      // A zero byte earlier in the piece hides the rest of it.
      const char* const piece_text = reader.buffer + (piece - reader.base);
      if (std::memchr(piece_text, '\0', tag_start - piece) != nullptr) {
        continue;
      }
      if (best == kNoFamily || family < best) {
        best = family;
        best_piece = piece;
      }
      if (best == kFamilies[0].family) {
        return best;
      }
    }
    pass_lines(reader, searched, limit, line_start);
    searched = limit;
    if (reader.at_end || (best != kNoFamily && searched >= best_piece + kProjectPieceLimit)) {
      return best;
    }
    // Keep the look-back and the bytes not searched yet for the next round.
    const std::uint64_t keep =
        std::max(reader.base, searched - std::min<std::uint64_t>(searched, kLookBack));
    reader.begin = static_cast<std::size_t>(keep - reader.base);
  }
}

void find_tool_family() {
  tool_family = scan_for_family(project_reader);
  text::close(project_reader);
}

}  // namespace zerudud
