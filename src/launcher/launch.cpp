#include <charconv>
#include <cstring>
#include <string_view>

#include "launcher/launcher.hpp"
#include "platform/platform.hpp"

namespace zerudud {

namespace {

using platform::Stream;

char command_line[kCommandLineSize];

}  // namespace

int launch_tool(const char* project_path) {
  const std::string_view tool = tool_path(tool_family);
  if (tool.empty()) {
    platform::print(Stream::out, "%s", "TOOL NOT IDENTIFIED, CAN'T LAUNCH PROJECT\n");
    platform::wait_for_key();
    return kNoToolConfigured;
  }
  // The tool path as configured, a space, then the project path in double quotes. A line that
  // does not fit is never started: a cut one would start something that was not asked for.
  const std::string_view project(project_path);
  const std::size_t length = tool.size() + 2 + project.size() + 1;
  if (length >= kCommandLineSize) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, length);
    platform::print(Stream::err, "Command line too long (%d characters), tool not started\n",
                    std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
    return kToolNotStarted;
  }
  char* at = command_line;
  std::memcpy(at, tool.data(), tool.size());
  at += tool.size();
  *at++ = ' ';
  *at++ = '"';
  std::memcpy(at, project.data(), project.size());
  at += project.size();
  *at++ = '"';
  *at = '\0';
  return platform::start_process(command_line, tool, project_path) == 0 ? kStarted
                                                                        : kToolNotStarted;
}

}  // namespace zerudud
