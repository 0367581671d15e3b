#!/usr/bin/env python3
"""Checks that Windows programs run on the processors of their systems: it disassembles every
executable section and fails on each instruction that the program's floor lacks (an 80386
has no BSWAP, a Pentium MMX no CMOV, ...). Wine on a modern processor runs them all.

  check_processor.py BINDIR                  the shipped programs (processors.tsv) in BINDIR
  check_processor.py --floor 80486 EXE...    any programs, for that floor

Code chosen at run time after the processor was asked is allowed by function name
(processor_allowances.tsv), or where it has no symbol of its own by its instructions, only
where the asking function first tests the ID flag, as a 486 without CPUID needs.

Exit status 0 when every program passes, 1 when one fails, 2 for a usage error."""

import argparse
import bisect
import os
import re
import subprocess
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from tsv_table import TableError, read_tsv  # noqa: E402

TABLE_DIR = os.path.dirname(os.path.abspath(__file__))
OBJDUMP = os.environ.get("OBJDUMP", "i686-w64-mingw32-objdump")
NM = os.environ.get("NM", "i686-w64-mingw32-nm")

# The processors, oldest first; a floor is one of them.
LEVELS = ["80386", "80486", "pentium", "pentium-mmx", "pentiumpro", "later"]
LEVEL_NAMES = {
    "80386": "80386", "80486": "486", "pentium": "Pentium", "pentium-mmx": "Pentium MMX",
    "pentiumpro": "Pentium Pro", "later": "a processor after the Pentium Pro",
}

CONDITIONS = ("o no b c nae ae nb nc e z ne nz be na a nbe s ns p pe np po l nge ge nl le ng g "
              "nle").split()

# Everything an 80386 with its 387 coprocessor runs; Intel syntax as objdump writes it.
I386 = set("""
aaa aad aam aas adc add and arpl bound bsf bsr bt btc btr bts call callw cbw cwde cwd cdq clc
cld cli clts cmc cmp cmps cmpsb cmpsw cmpsd daa das dec div enter hlt idiv imul in inc ins insb
insw insd int int3 into iret iretd iretw jmp jmpw jcxz jecxz lahf lar lds lea leave les lfs lgs
lss lgdt lidt lldt lmsw lock lods lodsb lodsw lodsd loop loope loopne loopz loopnz lsl ltr mov
movs movsb movsw movsd movsx movzx mul neg nop not or out outs outsb outsw outsd pop popa popad
popaw popf popfd popfw push pusha pushad pushaw pushf pushfd pushfw rcl rcr ret retf retw rol
ror sahf sal sar sbb scas scasb scasw scasd sgdt shl shld shr shrd sidt sldt smsw stc std sti
stos stosb stosw stosd str sub test verr verw wait fwait xchg xlat xlatb xor
f2xm1 fabs fadd faddp fiadd fbld fbstp fchs fclex fnclex fcom fcomp fcompp fucom fucomp
fucompp fcos fsin fsincos fprem fprem1 fdecstp fincstp fdiv fdivp fidiv fdivr fdivrp fidivr
ffree fild fist fistp fld fld1 fldl2t fldl2e fldpi fldlg2 fldln2 fldz fldcw fldenv fmul fmulp
fimul fnop fpatan fptan frndint frstor fsave fnsave fscale fsqrt fst fstp fstcw fnstcw fstenv
fnstenv fstsw fnstsw fsub fsubp fisub fsubr fsubrp fisubr ftst fxam fxch fxtract fyl2x fyl2xp1
finit fninit ficom ficomp
""".split()) | {"j" + c for c in CONDITIONS} | {"set" + c for c in CONDITIONS}

OTHER_LEVELS = {
    "80486": set("bswap cmpxchg xadd invd wbinvd invlpg".split()),
    "pentium": set("cpuid cmpxchg8b rdtsc rdmsr wrmsr rsm".split()),
    "pentium-mmx": {"emms"},
    "pentiumpro": set("fcomi fcomip fucomi fucomip rdpmc sysenter sysexit".split())
    | {"cmov" + c for c in CONDITIONS}
    | {"fcmov" + c for c in "b e be u nb ne nbe nu".split()},
}
# Encodings that older processors run with the same effect where compilers use them: "pause"
# (rep nop) as a nop, "tzcnt" (rep bsf) as BSF, which GCC emits only where the operand is not
# zero, and "ud2", the trap GCC puts where code must not go, an invalid opcode there too.
SAME_AS_BEFORE = {"pause": "80386", "tzcnt": "80386", "ud2": "80386"}
# Known to need more than any floor here.
LATER = {"rdrand", "rdseed", "lzcnt", "popcnt", "movbe", "crc32", "xgetbv", "sfence", "lfence",
         "mfence", "clflush", "movnti", "prefetchnta", "prefetcht0", "prefetcht1", "prefetcht2",
         "fisttp", "syscall"}
