/* Runs a command line the way the Windows checks need and reports its full 32-bit exit code:
 *   spawn console|detached OUT ERR COMMAND_LINE
 * "detached" starts it without any console (DETACHED_PROCESS), "console" on this program's
 * console. Its standard output and error go to the files OUT and ERR, its standard input is
 * none. Prints "exit 0x%08lX"; a command that is still running after 20 seconds is ended and
 * reported as "timeout". */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static HANDLE open_output(const char* path) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
  return CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
}

int main(int argc, char** argv) {
  STARTUPINFOA startup;
  PROCESS_INFORMATION process;
  DWORD flags;
  DWORD code = 0;
  if (argc != 5 || (strcmp(argv[1], "console") != 0 && strcmp(argv[1], "detached") != 0)) {
    fprintf(stderr, "usage: spawn console|detached OUT ERR COMMAND_LINE\n");
    return 2;
  }
  flags = strcmp(argv[1], "detached") == 0 ? DETACHED_PROCESS : 0;
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = NULL;
  startup.hStdOutput = open_output(argv[2]);
  startup.hStdError = open_output(argv[3]);
  if (startup.hStdOutput == INVALID_HANDLE_VALUE || startup.hStdError == INVALID_HANDLE_VALUE) {
    fprintf(stderr, "spawn: cannot create %s or %s\n", argv[2], argv[3]);
    return 3;
  }
  if (!CreateProcessA(NULL, argv[4], NULL, NULL, TRUE, flags, NULL, NULL, &startup, &process)) {
    fprintf(stderr, "spawn: cannot start %s (error %lu)\n", argv[4], GetLastError());
    return 4;
  }
  if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    printf("timeout\n");
    return 0;
  }
  GetExitCodeProcess(process.hProcess, &code);
  printf("exit 0x%08lX\n", code);
  return 0;
}
