// Windows hands a program one command line, which its runtime splits into argv; the recorder
// writes down both, so that a test sees the exact line the launcher built.
#include <windows.h>

const char* received_command_line() {
  return ::GetCommandLineA();
}
