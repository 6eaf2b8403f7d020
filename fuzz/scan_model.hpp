// A plain model of the project scan, for checking the real one. It shares no code with the
// launcher and does everything the slow, obvious way: it translates the whole text by the
// text-mode rules, cuts it into pieces, and searches each piece for each tag in turn.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scan_model {

// Family 1, 2 and 3, in this order: the lowest family in a piece wins.
inline constexpr std::string_view kTags[] = {"<cpu>TOLV", "<cpu>MUK", "<cpu>PEXO"};
inline constexpr std::size_t kPieceLimit = 254;

/// `raw` as a text-mode read returns it: nothing from the first Ctrl-Z on, and each carriage
/// return that stands right before a line feed dropped; a lone carriage return stays.
inline std::string text_mode(std::string_view raw) {
  raw = raw.substr(0, raw.find('\x1a'));
  std::string text;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
      continue;
    }
    text += raw[i];
  }
  return text;
}

/// The family of the project `raw`: the first piece in which a tag starts decides, and within
/// it the lowest family whose tag starts there; 0 when no piece holds the start of a tag. A
/// piece ends after a line feed or after 254 characters, whichever comes first. Only the part
/// of a piece before its first zero byte counts, but a tag that starts there may run on into
/// the next piece.
inline int family_of(std::string_view raw) {
  const std::string text = text_mode(raw);
  std::size_t piece = 0;
  while (piece < text.size()) {
    std::size_t end = piece;
    while (end < text.size() && end - piece < kPieceLimit) {
      ++end;
      if (text[end - 1] == '\n') {
        break;
      }
    }
    std::size_t visible_end = piece;
    while (visible_end < end && text[visible_end] != '\0') {
      ++visible_end;
    }
    for (int family = 1; family <= 3; ++family) {
      const std::string_view tag = kTags[family - 1];
      for (std::size_t at = piece; at < visible_end; ++at) {
        if (text.compare(at, tag.size(), tag) == 0) {
          return family;
        }
      }
    }
    piece = end;
  }
  return 0;
}

}  // namespace scan_model
