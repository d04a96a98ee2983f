#!/usr/bin/env python3
"""Start-up time of whole Brixo processes: with no panel and with a panel named on the command
line, for one or more builds, interleaved in one run. Usage:
    measure_startup.py PANEL RUNS BRIXO [BRIXO ...]
Each process uses the offscreen platform and BRIXO_QUIT_AFTER_START, so it leaves after its
first event-loop turn; the wall-clock median of RUNS starts is printed per build and case."""
import os
import statistics
import subprocess
import sys
import time

panel, runs, programs = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
env = dict(os.environ, QT_QPA_PLATFORM="offscreen", BRIXO_QUIT_AFTER_START="1")
times = {(p, case): [] for p in programs for case in ("none", "panel")}
for _ in range(runs):
    for p in programs:
        for case, args in (("none", [p]), ("panel", [p, panel])):
            start = time.perf_counter()
            subprocess.run(args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=60, check=True)
            times[(p, case)].append(time.perf_counter() - start)
for p in programs:
    none = statistics.median(times[(p, "none")]) * 1000
    with_panel = statistics.median(times[(p, "panel")]) * 1000
    print(f"{p}: no panel {none:.1f} ms, with panel {with_panel:.1f} ms, "
          f"panel costs {with_panel - none:.1f} ms")
