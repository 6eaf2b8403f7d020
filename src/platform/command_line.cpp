#include "platform/command_line.hpp"

namespace zerudud::platform {

int split_command_line(std::string_view line, char* text, std::size_t text_size, const char** args,
                       std::size_t args_size) {
  std::size_t used = 0;   // bytes of `text` taken
  std::size_t count = 0;  // arguments stored
  std::size_t at = 0;
  const auto put = [&](char c) {
    if (used == text_size) {
      return false;
    }
    text[used++] = c;
    return true;
  };
  for (;;) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
      ++at;
    }
    if (at == line.size()) {
      break;
    }
    if (count + 1 >= args_size) {
      return -1;
    }
    args[count++] = text + used;
    bool quoted = false;
    while (at < line.size() && (quoted || (line[at] != ' ' && line[at] != '\t'))) {
      std::size_t backslashes = 0;
      while (at < line.size() && line[at] == '\\') {
        ++backslashes;
        ++at;
      }
      const bool before_quote = at < line.size() && line[at] == '"';
      const std::size_t literal = before_quote ? backslashes / 2 : backslashes;
      for (std::size_t i = 0; i < literal; ++i) {
        if (!put('\\')) {
          return -1;
        }
      }
      if (before_quote) {
        if (backslashes % 2 == 1) {
          if (!put('"')) {
            return -1;
          }
        } else {
          quoted = !quoted;
        }
        ++at;
      } else if (at < line.size() && (quoted || (line[at] != ' ' && line[at] != '\t'))) {
        if (!put(line[at++])) {
          return -1;
        }
      }
    }
    if (!put('\0')) {
      return -1;
    }
  }
  if (count >= args_size) {
    return -1;
  }
  args[count] = nullptr;
  return static_cast<int>(count);
}

}  // namespace zerudud::platform
