// Fuzz target: arbitrary bytes as a project file. The first byte picks the reader's block size
// (fuzz_support.hpp), the rest is the project. The scan must find the family that the plain
// model in scan_model.hpp finds, with that block size and again with full blocks.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "fuzz_support.hpp"
#include "launcher/launcher.hpp"
#include "scan_model.hpp"
#include "text/text_reader.hpp"

namespace {

zerudud::text::Reader reader;

// Bytes that the scan reads but no refill wrote are left over from before it: tags in the first
// round and zero bytes in the second, so that a stray read finds a family or hides one and the
// result goes wrong. Only the part of the buffer that a scan of `size` bytes can reach is filled.
void fill_buffer(bool with_tags, std::size_t size) {
  static char tags[sizeof reader.buffer];
  if (tags[0] == '\0') {
    constexpr std::string_view kTag = "<cpu>TOLV";
    for (std::size_t at = 0; at < sizeof tags; ++at) {
      tags[at] = kTag[at % kTag.size()];
    }
  }
  const std::size_t reach = std::min(size + 2 * zerudud::text::kCarryOver, sizeof reader.buffer);
  if (with_tags) {
    std::memcpy(reader.buffer, tags, reach);
  } else {
    std::memset(reader.buffer, 0, reach);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const std::string_view project(reinterpret_cast<const char*>(data) + 1, size - 1);
  const int want = scan_model::family_of(project);
  const std::size_t block_sizes[] = {fuzz::block_size(data[0]), zerudud::text::kBlockSize};
  for (const std::size_t block_size : block_sizes) {
    fill_buffer(block_size == block_sizes[0], project.size());
    zerudud::text::open_memory(reader, project, block_size);
    const int got = zerudud::scan_for_family(reader);
    if (got != want) {
      std::fprintf(stderr, "scan: family %d with blocks of %zu bytes, the model finds %d\n", got,
                   block_size, want);
      fuzz::expect(false, "the scan finds the family that the model finds");
    }
  }
  return 0;
}
