#!/usr/bin/env python3
"""Checks that Windows programs start on Windows 95 and 98: their PE header versions and every
DLL and function they import, against the table of what those systems export (exports.tsv).

  check_imports.py BINDIR                    the shipped programs (programs.tsv) in BINDIR
  check_imports.py --target win95 EXE...     any programs, for retail Windows 95 and 98
  check_imports.py --target win98 EXE...     any programs, for Windows 98
  check_imports.py --sizes BINDIR            each shipped program's size beside its goal

Exit status 0 when every program passes, 1 when one fails, 2 for a usage error."""

import argparse
import os
import sys

sys.dont_write_bytecode = True  # nothing of ours lands in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pe_image  # noqa: E402
from tsv_table import TableError, read_tsv  # noqa: E402

TABLE_DIR = os.path.dirname(os.path.abspath(__file__))
SYSTEMS = {"win95": "Windows 95", "win98": "Windows 98"}
TARGETS = {
    "win95": (["win95", "win98"], "must start on retail Windows 95 (4.00.950) and Windows 98"),
    "win98": (["win98"], "must start on Windows 98"),
}
STATES = {"yes", "no", "stub", "unknown", "-"}
MAX_VERSION = (4, 0)
VERSION_SOURCES = ["msdn-subsystem", "kb125705"]


class Tables:
    def __init__(self, directory):
        self.sources = {r["key"]: r["citation"]
                        for r in read_tsv(os.path.join(directory, "sources.tsv"),
                                          ["key", "citation"], last_optional=True)}
        self.exports = {}
        for r in read_tsv(os.path.join(directory, "exports.tsv"),
                          ["dll", "function", "win95", "win98", "sources", "note"], last_optional=True):
            keys = [k for k in r["sources"].split(",") if k]
            where = f"exports.tsv: {r['dll']} {r['function']}"
            if not keys:
                raise TableError(f"{where} names no source")
            for k in keys:
                if k not in self.sources:
                    raise TableError(f"{where} names the unknown source {k!r}")
            for system in SYSTEMS:
                if r[system] not in STATES or (r[system] == "-" and r["function"] == "*"):
                    raise TableError(f"{where}: bad {system} state {r[system]!r}")
            key = (r["dll"].upper(), r["function"])
            if key in self.exports:
                raise TableError(f"{where} is listed twice")
            self.exports[key] = {"win95": r["win95"], "win98": r["win98"], "sources": keys,
                                 "note": r["note"]}
        self.allowances = {}
        for r in read_tsv(os.path.join(directory, "allowances.tsv"),
                          ["programs", "dll", "function", "reason"], last_optional=True):
            if not r["reason"].strip():
                raise TableError(f"allowances.tsv: {r['dll']} {r['function']} gives no reason")
            for program in r["programs"].split():
                self.allowances[(program.lower(), r["dll"].upper(), r["function"])] = r["reason"]
        self.programs = read_tsv(os.path.join(directory, "programs.tsv"),
                                 ["program", "target", "size_goal"], last_optional=True)
        for p in self.programs:
            if p["target"] not in TARGETS:
                raise TableError(f"programs.tsv: {p['program']} has the unknown target {p['target']!r}")

    def entry(self, dll, function):
        return self.exports.get((dll.upper(), function))


def cite(keys):
    return "[" + ", ".join(keys) + "]"


def systems_phrase(systems):
    return " and ".join(SYSTEMS[s] for s in systems)


def size_text(size):
    return f"{size:,} bytes"


def goal_text(goal):
    return "-" if goal is None else f"<= {goal // 1024} KB ({goal:,} bytes)"


