/* A stand-in tool for the Windows checks. It writes its whole command line and its current
 * directory, one per line, to the file named by its first argument: first to that name with
 * ".part" added, then renamed, so that a reader never sees half a record. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

int main(int argc, char** argv) {
  char part[MAX_PATH + 8];
  char directory[MAX_PATH];
  FILE* out;
  if (argc < 2 || strlen(argv[1]) >= MAX_PATH) {
    return 2;
  }
  snprintf(part, sizeof part, "%s.part", argv[1]);
  if (GetCurrentDirectoryA(sizeof directory, directory) == 0 || !(out = fopen(part, "wb"))) {
    return 3;
  }
  fprintf(out, "%s\n%s\n", GetCommandLineA(), directory);
  fclose(out);
  return MoveFileA(part, argv[1]) ? 0 : 4;
}
