#!/usr/bin/env python3
"""Start-up cost and size of the launcher (started by bench/run, which builds
what is needed first).

Every command is one `wine64 <program> <arguments>` started from here, in one
private Wine prefix whose wineserver stays up for the whole benchmark, so each
pays the same price for Wine and for the start of its first program; what
that program starts in turn it starts itself. The commands run in rounds, in
an order rotated every round, after warm-up rounds that are not counted.
"""

import argparse
import os
import shutil
import statistics
import struct
import subprocess
import sys
import threading
import time
from pathlib import Path

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver64"

# The launcher passes these to the installer on a run without arguments and
# without a Drovane runtime; the direct start and the batch file pass the same.
JAVA_OPTIONS = ["-J", "-mx512m", "-XX:MaxPermSize=512m", "-Dtamvex.installer.appendjre=true"]

SCRATCH = "C:\\bench"
MEDIUM = SCRATCH + "\\medium"
RUNTIME = SCRATCH + "\\jre"
INSTALLER = MEDIUM + "\\install\\win32\\setup.exe"

SIZE_LIMIT = 128 * 1024
OVERHEAD_LIMIT = 1.25
PRODUCT_ICONS = (101, 102, 103)


class Command:
    def __init__(self, key, label, arguments, installer_starts, java_runs):
        self.key = key
        self.label = label
        self.arguments = arguments  # after wine64
        self.installer_starts = installer_starts
        self.java_runs = java_runs
        self.times = []


def BenchCommands(empty_program):
    return [
        Command("a", "stub installer, started directly", [INSTALLER] + JAVA_OPTIONS, 1, 0),
        Command("b", "empty GUI program", [empty_program], 0, 0),
        Command("c", "launcher, starting the stub", [MEDIUM + "\\setup.exe"], 1, 0),
        Command("d", "batch file: cmd.exe /c, start /wait the stub", ["cmd.exe", "/c", MEDIUM + "\\setup.bat"], 1, 0),
        Command("e", "launcher -jreLoc (cmd, java.exe, cmd), stub", [MEDIUM + "\\setup.exe", "-jreLoc", RUNTIME], 1, 1),
    ]


class BenchFailure(Exception):
    pass


def WineEnvironment(prefix):
    # No display: nothing here opens a window, and a stray message box then
    # returns at once instead of waiting.
    dropped = {"DISPLAY", "WAYLAND_DISPLAY", "WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES", "WINESERVER",
               "WINELOADER", "WINEARCH", "STUB_RECORD", "STUB_EXIT_CODE", "STUB_WAIT_MS"}
    environment = {name: value for name, value in os.environ.items() if name not in dropped}
    environment.update({
        "WINEPREFIX": str(prefix),
        "WINESERVER": WINESERVER,
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
    })
    return environment


def RunTool(arguments, environment, log, timeout):
    # Never our own output: the server and the services that wineboot starts
    # inherit it and would hold a caller's pipe open for ever.
    with open(log, "wb") as output:
        try:
            return subprocess.run(arguments, env=environment, stdin=subprocess.DEVNULL, stdout=output,
                                  stderr=subprocess.STDOUT, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return None


def StartWine(work, environment):
    prefix = Path(environment["WINEPREFIX"])
    if prefix.exists():
        RunTool([WINESERVER, "-k"], environment, work / "wineserver-stop-old.log", 30)
        shutil.rmtree(prefix)
    prefix.mkdir(parents=True)
    if RunTool([WINESERVER, "-p"], environment, work / "wineserver.log", 30) != 0:
        raise BenchFailure(f"wineserver -p did not start (see {work / 'wineserver.log'})")
    if RunTool([WINE, "wineboot", "-i"], environment, work / "wineboot.log", 180) != 0:
        raise BenchFailure(f"wineboot -i failed (see {work / 'wineboot.log'})")


def StopWine(work, environment):
    RunTool([WINESERVER, "-k"], environment, work / "wineserver-stop.log", 30)


def UnixPath(prefix, windows_path):
    assert windows_path[:3].upper() == "C:\\"
    return prefix / "drive_c" / windows_path[3:].replace("\\", "/")


def WriteFile(path, data):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)