class ProgramCheck:
    """The verdicts for one program: printed lines, FAIL lines, and the allowances it used."""

    def __init__(self, tables, path, target, name=None):
        self.tables = tables
        self.path = path
        self.name = name or os.path.basename(path)
        self.target = target
        self.systems, self.purpose = TARGETS[target]
        self.lines = []
        self.failures = []
        self.used_allowances = set()

    def fail(self, what, why, keys=()):
        self.failures.append(f"FAIL {self.name}: {what}: {why}" + (f" {cite(keys)}" if keys else ""))

    def run(self):
        self.lines.append(f"{self.name}: {self.purpose}")
        try:
            size = os.path.getsize(self.path)
            image = pe_image.read_pe(self.path)
        except OSError as e:
            self.fail("file", f"cannot be read: {e.strerror}")
            return self
        except pe_image.PEError as e:
            self.fail("file", str(e))
            return self
        self.check_header(image, size)
        for dll_name, functions, delayed in merge_dlls(image.dlls):
            self.check_dll(dll_name, functions, delayed)
        return self

    def check_header(self, image, size):
        machine = "i386" if image.machine == pe_image.MACHINE_I386 else f"machine {image.machine:#x}"
        sub = "%d.%d" % image.subsystem_version
        osv = "%d.%d" % image.os_version
        self.lines.append(f"  PE32 {machine}, subsystem {image.subsystem_name()} {sub}, "
                          f"OS version {osv}, {size_text(size)}")
        if image.machine != pe_image.MACHINE_I386:
            self.fail("header", f"built for {machine}, not i386")
        if image.subsystem_version > MAX_VERSION:
            self.fail("header", f"subsystem version {sub} is above 4.0: Windows 95 and 98 run "
                      "programs marked 3.x or 4.0 only", VERSION_SOURCES)
        if image.os_version > MAX_VERSION:
            self.fail("header", f"OS version {osv} is above 4.0: the program asks for a newer "
                      "Windows than 95 or 98", VERSION_SOURCES)

    def check_dll(self, dll, functions, delayed):
        entry = self.tables.entry(dll, "*")
        missing_on = []
        label = dll + (" (delay-loaded)" if delayed else "")
        for system in self.systems:
            state = entry[system] if entry else "unknown"
            if state == "yes":
                continue
            missing_on.append(system)
            if state == "no":
                why = f"the DLL is not on {SYSTEMS[system]}"
            else:
                why = (f"no evidence that the DLL is on {SYSTEMS[system]}"
                       + (f" ({entry['note']})" if entry and entry["note"] else
                          "" if entry else " (not in the table)"))
            self.fail(dll, why, entry["sources"] if entry else ())
        remaining = [s for s in self.systems if s not in missing_on]
        if missing_on and remaining:
            self.lines.append(f"  {label}  MISSING on {systems_phrase(missing_on)}; its functions "
                              f"are checked for {systems_phrase(remaining)}")
        elif missing_on:
            self.lines.append(f"  {label}  MISSING on {systems_phrase(missing_on)}")
        else:
            self.lines.append(f"  {label}")
        passed, unchecked = [], []
        for function in functions:
            label = function.label()
            if not remaining:
                unchecked.append(label)
            elif self.check_function(dll, function, remaining):
                entry = self.tables.entry(dll, label)
                if function.name is None and entry and entry["note"]:
                    label += f" ({entry['note']})"
                passed.append(label)
        self.list_names("ok", passed)
        self.list_names("not checked", unchecked)

    def list_names(self, verdict, names, width=96):
        """Names that share one verdict, as many to a line as fit."""
        line = ""
        for name in names:
            if line and len(line) + len(name) + 2 > width:
                self.lines.append(line)
                line = ""
            line = f"{line}, {name}" if line else f"    {verdict}: {name}"
        if line:
            self.lines.append(line)

    def check_function(self, dll, function, systems):
        """Judges one import on the systems that have its DLL; True when it is plainly there."""
        label = function.label()
        entry = self.tables.entry(dll, label)
        by_state = {}
        for system in systems:
            state = entry[system] if entry else "unlisted"
            if state == "-":
                state = "unknown"
            by_state.setdefault(state, []).append(system)
        keys = entry["sources"] if entry else []
        note = f" ({entry['note']})" if entry and entry["note"] else ""
        verdicts = []
        allowance = self.tables.allowances.get((self.name.lower(), dll.upper(), label))
        for state in ("no", "stub", "unknown", "unlisted"):
            if state not in by_state:
                continue
            where = systems_phrase(by_state[state])
            if state == "no":
                self.fail(f"{dll}!{label}", f"missing on {where}: the loader refuses the program"
                          + (" (an allowance cannot change that)" if allowance else ""), keys)
                verdicts.append("MISSING")
                continue
            why = {"stub": f"a stub on {where}: it fails with ERROR_CALL_NOT_IMPLEMENTED",
                   "unknown": f"unknown on {where}{note}",
                   "unlisted": f"not in the table: no evidence that it is exported on {where}"}[state]
            if allowance:
                self.used_allowances.add((dll.upper(), label))
                verdicts.append("allowed")
                self.lines.append(f"    allowed  {label}: {why}")
                self.lines.append(f"             because {allowance}")
            else:
                self.fail(f"{dll}!{label}", why, keys)
                verdicts.append(state.upper())
        if not verdicts:
            return True
        if "allowed" not in verdicts or len(verdicts) > 1:
            self.lines.append(f"    {'/'.join(v for v in verdicts if v != 'allowed'):<8} {label}")
        return False