LEVEL_OF = {m: "80386" for m in I386} | {m: "later" for m in LATER}
for level, mnemonics in OTHER_LEVELS.items():
    LEVEL_OF.update({m: level for m in mnemonics})

PREFIXES = {"rep", "repz", "repe", "repnz", "repne", "lock", "data16", "data32", "addr16",
            "addr32", "cs", "ds", "es", "fs", "gs", "ss", "bnd", "notrack"}

# The constructor and destructor lists, which MinGW's linker puts among the code.
DATA_IN_CODE = re.compile(r"^_*[CD]TOR_LIST__$")
DATA = "(data)"

LINE = re.compile(r"^\s*([0-9a-f]+):\s+(.*)$")


def instruction_level(mnemonic, operands):
    """The oldest processor that runs this instruction, or None when it is not known."""
    if mnemonic == "nop" and operands:
        return "pentiumpro"  # the long NOP (0F 1F) is undefined before the Pentium Pro
    if re.search(r"\b[xyz]mm\d", operands):
        return "later"  # SSE and after
    if re.search(r"\bmm\d", operands):
        return "pentium-mmx"
    if mnemonic in SAME_AS_BEFORE:
        return SAME_AS_BEFORE[mnemonic]
    return LEVEL_OF.get(mnemonic)


def function_name(demangled):
    """A function as the tables name it: without its argument list."""
    depth = 0
    for i, c in enumerate(demangled):
        if c == "(" and depth == 0 and not demangled.startswith("(anonymous", i):
            return demangled[:i]
        depth += {"<": 1, ">": -1}.get(c, 0)
    return demangled


def symbols_of(path):
    """Address-sorted (address, function) of the program's code symbols: from its own table,
    or for a stripped program from NAME.debug beside it."""
    for source in (path, path + ".debug"):
        if not os.path.exists(source):
            continue
        out = subprocess.run([NM, "-C", "--defined-only", source], capture_output=True,
                             text=True).stdout
        found = []
        for line in out.splitlines():
            parts = line.split(" ", 2)
            if len(parts) != 3 or parts[1] not in ("T", "t") or parts[2].startswith("."):
                continue
            name = parts[2]
            if DATA_IN_CODE.match(name):
                found.append((int(parts[0], 16), DATA))
            elif not name.endswith("__"):  # the linker script's markers share their addresses
                found.append((int(parts[0], 16), function_name(name)))
        if found:
            return sorted(set(found))
    return []


def disassemble(path):
    """(address, mnemonic, operands) of every instruction in the executable sections."""
    out = subprocess.run([OBJDUMP, "-d", "-M", "intel", "--no-show-raw-insn", path],
                         capture_output=True, text=True)
    if out.returncode != 0:
        raise OSError(out.stderr.strip() or f"{OBJDUMP} failed on {path}")
    for line in out.stdout.splitlines():
        m = LINE.match(line)
        if not m:
            continue
        words = m.group(2).split()
        while words and words[0] in PREFIXES:
            words.pop(0)
        if not words:
            continue  # a prefix on its own line: it changes nothing for the processor
        mnemonic, operands = words[0], " ".join(words[1:])
        yield int(m.group(1), 16), mnemonic, operands


def read_allowances(path):
    rows = read_tsv(path, ["programs", "function", "instructions", "asked_by", "reason"])
    allowed = {}
    for row in rows:
        for program in row["programs"].split():
            allowed[(program.lower(), row["function"])] = row
    return allowed


