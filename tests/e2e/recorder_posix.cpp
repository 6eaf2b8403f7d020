// Linux starts a program with its argument vector alone: there is no command line to record.
const char* received_command_line() {
  return nullptr;
}
