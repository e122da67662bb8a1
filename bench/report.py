#!/usr/bin/env python3
"""Times the three programs against `cat` on whole fonts and checks the targets.

Every command of a font is timed in the same run (hyperfine when it is
installed, else a plain repeated-run loop), output to /dev/null, after warm-up
runs that also fill the page cache, in rounds that take the commands in turn.
The table gives medians and the ratio of each median to the median of
`cat FONT`. Peak resident memory of every program is measured on each font and
on a ten-glyph font.

Targets (checked on the font named unifont, when it is among the fonts):
  glyphstout (default and -r -L)       at most 4 x cat
  glyphslope                           at most 8 x cat
  glyphstoutslope (default and -r -L)  at most 8 x cat
  glyphslope -b, glyphslope -b -s 6    at most 1.1 x glyphslope
  glyphstout -a, glyphstoutslope -a    at most 1.1 x the same program without -a
  every program: peak memory on unifont at most 1 MiB above the ten-glyph font
Exit status 1 when a target is missed, 2 on a usage or run error.
"""

import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

RUNS = [
    ("glyphstout", [], 4.0),
    ("glyphstout", ["-r", "-L"], 4.0),
    ("glyphslope", [], 8.0),
    ("glyphstoutslope", [], 8.0),
    ("glyphstoutslope", ["-r", "-L"], 8.0),
    ("glyphslope", ["-b"], 8.0),
    ("glyphslope", ["-b", "-s", "6"], 8.0),
    ("glyphstout", ["-a"], 4.0),
    ("glyphstoutslope", ["-a"], 8.0),
]
# Runs held against another run of the same round: (run, the run it is
# compared with, the largest ratio of their medians).
RELATIVE = {
    "glyphslope -b": ("glyphslope", 1.1),
    "glyphslope -b -s 6": ("glyphslope", 1.1),
    "glyphstout -a": ("glyphstout", 1.1),
    "glyphstoutslope -a": ("glyphstoutslope", 1.1),
}
MEMORY_SLACK_KIB = 1024
TARGET_FONT = "unifont"


def label(tool, opts):
    return " ".join([tool] + opts)


# Runs of each command per round. A machine's speed drifts over seconds, so
# the commands are timed in rounds, each round running every command a few
# times in turn: a slow spell falls on all of them alike instead of on the
# one whose runs happen to be under way.
RUNS_PER_ROUND = 3


def time_round(commands, runs, warmup):
    """The wall times in seconds of `runs` runs of each command, in turn."""
    if shutil.which("hyperfine"):
        with tempfile.NamedTemporaryFile(suffix=".json") as js:
            argv = ["hyperfine", "-N", "--style", "none", "--output", "null",
                    "--warmup", str(warmup), "--runs", str(runs), "--export-json", js.name]
            argv += [" ".join(c) for c in commands]
            # hyperfine's warnings (a slow first run of a round) are not
            # wanted between the lines of the table; its errors are.
            done = subprocess.run(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                  text=True)
            if done.returncode != 0:
                sys.stderr.write(done.stderr)
                done.check_returncode()
            return [r["times"] for r in json.load(open(js.name))["results"]]
    times = []
    with open(os.devnull, "wb") as null:
        for c in commands:
            for _ in range(warmup):
                subprocess.run(c, stdout=null, check=True)
            samples = []
            for _ in range(runs):
                start = time.perf_counter()
                subprocess.run(c, stdout=null, check=True)
                samples.append(time.perf_counter() - start)
            times.append(samples)
    return times


def time_commands(commands, runs, warmup):
    """Median wall time in seconds of each command (a list of argv lists),
    over `runs` runs in rounds of RUNS_PER_ROUND; each command is
    warmed up anew in every round, the first round `warmup` times."""
    times = [[] for _ in commands]
    done = 0
    while done < runs:
        per_round = min(RUNS_PER_ROUND, runs - done)
        for all_times, new in zip(times, time_round(commands, per_round,
                                                    warmup if done == 0 else 1)):
            all_times.extend(new)
        done += per_round
    return [statistics.median(t) for t in times]


def peak_rss_kib(argv):
    """Peak resident memory of a run, measured by GNU time: a child of this
    script would count the script's own pages, copied before its exec. 0 when
    GNU time is not installed."""
    if not os.path.exists("/usr/bin/time"):
        return 0
    with tempfile.NamedTemporaryFile(mode="r") as report:
        with open(os.devnull, "wb") as null:
            subprocess.run(["/usr/bin/time", "-o", report.name, "-f", "%M"] + argv,
                           stdout=null, check=True)
        return int(report.read().split()[-1])


