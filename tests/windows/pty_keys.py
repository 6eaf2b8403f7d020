#!/usr/bin/env python3
"""Runs a command on a fresh pseudo-terminal, types keys into it, and tells how it ended.

    pty_keys.py DELAY KEYS_HEX LIMIT -- COMMAND...

After DELAY seconds the bytes KEYS_HEX (hex, may be empty) are typed. Prints "exit N" with the
command's exit status when it ends within LIMIT seconds, else ends it and prints "waiting".
Under Wine a terminal gives the program a console, so this is how the key wait is exercised.
"""
import os
import pty
import select
import signal
import sys
import time


def main():
    if len(sys.argv) < 6 or sys.argv[4] != "--":
        sys.exit(__doc__)
    delay, keys, limit = float(sys.argv[1]), bytes.fromhex(sys.argv[2]), float(sys.argv[3])
    pid, terminal = pty.fork()
    if pid == 0:
        os.execvp(sys.argv[5], sys.argv[5:])
    start = time.monotonic()
    typed = not keys
    while True:
        now = time.monotonic() - start
        if not typed and now >= delay:
            os.write(terminal, keys)
            typed = True
        # Whatever the program draws is read and dropped, so that it never blocks on output.
        ready, _, _ = select.select([terminal], [], [], 0.05)
        if ready:
            try:
                os.read(terminal, 4096)
            except OSError:
                pass
        done, status = os.waitpid(pid, os.WNOHANG)
        if done:
            print("exit", os.waitstatus_to_exitcode(status))
            return
        if now >= limit:
            os.kill(pid, signal.SIGKILL)
            os.waitpid(pid, 0)
            print("waiting")
            return


main()
