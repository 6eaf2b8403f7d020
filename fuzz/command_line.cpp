// Fuzz target: arbitrary bytes as a Windows command line, up to the first zero byte (a command
// line is a C string). Splitting it must store exactly what fits, no more: with room for just
// the arguments it succeeds, with one byte or one entry less it fails. The arguments, quoted
// again by the Windows rules and joined, must split into the same arguments.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "../tests/common/windows_quoting.hpp"
#include "fuzz_support.hpp"
#include "platform/command_line.hpp"

namespace {

using Arguments = std::vector<std::string>;

// Splits `line` into buffers of exactly `text_size` bytes and `args_size` entries, on the heap
// so that the address sanitizer sees a write past either, and checks that whatever the call
// says it stored lies within them: the arguments one after another from the start of the text,
// each ended by a zero, then a null entry. Returns the count and fills `out`, or -1.
int split(std::string_view line, std::size_t text_size, std::size_t args_size, Arguments& out) {
  const auto text = std::make_unique<char[]>(text_size);
  const auto args = std::make_unique<const char*[]>(args_size);
  const int count =
      zerudud::platform::split_command_line(line, text.get(), text_size, args.get(), args_size);
  out.clear();
  if (count < 0) {
    fuzz::expect(count == -1, "a failed split returns -1");
    return -1;
  }
  fuzz::expect(static_cast<std::size_t>(count) < args_size, "the null entry fits");
  fuzz::expect(args[count] == nullptr, "the arguments end with a null entry");
  const char* const text_end = text.get() + text_size;
  const char* next = text.get();
  for (int i = 0; i < count; ++i) {
    fuzz::expect(args[i] == next, "each argument follows the one before");
    const auto* zero = static_cast<const char*>(std::memchr(next, '\0', text_end - next));
    fuzz::expect(zero != nullptr, "each argument ends within the text");
    out.emplace_back(next, zero);
    next = zero + 1;
  }
  return count;
}

// Room for every split of `line`: an argument holds at least one of its characters and stores
// at most all of them and a zero.
int split_with_room(std::string_view line, Arguments& out) {
  return split(line, 2 * line.size() + 1, line.size() + 2, out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view line(reinterpret_cast<const char*>(data), size);
  line = line.substr(0, line.find('\0'));

  Arguments args;
  const int count = split_with_room(line, args);
  fuzz::expect(count >= 0, "a split with room enough succeeds");
  std::size_t needed = 0;
  for (const std::string& arg : args) {
    needed += arg.size() + 1;
  }
  const std::size_t slots = static_cast<std::size_t>(count) + 1;

  Arguments again;
  fuzz::expect(split(line, needed, slots, again) == count && again == args,
               "a split with exactly the room it needs gives the same arguments");
  if (needed > 0) {
    fuzz::expect(split(line, needed - 1, slots, again) == -1,
                 "a split with one byte too few fails");
  }
  fuzz::expect(split(line, needed, slots - 1, again) == -1, "a split with one entry too few fails");

  std::string joined;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (i > 0) {
      joined += ' ';
    }
    windows_quoting::append_quoted(joined, args[i]);
  }
  fuzz::expect(split_with_room(joined, again) == count && again == args,
               "the arguments quoted and joined split into the same arguments");
  return 0;
}
