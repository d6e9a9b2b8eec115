"""How the test servers here end: with the test process that started them.

The test process holds the write end of each server's stdin. However that process ends (even
when it crashes or is killed) the pipe closes, and the server ends with it instead of living on
and holding its port. The scripts are run by path, so this module beside them is found from
any working directory.
"""
import os
import sys
import threading


def _exit_when_stdin_closes():
    try:
        while sys.stdin.buffer.read(4096):
            pass
    finally:
        os._exit(0)


def end_with_stdin():
    """Ends the process once stdin closes; returns at once, the watch runs on a thread."""
    threading.Thread(target=_exit_when_stdin_closes, daemon=True).start()