def ten_glyph_font(source, path):
    """The first ten glyphs of `source`, with CHARS set to match."""
    out, glyphs = [], 0
    with open(source, "rb") as f:
        for line in f:
            if line.startswith(b"CHARS "):
                line = b"CHARS 10\n"
            if glyphs == 10 and not line.startswith(b"ENDFONT"):
                continue
            out.append(line)
            if line.startswith(b"ENDCHAR"):
                glyphs += 1
    with open(path, "wb") as f:
        f.writelines(out)


def glyph_count(path):
    with open(path, "rb") as f:
        return sum(1 for line in f if line.startswith(b"STARTCHAR"))


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--bin", required=True, help="folder holding the three programs")
    ap.add_argument("--baseline", help="folder of older programs, timed in the same runs")
    ap.add_argument("--runs", type=int, default=11)
    ap.add_argument("--warmup", type=int, default=3)
    ap.add_argument("--small", required=True, help="a font to cut the ten-glyph font from")
    ap.add_argument("fonts", nargs="+")
    args = ap.parse_args()

    missed = []
    with tempfile.TemporaryDirectory() as tmp:
        small = os.path.join(tmp, "ten-glyphs.bdf")
        ten_glyph_font(args.small, small)
        small_rss = {tool: peak_rss_kib([os.path.join(args.bin, tool), small])
                     for tool in sorted({r[0] for r in RUNS})}

        header = f"{'font':<18} {'MB':>6} {'glyphs':>7}  {'command':<22} {'median ms':>10} {'x cat':>7}"
        if args.baseline:
            header += f" {'before ms':>10} {'x cat':>7}"
        header += f" {'peak KiB':>9}  target"
        print(header)
        print("-" * len(header))
        for font in args.fonts:
            name = os.path.splitext(os.path.basename(font))[0]
            commands = [["cat", font]]
            commands += [[os.path.join(args.bin, t)] + o + [font] for t, o, _ in RUNS]
            if args.baseline:
                commands += [[os.path.join(args.baseline, t)] + o + [font] for t, o, _ in RUNS]
            medians = time_commands(commands, args.runs, args.warmup)
            cat = medians[0]
            size = os.path.getsize(font) / 1e6
            print(f"{name:<18} {size:>6.1f} {glyph_count(font):>7}  {'cat':<22} "
                  f"{cat * 1e3:>10.1f} {1.0:>7.1f}")
            for i, (tool, opts, target) in enumerate(RUNS):
                ms, ratio = medians[1 + i] * 1e3, medians[1 + i] / cat
                rss = peak_rss_kib(commands[1 + i])
                line = f"{'':<18} {'':>6} {'':>7}  {label(tool, opts):<22} {ms:>10.1f} {ratio:>7.1f}"
                if args.baseline:
                    before = medians[1 + len(RUNS) + i]
                    line += f" {before * 1e3:>10.1f} {before / cat:>7.1f}"
                line += f" {rss:>9}"
                if name == TARGET_FONT:
                    ok_time = ratio <= target
                    ok_mem = rss - small_rss[tool] <= MEMORY_SLACK_KIB
                    line += f"  {'ok' if ok_time else 'MISSED'} <= {target:g}x"
                    if label(tool, opts) in RELATIVE:
                        other, most = RELATIVE[label(tool, opts)]
                        j = next(k for k, r in enumerate(RUNS) if label(r[0], r[1]) == other)
                        relative = medians[1 + i] / medians[1 + j]
                        line += (f", {relative:.2f} x {other} "
                                 f"{'ok' if relative <= most else 'MISSED'} <= {most:g}")
                        if relative > most:
                            missed.append(f"{label(tool, opts)}: {relative:.2f} x {other} > {most:g}")
                    line += f", memory {'ok' if ok_mem else 'MISSED'} ({rss - small_rss[tool]:+d} KiB)"
                    if not ok_time:
                        missed.append(f"{label(tool, opts)}: {ratio:.1f} x cat > {target:g}")
                    if not ok_mem:
                        missed.append(f"{label(tool, opts)}: peak memory {rss} KiB, "
                                      f"ten-glyph font {small_rss[tool]} KiB")
                print(line)
        print()
        print("peak KiB on the ten-glyph font: " +
              ", ".join(f"{t} {k}" for t, k in small_rss.items()))
    if not any(os.path.splitext(os.path.basename(f))[0] == TARGET_FONT for f in args.fonts):
        print(f"targets not checked: {TARGET_FONT} is not among the fonts")
    for m in missed:
        print(f"target missed: {m}", file=sys.stderr)
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
