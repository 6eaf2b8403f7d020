// The stand-in tool of the end-to-end tests. It appends what it was given to the file named by
// ZERUDUD_E2E_RECORD: its current directory, on Windows the whole command line as it arrived,
// then every argument from argv[0] on, each as "cwd ", "cmd " or "arg ", the byte count, a
// blank, the bytes and a line feed, so that any bytes at all (blanks, quotes, backslashes, line
// feeds) come back unambiguously, and a second start shows as a second record. When
// ZERUDUD_E2E_RELEASE names a file, it then holds on until that file exists (ten seconds at
// most) and creates ZERUDUD_E2E_RECORD + ".done" before it ends. When ZERUDUD_E2E_EXIT is set,
// it ends with that exit code once its record is written, as a tool that fails would.
// Standard C++ only, so that the same file builds for Windows; the command line comes from
// recorder_win32.cpp or, where there is none, recorder_posix.cpp.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

// The whole command line as the system handed it to this program, or null where a program
// receives its argument vector alone.
const char* received_command_line();

namespace {

void put(std::FILE* file, const char* tag, const std::string& text) {
  std::fprintf(file, "%s %zu ", tag, text.size());
  std::fwrite(text.data(), 1, text.size(), file);
  std::fputc('\n', file);
}

}  // namespace

int main(int argc, char** argv) {
  const char* const record = std::getenv("ZERUDUD_E2E_RECORD");
  std::FILE* const file = record != nullptr ? std::fopen(record, "ab") : nullptr;
  if (file == nullptr) {
    return 2;
  }
  put(file, "cwd", std::filesystem::current_path().string());
  if (const char* const command_line = received_command_line()) {
    put(file, "cmd", command_line);
  }
  for (int i = 0; i < argc; ++i) {
    put(file, "arg", argv[i]);
  }
  if (std::fclose(file) != 0) {
    return 2;
  }
  if (const char* const release = std::getenv("ZERUDUD_E2E_RELEASE")) {
    for (int i = 0; i < 1000 && !std::filesystem::exists(release); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::FILE* const done = std::fopen((std::string(record) + ".done").c_str(), "wb");
    if (done == nullptr || std::fclose(done) != 0) {
      return 2;
    }
  }
  const char* const exit_code = std::getenv("ZERUDUD_E2E_EXIT");
  return exit_code != nullptr ? std::atoi(exit_code) : 0;
}
