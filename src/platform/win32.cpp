// The Windows side of the platform seam. It uses the ANSI (code page) interfaces throughout, so
// every path and command line is passed on byte for byte.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>
#include <initializer_list>

#include "platform/platform.hpp"

// The runtime expands wildcards in the arguments when this is nonzero, which would turn a
// project path holding '*' or '?' into the name of some other file. mingw-w64 leaves it off
// unless its runtime was configured otherwise; defining it here keeps it off with any runtime.
extern "C" {
int _dowildcard = 0;
}

namespace zerudud::platform {

namespace {

HANDLE handle_of(File file) {
  return reinterpret_cast<HANDLE>(file.handle);
}

// Shift, Ctrl, Alt and the lock keys change the state of the keyboard; pressed alone, they are
// not the key press that the wait is for.
bool is_modifier(WORD virtual_key) {
  switch (virtual_key) {
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
      return true;
    default:
      return false;
  }
}

// A key press ends the wait when it brings a character, or when it is a key without one
// (a function key, an arrow, Insert, Delete, Home, End, Page Up, Page Down) that is no
// modifier. Releases, mouse, focus, menu and window size events do not.
bool ends_wait(const INPUT_RECORD& event) {
  if (event.EventType != KEY_EVENT || !event.Event.KeyEvent.bKeyDown) {
    return false;
  }
  return event.Event.KeyEvent.uChar.AsciiChar != 0 ||
         !is_modifier(event.Event.KeyEvent.wVirtualKeyCode);
}

}  // namespace

int open_for_reading(const char* path, File& file) {
  // Without FILE_FLAG_BACKUP_SEMANTICS a directory fails to open, as it should.
  const HANDLE handle = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return -1;
  }
  file.handle = reinterpret_cast<std::intptr_t>(handle);
  return 0;
}

long read(File file, char* buffer, std::size_t size) {
  const DWORD want = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
  DWORD got = 0;
  if (!::ReadFile(handle_of(file), buffer, want, &got, nullptr)) {
    // A pipe whose writer has gone has simply ended.
    return ::GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
  }
  return static_cast<long>(got);
}

void close(File& file) {
  if (file.handle != -1) {
    ::CloseHandle(handle_of(file));
    file.handle = -1;
  }
}

std::size_t directory_length(std::string_view path) {
  const std::size_t backslash = path.rfind('\\');
  return backslash == std::string_view::npos ? 0 : backslash + 1;
}

int executable_path(char* buffer, std::size_t size) {
  const DWORD room = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
  const DWORD length = ::GetModuleFileNameA(nullptr, buffer, room);
  // A path that filled the whole buffer was cut short (and is not zero-terminated on older
  // systems), so it is of no use.
  if (length == 0 || length >= room) {
    return -1;
  }
  return 0;
}

int start_process(char* command_line, std::string_view /*tool_path*/,
                  const char* /*project_path*/) {
  // All zero but its size: the tool gets the default window and standard handles.
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, command_line, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return -1;
  }
  // The launcher never waits for the tool; the handles are closed so that none is left open.
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return 0;
}

void wait_for_key() {
  // The console itself, not standard input, which may be redirected from a file.
  const HANDLE console =
      ::CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) {
    return;
  }
  DWORD saved_mode = 0;
  if (::GetConsoleMode(console, &saved_mode)) {
    // Mode 0: no line input, no echo, and Ctrl+C arrives as an ordinary key instead of
    // stopping the process.
    ::SetConsoleMode(console, 0);
    INPUT_RECORD event;
    DWORD got = 0;
    // The read waits until an event is there; one that fails, or brings nothing, ends the wait.
    while (::ReadConsoleInputA(console, &event, 1, &got) && got == 1 && !ends_wait(event)) {
    }
    ::SetConsoleMode(console, saved_mode);
  }
  ::CloseHandle(console);
}

void write(Stream stream, std::string_view a, std::string_view b, std::string_view c) {
  // The runtime's standard streams are in text mode: each line feed goes out as CR LF.
  std::FILE* const to = stream == Stream::out ? stdout : stderr;
  for (const std::string_view part : {a, b, c}) {
    if (!part.empty()) {
      std::fwrite(part.data(), 1, part.size(), to);
    }
  }
  // Standard output is buffered when it is not a console; the message must be out before a
  // key wait, and in order with the other stream.
  std::fflush(to);
}

}  // namespace zerudud::platform
