"""Checks a built executable without running it: a Windows GUI program of the expected machine
whose imports are Windows' own DLLs only, so it runs from its folder with nothing installed.

usage: check_pe.py OBJDUMP EXE MACHINE   (MACHINE: i686 or x86_64)
"""

import re
import subprocess
import sys
import unittest

# DLLs every supported Windows ships in its system folder.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msimg32.dll",
    "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll", "urlmon.dll",
    "user32.dll", "uxtheme.dll", "version.dll", "wininet.dll", "dwmapi.dll", "imm32.dll",
}
FORMATS = {"i686": "pei-i386", "x86_64": "pei-x86-64"}


class ExecutableTest(unittest.TestCase):
    objdump = exe = machine = None

    @classmethod
    def setUpClass(cls):
        cls.headers = subprocess.run([cls.objdump, "-p", cls.exe], check=True,
                                     capture_output=True, text=True).stdout

    def test_machine_and_format(self):
        self.assertRegex(self.headers, rf"file format {FORMATS[self.machine]}\b")

    def test_gui_subsystem(self):
        self.assertRegex(self.headers, r"Subsystem\s+0*2\s+\(Windows GUI\)")

    def test_imports_are_system_dlls_only(self):
        imports = {name.lower() for name in re.findall(r"DLL Name: (\S+)", self.headers)}
        self.assertTrue(imports, "no import table found")
        self.assertEqual(imports - SYSTEM_DLLS, set())


if __name__ == "__main__":
    ExecutableTest.objdump, ExecutableTest.exe, ExecutableTest.machine = sys.argv[1:4]
    unittest.main(argv=sys.argv[:1], verbosity=2)
