// Fuzz target: arbitrary bytes as the settings file. The first byte picks the reader's block
// size (fuzz_support.hpp), the rest is the file. Whatever the file holds, each tool path must
// come out as a text that ends within its field, holds no control character, and is no longer
// than a settings line leaves room for.
//
// The reader reports faulty lines on standard error, and random input has thousands of them.
// Unless the command line sets -close_fd_mask itself, the target adds -close_fd_mask=2: libFuzzer
// then points file descriptor 2 at /dev/null and keeps its own output and the sanitizers'
// reports on a copy of the real standard error. To see the reader's messages and the failed
// check when reproducing an input, run with -close_fd_mask=0.
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "fuzz_support.hpp"
#include "text/text_reader.hpp"
#include "tool_paths/tool_paths.hpp"

namespace {

using zerudud::kFamilies;
using zerudud::kToolPathSize;

zerudud::text::Reader reader;

// A value follows "ZUD_OVOD_", a known key of at least three characters and " = " on a line of
// at most 255 characters, its line feed included: 255 - 9 - 3 - 3.
constexpr std::size_t kLongestValue = 240;

void check_tool_path(const char* field) {
  const auto* end = static_cast<const char*>(std::memchr(field, '\0', kToolPathSize));
  fuzz::expect(end != nullptr, "a tool path ends within its field");
  fuzz::expect(static_cast<std::size_t>(end - field) <= kLongestValue,
               "a tool path is no longer than a settings line leaves room for");
  for (const char* at = field; at < end; ++at) {
    fuzz::expect(static_cast<unsigned char>(*at) >= 0x20, "a tool path holds no control character");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  constexpr std::string_view kFlag = "-close_fd_mask=";
  for (int i = 1; i < *argc; ++i) {
    if (std::string_view((*argv)[i]).substr(0, kFlag.size()) == kFlag) {
      return 0;
    }
  }
  // libFuzzer reads its flags after this call, from the vector left here.
  static char close_stderr[] = "-close_fd_mask=2";
  static std::vector<char*> arguments;
  arguments.assign(*argv, *argv + *argc);
  arguments.push_back(close_stderr);
  arguments.push_back(nullptr);
  *argc += 1;
  *argv = arguments.data();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  // Each input is a fresh run: every tool path starts empty.
  std::memset(zerudud::tool_paths, 0, sizeof zerudud::tool_paths);
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  zerudud::text::open_memory(reader, text, fuzz::block_size(data[0]));
  zerudud::read_settings(reader);
  for (const auto& entry : kFamilies) {
    check_tool_path(zerudud::tool_path(entry.family));
  }
  return 0;
}
