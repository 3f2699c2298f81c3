"""Reads the version information and the application manifest back out of the built program,
as Windows reads them, without running it (so the 32-bit program is checked too).

usage: check_version_resource.py EXE VERSION   (VERSION: the project's, e.g. 1.0.0)
"""

import os
import re
import sys
import unittest
import xml.etree.ElementTree as ET

import pe_resources as pe

PRODUCT_NAME = "Lumivar迷你版"
COMPANY = "Lumivar"
SIMPLIFIED_CHINESE, UTF16_CODE_PAGE = 0x0804, 1200
VOS_NT_WINDOWS32, VFT_APP = 0x00040004, 1

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"
WINDOWS_SETTINGS = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
WINDOWS_SETTINGS_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}


def version_numbers(text):
    parts = [int(part) for part in text.split(".")]
    return tuple(parts + [0] * (4 - len(parts)))


class VersionResourceTest(unittest.TestCase):
    exe = version = None

    @classmethod
    def setUpClass(cls):
        cls.resources = pe.resources_of_file(cls.exe)
        blocks = [r for r in cls.resources if r.type == pe.RT_VERSION]
        assert len(blocks) == 1, f"{len(blocks)} version resources"
        cls.block = blocks[0]
        cls.root = pe.version_info(cls.block.data)
        cls.fixed = pe.fixed_info(cls.root)

    def test_one_version_resource_with_id_1(self):
        self.assertEqual(self.block.name, 1)

    def test_fixed_numbers_are_the_project_version(self):
        expected = version_numbers(self.version)
        self.assertEqual(pe.four_part(self.fixed["file_ms"], self.fixed["file_ls"]), expected)
        self.assertEqual(pe.four_part(self.fixed["product_ms"], self.fixed["product_ls"]),
                         expected)

    def test_fixed_kind_is_a_release_application(self):
        self.assertEqual(self.fixed["os"], VOS_NT_WINDOWS32)
        self.assertEqual(self.fixed["type"], VFT_APP)
        # No debug, pre-release, patched, private or special build flag.
        self.assertEqual(self.fixed["flags"] & self.fixed["flags_mask"], 0)

    def test_one_string_table_in_the_declared_translation(self):
        tables = self.root.child("StringFileInfo").children
        self.assertEqual(len(tables), 1)
        translation = self.root.child("VarFileInfo").child("Translation").value
        self.assertEqual(translation,
                         (SIMPLIFIED_CHINESE | UTF16_CODE_PAGE << 16).to_bytes(4, "little"))
        self.assertEqual(tables[0].key.lower(), f"{SIMPLIFIED_CHINESE:04x}{UTF16_CODE_PAGE:04x}")

    def test_string_values(self):
        strings = {node.key: node.value
                   for node in self.root.child("StringFileInfo").children[0].children}
        exact = {
            "ProductName": PRODUCT_NAME,
            "CompanyName": COMPANY,
            "FileVersion": self.version,
            "ProductVersion": self.version,
            "OriginalFilename": os.path.basename(self.exe),
        }
        for key, expected in exact.items():
            with self.subTest(key=key):
                self.assertEqual(strings.get(key), expected)
        self.assertIn(PRODUCT_NAME, strings.get("FileDescription", ""))
        # A rights notice with a range of years, such as the about box shows.
        notice = re.fullmatch(r"© (\d{4})–(\d{4}) Lumivar迷你版\..*", strings.get("LegalCopyright", ""))
        self.assertIsNotNone(notice, strings.get("LegalCopyright"))
        self.assertLess(int(notice.group(1)), int(notice.group(2)))

    def test_strings_hold_one_text_each(self):
        # Each stored length is the text's own plus its zero: two literals run together, or a
        # text with an embedded zero, would show here.
        for node in self.root.child("StringFileInfo").children[0].children:
            with self.subTest(key=node.key):
                self.assertNotIn("\0", node.value)
                self.assertEqual(node.text_length, len(node.value) + 1)


class ManifestTest(unittest.TestCase):
    exe = None

    @classmethod
    def setUpClass(cls):
        cls.manifests = [r for r in pe.resources_of_file(cls.exe) if r.type == pe.RT_MANIFEST]
        cls.xml = ET.fromstring(cls.manifests[0].data) if cls.manifests else None

    def test_one_manifest_the_loader_applies(self):
        # CREATEPROCESS_MANIFEST_RESOURCE_ID is 1; a second manifest would be a conflict.
        self.assertEqual([m.name for m in self.manifests], [1])
        self.assertEqual(self.xml.tag, f"{{{ASM_V1}}}assembly")
        self.assertEqual(self.xml.get("manifestVersion"), "1.0")

    def test_runs_as_invoker(self):
        levels = self.xml.findall(f".//{{{ASM_V3}}}requestedExecutionLevel")
        self.assertEqual([(e.get("level"), e.get("uiAccess")) for e in levels],
                         [("asInvoker", "false")])

    def test_depends_on_common_controls_6(self):
        identities = [e.attrib for e in
                      self.xml.findall(f"{{{ASM_V1}}}dependency/{{{ASM_V1}}}dependentAssembly/"
                                       f"{{{ASM_V1}}}assemblyIdentity")]
        self.assertEqual(identities, [{
            "type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
            "processorArchitecture": "*", "publicKeyToken": "6595b64144ccf1df", "language": "*",
        }])

    def test_supported_systems(self):
        ids = [e.get("Id").lower() for e in self.xml.findall(
            f"{{{COMPATIBILITY}}}compatibility/{{{COMPATIBILITY}}}application/"
            f"{{{COMPATIBILITY}}}supportedOS")]
        self.assertEqual(sorted(ids), sorted(SUPPORTED_OS), [SUPPORTED_OS.get(i, i) for i in ids])

    def test_not_dpi_aware(self):
        aware = self.xml.findall(f".//{{{WINDOWS_SETTINGS}}}dpiAware")
        self.assertTrue(all(e.text.strip().lower() == "false" for e in aware),
                        [e.text for e in aware])
        self.assertEqual(self.xml.findall(f".//{{{WINDOWS_SETTINGS_2016}}}dpiAwareness"), [])


if __name__ == "__main__":
    exe, version = sys.argv[1:3]
    VersionResourceTest.exe, VersionResourceTest.version = exe, version
    ManifestTest.exe = exe
    unittest.main(argv=sys.argv[:1], verbosity=2)
