// Quoting one argument for a Windows command line, shared by the test tools that build one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace windows_quoting {

/// Appends `arg` in double quotes, so that the Windows rules give it back unchanged: each quote
/// escaped with a backslash, and each run of backslashes doubled where a quote follows it (an
/// escaped one, or the closing one).
inline void append_quoted(std::string& line, std::string_view arg) {
  line += '"';
  std::size_t backslashes = 0;
  for (const char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    line += c;
    backslashes = 0;
  }
  line.append(2 * backslashes, '\\');
  line += '"';
}

}  // namespace windows_quoting