def merge_dlls(dlls):
    """One entry per DLL name (the linker may write several descriptors for one DLL), its
    functions in first-seen order without repeats."""
    merged = {}
    order = []
    for dll in dlls:
        key = (dll.name.upper(), dll.delayed)
        if key not in merged:
            merged[key] = (dll.name, [], set())
            order.append(key)
        name, functions, seen = merged[key]
        for f in dll.functions:
            if f.label() not in seen:
                seen.add(f.label())
                functions.append(f)
    return [(merged[k][0], merged[k][1], k[1]) for k in order]


def shipped_programs(tables, bindir):
    for p in tables.programs:
        goal = None if p["size_goal"] == "-" else int(p["size_goal"])
        yield p["program"], os.path.join(bindir, p["program"]), p["target"], goal


def print_sizes(tables, bindir):
    print(f"{'program':<20} {'size':>16}  goal")
    status = 0
    for name, path, _, goal in shipped_programs(tables, bindir):
        try:
            size = size_text(os.path.getsize(path))
        except OSError as e:
            size, status = f"missing ({e.strerror})", 1
        over = ""
        if goal is not None and size[0].isdigit() and os.path.getsize(path) > goal:
            over = f"  ({os.path.getsize(path) - goal:,} bytes over)"
        print(f"{name:<20} {size:>16}  {goal_text(goal)}{over}")
    return status


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("paths", nargs="+", metavar="BINDIR|EXE")
    parser.add_argument("--target", choices=sorted(TARGETS),
                        help="check the named programs for this target instead of the shipped set")
    parser.add_argument("--sizes", action="store_true",
                        help="print the shipped programs' sizes beside their goals")
    parser.add_argument("--tables", default=TABLE_DIR, help=argparse.SUPPRESS)
    args = parser.parse_args(argv)
    try:
        tables = Tables(args.tables)
    except TableError as e:
        print(f"check_imports: {e}", file=sys.stderr)
        return 2
    if args.sizes or not args.target:
        if len(args.paths) != 1 or not os.path.isdir(args.paths[0]):
            parser.error("give one folder holding the built programs")
        if args.sizes:
            return print_sizes(tables, args.paths[0])
        checks = [ProgramCheck(tables, path, target, name).run()
                  for name, path, target, _ in shipped_programs(tables, args.paths[0])]
    else:
        checks = [ProgramCheck(tables, path, args.target).run() for path in args.paths]

    used = set()
    for check in checks:
        print("\n".join(check.lines))
        print()
        used |= {(check.name.lower(),) + a for a in check.used_allowances}
    failures = [f for check in checks for f in check.failures]
    for line in failures:
        print(line)
    cited = sorted({k for line in failures if line.endswith("]")
                    for k in line[line.rindex("[") + 1:-1].split(", ")})
    if cited:
        print("\nSources (tools/win9x/sources.tsv):")
        for key in cited:
            print(f"  {key}: {tables.sources[key]}")
    names = {c.name.lower() for c in checks}
    for (program, dll, function), _ in sorted(tables.allowances.items()):
        if program in names and (program, dll, function) not in used:
            print(f"note: the allowance for {dll}!{function} in {program} was not needed")
    failed = sum(1 for c in checks if c.failures)
    if failed:
        print(f"{failed} of {len(checks)} programs fail ({len(failures)} problems).")
        return 1
    print(f"All {len(checks)} programs pass.")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
