// The tool-path settings: the family table, the three tool path fields, and the reader that
// fills them from "ZERUDUD.ini" beside the launcher.
#pragma once

#include <cstddef>
#include <string_view>

#include "text/text_reader.hpp"

namespace zerudud {

/// A project's tool family: kNoFamily until a processor tag has been found.
enum Family : int { kNoFamily = 0, kTolv = 1, kMuk = 2, kPexo = 3 };

struct FamilyEntry {
  Family family;
  std::string_view key;  // after "ZUD_OVOD_" in the settings file
  std::string_view tag;  // in the project file
};

/// The three families, lowest number first: wherever more than one could match, the earlier
/// entry wins. The scan, the settings reader and the launch all follow this table.
inline constexpr FamilyEntry kFamilies[] = {
    {kTolv, "TOLV", "<cpu>TOLV"},
    {kMuk, "MUK", "<cpu>MUK"},
    {kPexo, "PEXO", "<cpu>PEXO"},
};
inline constexpr std::size_t kFamilyCount = sizeof kFamilies / sizeof kFamilies[0];

inline constexpr std::string_view kSettingsFileName = "ZERUDUD.ini";
inline constexpr std::string_view kPathLinePrefix = "ZUD_OVOD_";
inline constexpr std::string_view kSeparator = " = ";

// The directory buffer holds the launcher's directory with the settings file name appended.
inline constexpr std::size_t kDirectoryBufferSize = 512;
// A settings line may be at most 255 characters long, its line feed included.
inline constexpr std::size_t kMaxSettingsLine = 255;
// Each read from the settings file takes at most this many characters.
inline constexpr std::size_t kSettingsPieceLimit = 511;
inline constexpr std::size_t kToolPathSize = 492;
inline constexpr std::size_t kKeyFieldSize = 20;

// A value is part of a line that passed the length check, so it always fits its field.
static_assert(kMaxSettingsLine < kToolPathSize);

/// One zero-terminated tool path per family, indexed by family number - 1; empty at start,
/// and empty means that no tool is configured for that family.
extern char tool_paths[kFamilyCount][kToolPathSize];

/// The tool path field of `family` (1 to 3).
inline char* tool_path(Family family) {
  return tool_paths[family - 1];
}

/// Reads the settings file in `directory` (see read_tool_paths). Returns 0 when it was read, or
/// -1 when it failed to open, after writing "Can't Read INI File." to standard error.
int load_tool_paths(char* directory);

/// Appends "ZERUDUD.ini" to `directory`, which must be the kDirectoryBufferSize-byte directory
/// buffer, opens that file and reads it with read_settings. A null directory (the launcher's
/// own could not be found) or one too long for the name fails like a file that is not there.
/// Returns 0 when the file was read, 1 when it failed to open (reported on standard error).
int read_tool_paths(char* directory);

/// Reads settings lines from `reader` into tool_paths, reporting overlong and faulty lines on
/// standard error with their piece numbers. Fields that no line sets keep their contents.
void read_settings(text::Reader& reader);

}  // namespace zerudud
