// The one text-mode reader behind both the settings file and the project file. It reads in
// large blocks and keeps the platform's text-mode rules on every platform: a carriage return
// followed by a line feed is read as a line feed, a lone carriage return stays, and a Ctrl-Z
// byte (0x1A) ends the file. It can be fed from a file or from memory, so tests need no files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/platform.hpp"

namespace zerudud::text {

inline constexpr std::size_t kBlockSize = 64 * 1024;
// Room beyond a block for the unconsumed bytes a refill carries over (look-back included).
inline constexpr std::size_t kCarryOver = 512;
inline constexpr char kCtrlZ = '\x1a';

struct Reader {
  platform::File file;
  std::string_view memory;  // the unread rest of a memory source
  bool from_memory = false;
  std::size_t block_size = kBlockSize;  // bytes a refill asks for; tests may make it smaller
  char buffer[kBlockSize + kCarryOver];
  std::size_t begin = 0;  // buffer[begin, end) holds the bytes not consumed yet
  std::size_t end = 0;
  std::uint64_t base = 0;  // offset in the source of buffer[0]
  bool at_end = false;     // the source is exhausted, met a Ctrl-Z, or failed
  bool failed = false;     // a read error ended the source early
};

/// Makes `reader` read `text`, which must outlive it; `block_size` (1 to kBlockSize) sets how
/// much each refill takes, so that tests can put block boundaries where they want them.
void open_memory(Reader& reader, std::string_view text, std::size_t block_size = kBlockSize);

/// Opens the file `path` for `reader`. Returns 0, or -1 when it fails to open.
int open_file(Reader& reader, const char* path);

/// Closes the reader's file, if any.
void close(Reader& reader);

/// Moves the unconsumed bytes buffer[begin, end) to the front of the buffer and reads the next
/// block after them, cut at a Ctrl-Z. Returns false when nothing new arrived (the end of the
/// source, a Ctrl-Z met earlier, or a read error, which also sets `failed`). The caller must
/// leave at most kCarryOver bytes unconsumed.
bool refill(Reader& reader);

/// Reads the next piece into `out` (at least `limit` + 1 bytes) and zero-terminates it: the
/// characters up to and including the next line feed, but at most `limit` of them, after the
/// text-mode rules. Returns the number of characters stored (zero bytes included); 0 only at
/// the end of the file or after a read error.
std::size_t read_piece(Reader& reader, char* out, std::size_t limit);

}  // namespace zerudud::text
