#!/usr/bin/python3
"""Runs the benchmarks and writes their report (docs/benchmarks.md). Started by
scripts/bench.sh, which installs what is needed, builds the trees and prepares the Wine prefix
and the demo portal first.

    run_bench.py --win64 TREE --win32 TREE --host TREE --base URL --out FILE [--raw FILE]
                 [--quick]
    run_bench.py --out FILE --from-raw FILE       the report again from saved samples

Every compared pair runs alternately (A B A B ...) so that a drift of the machine touches both
alike, and every figure is a median of many runs. It measures and reports; it never passes or
fails on a figure. A measure that cannot be taken is reported as not measured, with the reason.
"""

import argparse
import datetime
import json
import os
import platform
import re
import shlex
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SW_HIDE, WM_CLOSE = 0, 0x0010
BARE_CLASS = "MiniKorvelBenchBareBrowser"

# How many runs of each compared program (--quick: a short check of the driver itself).
RUNS = {"handoff": 30, "start": 20, "memory": 5, "paint": 5, "repaints": 1000, "host_reps": 10}
QUICK = {"handoff": 3, "start": 2, "memory": 1, "paint": 1, "repaints": 100, "host_reps": 2}
SETTLE_SECONDS = 5.0  # after the window shows, before memory is read


def log(text):
    print(f"[bench] {text}", flush=True)


def median(values):
    return statistics.median(values) if values else None


def ratio(a, b):
    return a / b if a is not None and b else None


def run(args, timeout=120, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, timeout=timeout, **kwargs)


# ---- the Wine side --------------------------------------------------------------------------


