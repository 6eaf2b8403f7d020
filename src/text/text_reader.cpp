#include "text/text_reader.hpp"

#include <algorithm>
#include <cstring>

namespace zerudud::text {

namespace {

void reset(Reader& reader) {
  reader.begin = 0;
  reader.end = 0;
  reader.base = 0;
  reader.at_end = false;
  reader.failed = false;
}

}  // namespace

void open_memory(Reader& reader, std::string_view text, std::size_t block_size) {
  reset(reader);
  reader.from_memory = true;
  reader.memory = text;
  reader.block_size = std::clamp<std::size_t>(block_size, 1, kBlockSize);
}

int open_file(Reader& reader, const char* path) {
  reset(reader);
  reader.from_memory = false;
  reader.block_size = kBlockSize;
  return platform::open_for_reading(path, reader.file);
}

void close(Reader& reader) {
  platform::close(reader.file);
}

bool refill(Reader& reader) {
  const std::size_t kept = reader.end - reader.begin;
  std::memmove(reader.buffer, reader.buffer + reader.begin, kept);
  reader.base += reader.begin;
  reader.begin = 0;
  reader.end = kept;
  if (reader.at_end) {
    return false;
  }
  char* const fresh = reader.buffer + kept;
  const std::size_t want = std::min(reader.block_size, sizeof reader.buffer - kept);
  long got = 0;
  if (reader.from_memory) {
    got = static_cast<long>(std::min(want, reader.memory.size()));
    std::memcpy(fresh, reader.memory.data(), static_cast<std::size_t>(got));
    reader.memory.remove_prefix(static_cast<std::size_t>(got));
  } else {
    got = platform::read(reader.file, fresh, want);
  }
  if (got <= 0) {
    reader.failed = got < 0;
    reader.at_end = true;
    return false;
  }
  // Nothing after a Ctrl-Z is ever read, so the source ends there.
  if (const void* z = std::memchr(fresh, kCtrlZ, static_cast<std::size_t>(got))) {
    got = static_cast<const char*>(z) - fresh;
    reader.at_end = true;
  }
  reader.end = kept + static_cast<std::size_t>(got);
  return got > 0;
}

std::size_t read_piece(Reader& reader, char* out, std::size_t limit) {
  std::size_t n = 0;
  while (n < limit) {
    if (reader.begin == reader.end && !refill(reader)) {
      break;
    }
    const char* const at = reader.buffer + reader.begin;
    const std::size_t window = std::min(reader.end - reader.begin, limit - n);
    const auto* line_feed = static_cast<const char*>(std::memchr(at, '\n', window));
    const std::size_t run =
        line_feed != nullptr ? static_cast<std::size_t>(line_feed - at) : window;
    std::memcpy(out + n, at, run);
    n += run;
    reader.begin += run;
    if (line_feed != nullptr) {
      // out[n - 1] is the byte right before this line feed in the file, even when it came
      // from the previous block, so a carriage return there belongs to a CR LF pair.
      if (n > 0 && out[n - 1] == '\r') {
        --n;
      }
      out[n++] = '\n';
      ++reader.begin;
      out[n] = '\0';
      return n;
    }
  }
  // A carriage return that fills the piece still pairs with a line feed right after it: the
  // pair is one character, so the piece ends with that line feed instead.
  if (n == limit && n > 0 && out[n - 1] == '\r' && (reader.begin < reader.end || refill(reader)) &&
      reader.buffer[reader.begin] == '\n') {
    out[n - 1] = '\n';
    ++reader.begin;
  }
  out[n] = '\0';
  return n;
}

}  // namespace zerudud::text