def MakeSampleMedium(prefix, win64_tree, empty_program):
    """A disk-1 medium that the launcher accepts under Wine (never WOW64
    there, so 32-bit Windows and the 32-bit installer), the batch file that
    does the same job the common way, and a runtime for -jreLoc."""
    scratch = UnixPath(prefix, SCRATCH)
    if scratch.exists():
        shutil.rmtree(scratch)
    medium = UnixPath(prefix, MEDIUM)
    helpers = win64_tree / "tests" / "e2e" / "helpers"
    medium.mkdir(parents=True)
    shutil.copyfile(win64_tree / "setup.exe", medium / "setup.exe")
    for flavour in ("win32", "win64"):
        WriteFile(medium / "install" / flavour / "setup.exe", (helpers / "stub_installer.exe").read_bytes())
    (medium / "stage" / "Components" / "tamvex.jdk").mkdir(parents=True)
    WriteFile(medium / "stage" / "disk.label", b"[General]\r\nNumber=1\r\n")
    # Line 4 holds the platform id at character 24, line 5 the platform name
    # at character 36; 912 is the 32-bit Windows medium.
    WriteFile(medium / "stage" / "shiphomeproperties.xml",
              b'<?xml version="1.0" encoding="UTF-8"?>\r\n<shiphome>\r\n  <properties>\r\n'
              b'     <platformId value="912" v="1"/>\r\n'
              b'  <platformName lang="en-US" value="Microsoft Windows (32-bit)" kind="os-family" />\r\n'
              b'  </properties>\r\n</shiphome>\r\n')
    WriteFile(medium / "setup.bat",
              b'@echo off\r\nstart "" /wait "%~dp0install\\win32\\setup.exe" '
              + " ".join(JAVA_OPTIONS).encode() + b" %*\r\n")
    runtime = UnixPath(prefix, RUNTIME)
    WriteFile(runtime / "bin" / "java.exe", (helpers / "java.exe").read_bytes())
    WriteFile(runtime / "bin" / "fake-java-output.txt",
              b'2 openjdk version "17.0.9" 2023-10-17\\r\\n\n'
              b"2 OpenJDK Runtime Environment (build 17.0.9+9)\\r\\n\n"
              b"2 OpenJDK 64-Bit Server VM (build 17.0.9+9, mixed mode, sharing)\\r\\n\n")
    shutil.copyfile(empty_program, UnixPath(prefix, SCRATCH + "\\empty_program.exe"))


def RunOnce(command, environment, cwd, output=subprocess.DEVNULL):
    # A plain blocking wait: a wait with a time limit polls, at intervals of
    # up to 50 ms, and the times would come out in steps of that size. A
    # watchdog ends a run that hangs instead.
    started = time.perf_counter_ns()
    process = subprocess.Popen([WINE] + command.arguments, env=environment, cwd=cwd, stdin=subprocess.DEVNULL,
                               stdout=output, stderr=subprocess.DEVNULL)
    watchdog = threading.Timer(120, process.kill)
    watchdog.start()
    status = process.wait()
    elapsed = time.perf_counter_ns() - started
    watchdog.cancel()
    if status != 0:
        raise BenchFailure(f"({command.key}) {command.label} ended with exit status {status}")
    return elapsed / 1e6


def StubCommandLines(record_file):
    if not record_file.exists():
        return []
    lines = []
    for line in record_file.read_text().splitlines():
        command_line = line.split(" ")[0]
        lines.append(bytes.fromhex(command_line).decode("latin-1"))
    return lines


def CheckCommands(commands, prefix, environment, cwd):
    """One run of each command with the stub recording its starts: a command
    that does not do the whole job must not be timed as if it did."""
    java_runs = UnixPath(prefix, RUNTIME + "\\bin\\fake-java-runs.txt")
    options = " ".join(JAVA_OPTIONS)
    for command in commands:
        record = f"{SCRATCH}\\records\\{command.key}.txt"
        UnixPath(prefix, record).parent.mkdir(parents=True, exist_ok=True)
        java_before = len(java_runs.read_text().splitlines()) if java_runs.exists() else 0
        with open(UnixPath(prefix, record).with_suffix(".stdout"), "wb") as output:
            RunOnce(command, dict(environment, STUB_RECORD=record), cwd, output)
        starts = StubCommandLines(UnixPath(prefix, record))
        java_after = len(java_runs.read_text().splitlines()) if java_runs.exists() else 0
        if len(starts) != command.installer_starts or any(options not in line for line in starts):
            raise BenchFailure(f"({command.key}) {command.label}: expected {command.installer_starts} installer "
                               f"start(s) with the Java options, the stub recorded {starts}")
        if java_after - java_before != command.java_runs:
            raise BenchFailure(f"({command.key}) {command.label}: expected {command.java_runs} run(s) of java.exe, "
                               f"saw {java_after - java_before}")


def TimeCommands(commands, environment, cwd, warmup, runs):
    for round_number in range(warmup + runs):
        shift = round_number % len(commands)
        for command in commands[shift:] + commands[:shift]:
            elapsed = RunOnce(command, environment, cwd)
            if round_number >= warmup:
                command.times.append(elapsed)


def WriteTimes(commands, path):
    """Every timed run, one column a command, for a closer look."""
    with open(path, "w") as file:
        file.write("\t".join(command.key for command in commands) + "\n")
        for row in zip(*(command.times for command in commands)):
            file.write("\t".join(f"{elapsed:.2f}" for elapsed in row) + "\n")


