"""Builds a tree's packages twice and checks them without running them: the portable zip's
layout and contents, the same bytes from both builds, and the installer's kind, version
information, requested rights and payload (listed and unpacked with 7-Zip, which reads NSIS
installers). The first build is left in OUT for the end-to-end installer test.

usage: check_packages.py --out OUT --exe EXE --res RES --arch ARCH --version VERSION
                         --sevenzip 7ZZ -- PACKAGE_COMMAND...
"""

import argparse
import shutil
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET
import zipfile
from pathlib import Path

import pe_resources as pe

PRODUCT_NAME = "Lumivar迷你版"
PAGES = ("loading.html", "error.html")
MACHINES = {"i686": 0x014C, "x86_64": 0x8664}
NSIS_SUBTYPES = {"i686": "NSIS-3 Unicode", "x86_64": "NSIS-3 Unicode 64-bit"}
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"

args = None


def build(out):
    subprocess.run([*args.command, "--out", str(out)], check=True, stdout=subprocess.DEVNULL)
    zips = list(Path(out).glob("*-portable.zip"))
    installers = list(Path(out).glob("*-setup.exe"))
    assert len(zips) == 1 and len(installers) == 1, (zips, installers)
    return zips[0], installers[0]


def expected_files():
    """Install-relative path -> the bytes the package must carry there."""
    files = {"bin/MiniKorvel.exe": Path(args.exe).read_bytes()}
    files.update({f"Res/{page}": (Path(args.res) / page).read_bytes() for page in PAGES})
    return files


class PackagesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        out = Path(args.out)
        if out.exists():
            shutil.rmtree(out)
        cls.zip, cls.installer = build(out)
        cls.scratch = Path(tempfile.mkdtemp(prefix="mk-packages-"))
        cls.zip_again, cls.installer_again = build(cls.scratch / "again")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def sevenzip(self, *arguments):
        return subprocess.run([args.sevenzip, *arguments], check=True, capture_output=True,
                              text=True).stdout

    def test_package_names_carry_the_version(self):
        for package in (self.zip, self.installer):
            with self.subTest(package=package.name):
                self.assertTrue(package.name.startswith(f"MiniKorvel-{args.version}"))

    def test_portable_zip_layout_and_contents(self):
        with zipfile.ZipFile(self.zip) as archive:
            self.assertIsNone(archive.testzip())
            names = archive.namelist()
            files = {name: archive.read(name) for name in names if not name.endswith("/")}
        expected = {f"MiniKorvel/{path}": data for path, data in expected_files().items()}
        self.assertEqual(sorted(files), sorted(expected))
        for name, data in expected.items():
            with self.subTest(name=name):
                self.assertEqual(files[name], data)
        self.assertEqual(sorted(n for n in names if n.endswith("/")),
                         ["MiniKorvel/", "MiniKorvel/Res/", "MiniKorvel/bin/"])

    def test_same_sources_give_the_same_bytes(self):
        self.assertEqual(self.zip.read_bytes(), self.zip_again.read_bytes())

    def test_installer_is_a_unicode_nsis_program_for_the_machine(self):
        image = self.installer.read_bytes()
        pe_offset = int.from_bytes(image[0x3C:0x40], "little")
        self.assertEqual(int.from_bytes(image[pe_offset + 4:pe_offset + 6], "little"),
                         MACHINES[args.arch])
        listing = self.sevenzip("l", "-slt", str(self.installer))
        self.assertIn(f"SubType = {NSIS_SUBTYPES[args.arch]}\n", listing)

    def test_installer_payload(self):
        unpacked = self.scratch / "unpacked"
        self.sevenzip("x", "-y", f"-o{unpacked}", str(self.installer))
        installed = {p.relative_to(unpacked).as_posix() for p in unpacked.rglob("*")
                     if p.is_file() and not p.relative_to(unpacked).as_posix().startswith("$")}
        # The uninstaller is written at install time: 7-Zip lists it with no data.
        self.assertEqual(installed - {"Uninstall.exe"}, set(expected_files()))
        for path, data in expected_files().items():
            with self.subTest(path=path):
                self.assertEqual((unpacked / path).read_bytes(), data)

    def test_installer_version_information(self):
        resources = pe.resources_of_file(self.installer)
        (block,) = [r for r in resources if r.type == pe.RT_VERSION]
        root = pe.version_info(block.data)
        strings = {n.key: n.value for n in root.child("StringFileInfo").children[0].children}
        self.assertEqual(strings.get("ProductName"), PRODUCT_NAME)
        self.assertEqual(strings.get("ProductVersion"), args.version)
        self.assertEqual(strings.get("CompanyName"), "Lumivar")
        self.assertIn(PRODUCT_NAME, strings.get("FileDescription", ""))
        fixed = pe.fixed_info(root)
        numbers = tuple((list(map(int, args.version.split("."))) + [0] * 4)[:4])
        self.assertEqual(pe.four_part(fixed["product_ms"], fixed["product_ls"]), numbers)

    def test_installer_asks_for_no_administrator_rights(self):
        (manifest,) = [r for r in pe.resources_of_file(self.installer)
                       if r.type == pe.RT_MANIFEST]
        levels = ET.fromstring(manifest.data).findall(f".//{{{ASM_V3}}}requestedExecutionLevel")
        self.assertEqual([e.get("level") for e in levels], ["asInvoker"])


def main():
    global args
    parser = argparse.ArgumentParser()
    for option in ("--out", "--exe", "--res", "--arch", "--version", "--sevenzip"):
        parser.add_argument(option, required=True)
    parser.add_argument("command", nargs="+")
    args = parser.parse_args()
    unittest.main(argv=sys.argv[:1], verbosity=2)


if __name__ == "__main__":
    main()
