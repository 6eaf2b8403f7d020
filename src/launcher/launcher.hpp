// The launcher: the entry flow, the scan of the project file for its tool family, and the
// start of that family's tool.
#pragma once

#include <cstddef>

#include "text/text_reader.hpp"
#include "tool_paths/tool_paths.hpp"

namespace zerudud {

// Exit statuses, one per outcome of a run. On Linux the process exit code is the low eight
// bits (-1 is 255); on Windows the 32-bit value (-1 is 0xFFFFFFFF).
inline constexpr int kStarted = 0;              // the tool process was started
inline constexpr int kNoFamilyTag = 1;          // the project file holds no family tag
inline constexpr int kNoProjectArgument = -1;   // "No file specified..."
inline constexpr int kProjectUnreadable = -2;   // "Error opening file ''%s''"
inline constexpr int kToolNotStarted = -3;      // the start failed; silent
inline constexpr int kSettingsUnreadable = -5;  // "PROBLEM READING .INI FILE, '%s'."
inline constexpr int kNoToolConfigured = -6;    // "TOOL NOT IDENTIFIED, ..." and a key wait

// The scan takes the project in pieces: the characters up to and including a line feed, but at
// most this many. A tag belongs to the piece in which it starts.
inline constexpr std::size_t kProjectPieceLimit = 254;
inline constexpr std::size_t kCommandLineSize = 512;

/// The family found in the project file; written by the entry flow, read by launch_tool.
extern Family tool_family;

/// The whole run: checks the arguments, reads the settings, scans the project and starts its
/// tool. Returns the exit status.
int run(int argc, char** argv);

/// Copies `path` (argument 0) into the directory buffer and cuts it after its last separator.
/// When `path` names no directory or does not fit, the directory of the running executable
/// is used instead, never the current directory. Returns the buffer, or null when no
/// directory can be found.
char* program_directory(const char* path);

/// Scans the open project file for its family tag, sets tool_family and closes the file.
void find_tool_family();

/// The family of the first piece of `reader`'s text that holds the start of a tag, the lowest
/// family within that piece; kNoFamily when no piece does. A zero byte hides the rest of its
/// piece from the tag tests.
Family scan_for_family(text::Reader& reader);

/// Starts the tool of tool_family (1 to 3) with `project_path`. Returns kStarted,
/// kNoToolConfigured after the message and the key wait, or kToolNotStarted.
int launch_tool(const char* project_path);

/// The project file's reader; open between the entry flow's check and the scan.
extern text::Reader project_reader;

}  // namespace zerudud