def GroupIconIds(path):
    """The ids of the icon groups in a PE file's resources."""
    data = Path(path).read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return []
    section_count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    sections = optional + optional_size
    base = None
    for index in range(section_count):
        virtual_size, rva, _, raw_offset = struct.unpack_from("<IIII", data, sections + index * 40 + 8)
        if rva <= resource_rva < rva + virtual_size:
            base = raw_offset + (resource_rva - rva)
    if resource_rva == 0 or base is None:
        return []

    def Entries(offset):
        named, numbered = struct.unpack_from("<HH", data, base + offset + 12)
        for index in range(named + numbered):
            yield struct.unpack_from("<II", data, base + offset + 16 + index * 8)

    for type_id, target in Entries(0):
        if type_id == 14 and target & 0x80000000:  # RT_GROUP_ICON
            return sorted(entry_id for entry_id, _ in Entries(target & 0x7FFFFFFF))
    return []


def Verdict(met):
    return "met" if met else "MISSED"


def Report(commands, trees, warmup, runs, load_before):
    medians = {command.key: statistics.median(command.times) for command in commands}
    wine_version = subprocess.run([WINE, "--version"], capture_output=True, text=True).stdout.strip()
    print(f"Start-up under {wine_version}: median wall time of {runs} runs each, after {warmup} warm-up rounds,")
    print("commands alternated (order rotated every round); each started as `wine64 <program> <arguments>`")
    print("from the benchmark, one private prefix, wineserver kept running. Load average before: "
          f"{load_before:.2f}, after: {os.getloadavg()[0]:.2f}.")
    print()
    print(f"  {'':48} {'median':>8} {'quartiles':>17}")
    for command in commands:
        low, _, high = statistics.quantiles(command.times, n=4)
        print(f"  ({command.key}) {command.label:44} {medians[command.key]:6.1f} ms  {low:6.1f} - {high:6.1f} ms")
    print()
    overhead = (medians["c"] - medians["a"]) / medians["b"]
    versus_batch = medians["c"] / medians["d"]
    print(f"  launcher overhead over the direct start, (c-a)/b  {overhead:5.2f}   "
          f"target <= {OVERHEAD_LIMIT}  {Verdict(overhead <= OVERHEAD_LIMIT)}")
    print(f"  launcher against the batch file, c/d              {versus_batch:5.2f}   "
          f"target < 1     {Verdict(versus_batch < 1)}")
    all_met = overhead <= OVERHEAD_LIMIT and versus_batch < 1
    for flavour in ("win32", "win64"):
        program = trees / flavour / "setup.exe"
        size = program.stat().st_size
        icons = GroupIconIds(program)
        shown = os.path.relpath(program)
        line = f"  {shown:30} {size:6} bytes = {size / 1024:.1f} KiB, icon groups {icons}"
        if flavour == "win32":
            fits = size < SIZE_LIMIT and all(icon in icons for icon in PRODUCT_ICONS)
            line += f"   target < {SIZE_LIMIT} with them  {Verdict(fits)}"
            all_met = all_met and fits
        print(line)
    return all_met


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--trees", type=Path, required=True, help="folder holding the win32 and win64 build trees")
    parser.add_argument("--work", type=Path, required=True, help="scratch folder: Wine prefix, medium, logs")
    parser.add_argument("--empty-program", type=Path, required=True)
    parser.add_argument("--runs", type=int, default=30, help="timed runs of each command (at least 20)")
    parser.add_argument("--warmup", type=int, default=3, help="rounds run before timing")
    options = parser.parse_args()
    if options.runs < 20:
        parser.error("--runs must be at least 20")

    trees = options.trees.resolve()
    needed = [trees / "win32" / "setup.exe", trees / "win64" / "setup.exe",
              trees / "win64" / "tests" / "e2e" / "helpers" / "stub_installer.exe",
              trees / "win64" / "tests" / "e2e" / "helpers" / "java.exe", options.empty_program]
    missing = [str(path) for path in needed if not path.is_file()]
    if missing:
        print(f"bench: not built: {', '.join(missing)}", file=sys.stderr)
        return 2

    work = options.work.resolve()
    work.mkdir(parents=True, exist_ok=True)
    prefix = work / "prefix"
    environment = WineEnvironment(prefix)
    commands = BenchCommands(SCRATCH + "\\empty_program.exe")
    load_before = os.getloadavg()[0]
    try:
        StartWine(work, environment)
        MakeSampleMedium(prefix, trees / "win64", options.empty_program)
        cwd = UnixPath(prefix, SCRATCH)
        CheckCommands(commands, prefix, environment, cwd)
        TimeCommands(commands, environment, cwd, options.warmup, options.runs)
        WriteTimes(commands, work / "times.tsv")
    except (BenchFailure, OSError, subprocess.SubprocessError) as failure:
        print(f"bench: {failure}", file=sys.stderr)
        return 2
    finally:
        StopWine(work, environment)
    return 0 if Report(commands, trees, options.warmup, options.runs, load_before) else 1


if __name__ == "__main__":
    sys.exit(main())
