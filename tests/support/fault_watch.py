#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Watches the application while a page floods it, until SIGTERM.

Counts the writes of one file: each write puts a new file in its place, so a
new inode shows up there. Samples the proportional set size of one process
once a second. Prints the writes, the seconds watched and the samples in KiB:
    writes seconds pss0 pss1 ...
"""
import os
import signal
import sys
import time

path, pid = sys.argv[1], int(sys.argv[2])


def pss():
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Pss:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


stopped = False


def stop(*_):
    global stopped
    stopped = True


signal.signal(signal.SIGTERM, stop)
inode, writes, samples = None, 0, []
start = next_sample = time.monotonic()
while not stopped:
    try:
        now = os.stat(path).st_ino
    except OSError:
        now = None
    if now is not None and now != inode:
        writes += inode is not None
        inode = now
    if time.monotonic() >= next_sample:
        samples.append(pss())
        next_sample += 1
    # A write takes far longer than this, and the old file is still in place
    # while the new one is made, so no write goes unseen.
    time.sleep(0.002)
print(writes, round(time.monotonic() - start, 2), *samples)
