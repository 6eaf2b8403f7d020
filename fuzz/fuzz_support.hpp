// What the fuzz targets share: how an input picks the reader's block size, and how a failed
// check ends the run so that libFuzzer keeps the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "text/text_reader.hpp"

namespace fuzz {

/// The reader's block size for an input whose first byte is `byte`: 1 to 240 bytes directly,
/// so that block boundaries fall everywhere within short inputs, or one of the sizes around the
/// piece limits (254 and 511 characters) and the carry-over, up to the full block.
inline std::size_t block_size(std::uint8_t byte) {
  constexpr std::size_t kLarger[] = {
      253, 254, 255, 256,  257,  300,  509,   510,
      511, 512, 513, 1024, 1025, 4096, 65535, zerudud::text::kBlockSize};
  static_assert(sizeof kLarger / sizeof kLarger[0] == 256 - 240);
  return byte < 240 ? std::size_t{byte} + 1 : kLarger[byte - 240];
}

/// Ends the run with `what` on standard error when `ok` is false.
inline void expect(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
  }
}

}  // namespace fuzz
