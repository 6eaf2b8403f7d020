// The Linux (POSIX) side of the platform seam.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/command_line.hpp"
#include "platform/platform.hpp"

extern char** environ;

namespace zerudud::platform {

namespace {

// The tool's arguments: its path split by the Windows rules, then the project path. The tool
// path is shorter than the 512-byte command line it came from, so both arrays suffice.
char argument_text[512];
const char* arguments[258];

int descriptor(File file) {
  return static_cast<int>(file.handle);
}

}  // namespace

int open_for_reading(const char* path, File& file) {
  // Non-blocking for the open only, so that a FIFO without a writer cannot hang it.
  const int fd = ::open(path, O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    return -1;
  }
  struct stat status;
  if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  file.handle = fd;
  return 0;
}

long read(File file, char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(descriptor(file), buffer, size);
    if (got >= 0 || errno != EINTR) {
      return static_cast<long>(got);
    }
  }
}

void close(File& file) {
  if (file.handle >= 0) {
    ::close(descriptor(file));
    file.handle = -1;
  }
}

std::size_t directory_length(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

int executable_path(char* buffer, std::size_t size) {
  const ssize_t length = ::readlink("/proc/self/exe", buffer, size);
  if (length <= 0 || static_cast<std::size_t>(length) >= size) {
    return -1;
  }
  buffer[length] = '\0';
  return 0;
}

int start_process(char* /*command_line*/, std::string_view tool_path, const char* project_path) {
  constexpr std::size_t kSlots = sizeof arguments / sizeof arguments[0];
  // One slot stays free for the project path.
  const int count =
      split_command_line(tool_path, argument_text, sizeof argument_text, arguments, kSlots - 1);
  if (count <= 0) {
    return -1;
  }
  arguments[count] = project_path;
  arguments[count + 1] = nullptr;
  pid_t child = 0;
  // posix_spawnp reports a program that cannot be executed as a failure, and looks a bare name
  // up on PATH; no shell ever sees the project path.
  return ::posix_spawnp(&child, arguments[0], nullptr, nullptr, const_cast<char* const*>(arguments),
                        environ) == 0
             ? 0
             : -1;
}

void wait_for_key() {
  const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (tty < 0) {
    return;
  }
  termios saved;
  if (::tcgetattr(tty, &saved) != 0) {
    ::close(tty);
    return;
  }
  // No line input, no echo, no signal keys and no flow control: every key, Ctrl+C and Ctrl+S
  // included, is one ordinary byte that ends the wait.
  termios raw = saved;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | ICRNL);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (::tcsetattr(tty, TCSANOW, &raw) == 0) {
    char key[32];
    ssize_t got = 0;
    do {
      got = ::read(tty, key, sizeof key);
    } while (got < 0 && errno == EINTR);
    // A function or arrow key sends an escape sequence; take the rest of it too, so that
    // nothing of it is left for the shell. Its bytes arrive together, within a tenth of a
    // second.
    if (got > 0 && key[0] == '\x1b') {
      raw.c_cc[VMIN] = 0;
      raw.c_cc[VTIME] = 1;
      if (::tcsetattr(tty, TCSANOW, &raw) == 0) {
        while (::read(tty, key, sizeof key) > 0) {
        }
      }
    }
    ::tcsetattr(tty, TCSANOW, &saved);
  }
  ::close(tty);
}

void write(Stream stream, std::string_view a, std::string_view b, std::string_view c) {
  const int fd = stream == Stream::out ? STDOUT_FILENO : STDERR_FILENO;
  iovec parts[3] = {{const_cast<char*>(a.data()), a.size()},
                    {const_cast<char*>(b.data()), b.size()},
                    {const_cast<char*>(c.data()), c.size()}};
  iovec* next = parts;
  int left = 3;
  // One writev keeps a message whole; a short write (a full pipe) carries on where it ended.
  while (left > 0) {
    const ssize_t done = ::writev(fd, next, left);
    if (done < 0) {
      if (errno == EINTR) {
        continue;
      }
      return;
    }
    std::size_t rest = static_cast<std::size_t>(done);
    while (left > 0 && rest >= next->iov_len) {
      rest -= next->iov_len;
      ++next;
      --left;
    }
    if (left > 0) {
      next->iov_base = static_cast<char*>(next->iov_base) + rest;
      next->iov_len -= rest;
    }
  }
}

}  // namespace zerudud::platform
