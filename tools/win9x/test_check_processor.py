"""Tests of check_processor.py on small i686 programs that the MinGW-w64 cross compiler
builds here, each holding exactly the instructions a case needs (no C runtime, an entry of
its own)."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CHECK = os.path.join(HERE, "check_processor.py")
CC = "i686-w64-mingw32-gcc"
OBJCOPY = "i686-w64-mingw32-objcopy"
BARE = ["-O1", "-march=i386", "-ffreestanding", "-fno-asynchronous-unwind-tables", "-nostdlib",
        "-nostartfiles", "-Wl,-e,_entry"]


def program(body, helpers=""):
    return helpers + "\nvoid entry(void) {\n" + body + "\n}\n"


ASK = r"""
/* Asks for CPUID only once the ID flag proved changeable, as on every processor since. */
__attribute__((noinline)) int asks(void) {
    unsigned before, after, a = 1, b, c, d;
    __asm__ volatile("pushfl; pushfl; popl %0; movl %0, %1; xorl $0x200000, %0; pushl %0;"
                     "popfl; pushfl; popl %0; popfl" : "=&r"(after), "=&r"(before));
    if (((after ^ before) & 0x200000) == 0) return 0;
    __asm__ volatile("cpuid" : "+a"(a), "=b"(b), "=c"(c), "=d"(d));
    return (c >> 1) & 1;
}
__attribute__((noinline)) void folds(void) { __asm__ volatile("pclmulqdq $0, %xmm1, %xmm0"); }
"""
ASK_BLINDLY = r"""
__attribute__((noinline)) int asks(void) {
    unsigned a = 1, b, c, d;
    __asm__ volatile("cpuid" : "+a"(a), "=b"(b), "=c"(c), "=d"(d));
    return (c >> 1) & 1;
}
__attribute__((noinline)) void folds(void) { __asm__ volatile("pclmulqdq $0, %xmm1, %xmm0"); }
"""

SOURCES = {
    "plain.c": program("""
        volatile int n = 3, s = 0;
        for (int i = 0; i < n; ++i) s += i * n;
        __asm__ volatile("fldz; fld1; faddp; fstp %st(0); rep movsb; lea 0(%esi), %esi; pause; rep bsf %eax, %eax; ud2");"""),
    "bswap.c": program('__asm__ volatile("bswap %eax");'),
    "cmov.c": program('__asm__ volatile("cmovne %ebx, %eax");'),
    "long_nop.c": program('__asm__ volatile("nopl 0(%eax)");'),
    "fcomi.c": program('__asm__ volatile("fldz; fldz; fcomip %st(1), %st; fstp %st(0)");'),
    "mmx.c": program('__asm__ volatile("movq %mm1, %mm0; emms");'),
    "sse.c": program('__asm__ volatile("xorps %xmm0, %xmm0");'),
    "asks.c": program("if (asks()) folds();", ASK),
    "asks_blindly.c": program("if (asks()) folds();", ASK_BLINDLY),
}

ALLOWANCES = """programs\tfunction\tinstructions\tasked_by\treason
asks.exe asks_blindly.exe stripped.exe\tfolds\tpclmulqdq\tasks\tthe test case's fold
asks.exe asks_blindly.exe stripped.exe\tasks\tcpuid\tasks\tthe test case's question
"""


class CheckProcessorTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if shutil.which(CC) is None:
            raise unittest.SkipTest(f"{CC} is not installed")
        cls.dir = tempfile.mkdtemp(prefix="check-processor-")
        for name, text in SOURCES.items():
            source = os.path.join(cls.dir, name)
            with open(source, "w") as f:
                f.write(text)
            subprocess.run([CC, *BARE, source, "-o", cls.exe(name[:-2])], check=True)
        # A stripped program whose symbols are beside it, as the GUI programs ship.
        stripped = cls.exe("stripped")
        shutil.copy(cls.exe("asks"), stripped)
        subprocess.run([OBJCOPY, "--only-keep-debug", stripped, stripped + ".debug"], check=True)
        subprocess.run([OBJCOPY, "--strip-all", stripped], check=True)
        cls.tables = os.path.join(cls.dir, "tables")
        os.mkdir(cls.tables)
        with open(os.path.join(cls.tables, "processor_allowances.tsv"), "w") as f:
            f.write(ALLOWANCES)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    @classmethod
    def exe(cls, name):
        return os.path.join(cls.dir, name + ".exe")

    def check(self, floor, name, tables=None):
        out = subprocess.run([sys.executable, CHECK, "--floor", floor, self.exe(name),
                              "--tables", tables or self.tables],
                             capture_output=True, text=True)
        return out.returncode, out.stdout + out.stderr

    def test_each_instruction_against_the_floors_around_it(self):
        # program, the oldest floor it passes, the newest it fails, what the failure names
        cases = [
            ("plain", "80386", None, None),
            ("bswap", "80486", "80386", "bswap needs a 486"),
            ("cmov", "pentiumpro", "pentium-mmx", "cmovne needs a Pentium Pro"),
            ("long_nop", "pentiumpro", "pentium-mmx", "nop needs a Pentium Pro"),
            ("fcomi", "pentiumpro", "pentium-mmx", "fcomip needs a Pentium Pro"),
            ("mmx", "pentium-mmx", "pentium", "movq needs a Pentium MMX"),
            ("sse", None, "pentiumpro", "xorps needs a processor after the Pentium Pro"),
        ]
        for name, passes, fails, why in cases:
            with self.subTest(program=name):
                if passes:
                    status, out = self.check(passes, name)
                    self.assertEqual(status, 0, out)
                if fails:
                    status, out = self.check(fails, name)
                    self.assertEqual(status, 1, out)
                    self.assertIn(why, out)
                    self.assertIn("in entry", out)

    def test_code_chosen_after_asking_is_allowed_by_name(self):
        for name in ("asks", "stripped"):
            with self.subTest(program=name):
                status, out = self.check("80486", name)
                self.assertEqual(status, 0, out)
                self.assertIn("allowed in folds: pclmul", out)

    def test_without_the_allowance_the_same_code_fails(self):
        empty = os.path.join(self.dir, "no-allowances")
        os.makedirs(empty, exist_ok=True)
        with open(os.path.join(empty, "processor_allowances.tsv"), "w") as f:
            f.write(ALLOWANCES.splitlines()[0] + "\n")
        status, out = self.check("80486", "asks", empty)
        self.assertEqual(status, 1, out)
        self.assertIn("cpuid needs a Pentium", out)
        self.assertRegex(out, r"pclmul\w* needs a processor after the Pentium Pro: .* in folds")

    def test_asking_without_the_id_flag_test_fails(self):
        status, out = self.check("80486", "asks_blindly")
        self.assertEqual(status, 1, out)
        self.assertIn("asks runs CPUID without testing the ID flag first", out)


if __name__ == "__main__":
    unittest.main()
