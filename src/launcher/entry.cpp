#include <cstring>

#include "launcher/launcher.hpp"
#include "platform/platform.hpp"

namespace zerudud {

Family tool_family = kNoFamily;
text::Reader project_reader;

namespace {

using platform::Stream;

char directory_buffer[kDirectoryBufferSize];

// Cuts the directory buffer's text after its last separator; returns whether it had one.
bool cut_after_last_separator() {
  const std::size_t length = platform::directory_length(directory_buffer);
  directory_buffer[length] = '\0';
  return length != 0;
}

}  // namespace

char* program_directory(const char* path) {
  const std::size_t length = std::strlen(path);
  if (length < kDirectoryBufferSize) {
    std::memcpy(directory_buffer, path, length + 1);
    if (cut_after_last_separator()) {
      return directory_buffer;
    }
  }
  // Started by bare name (through PATH, or from a prompt), or by a path longer than the buffer:
  // the settings file lies beside the executable itself.
  if (platform::executable_path(directory_buffer, kDirectoryBufferSize) == 0 &&
      cut_after_last_separator()) {
    return directory_buffer;
  }
  directory_buffer[0] = '\0';
  return nullptr;
}

int run(int argc, char** argv) {
  if (argc < 2) {
    platform::print(Stream::err, "No file specified...\n");
    return kNoProjectArgument;
  }
  const char* const project_path = argv[1];
  if (text::open_file(project_reader, project_path) != 0) {
    platform::print(Stream::err, "Error opening file ''%s''\n", project_path);
    return kProjectUnreadable;
  }
  if (load_tool_paths(program_directory(argv[0])) != 0) {
    platform::print(Stream::err, "PROBLEM READING .INI FILE, '%s'.\n", kSettingsFileName);
    text::close(project_reader);
    return kSettingsUnreadable;
  }
  find_tool_family();
  if (tool_family == kNoFamily) {
    return kNoFamilyTag;
  }
  return launch_tool(project_path);
}

}  // namespace zerudud
