// Starts a Windows program with argument 0 exactly as given, as a command prompt or another
// program does. The end-to-end tests need it under Wine, whose loader always replaces argument 0
// by the program's full Windows path:
//   starter APPLICATION ARGUMENT0 [ARGUMENT...]
// It joins ARGUMENT0 and the other arguments into one command line, each quoted so that the
// runtime's splitter gives it back unchanged, and starts APPLICATION with that line; when
// APPLICATION is empty, Windows finds the program that ARGUMENT0 names (in this program's
// folder, the current folder, the system folders, then PATH). The program gets this one's
// standard handles; the starter waits for it and ends with its exit code. A start that fails
// is reported on standard error, with exit code 127.
#include <windows.h>

#include <cstdio>
#include <string>

#include "../common/windows_quoting.hpp"

namespace {

// Argument 0 ends at the first blank or tab unless it is quoted, and the runtime reads no
// escapes in it.
void add_program(std::string& line, const std::string& name) {
  if (name.find_first_of(" \t") == std::string::npos && !name.empty()) {
    line += name;
  } else {
    line += '"' + name + '"';
  }
}

// The other arguments: backslashes are literal except before a double quote, where each one
// and the quote itself take a backslash of their own.
void add_argument(std::string& line, const std::string& argument) {
  line += ' ';
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
    line += argument;
    return;
  }
  windows_quoting::append_quoted(line, argument);
}

HANDLE inherited(DWORD which) {
  const HANDLE handle = ::GetStdHandle(which);
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
    ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  }
  return handle;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: starter APPLICATION ARGUMENT0 [ARGUMENT...]\n");
    return 2;
  }
  const std::string application = argv[1];
  std::string line;
  add_program(line, argv[2]);
  for (int i = 3; i < argc; ++i) {
    add_argument(line, argv[i]);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inherited(STD_INPUT_HANDLE);
  startup.hStdOutput = inherited(STD_OUTPUT_HANDLE);
  startup.hStdError = inherited(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(application.empty() ? nullptr : application.c_str(), line.data(), nullptr,
                        nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "starter: cannot start %s (error %lu)\n", line.c_str(), ::GetLastError());
    return 127;
  }
  ::CloseHandle(process.hThread);
  DWORD code = 0;
  ::WaitForSingleObject(process.hProcess, INFINITE);
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hProcess);
  return static_cast<int>(code);
}
