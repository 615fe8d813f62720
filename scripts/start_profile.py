#!/usr/bin/env python3
# start_profile.py - where start-up spends its time: the bare SDL2 window of
# bench_viewer and the viewer (snipvault, ended after its first frame) are
# started in turn ROUNDS times with SNIPVAULT_START_PROFILE set to the
# monotonic clock at spawn; each stage's median time from spawn is printed,
# with the step from the stage before it.
#
#   python3 scripts/start_profile.py [BUILD_DIR] [ROUNDS] [-- VIEWER ARGS...]
#
# Needs an X display (DISPLAY) and the built program and bench_viewer.
import os
import statistics
import subprocess
import sys
import tempfile
import time

args = sys.argv[1:]
viewer_args = []
if "--" in args:
    viewer_args = args[args.index("--") + 1:]
    args = args[:args.index("--")]
build = os.path.abspath(args[0] if args else "build")
rounds = int(args[1]) if len(args) > 1 else 20

programs = {
    "bare window": ([os.path.join(build, "bench", "bench_viewer"), "--bare-window"], {}),
    "viewer": ([os.path.join(build, "snipvault")] + viewer_args, {"SNIPVAULT_END_AFTER_FRAMES": "1"}),
}
marks = {name: {} for name in programs}
totals = {name: [] for name in programs}
with tempfile.TemporaryDirectory() as scratch:
    for _ in range(rounds):
        for name, (argv, extra) in programs.items():
            env = dict(os.environ, TMPDIR=scratch, **extra)
            start = time.monotonic_ns() // 1000
            env["SNIPVAULT_START_PROFILE"] = str(start)
            run = subprocess.run(argv, env=env, cwd=scratch, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.PIPE)
            totals[name].append((time.monotonic_ns() // 1000 - start) / 1000)
            if run.returncode != 0:
                sys.exit(f"{name} failed with {run.returncode}")
            for line in run.stderr.decode(errors="replace").splitlines():
                part = line.split()
                if len(part) == 3 and part[0] == "start-mark":
                    marks[name].setdefault(part[1], []).append(float(part[2]))

for name in programs:
    t = totals[name]
    print(f"{name}: process start to its end, median {statistics.median(t):.1f} ms, best {min(t):.1f} ms")
    before = 0.0
    for stage, times in sorted(marks[name].items(), key=lambda kv: statistics.median(kv[1])):
        at = statistics.median(times)
        print(f"  {stage:24s} {at:8.1f} ms  (+{at - before:6.1f})")
        before = at
print(f"viewer / bare window, medians of {rounds} alternating rounds: "
      f"{statistics.median(totals['viewer']) / statistics.median(totals['bare window']):.2f}x")
