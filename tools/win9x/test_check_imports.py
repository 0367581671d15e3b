"""Tests of check_imports.py on small i686 programs that the MinGW-w64 cross compiler builds
here, each importing exactly the functions a case needs (no C runtime, an entry of its own)."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CHECK = os.path.join(HERE, "check_imports.py")
CC = "i686-w64-mingw32-gcc"
DLLTOOL = "i686-w64-mingw32-dlltool"
BARE = ["-Os", "-ffreestanding", "-fno-asynchronous-unwind-tables", "-nostdlib",
        "-nostartfiles", "-Wl,-e,_entry"]
V4 = ["-Wl,--major-subsystem-version,4", "-Wl,--minor-subsystem-version,0",
      "-Wl,--major-os-version,4", "-Wl,--minor-os-version,0"]

SOURCES = {
    "gui_ok.c": r"""
        #include <windows.h>
        void entry(void) {
            OSVERSIONINFOA v; v.dwOSVersionInfoSize = sizeof v;
            GetVersionExA(&v);
            MessageBoxA(0, "hello", "test", MB_OK);
        }""",
    "uses_msvcrt.c": r"""
        #include <windows.h>
        int __cdecl puts(const char *);
        void entry(void) {
            OSVERSIONINFOA v; v.dwOSVersionInfoSize = sizeof v;
            GetVersionExA(&v);
            puts("hello");
        }""",
    "file_size_ex.c": r"""
        #include <windows.h>
        void entry(void) {
            LARGE_INTEGER size;
            GetFileSizeEx(GetStdHandle(STD_OUTPUT_HANDLE), &size);
        }""",
    "wide_stub.c": r"""
        #include <windows.h>
        void entry(void) { GetModuleHandleW(L"advapi32.dll"); }""",
    "wide_fopen.c": r"""
        #include <stddef.h>
        void *__cdecl _wfopen(const wchar_t *, const wchar_t *);
        void entry(void) { _wfopen(L"x", L"rb"); }""",
    "by_ordinal.c": r"""
        void __stdcall InitCommonControls(void);
        void __stdcall Unheard(void);
        void entry(void) { InitCommonControls(); }""",
    "by_odd_ordinal.c": r"""
        void __stdcall Unheard(void);
        void entry(void) { Unheard(); }""",
}

ORDINAL_DEF = """LIBRARY comctl32.dll
EXPORTS
InitCommonControls@0 @17 NONAME
Unheard@0 @999 NONAME
"""


def passed_names(out):
    """The names listed after "ok:" in the check's output."""
    names = set()
    for line in out.splitlines():
        if line.startswith("    ok: "):
            names.update(n for n in line[len("    ok: "):].rstrip(",").split(", "))
    return names


def run_check(*args):
    done = subprocess.run([sys.executable, CHECK, *args], capture_output=True, text=True,
                          timeout=60)
    return done.returncode, done.stdout + done.stderr


class CheckImportsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if shutil.which(CC) is None:
            raise RuntimeError(f"{CC} is needed (tools/setup.sh installs g++-mingw-w64-i686)")
        cls.dir = tempfile.mkdtemp(prefix="check-imports-")
        for name, text in SOURCES.items():
            with open(os.path.join(cls.dir, name), "w") as f:
                f.write(text)
        with open(os.path.join(cls.dir, "ordinals.def"), "w") as f:
            f.write(ORDINAL_DEF)
        subprocess.run([DLLTOOL, "-d", "ordinals.def", "-l", "libordinals.a"], cwd=cls.dir,
                       check=True, timeout=60)
        cls.build("gui_ok.exe", "gui_ok.c", ["-mwindows", *V4, "-lkernel32", "-luser32"])
        cls.build("gui_v6.exe", "gui_ok.c", ["-mwindows", "-Wl,--major-subsystem-version,6",
                                             "-Wl,--minor-subsystem-version,0",
                                             "-Wl,--major-os-version,4",
                                             "-Wl,--minor-os-version,0",
                                             "-lkernel32", "-luser32"])
        cls.build("gui_os5.exe", "gui_ok.c", ["-mwindows", "-Wl,--major-subsystem-version,4",
                                              "-Wl,--minor-subsystem-version,0",
                                              "-Wl,--major-os-version,5",
                                              "-Wl,--minor-os-version,1",
                                              "-lkernel32", "-luser32"])
        cls.build("uses_msvcrt.exe", "uses_msvcrt.c", ["-mconsole", *V4, "-lmsvcrt", "-lkernel32"])
        cls.build("file_size_ex.exe", "file_size_ex.c", ["-mconsole", *V4, "-lkernel32"])
        cls.build("wide_stub.exe", "wide_stub.c", ["-mwindows", *V4, "-lkernel32"])
        cls.build("wide_fopen.exe", "wide_fopen.c", ["-mconsole", *V4, "-lmsvcrt"])
        cls.build("by_ordinal.exe", "by_ordinal.c", ["-mwindows", *V4, "-L.", "-lordinals"])
        cls.build("by_odd_ordinal.exe", "by_odd_ordinal.c", ["-mwindows", *V4, "-L.", "-lordinals"])

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.dir, ignore_errors=True)

    @classmethod
    def build(cls, exe, source, flags):
        subprocess.run([CC, *BARE, source, "-o", exe, *flags], cwd=cls.dir, check=True,
                       timeout=120)

    def path(self, name):
        return os.path.join(self.dir, name)

    def test_versions_and_imports_of_windows_95_pass_as_gui_and_console(self):
        for target in ("win95", "win98"):
            with self.subTest(target=target):
                status, out = run_check("--target", target, self.path("gui_ok.exe"))
                self.assertEqual(status, 0, out)
                self.assertIn("subsystem windows 4.0, OS version 4.0", out)
                self.assertEqual(passed_names(out), {"GetVersionExA", "MessageBoxA"})
                self.assertIn("All 1 programs pass.", out)
                self.assertNotIn("FAIL", out)

    def test_msvcrt_fails_for_windows_95_and_passes_for_windows_98(self):
        status, out = run_check("--target", "win95", self.path("uses_msvcrt.exe"))
        self.assertEqual(status, 1, out)
        self.assertIn("FAIL uses_msvcrt.exe: msvcrt.dll: the DLL is not on Windows 95 [", out)
        self.assertIn("MISSING on Windows 95; its functions are checked for Windows 98", out)
        status, out = run_check("--target", "win98", self.path("uses_msvcrt.exe"))
        self.assertEqual(status, 0, out)
        self.assertEqual(passed_names(out), {"GetVersionExA", "puts"})

    def test_get_file_size_ex_is_missing_on_both(self):
        expected = {"win95": "missing on Windows 95 and Windows 98", "win98": "missing on Windows 98"}
        for target, where in expected.items():
            with self.subTest(target=target):
                status, out = run_check("--target", target, self.path("file_size_ex.exe"))
                self.assertEqual(status, 1, out)
                self.assertIn(f"FAIL file_size_ex.exe: KERNEL32.dll!GetFileSizeEx: {where}: "
                              "the loader refuses the program [", out)
                self.assertEqual(passed_names(out), {"GetStdHandle"})

    def test_versions_above_4_0_fail(self):
        status, out = run_check("--target", "win98", self.path("gui_v6.exe"))
        self.assertEqual(status, 1, out)
        self.assertIn("FAIL gui_v6.exe: header: subsystem version 6.0 is above 4.0", out)
        self.assertNotIn("OS version 4.0 is above", out)
        status, out = run_check("--target", "win98", self.path("gui_os5.exe"))
        self.assertEqual(status, 1, out)
        self.assertIn("FAIL gui_os5.exe: header: OS version 5.1 is above 4.0", out)
        self.assertNotIn("subsystem version 4.0 is above", out)

    def test_imports_by_ordinal_are_judged_by_their_ordinal(self):
        status, out = run_check("--target", "win95", self.path("by_ordinal.exe"))
        self.assertEqual(status, 0, out)
        self.assertIn("comctl32.dll", out)
        self.assertEqual(passed_names(out), {"#17 (InitCommonControls by ordinal)"})
        status, out = run_check("--target", "win95", self.path("by_odd_ordinal.exe"))
        self.assertEqual(status, 1, out)
        self.assertIn("FAIL by_odd_ordinal.exe: comctl32.dll!#999: not in the table: no evidence "
                      "that it is exported on Windows 95 and Windows 98", out)

    def test_a_stub_fails_unless_the_program_has_an_allowance_with_a_reason(self):
        status, out = run_check("--target", "win95", self.path("wide_stub.exe"))
        self.assertEqual(status, 1, out)
        self.assertIn("FAIL wide_stub.exe: KERNEL32.dll!GetModuleHandleW: a stub on Windows 95 "
                      "and Windows 98: it fails with ERROR_CALL_NOT_IMPLEMENTED [", out)
        tables = self.tables_with_allowance(
            "wide_stub.exe\tKERNEL32.DLL\tGetModuleHandleW\tthe test asks for a DLL it never needs\n")
        status, out = run_check("--tables", tables, "--target", "win95", self.path("wide_stub.exe"))
        self.assertEqual(status, 0, out)
        self.assertIn("allowed  GetModuleHandleW: a stub on Windows 95 and Windows 98", out)
        self.assertIn("because the test asks for a DLL it never needs", out)

    def test_an_allowance_without_a_reason_is_refused(self):
        tables = self.tables_with_allowance("wide_stub.exe\tKERNEL32.DLL\tGetModuleHandleW\t \n")
        status, out = run_check("--tables", tables, "--target", "win95", self.path("wide_stub.exe"))
        self.assertEqual(status, 2, out)
        self.assertIn("GetModuleHandleW gives no reason", out)

    def test_unknown_state_fails_with_its_note(self):
        status, out = run_check("--target", "win98", self.path("wide_fopen.exe"))
        self.assertEqual(status, 1, out)
        self.assertIn("FAIL wide_fopen.exe: msvcrt.dll!_wfopen: unknown on Windows 98 (", out)

    def test_files_that_are_no_pe32_program_fail_cleanly(self):
        with open(self.path("gui_ok.exe"), "rb") as f:
            program = f.read()
        cases = {"text.exe": b"not a program at all" * 10, "cut.exe": program[:300]}
        for name, data in cases.items():
            with self.subTest(name=name):
                with open(self.path(name), "wb") as f:
                    f.write(data)
                status, out = run_check("--target", "win95", self.path(name))
                self.assertEqual(status, 1, out)
                self.assertIn(f"FAIL {name}: file: ", out)
                self.assertNotIn("Traceback", out)

    def test_sizes_are_listed_beside_their_goals(self):
        bindir = tempfile.mkdtemp(dir=self.dir)
        shutil.copy(self.path("gui_ok.exe"), os.path.join(bindir, "Install.exe"))
        status, out = run_check("--sizes", bindir)
        self.assertEqual(status, 1, out)  # the other shipped programs are missing
        size = os.path.getsize(self.path("gui_ok.exe"))
        self.assertRegex(out, rf"Install\.exe +{size:,} bytes  <= 64 KB \(65,536 bytes\)\n")
        self.assertRegex(out, r"Parcelo95\.exe +missing .*<= 96 KB \(98,304 bytes\)")
        self.assertRegex(out, r"qsdtool\.exe +missing .* -\n")

    def tables_with_allowance(self, row):
        tables = tempfile.mkdtemp(dir=self.dir)
        for name in ("exports.tsv", "sources.tsv", "programs.tsv", "allowances.tsv"):
            shutil.copy(os.path.join(HERE, name), tables)
        with open(os.path.join(tables, "allowances.tsv"), "a") as f:
            f.write(row)
        return tables


if __name__ == "__main__":
    unittest.main()
