#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs every benchmark and prints one table: each figure beside its baseline,
measured in the same run, and their ratio. scripts/bench calls it under a
virtual display, a private session bus and temporary XDG folders.

    table.py BUILD_DIR [--runs N]
"""

import argparse
import json
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

LOBBY = "velmar-casino.html"
TABLE = "roulette-3d.html"
# kPlaceholderDelay in src/host/decisions.h.
PLACEHOLDER_DELAY_MS = 200


def now_us():
    return time.monotonic_ns() // 1000


def family(root):
    """A process and all its descendants."""
    children = {}
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open(f"/proc/{name}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        ppid = int(stat[stat.rindex(")") + 2:].split()[1])
        children.setdefault(ppid, []).append(int(name))
    found = [root]
    for pid in found:
        found.extend(children.get(pid, []))
    return found


def cpu_ms(pid):
    """User and system time a process has used so far, all its threads."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) * 1000 / os.sysconf("SC_CLK_TCK")
    except OSError:
        return 0


def tree_pss_kib(root):
    """The proportional set size of a process and all its descendants."""
    total = 0
    for pid in family(root):
        try:
            with open(f"/proc/{pid}/smaps_rollup") as f:
                for line in f:
                    if line.startswith("Pss:"):
                        total += int(line.split()[1])
                        break
        except OSError:
            pass
    return total


