// The seam between zerudud and the operating system. Everything above this header compiles
// unchanged for Linux and Windows; CMake builds exactly one of posix.cpp and win32.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zerudud::platform {

// An open file, or none. The handle is the platform's own (a descriptor or a HANDLE) held as
// an integer so that no system header leaks through here.
struct File {
  std::intptr_t handle = -1;
};

/// Opens `path` for reading only, shared with other readers and writers. A directory, or
/// anything else that cannot be opened, fails. Returns 0 and fills `file`, or -1.
int open_for_reading(const char* path, File& file);

/// Reads up to `size` bytes into `buffer`. Returns the number read, 0 at the end of the file,
/// or -1 on a read error. Retries reads that a signal interrupted.
long read(File file, char* buffer, std::size_t size);

/// Closes `file` if it is open and leaves it closed.
void close(File& file);

/// The length of the directory part of `path`, up to and including its last separator; 0
/// when `path` holds no separator. Windows separates with the backslash only, Linux with '/'.
std::size_t directory_length(std::string_view path);

/// Writes the full path of the running executable, zero-terminated, into `buffer`. Returns 0,
/// or -1 when the path is unknown or does not fit in `size` bytes (nothing usable is left).
int executable_path(char* buffer, std::size_t size);

/// Starts a tool and does not wait for it. `command_line` is the whole Windows command line
/// (the tool path, a space and the project path in double quotes); `tool_path` and
/// `project_path` are its two parts, for platforms that start programs from an argument
/// vector: there the tool path is split by the Windows rules and the project path is added as
/// one more argument, unchanged. The tool inherits the current directory, the environment and
/// the standard streams. Returns 0 when the process was started, -1 when it was not.
int start_process(char* command_line, std::string_view tool_path, const char* project_path);

/// Waits for one key press on the console or controlling terminal itself (never standard
/// input), without echo, and discards it. Returns at once when there is none to read from.
void wait_for_key();

enum class Stream { out, err };

/// Writes the parts, in order, as one message. Each line feed goes out as the platform's line
/// end. Messages reach their stream before the call returns.
void write(Stream stream, std::string_view a, std::string_view b = {}, std::string_view c = {});

/// Writes `format` with its one "%s" or "%d" replaced by `arg`; a format without a
/// placeholder is written as it stands.
inline void print(Stream stream, std::string_view format, std::string_view arg = {}) {
  const std::size_t at = format.find('%');
  if (at == std::string_view::npos || at + 1 >= format.size()) {
    write(stream, format);
  } else {
    // Built directly rather than with substr(), whose out_of_range throw would link the whole
    // C++ exception runtime into the Windows program.
    write(stream, {format.data(), at}, arg, {format.data() + at + 2, format.size() - at - 2});
  }
}

}  // namespace zerudud::platform