class Wine:
    """The prepared prefix of a Windows tree (tools/wine/prepare-prefix)."""

    def __init__(self, tree, base):
        self.tree = Path(tree)
        self.env = dict(os.environ)
        for line in (self.tree / "wine" / "env").read_text().splitlines():
            if line.startswith("export "):
                name, _, value = line[len("export "):].partition("=")
                self.env[name] = shlex.split(value)[0] if value else ""
        self.loader = self.env["WINELOADER"]
        self.main_class = base + "/"
        self.exe = self.tree / "bin" / "MiniKorvel.exe"
        self.bare = self.tree / "bench" / "bare_browser.exe"
        self.noop = self.tree / "bench" / "noop.exe"
        self.floor = self.tree / "bench" / "handoff_floor.exe"
        self.watch = self.tree / "bench" / "startwatch.exe"
        self.paint = self.tree / "bin" / "paint_bench.exe"
        self.probe = self.tree / "tools" / "winprobe.exe"

    @staticmethod
    def path(unix_path):
        return "Z:" + str(Path(unix_path).resolve()).replace("/", "\\")

    def run(self, *args, timeout=120):
        return subprocess.run([self.loader, *map(str, args)], env=self.env, capture_output=True,
                              text=True, timeout=timeout)

    def json_of(self, *args, timeout=120):
        result = self.run(*args, timeout=timeout)
        lines = [line for line in result.stdout.splitlines() if line.startswith("{")]
        return (json.loads(lines[-1]) if lines else None), result

    def find(self, class_name):
        value, _ = self.json_of(self.probe, "find", class_name, timeout=60)
        return value or {"count": 0}

    def wait_visible(self, class_name, timeout=60):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.find(class_name)
            if found.get("count") and found.get("visible"):
                return found
            time.sleep(0.1)
        return None

    def end(self, class_name, process=None, timeout=30):
        """Ends a running window's program as another program would: hidden, then closed."""
        if self.find(class_name).get("count"):
            self.run(self.probe, "show", class_name, SW_HIDE, timeout=60)
            self.run(self.probe, "post", class_name, WM_CLOSE, timeout=60)
        if process is not None:
            try:
                process.wait(timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        deadline = time.monotonic() + timeout
        while self.find(class_name).get("count") and time.monotonic() < deadline:
            time.sleep(0.2)

    def start(self, exe):
        return subprocess.Popen([self.loader, str(exe)], env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def session_pids(self):
        """Wine's own processes of this prefix (server, desktop, services), not the programs."""
        pids = []
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                environ = (entry / "environ").read_bytes().split(b"\0")
                cmdline = (entry / "cmdline").read_bytes().replace(b"\0", b" ").decode(
                    "utf-8", "replace")
            except OSError:
                continue
            prefix = ("WINEPREFIX=" + self.env["WINEPREFIX"]).encode()
            if "winprobe.exe" in cmdline:  # the session holder of prepare-prefix, ours
                continue
            if prefix in environ:
                pids.append((int(entry.name), cmdline.strip()))
        return pids


# ---- memory of Linux processes --------------------------------------------------------------


def memory_of(pid):
    """VmRSS, PSS and private (clean + dirty) bytes of one Linux process."""
    status = Path(f"/proc/{pid}/status").read_text()
    rollup = Path(f"/proc/{pid}/smaps_rollup").read_text()

    def field(text, name):
        match = re.search(rf"^{name}:\s+(\d+) kB", text, re.M)
        return int(match.group(1)) * 1024 if match else 0

    return {
        "rss": field(status, "VmRSS"),
        "pss": field(rollup, "Pss"),
        "private": field(rollup, "Private_Clean") + field(rollup, "Private_Dirty"),
    }


def sum_memory(pids):
    total = {"rss": 0, "pss": 0, "private": 0, "processes": 0}
    for pid in pids:
        try:
            one = memory_of(pid)
        except OSError:
            continue
        for key in ("rss", "pss", "private"):
            total[key] += one[key]
        total["processes"] += 1
    return total


def all_pids():
    return {int(p.name) for p in Path("/proc").iterdir() if p.name.isdigit()}


def exe_of(pid):
    try:
        return os.readlink(f"/proc/{pid}/exe")
    except OSError:
        return ""


# ---- measures -------------------------------------------------------------------------------


def cached_compiler(tree):
    for found in sorted(Path(tree).glob("CMakeFiles/*/CMakeCXXCompiler.cmake")):
        match = re.search(r'^set\(CMAKE_CXX_COMPILER "([^"]+)"\)', found.read_text(), re.M)
        if match:
            lines = run([match.group(1), "--version"]).stdout.splitlines()
            return lines[0] if lines else None
    return None


def machine_info(wine, win_tree):
    info = {}
    for line in Path("/proc/cpuinfo").read_text().splitlines():
        name, _, value = line.partition(":")
        info.setdefault(name.strip(), value.strip())
    cpu = info.get("model name", "unknown")
    details = [f"family {info['cpu family']}, model {info['model']}"
               if "cpu family" in info and "model" in info else "",
               f"{float(info['cpu MHz']):.0f} MHz" if "cpu MHz" in info else "",
               "virtual machine" if " hypervisor" in f" {info.get('flags', '')}" else ""]
    cpu += "".join(f", {d}" for d in details if d)
    memory = re.search(r"MemTotal:\s+(\d+) kB", Path("/proc/meminfo").read_text())
    chromium = shutil.which("chromium")
    return {
        "date": datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC"),
        "cpu": cpu,
        "cores": os.cpu_count(),
        "memory_gib": round(int(memory.group(1)) / 1024 / 1024, 1) if memory else None,
        "kernel": f"{platform.system()} {platform.release()}",
        "os": platform.freedesktop_os_release().get("PRETTY_NAME", "")
        if hasattr(platform, "freedesktop_os_release") else "",
        "wine": run([wine.loader, "--version"]).stdout.strip(),
        "chromium": run([chromium, "--version"]).stdout.strip() if chromium else None,
        "mingw": cached_compiler(win_tree),
        "host_compiler": run(["g++", "--version"]).stdout.splitlines()[0],
        "commit": run(["git", "-C", str(ROOT), "rev-parse", "--short", "HEAD"]).stdout.strip(),
        # The tree is shared: what was built may hold changes not committed yet.
        "uncommitted": bool(run(["git", "-C", str(ROOT), "status", "--porcelain", "--", "src",
                                 "assets", "Res", "cmake", "CMakeLists.txt"]).stdout.strip()),
        "load_start": os.getloadavg(),
    }


def sizes(trees):
    """Size and imported DLLs of each program of each tree."""
    sys.path.insert(0, str(ROOT / "tests" / "static"))
    import check_pe  # the list of DLLs every supported Windows ships, shared with the tests
    rows = []
    for arch, tree in trees:
        objdump = f"{arch}-w64-mingw32-objdump"
        for name, path in (("MiniKorvel.exe", tree / "bin/MiniKorvel.exe"),
                           ("bare_browser.exe", tree / "bench/bare_browser.exe"),
                           ("noop.exe", tree / "bench/noop.exe")):
            if not path.exists():
                rows.append({"arch": arch, "name": name, "missing": True})
                continue
            headers = run([objdump, "-p", str(path)]).stdout
            imports = sorted({n.lower() for n in re.findall(r"DLL Name: (\S+)", headers)})
            rows.append({
                "arch": arch, "name": name, "bytes": path.stat().st_size, "imports": imports,
                "self_contained": bool(imports) and not set(imports) - check_pe.SYSTEM_DLLS,
            })
    return rows


def handoff(wine, runs):
    """Second start: a start that finds the running instance, posts to it and ends, against
    the no-op program and the bare hand-off; timed from Linux (the Wine loader's whole process)
    and from inside Wine (CreateProcess until the process has ended). A start still running
    after 30 s is ended, counted as failed and described."""
    wine.end(wine.main_class)
    first = wine.start(wine.exe)
    if not wine.wait_visible(wine.main_class):
        first.kill()
        return {"error": "the first instance's window did not show"}
    time.sleep(2)
    programs = (("a", wine.exe), ("b", wine.noop), ("f", wine.floor))
    samples = {f"{where}_{key}": [] for where in ("linux", "win") for key, _ in programs}
    exits = {key: set() for key, _ in programs}
    failures = []
    restarts = 0

    def failed(round_, key, where):
        alive = first.poll() is None
        failures.append({"round": round_, "program": key, "where": where,
                         "first_instance_alive": alive,
                         "main_windows": wine.find(wine.main_class).get("count")})
        log(f"second start: {key} {where} run {round_} did not end within 30 s "
            f"(first instance alive: {alive})")

    for i in range(runs):
        if first.poll() is not None:  # keep an instance to hand off to
            restarts += 1
            wine.end(wine.main_class)
            first = wine.start(wine.exe)
            wine.wait_visible(wine.main_class)
            time.sleep(2)
        for key, exe in programs:
            started = time.perf_counter()
            try:
                result = subprocess.run([wine.loader, str(exe)], env=wine.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        timeout=30)
            except subprocess.TimeoutExpired:
                failed(i, key, "linux")
                continue
            samples[f"linux_{key}"].append((time.perf_counter() - started) * 1000)
            exits[key].add(result.returncode)
        for key, exe in programs:
            value, _ = wine.json_of(wine.watch, "exit", wine.path(exe))
            if not value or value.get("timeout"):
                failed(i, key, "win")
                continue
            samples[f"win_{key}"].append(value["ms"])
            exits[key].add(value["exit"])
    still = wine.find(wine.main_class)
    alive = first.poll() is None
    wine.end(wine.main_class, first)
    return {
        "runs": runs, "samples": samples, "exit_codes": {k: sorted(v) for k, v in exits.items()},
        "one_instance_after": still.get("count") == 1 and alive, "failures": failures,
        "restarts": restarts,
    }


def start_to_visible(wine, runs):
    """From CreateProcess until the main window is visible and painted, against the bare
    window with the WebBrowser control; timed inside Wine by startwatch."""
    wine.end(wine.main_class)
    wine.end(BARE_CLASS)
    programs = {"a": (wine.main_class, wine.exe), "b": (BARE_CLASS, wine.bare)}
    colours = {}
    for key, (class_name, exe) in programs.items():  # also the warm-up run of each
        value, result = wine.json_of(wine.watch, "visible", class_name, "learn", wine.path(exe))
        if not value or value["visible_ms"] < 0:
            return {"error": f"{exe.name} showed no window: {result.stderr[-300:]}"}
        colours[key] = ",".join(value["colours"])
    samples = {f"{m}_{k}": [] for m in ("found", "visible", "painted") for k in programs}
    failures = {k: 0 for k in programs}
    for i in range(runs):
        for key, (class_name, exe) in programs.items():
            value, _ = wine.json_of(wine.watch, "visible", class_name, colours[key],
                                    wine.path(exe))
            if not value or value["painted_ms"] < 0:
                failures[key] += 1
                continue
            for measure in ("found", "visible", "painted"):
                samples[f"{measure}_{key}"].append(value[f"{measure}_ms"])
    return {"runs": runs, "samples": samples, "colours": colours, "failures": failures}


def chromium_memory(url, display, settle, portal_log):
    """Chromium's app mode on the compact page: every process it started, summed."""
    chromium = shutil.which("chromium")
    if not chromium:
        return {"error": "chromium is not installed"}
    profile = Path(tempfile.mkdtemp(prefix="mk-bench-chromium-"))
    before = all_pids()
    requests_before = portal_log.read_text().count("/mini_web/frame.html") \
        if portal_log.exists() else 0
    env = dict(os.environ, DISPLAY=display)
    process = subprocess.Popen(
        [chromium, f"--app={url}", f"--user-data-dir={profile}", "--no-sandbox",
         "--no-first-run", "--no-default-browser-check", "--window-size=702,456"],
        env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        deadline = time.monotonic() + 60
        loaded = False
        while time.monotonic() < deadline:
            text = portal_log.read_text() if portal_log.exists() else ""
            if text.count("/mini_web/frame.html") > requests_before:
                loaded = True
                break
            time.sleep(0.2)
        time.sleep(settle)
        ours = [pid for pid in all_pids() - before
                if exe_of(pid).startswith("/usr/lib/chromium/")]
        total = sum_memory(ours)
        total["page_requested"] = loaded
        return total
    finally:
        try:
            os.killpg(process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            process.wait(20)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
        # The crash handlers it started leave its session: end them by their ids.
        for pid in all_pids() - before:
            if exe_of(pid).startswith("/usr/lib/chromium/"):
                try:
                    os.kill(pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        shutil.rmtree(profile, ignore_errors=True)


def memory(wine, rounds, url, portal_log):
    """Resident, proportional and private memory after start has settled: the program, the bare
    window, Chromium's app mode on the same portal page."""
    wine.end(wine.main_class)
    wine.end(BARE_CLASS)
    samples = {k: [] for k in ("a", "b", "c")}
    inside = {k: [] for k in ("a", "b")}
    session = None
    for i in range(rounds):
        for key, class_name, exe in (("a", wine.main_class, wine.exe),
                                     ("b", BARE_CLASS, wine.bare)):
            process = wine.start(exe)
            if wine.wait_visible(class_name):
                time.sleep(SETTLE_SECONDS)
                try:
                    samples[key].append(memory_of(process.pid))
                except OSError:
                    pass
                value, _ = wine.json_of(wine.watch, "memory", class_name)
                if value:
                    inside[key].append(value)
                if session is None and key == "a":
                    pids = [pid for pid, _ in wine.session_pids() if pid != process.pid]
                    session = sum_memory(pids)
                    session["names"] = sorted({Path(c.split()[0].replace("\\", "/")).name
                                               for p, c in wine.session_pids()
                                               if p != process.pid and c})
            wine.end(class_name, process)
        samples["c"].append(chromium_memory(url, wine.env["DISPLAY"], SETTLE_SECONDS,
                                            portal_log))
    return {"rounds": rounds, "samples": samples, "inside": inside, "wine_session": session}


def paint(wine, rounds, repaints):
    wine.end(wine.main_class)
    samples = {"main": [], "bare": []}
    for i in range(rounds):
        for window in ("main", "bare"):
            value, result = wine.json_of(wine.paint, window, repaints, timeout=600)
            if value:
                samples[window].append(value)
            else:
                log(f"paint_bench {window} failed: {result.stderr[-300:]}")
    return {"rounds": rounds, "repaints": repaints, "samples": samples}


def host(tree, reps):
    binary = Path(tree) / "bench" / "host_bench"
    # Repetitions of the benchmarks interleaved in random order: a drift touches them all.
    result = run([str(binary), f"--benchmark_repetitions={reps}",
                  "--benchmark_enable_random_interleaving=true",
                  "--benchmark_report_aggregates_only=true", "--benchmark_format=json"],
                 timeout=1800)
    if result.returncode != 0:
        return {"error": result.stderr[-500:]}
    data = json.loads(result.stdout)
    rows = {}
    for entry in data["benchmarks"]:
        if entry.get("aggregate_name") != "median":
            continue
        rows[entry["run_name"]] = {
            "real": entry["real_time"], "cpu": entry["cpu_time"], "unit": entry["time_unit"],
            "bytes_per_second": entry.get("bytes_per_second"),
        }
    return {"reps": reps, "rows": rows, "library_build": data["context"].get(
        "library_build_type")}


# ---- the report -----------------------------------------------------------------------------


def fmt(value, digits=1, unit=""):
    if value is None:
        return "not measured"
    return f"{value:,.{digits}f}{unit}"


def mib(value):
    return fmt(value / 1048576 if value is not None else None, 1, " MiB")


def times(value):
    return fmt(value, 2, "×")


def report(results, quick):
    m = results["machine"]
    out = []
    w = out.append

    def section(result, write):
        if isinstance(result, dict) and "error" in result:
            w(f"Not measured: {result['error']}.")
            w("")
        else:
            write(result)

    w("# Benchmarks")
    w("")
    w("Written by `bash scripts/bench.sh` (bench/run_bench.py); do not edit by hand. Every "
      "compared pair ran alternately (A B A B …) and every figure is a median of many runs; "
      "ratios are ratios of medians.")
    if quick:
        w("")
        w("**Quick run (`--quick`): too few runs to be read as figures.**")
    w("")
    w("## Machine")
    w("")
    w("| | |")
    w("|---|---|")
    w(f"| Date | {m['date']} |")
    w(f"| CPU | {m['cpu']}, {m['cores']} cores |")
    w(f"| Memory | {m['memory_gib']} GiB |")
    w(f"| Kernel | {m['kernel']} ({m['os']}) |")
    w(f"| Wine | {m['wine']} (64-bit loader, private prefix, Xvfb 1280×800×24) |")
    w(f"| Chromium | {m['chromium'] or 'not installed'} |")
    w(f"| Compilers | {m['mingw']}; host {m['host_compiler']} |")
    w(f"| Sources | commit {m['commit']}"
      f"{' with uncommitted changes in the working tree' if m.get('uncommitted') else ''} |")
    load_start, load_end = m["load_start"], m.get("load_end")
    w(f"| Load average (1/5/15 min) | {' / '.join(f'{v:.2f}' for v in load_start)} at the start, "
      f"{' / '.join(f'{v:.2f}' for v in load_end) if load_end else '?'} at the end |")
    w("")
    w("This kernel runs no 32-bit (i386) Linux programs, so Wine cannot start 32-bit Windows "
      "programs here. The sizes below are those of the 32-bit release program (i686) and of the "
      "same sources built for x86_64; every running figure comes from the x86_64 build under "
      "64-bit Wine.")
    w("")

    def sizes_section(result):
        w("| Program | Build | Size | Imports | Only system DLLs |")
        w("|---|---|---:|---|---|")
        by = {}
        for row in result:
            if row.get("missing"):
                w(f"| {row['name']} | {row['arch']} | not built | | |")
                continue
            by[(row["arch"], row["name"])] = row["bytes"]
            w(f"| {row['name']} | {row['arch']} | {row['bytes'] / 1024:,.1f} KiB "
              f"({row['bytes']:,} bytes) | {', '.join(row['imports'])} | "
              f"{'yes' if row['self_contained'] else 'NO'} |")
        w("")
        for arch in ("i686", "x86_64"):
            a, b = by.get((arch, "MiniKorvel.exe")), by.get((arch, "bare_browser.exe"))
            if a and b:
                w(f"- {arch}: MiniKorvel.exe is {times(a / b)} the bare WebBrowser window "
                  f"({(a - b) / 1024:,.1f} KiB more: skin, pictures, forms, menus).")
        w("")
        w("Every program is linked statically (C and C++ run-times, libgcc, winpthread, zlib) and "
          "stripped; the i686 program is built for the release base address, the x86_64 one for "
          "the demo portal's.")
        w("")

    w("## Size and self-containment")
    w("")
    section(results["sizes"], sizes_section)

    h = results["handoff"]
    w("## Second start (hand-off to the running instance)")
    w("")
    if "error" in h:
        w(f"Not measured: {h['error']}.")
    else:
        s = h["samples"]
        w(f"A start of MiniKorvel.exe while an instance runs: it finds the main window, posts "
          f"the restore request and ends. Compared with bench/noop.cpp (returns 0 at once) and "
          f"bench/handoff_floor.cpp (only the lookup and the post, user32 alone), started the "
          f"same way in the same prefix; {h['runs']} runs of each, alternating.")
        w("")
        w("| Measured | MiniKorvel.exe (second start) | noop.exe | Ratio to noop | "
          "handoff_floor.exe | Ratio to floor |")
        w("|---|---:|---:|---:|---:|---:|")
        for key, label in (("win", "Inside Wine: CreateProcess until the process has ended"),
                           ("linux", "Whole Wine process, launched from Linux (`wine64 X.exe`)")):
            a, b, f = (median(s[f"{key}_{k}"]) for k in ("a", "b", "f"))
            w(f"| {label} | {fmt(a, 1, ' ms')} | {fmt(b, 1, ' ms')} | {times(ratio(a, b))} | "
              f"{fmt(f, 1, ' ms')} | {times(ratio(a, f))} |")
        w("")
        a, b, f = (median(s[f"win_{k}"]) for k in ("a", "b", "f"))
        if None not in (a, b, f):
            w(f"Inside Wine, of the {a - b:.0f} ms the second start takes beyond the no-op "
              f"program, {f - b:.0f} ms is paid by the floor program too (user32 loaded, the "
              f"display connected); the other {a - f:.0f} ms is the program's own: the further "
              "DLLs it imports and the application object it builds before it looks "
              "(src/app/main.cpp: OLE and a hidden window).")
            w("")
        names = {"a": "MiniKorvel", "b": "noop", "f": "floor"}
        for fail in h.get("failures", []):
            w(f"- Run {fail['round'] + 1}: {names[fail['program']]} "
              f"({'inside Wine' if fail['where'] == 'win' else 'from Linux'}) had not ended "
              f"after 30 s and was killed; the first instance was "
              f"{'still' if fail['first_instance_alive'] else 'no longer'} running, main windows "
              f"found: {fail['main_windows']}. Left out of the figures.")
        if h.get("restarts"):
            w(f"- The first instance had ended and was started again {h['restarts']} times.")
        if h.get("failures") or h.get("restarts"):
            w("")
        w("Exit codes seen: " + ", ".join(f"{names[k]} {v}" for k, v in h["exit_codes"].items())
          + f"; one instance still running afterwards: "
          f"{'yes' if h['one_instance_after'] else 'NO'}. Range (min–max): " + "; ".join(
              f"{'inside Wine' if k.startswith('win') else 'from Linux'} {names[k[-1]]} "
              f"{min(v):.1f}–{max(v):.1f} ms" for k, v in s.items() if v) + ".")
    w("")

    st = results["start"]
    w("## Start to visible window")
    w("")
    if "error" in st:
        w(f"Not measured: {st['error']}.")
    else:
        s = st["samples"]
        w("From CreateProcess (in bench/startwatch.cpp, inside Wine, performance counter) until "
          "the started process's main window exists, is visible, and is painted: the pixel "
          "mid-width 12 px below its top (title row) and the one in the middle of its client "
          "area show their finished colours (learnt in a warm-up run of each program: "
          f"MiniKorvel {st['colours']['a']}, bare {st['colours']['b']}; the screen behind is "
          "black). The watcher polls every millisecond. Compared with bench/bare_browser.cpp: "
          "a plain window of the same client size with the WebBrowser control in-place active "
          "over it, sent to the same local page (Res/loading.html), nothing else. "
          f"{st['runs']} runs of each, alternating; each started program is then hidden and "
          "closed.")
        w("")
        w("| Milestone | MiniKorvel.exe | bare WebBrowser window | Ratio |")
        w("|---|---:|---:|---:|")
        for measure, label in (("found", "Window exists"), ("visible", "Window visible"),
                               ("painted", "**Visible and painted**")):
            a, b = median(s[f"{measure}_a"]), median(s[f"{measure}_b"])
            w(f"| {label} | {fmt(a, 1, ' ms')} | {fmt(b, 1, ' ms')} | {times(ratio(a, b))} |")
        w("")
        ranges = "; ".join(f"{name} {min(s[f'painted_{k}']):.1f}–{max(s[f'painted_{k}']):.1f} ms"
                           for k, name in (("a", "MiniKorvel"), ("b", "bare"))
                           if s[f"painted_{k}"])
        w(f"Visible and painted, range (min–max): {ranges}. Runs that did not reach the painted "
          f"state within 60 s: MiniKorvel {st['failures']['a']}, bare {st['failures']['b']}.")
    w("")

    def memory_section(mem):
        s = mem["samples"]

        def med(key, field):
            values = [x[field] for x in s[key] if field in x]
            return median(values)

        a_rss, b_rss, c_rss = med("a", "rss"), med("b", "rss"), med("c", "rss")
        a_pss, b_pss, c_pss = med("a", "pss"), med("b", "pss"), med("c", "pss")
        a_prv, b_prv, c_prv = med("a", "private"), med("b", "private"), med("c", "private")
        procs = median([x["processes"] for x in s["c"] if "processes" in x])
        w(f"Read {SETTLE_SECONDS:.0f} s after the window became visible, from Linux "
          "(`/proc/PID/status` VmRSS, `/proc/PID/smaps_rollup` Pss and Private_Clean + "
          "Private_Dirty) of the program's Wine process; for Chromium, summed over every "
          f"process it started. {mem['rounds']} rounds of the three, alternating.")
        w("")
        w("| Program | Resident (RSS) | Proportional (PSS) | Private | Processes |")
        w("|---|---:|---:|---:|---:|")
        w(f"| MiniKorvel.exe | {mib(a_rss)} | {mib(a_pss)} | {mib(a_prv)} | 1 |")
        w(f"| bare WebBrowser window | {mib(b_rss)} | {mib(b_pss)} | {mib(b_prv)} | 1 |")
        w(f"| Chromium `--app` on the compact page | {mib(c_rss)} | {mib(c_pss)} | {mib(c_prv)} | "
          f"{fmt(procs, 0)} |")
        w(f"| Ratio MiniKorvel / bare | {times(ratio(a_rss, b_rss))} | "
          f"{times(ratio(a_pss, b_pss))} | {times(ratio(a_prv, b_prv))} | |")
        w(f"| Ratio Chromium / MiniKorvel | {times(ratio(c_rss, a_rss))} | "
          f"{times(ratio(c_pss, a_pss))} | {times(ratio(c_prv, a_prv))} | |")
        w("")
        inside = mem["inside"]
        ws_a = median([x["working_set"] for x in inside["a"]])
        ws_b = median([x["working_set"] for x in inside["b"]])
        pv_a = median([x["private"] for x in inside["a"]])
        pv_b = median([x["private"] for x in inside["b"]])
        private_note = (f"private bytes MiniKorvel {mib(pv_a)}, bare {mib(pv_b)}" if pv_a else
                        "its private bytes read 0 (Wine does not keep that counter)")
        w(f"Seen from inside Wine (GetProcessMemoryInfo): working set MiniKorvel {mib(ws_a)}, bare "
          f"{mib(ws_b)} (Wine takes it from the same VmRSS); {private_note}.")
        session = mem.get("wine_session")
        if session:
            w("")
            w(f"Not counted above: Wine's own processes of the prefix, which every Windows program "
              f"in it shares as it would share the system's on Windows ({session['processes']} "
              f"processes: {', '.join(session['names'])}): RSS {mib(session['rss'])}, PSS "
              f"{mib(session['pss'])}, private {mib(session['private'])}. Chromium's figures "
              "include everything it runs.")
        w("")
        w("RSS counts every page the process maps. PSS shares each page among the processes "
          "mapping it, and private counts the pages no other process maps; for a Wine process "
          "both therefore also depend on how many other Wine processes on the machine (other "
          "prefixes included) map the same Wine libraries at that moment, and can move between "
          "runs while RSS stays put.")
        loaded = [x.get("page_requested") for x in s["c"]]
        w("")
        w(f"Chromium: `chromium --app=<demo portal>/mini_web/frame.html? --user-data-dir=<new "
          f"temporary folder> --no-sandbox --no-first-run --no-default-browser-check "
          f"--window-size=702,456`; the page was requested in {sum(bool(x) for x in loaded)} of "
          f"{len(loaded)} runs; software rendering (no GPU on Xvfb).")
        w("")

    mem = results["memory"]
    w("## Memory after start")
    w("")
    section(results["memory"], memory_section)

    def paint_section(p):
        s = p["samples"]
        w(f"bench/paint_bench.cpp creates the real TFormMain (skin, title row, search field, "
          f"browser) in-process, shows it, lets it settle for a second, then times "
          f"{p['repaints']:,} calls of RedrawWindow(RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | "
          "RDW_UPDATENOW) with the performance counter: each call sends the frame's, the "
          "background's and the client's paint messages before it returns. The same is done to "
          "the bare WebBrowser window. "
          f"{p['rounds']} runs of each, alternating; the figure is the median of the runs' "
          "medians.")
        w("")
        w("| Window | Per repaint (median) | Mean | 10th–90th percentile | "
          "GDI objects before → after | Windows + menus before → after |")
        w("|---|---:|---:|---:|---:|---:|")
        meds = {}
        for window, label in (("main", "MiniKorvel main window"),
                              ("bare", "bare WebBrowser window")):
            runs = s[window]
            if not runs:
                w(f"| {label} | not measured | | | | |")
                continue
            meds[window] = median([r["median_us"] for r in runs])
            mean = median([r["mean_us"] for r in runs])
            p10 = median([r["p10_us"] for r in runs])
            p90 = median([r["p90_us"] for r in runs])
            gdi = sorted({(r["gdi_before"], r["gdi_after"]) for r in runs})
            user = sorted({(r["user_before"], r["user_after"]) for r in runs})
            w(f"| {label} | {fmt(meds[window], 0, ' µs')} | {fmt(mean, 0, ' µs')} | "
              f"{fmt(p10, 0)}–{fmt(p90, 0, ' µs')} | "
              f"{', '.join(f'{x} → {y}' for x, y in gdi)} | "
              f"{', '.join(f'{x} → {y}' for x, y in user)} |")
        w("")
        w("Ratio MiniKorvel / bare per repaint: "
          f"{times(ratio(meds.get('main'), meds.get('bare')))}. "
          "The objects are counted by probing every handle value (tests/win/win_test_support.h: "
          "Wine's GetGuiResources answers 0); equal counts before and after mean the repaints "
          "leak nothing. Without RDW_ALLCHILDREN the child windows (browser, search field) are not "
          "repainted, in both windows alike.")
        w("")

    p = results["paint"]
    w("## Drawing")
    w("")
    section(results["paint"], paint_section)

    hb = results["host"]
    w("## Host micro-benchmarks")
    w("")
    if "error" in hb:
        w(f"Not measured: {hb['error']}")
    else:
        rows = hb["rows"]
        w(f"Google Benchmark (bench/host_bench.cpp), host g++ -O2, no sanitizers, median of "
          f"{hb['reps']} repetitions interleaved in random order. The skin is assets/skin/MiniKorvel.askin read from memory.")
        w("")
        w("| Benchmark | Time (median) | CPU (median) | Throughput |")
        w("|---|---:|---:|---:|")
        unit_name = {"ns": "ns", "us": "µs", "ms": "ms"}
        for name, row in rows.items():
            unit = unit_name.get(row["unit"], row["unit"])
            rate = row["bytes_per_second"]
            w(f"| {name} | {row['real']:,.1f} {unit} | {row['cpu']:,.1f} {unit} | "
              f"{fmt(rate / 1048576 if rate else None, 1, ' MiB/s') if rate else ''} |")
        w("")

        def cpu(name):
            row = rows.get(name)
            if not row:
                return None
            scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[row["unit"]]
            return row["cpu"] * scale

        load_ratio = ratio(cpu("BM_Skin_Load"), cpu("BM_Skin_ReadArchive"))
        keyword = cpu("BM_SearchKeyword_Utf16ToQuery")
        decode_ratio = ratio(cpu("BM_Skin_LoadAndDecodeImages"), cpu("BM_Skin_Load"))
        w(f"- Skin::Load (archive and options) is {times(load_ratio)} ReadArchive alone; "
          f"decoding every image besides is {times(decode_ratio)} Skin::Load.")
        w(f"- The whole search-keyword step (UTF-16 → UTF-8 → form encoding → UTF-16) takes "
          f"{fmt(keyword * 1000 if keyword else None, 0, ' ns')} "
          "of CPU for the default keyword.")
        w("- ReadArchive and Skin::Load allocate every member's buffer afresh on each call "
          "(the images unpack to hundreds of KiB), so their times include the allocator's and "
          "the kernel's work for fresh pages, which on a virtual machine moves between runs much "
          "more than the encoding's times do.")
        if hb.get("library_build") == "debug":
            w("- Debian's libbenchmark reports itself as a debug build; that touches the harness, "
              "not the timed code, which is built with -O2.")
    w("")

    w("## What these figures do not show")
    w("")
    w("- No 32-bit run: this kernel cannot execute i386 programs, so the 32-bit program's "
      "start, memory and drawing could not be measured; the x86_64 build of the same sources "
      "stands in for it (pointers, and so some memory, are larger in it).")
    w("- No Windows: every running figure is under Wine 8 on Xvfb. Wine here has no HTML "
      "engine (no Gecko), so the WebBrowser control in both MiniKorvel and the bare window "
      "renders nothing and its page area stays white; on Windows the Internet Explorer engine "
      "would load, draw the page and add its own time and memory to both. Chromium, by "
      "contrast, really renders the page, so the Chromium / MiniKorvel memory ratio is larger "
      "here than it would be against a program whose browser engine does its work.")
    w("- Warm starts only: the files are in the page cache and the Wine session is already up "
      "(a holder process keeps it); a first start after boot was not measured.")
    w("- The machine is a shared virtual machine (see the load average above), whose speed "
      "also moves with what its host runs, which no load average shows: alternation and "
      "medians cancel a drift within one run, nothing cancels it between runs. Compare ratios "
      "within one run rather than absolute times across runs.")
    w("")
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--win64")
    parser.add_argument("--win32")
    parser.add_argument("--host")
    parser.add_argument("--base")
    parser.add_argument("--out", required=True)
    parser.add_argument("--raw", help="also write every sample as JSON here")
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--from-raw", help="only write the report again from an earlier --raw")
    args = parser.parse_args()
    counts = QUICK if args.quick else RUNS
    if args.from_raw:
        saved = json.loads(Path(args.from_raw).read_text())
        Path(args.out).write_text(report(saved["results"], saved["quick"]) + "\n")
        return 0
    if not all((args.win64, args.win32, args.host, args.base)):
        parser.error("--win64, --win32, --host and --base are needed to measure")

    wine = Wine(args.win64, args.base)
    portal_log = Path(args.win64) / "demo-portal" / "requests.log"
    results = {"machine": machine_info(wine, args.win64)}

    def attempt(name, title, measure, *measure_args):
        log(title)
        try:
            results[name] = measure(*measure_args)
        except Exception as failure:  # one measure that breaks leaves the others standing
            log(f"{name} not measured: {failure!r}")
            results[name] = {"error": f"{type(failure).__name__}: {failure}"}

    attempt("sizes", "sizes", sizes, [("i686", Path(args.win32)), ("x86_64", Path(args.win64))])
    attempt("handoff", f"second start, {counts['handoff']} runs of each", handoff, wine,
            counts["handoff"])
    attempt("start", f"start to visible window, {counts['start']} runs of each",
            start_to_visible, wine, counts["start"])
    attempt("memory", f"memory, {counts['memory']} rounds", memory, wine, counts["memory"],
            f"{args.base}/mini_web/frame.html?", portal_log)
    attempt("paint", f"drawing, {counts['paint']} rounds of {counts['repaints']} repaints",
            paint, wine, counts["paint"], counts["repaints"])
    attempt("host", "host micro-benchmarks", host, args.host, counts["host_reps"])
    results["machine"]["load_end"] = os.getloadavg()

    if args.raw:
        Path(args.raw).parent.mkdir(parents=True, exist_ok=True)
        Path(args.raw).write_text(json.dumps({"results": results, "quick": args.quick},
                                             indent=1, default=list))
    Path(args.out).parent.mkdir(parents=True, exist_ok=True)
    Path(args.out).write_text(report(results, args.quick) + "\n")
    log(f"written: {args.out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