class Program:
    """One run of the application or of the bare window, until its page loaded."""

    def __init__(self, argv, env, timeout=120):
        self.start = now_us()
        self.proc = subprocess.Popen(argv, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.loaded = None
        deadline = time.monotonic() + timeout
        for line in self.proc.stdout:
            if line.startswith("loaded "):
                self.loaded = int(line.split()[1])
                self.cpu = cpu_ms(self.proc.pid)
                self.tree_cpu = sum(cpu_ms(pid) for pid in family(self.proc.pid))
                break
            if time.monotonic() > deadline:
                break
        if self.loaded is None:
            self.stop()
            raise RuntimeError(f"{argv[0]} never reported its page loaded")

    def startup_ms(self):
        return (self.loaded - self.start) / 1000

    def stop(self):
        # The application saves and quits on SIGTERM; the bare window just ends.
        self.proc.send_signal(signal.SIGTERM)
        try:
            self.proc.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


def private_env(home, page=None):
    env = dict(os.environ)
    for var in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"):
        env[var] = os.path.join(home, var)
        os.makedirs(env[var], exist_ok=True)
    if page:
        prefs = os.path.join(env["XDG_CONFIG_HOME"], "velmar-casino")
        os.makedirs(prefs, exist_ok=True)
        with open(os.path.join(prefs, "preferences.ini"), "w") as f:
            f.write(f"[Preferences]\nlastPage={page}\nreopenLastTable=true\n")
    env["VELMAR_BENCH_STAMP"] = "1"
    return env


def startup_and_memory(build, runs, settle):
    app = [os.path.join(build, "bin", "velmar-casino")]
    web = os.path.join(build, "share", "velmar-casino", "web")
    bare = [os.path.join(build, "bench", "bench_bare_window")]
    scratch = tempfile.mkdtemp(prefix="velmar-bench-")
    lobby_env = private_env(os.path.join(scratch, "app"))
    bare_env = private_env(os.path.join(scratch, "bare"))
    table_env = private_env(os.path.join(scratch, "app-table"), TABLE)

    # Interleaved, so that both see the same load; the first pair warms the
    # caches and is not counted.
    times = {"app": [], "bare": []}
    cpu = {"app": [], "bare": [], "app-all": [], "bare-all": []}
    for i in range(runs + 1):
        for name, argv, env in (("app", app, lobby_env), ("bare", bare + ["file://" + os.path.join(web, LOBBY)], bare_env)):
            p = Program(argv, env)
            if i:
                times[name].append(p.startup_ms())
                cpu[name].append(p.cpu)
                cpu[name + "-all"].append(p.tree_cpu)
            p.stop()

    # A table shown, after its first frames have settled.
    pss = {"app": [], "bare": []}
    for _ in range(3):
        for name, argv, env in (("app", app, table_env), ("bare", bare + ["file://" + os.path.join(web, TABLE)], bare_env)):
            p = Program(argv, env)
            time.sleep(settle)
            pss[name].append(tree_pss_kib(p.proc.pid) / 1024)
            p.stop()
    subprocess.run(["rm", "-rf", scratch])
    median = lambda d: {k: statistics.median(v) for k, v in d.items()}
    return median(times), median(pss), median(cpu), times


def google_benchmark(build, name, only=None, env=None):
    # The figures go to a file of their own: helpers the engine starts (the
    # accessibility registry) print to the same standard output.
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        argv = [os.path.join(build, "bench", name), "--benchmark_out_format=json", "--benchmark_out=" + out.name]
        if only:
            argv.append("--benchmark_filter=" + only)
        subprocess.run(argv, stdout=subprocess.DEVNULL, check=True, env=env)
        figures = json.load(out)
    found = {}
    for b in figures["benchmarks"]:
        # "PageSwitch/iterations:40/manual_time" is PageSwitch; arguments stay.
        key = "/".join(part for part in b["name"].split("/") if ":" not in part and part != "manual_time"
                       and part != "real_time")
        found[key] = b
    return found


def ms(b):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    return b["real_time"] * scale


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--runs", type=int, default=7)
    ap.add_argument("--settle", type=float, default=8.0)
    args = ap.parse_args()
    build = os.path.abspath(args.build)

    rows = []

    def row(figure, ours, base, goal, unit="ms", ratio=True):
        r = f"{ours / base:.2f}x" if ratio and base else ""
        b = f"{base:.1f} {unit}" if base is not None else ""
        rows.append((figure, f"{ours:.1f} {unit}", b, r, goal))

    print("start-up and memory (application against the bare window) ...", file=sys.stderr)
    start, pss, cpu, every = startup_and_memory(build, args.runs, args.settle)
    row(f"start-up to the lobby's load, median of {args.runs} (bare window, file://)", start["app"], start["bare"],
        "<= 1.10x")
    row("  CPU time to the lobby's load, application process (bare window)", cpu["app"], cpu["bare"], "")
    row("  CPU time to the lobby's load, all its processes (bare window)", cpu["app-all"], cpu["bare-all"], "")
    row("memory with a table shown, PSS of all processes (bare window)", pss["app"], pss["bare"], "<= 1.05x", "MiB")

    print("page switch ...", file=sys.stderr)
    sw = google_benchmark(build, "bench_host_page_switch")
    host, bare = sw["PageSwitch"], sw["BareRelatedView/1"]
    row("page switch, command to load finished (bare related view shown)", ms(host), ms(bare), "<= 1.20x")
    row("page switch, command to first paint (bare related view shown)", host["paint_ms"], bare["paint_ms"], "<= 1.20x")
    row("page switch, load finished (bare view navigating in place)", ms(host), ms(sw["InPlaceNavigation"]), "")
    row("asking the page for its saves (flush)", ms(sw["FlushOnly"]), None, "")

    print("a table ready for a bet ...", file=sys.stderr)
    env = dict(os.environ, VELMAR_BENCH_WEB=os.path.join(build, "share", "velmar-casino", "web"))
    # The bare related view did not come to its first frame of the real table
    # (it waited for good), so the engine's first paint is the host's own view's.
    ready = google_benchmark(build, "bench_host_page_switch", "TableReady", env)["TableReady"]
    row(f"table switch, command to ready for a bet ({TABLE}; the engine's first paint of it)", ms(ready),
        ready["paint_ms"], "<= 1.50x")
    row("  its load finished (the engine's first paint)", ready["load_ms"], ready["paint_ms"], "")
    row("  its 3D scene up, after ready (the engine's first paint)", ready["scene_ms"], ready["paint_ms"], "")
    runs = int(ready["placeholder_runs"])
    if runs:
        row(f"  placeholder's first frame past its {PLACEHOLDER_DELAY_MS} ms delay, in {runs} of "
            f"{int(ready['iterations'])} switches", ready["placeholder_late_ms"], None, "<= 16.7 ms")

    print("a round at each table and speed ...", file=sys.stderr)
    # Fewer start-up runs take fewer rounds too: a third of them, at least one.
    rounds = google_benchmark(build, "bench_host_rounds", None,
                              dict(env, VELMAR_BENCH_ROUNDS=str(max(1, (args.runs + 2) // 3))))
    fast = {}
    for key, b in rounds.items():
        _, name, speed, *flat = key.split("/")
        if "error_occurred" in b:
            rows.append((f"round, {name} at {speed}{', flat' if flat else ''}", b.get("error_message", "failed"), "",
                         "", ""))
            continue
        if speed == "fast" and not flat:
            fast[name] = b["result_ms"]
        where = f"{name} at {speed}{', flat (2D)' if flat else ', 3D'}"
        row(f"round, key to settled result, {where} (to the next bet)", b["result_ms"], b["ready_ms"], "", ratio=False)
        rows.append((f"  its frames: median interval; 95th percentile; over 50 ms a round ({b['frames']:.0f} frames)",
                     f"{b['frame_p50_ms']:.1f}; {b['frame_p95_ms']:.1f} ms; {b['over_50ms']:.1f}", "", "",
                     "p95 <= 33 ms"))
    if "blackjack" in fast:
        for name, t in fast.items():
            row(f"round at fast, {name} (blackjack's hand)", t, fast["blackjack"], "<= 1.30x")

    print("memory over page switches ...", file=sys.stderr)
    # Each in a process of its own, so that neither counts what the other left.
    for name, label in (("PssAfterSwitches", "web host"), ("BareRelatedViews", "bare related views")):
        mem = google_benchmark(build, "bench_host_memory", name)[name]
        rows.append((f"memory over page switches, {label}: after 200 (after 10; after 100)",
                     f"{mem['pss_after_200_MiB']:.1f} MiB", f"{mem['pss_after_10_MiB']:.1f} MiB; "
                     f"{mem['pss_after_100_MiB']:.1f} MiB", f"{mem['growth_percent']:+.1f}%",
                     "within 5%" if name == "PssAfterSwitches" else ""))

    print("serving, save messages, save store ...", file=sys.stderr)
    serve = google_benchmark(build, "bench_content_serving")
    row("serving a 5 MB file (reading it from disk)", ms(serve["ServeThroughTheSchemeHandler"]), ms(serve["ReadFromDisk"]),
        "")
    msg = google_benchmark(build, "bench_host_save_message")
    row("save message of 100 keys: longest main-loop turn", ms(msg["BM_SaveMessageMainLoop/100"]), None, "")
    row("save message of 100,000 changed keys: longest main-loop turn, mean of 10 messages",
        ms(msg["BM_SaveMessageMainLoop/100000"]), None, "< 16 ms")
    row("save message of 100,000 changed keys: longest main-loop turn of 10 messages, in the main thread's CPU time",
        msg["BM_SaveMessageMainLoop/100000"]["longest_turn_cpu_ms"], None, "< 16 ms")
    row("save message of 100,000 changed keys: read on a thread", ms(msg["BM_SaveMessageThread/100000"]), None, "")
    store = google_benchmark(build, "bench_store_write")
    for size, label in (("1024", "1 KiB"), ("65536", "64 KiB"), ("1048576", "1 MiB")):
        b = store[f"ReplaceAllAgainstPlainWrite/{size}"]
        row(f"durable save of {label}, whole write (two files, both folders synced)", ms(b), b["floor_ms"], "")
        row(f"durable save of {label}, the caller's wait (plain write)", b["caller_ms"], b["plain_ms"], "")
    slow0, slow1 = store["MainLoopStallOnASlowDisk/0"], store["MainLoopStallOnASlowDisk/1"]
    row("slow disk (50 ms syncs): longest save on the main loop (waited there)", slow0["longest_save_ms"],
        slow1["longest_save_ms"], "<= 5 ms")
    row("slow disk (50 ms syncs): longest main-loop stall (waited there)", slow0["longest_stall_ms"],
        slow1["longest_stall_ms"], "")
    row("seed for a page of 1 MiB of saves", ms(store["SeedOfOneMegabyte"]), None, "")
    prefs = google_benchmark(build, "bench_catalog_prefs")
    p0, p1 = prefs["MainLoopStallFromPreferences/0"], prefs["MainLoopStallFromPreferences/1"]
    for key, label in (("longest_page_switch_ms", "a page switch"), ("longest_zoom_step_ms", "a zoom step")):
        row(f"slow disk (50 ms syncs): longest main-loop wait for the preferences on {label} (waited there)", p0[key],
            p1[key], "<= 5 ms")
    row("slow disk (50 ms syncs): longest main-loop stall with page switches and zoom steps (waited there)",
        p0["longest_stall_ms"], p1["longest_stall_ms"], "")

    head = ("figure (baseline)", "ours", "baseline", "ratio", "goal")
    widths = [max(len(r[i]) for r in rows + [head]) for i in range(5)]
    line = lambda r: "| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |"
    print(line(head))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows:
        print(line(r))
    print(f"\nstart-up runs, ms: application {sorted(round(t) for t in every['app'])}, "
          f"bare window {sorted(round(t) for t in every['bare'])}")


if __name__ == "__main__":
    main()
