#include "tool_paths/tool_paths.hpp"

#include <charconv>
#include <cstring>

#include "platform/platform.hpp"

namespace zerudud {

char tool_paths[kFamilyCount][kToolPathSize];

namespace {

using platform::Stream;

text::Reader settings_reader;
char settings_line[512];
char key_field[kKeyFieldSize];

bool is_white_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void report_line(std::string_view format, int line_number) {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, line_number);
  platform::print(Stream::err, format, std::string_view(digits, result.ptr - digits));
}

// Stores the key of a path line in the key field, or leaves the field empty when the line is
// not one. A key too long for the field is stored empty as well: it would match no family.
// Returns whether the line has the path-line form.
bool match_path_line(std::string_view line) {
  key_field[0] = '\0';
  if (line.size() < kPathLinePrefix.size() ||
      std::string_view(line.data(), kPathLinePrefix.size()) != kPathLinePrefix) {
    return false;
  }
  std::size_t at = kPathLinePrefix.size();
  while (at < line.size() && is_white_space(line[at])) {
    ++at;
  }
  std::size_t stop = at;
  while (stop < line.size() && !is_white_space(line[stop])) {
    ++stop;
  }
  const std::string_view key(line.data() + at, stop - at);
  if (key.empty()) {
    return false;
  }
  if (key.size() < kKeyFieldSize) {
    std::memcpy(key_field, key.data(), key.size());
    key_field[key.size()] = '\0';
  }
  return true;
}

}  // namespace

void read_settings(text::Reader& reader) {
  int line_number = 0;
  while (text::read_piece(reader, settings_line, kSettingsPieceLimit) != 0) {
    ++line_number;
    // A zero byte ends the line as far as every test below is concerned.
    char* const line_data = settings_line;
    const std::string_view line(line_data, std::strlen(line_data));
    if (!line.empty() && line[0] == '#') {
      continue;
    }
    if (line.size() > kMaxSettingsLine) {
      report_line("Line too long (#%d) in INI File\n", line_number);
      continue;
    }
    if (!match_path_line(line)) {
      report_line("bad line (#%d) in INI File\n", line_number);
      continue;
    }
    const std::size_t separator = line.find(kSeparator);
    if (separator == std::string_view::npos) {
      continue;
    }
    // The value runs from the separator to the first control character; bytes from 0x80 up
    // are ordinary characters.
    char* const value = line_data + separator + kSeparator.size();
    std::size_t length = 0;
    while (static_cast<unsigned char>(value[length]) >= 0x20) {
      ++length;
    }
    value[length] = '\0';
    for (const FamilyEntry& entry : kFamilies) {
      if (entry.key == key_field) {
        std::memcpy(tool_path(entry.family), value, length + 1);
        break;
      }
    }
  }
}

int read_tool_paths(char* directory) {
  const std::size_t length = directory != nullptr ? std::strlen(directory) : 0;
  const bool fits =
      directory != nullptr && length + kSettingsFileName.size() < kDirectoryBufferSize;
  if (fits) {
    std::memcpy(directory + length, kSettingsFileName.data(), kSettingsFileName.size());
    directory[length + kSettingsFileName.size()] = '\0';
  }
  if (!fits || text::open_file(settings_reader, directory) != 0) {
    platform::print(Stream::err, "INI File %s Not Found!\n", kSettingsFileName);
    return 1;
  }
  read_settings(settings_reader);
  text::close(settings_reader);
  return 0;
}

int load_tool_paths(char* directory) {
  if (read_tool_paths(directory) != 0) {
    platform::print(Stream::err, "Can't Read INI File.\n");
    return -1;
  }
  return 0;
}

}  // namespace zerudud