class ProgramCheck:
    def __init__(self, path, floor, allowances, name=None):
        self.path, self.floor, self.allowances = path, floor, allowances
        self.name = name or os.path.basename(path)
        self.lines, self.failures, self.used = [], [], set()

    def fail(self, why):
        self.failures.append(f"FAIL {self.name}: {why}")

    def run(self):
        floor_rank = LEVELS.index(self.floor)
        symbols = symbols_of(self.path)
        addresses = [a for a, _ in symbols]

        def function_at(address):
            i = bisect.bisect_right(addresses, address) - 1
            return symbols[i][1] if i >= 0 else "?"

        try:
            instructions = list(disassemble(self.path))
        except OSError as e:
            self.lines.append(f"{self.name}: cannot be disassembled: {e}")
            self.fail(f"cannot be disassembled: {e}")
            return self
        beyond, allowed, unknown = {}, {}, {}
        by_function = {}
        highest = 0
        for address, mnemonic, operands in instructions:
            level = instruction_level(mnemonic, operands)
            if level is None and function_at(address) != DATA:
                unknown.setdefault(mnemonic, []).append(address)
            if level is None:
                continue
            function = function_at(address)
            if function == DATA:
                continue
            rank = LEVELS.index(level)
            by_function.setdefault(function, []).append((address, mnemonic, operands))
            if rank <= floor_rank:
                highest = max(highest, rank)
                continue
            key = (self.name.lower(), function)
            anywhere = (self.name.lower(), "*")
            if key not in self.allowances and mnemonic in self.allowances.get(anywhere, {}).get(
                    "instructions", "").split():
                key = anywhere
            if key in self.allowances:
                allowed.setdefault(key[1], set()).add(mnemonic)
                self.used.add(key)
                continue
            beyond.setdefault((mnemonic, level), []).append((address, function))

        self.lines.append(f"{self.name}: {len(instructions):,} instructions, floor "
                          f"{LEVEL_NAMES[self.floor]}")
        for (mnemonic, level), places in sorted(beyond.items(), key=lambda i: -len(i[1])):
            functions = sorted({f for _, f in places})
            address, function = places[0]
            self.fail(f"{mnemonic} needs {article(LEVEL_NAMES[level])}: {len(places):,} times in "
                      f"{len(functions):,} functions (first at {address:#x} in {function})")
        for mnemonic, places in sorted(unknown.items()):
            self.fail(f"{mnemonic!r} is an instruction this check does not know: "
                      f"{len(places):,} times (first at {places[0]:#x})")
        for function, mnemonics in sorted(allowed.items()):
            row = self.allowances[(self.name.lower(), function)]
            where = "without a symbol of its own" if function == "*" else f"in {function}"
            self.lines.append(f"  allowed {where}: {' '.join(sorted(mnemonics))} "
                              f"({row['reason']})")
            self.check_asking(row["asked_by"], by_function.get(row["asked_by"]))
        if not self.failures:
            self.lines.append(f"  passes: nothing newer than the {LEVEL_NAMES[LEVELS[highest]]} "
                              f"outside the functions allowed")
        return self

    def check_asking(self, function, instructions):
        """The function that chooses the code must test the ID flag before CPUID: a 486
        without CPUID stops at the instruction, one with it lets the flag be changed."""
        if not instructions:
            self.fail(f"{function}, which should ask the processor, is not in the program")
            return
        flag_test = False
        pushed = popped = False
        for _, mnemonic, operands in instructions:
            pushed = pushed or mnemonic.startswith("pushf")
            popped = popped or (pushed and mnemonic.startswith("popf"))
            if re.search(r"0x200000\b", operands):
                flag_test = True
            if mnemonic == "cpuid":
                if not (flag_test and pushed and popped):
                    self.fail(f"{function} runs CPUID without testing the ID flag first")
                return
        self.fail(f"{function}, which should ask the processor, holds no CPUID")


def article(name):
    return ("an " if name[0] in "8AEIOU" else "a ") + name if not name.startswith("a ") else name


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("paths", nargs="+", metavar="BINDIR|EXE")
    parser.add_argument("--floor", choices=LEVELS[:-1],
                        help="check the named programs for this processor instead of the "
                             "shipped set")
    parser.add_argument("--tables", default=TABLE_DIR, help=argparse.SUPPRESS)
    args = parser.parse_args(argv)
    try:
        allowances = read_allowances(os.path.join(args.tables, "processor_allowances.tsv"))
        if args.floor:
            checks = [ProgramCheck(p, args.floor, allowances).run() for p in args.paths]
        else:
            if len(args.paths) != 1 or not os.path.isdir(args.paths[0]):
                parser.error("give one folder holding the built programs")
            programs = read_tsv(os.path.join(args.tables, "processors.tsv"),
                                ["program", "floor", "why"])
            for p in programs:
                if p["floor"] not in LEVELS[:-1]:
                    raise TableError(f"processors.tsv: {p['program']} has the unknown floor "
                                     f"{p['floor']!r}")
            checks = [ProgramCheck(os.path.join(args.paths[0], p["program"]), p["floor"],
                                   allowances, p["program"]).run() for p in programs]
    except TableError as e:
        print(f"check_processor: {e}", file=sys.stderr)
        return 2
    for check in checks:
        print("\n".join(check.lines))
    failures = [f for check in checks for f in check.failures]
    if failures:
        print()
        print("\n".join(failures))
    names = {c.name.lower() for c in checks}
    used = set().union(*(c.used for c in checks))
    for key in sorted(allowances):
        if key[0] in names and key not in used:
            print(f"note: the allowance for {key[1]} in {key[0]} was not needed")
    failed = sum(1 for c in checks if c.failures)
    if failed:
        print(f"{failed} of {len(checks)} programs fail.")
        return 1
    print(f"All {len(checks)} programs pass.")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
