#!/usr/bin/env python3
"""Builds the two packages of one Windows build tree:

  MiniKorvel-VERSION[-x64]-setup.exe     the installer (installer/MiniKorvel.nsi, makensis)
  MiniKorvel-VERSION[-x64]-portable.zip  MiniKorvel/bin/MiniKorvel.exe, MiniKorvel/Res/*.html

The shipped packages come from the 32-bit tree; an x86_64 tree gives the same installer as a
64-bit program (the tests run it under 64-bit Wine) and carries "-x64" in its names.

Both hold the files with one modification time (package_time), so that the zip is the same
byte for byte from the same sources.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
PAGES = ("loading.html", "error.html")
TARGETS = {"i686": ("x86-unicode", ""), "x86_64": ("amd64-unicode", "-x64")}
PRODUCT_DEFINES = ("MK_PRODUCT_NAME", "MK_COMPANY_NAME", "MK_RIGHTS_NOTICE")


def product_texts(header):
    """The product's texts as product_info.h defines them (plain string literals)."""
    texts = dict(re.findall(r'^#define (MK_\w+) "([^"\\]*)"$', header.read_text("utf-8"), re.M))
    missing = [name for name in PRODUCT_DEFINES if name not in texts]
    if missing:
        raise SystemExit(f"{header}: no plain string literal for {', '.join(missing)}")
    return {name: texts[name] for name in PRODUCT_DEFINES}


def package_time(inputs):
    """SOURCE_DATE_EPOCH, else the last commit's time, else (outside a checkout) the newest
    input file's time: the same for the same inputs in every case."""
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    result = subprocess.run(["git", "-C", str(ROOT), "log", "-1", "--format=%ct"],
                            capture_output=True, text=True)
    if result.returncode == 0 and result.stdout.strip():
        return int(result.stdout.strip())
    return int(max(Path(path).stat().st_mtime for path in inputs))


def stage(exe, res_dir, folder, stamp):
    """Lays the files out as installed under folder, all with the modification time stamp."""
    if folder.exists():
        shutil.rmtree(folder)
    (folder / "bin").mkdir(parents=True)
    (folder / "Res").mkdir()
    copies = [(Path(exe), folder / "bin" / "MiniKorvel.exe")]
    copies += [(Path(res_dir) / page, folder / "Res" / page) for page in PAGES]
    for source, target in copies:
        shutil.copyfile(source, target)
        os.utime(target, (stamp, stamp))
    return [target for _, target in copies]


def write_zip(path, folder, stamp):
    """The staged folder as a zip, entries in a fixed order with fixed times and attributes."""
    date_time = time.gmtime(max(stamp, 315532800))[:6]  # zip times start in 1980
    top = folder.name
    entries = [top + "/"]
    for sub in sorted(p for p in folder.rglob("*")):
        name = top + "/" + sub.relative_to(folder).as_posix()
        entries.append(name + "/" if sub.is_dir() else name)
    path.unlink(missing_ok=True)
    with zipfile.ZipFile(path, "w") as archive:
        for name in sorted(entries):
            info = zipfile.ZipInfo(name, date_time)
            info.create_system = 0  # MS-DOS attributes, as Windows' own zip folders write them
            if name.endswith("/"):
                info.external_attr = 0x10  # directory
                archive.writestr(info, b"")
            else:
                info.external_attr = 0x20  # archive, the attribute of every fresh file
                info.compress_type = zipfile.ZIP_DEFLATED
                data = (folder.parent / name).read_bytes()
                archive.writestr(info, data, compresslevel=9)


def nsis_text(value):
    return value.replace("$", "$$").replace('"', '$\\"')


def write_config(path, settings):
    lines = [f'!define {name} "{nsis_text(value)}"' for name, value in settings.items()]
    # With a byte-order mark, makensis reads the Chinese texts as UTF-8 whatever the locale.
    path.write_text("\n".join(lines) + "\n", encoding="utf-8-sig")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--exe", required=True, help="the built MiniKorvel.exe")
    parser.add_argument("--res", required=True, help="the folder of the two local pages")
    parser.add_argument("--arch", required=True, choices=sorted(TARGETS))
    parser.add_argument("--version", required=True, help="the project's version, e.g. 1.0.0")
    parser.add_argument("--portal-base", required=True,
                        help="the PORTAL_BASE_ADDRESS the program was built with")
    parser.add_argument("--out", required=True, help="the folder for the packages")
    parser.add_argument("--makensis", default="makensis")
    args = parser.parse_args()

    if not shutil.which(args.makensis):
        raise SystemExit(f"{args.makensis}: not found; it comes with Debian's nsis package "
                         "(scripts/lib.sh installs it)")
    out = Path(args.out).resolve()
    out.mkdir(parents=True, exist_ok=True)
    stamp = package_time([args.exe] + [Path(args.res) / page for page in PAGES])
    target, suffix = TARGETS[args.arch]
    base_name = f"MiniKorvel-{args.version}{suffix}"
    numbers = [int(part) for part in args.version.split(".")]

    with tempfile.TemporaryDirectory(prefix="mk-package-") as work:
        folder = Path(work) / "MiniKorvel"
        stage(args.exe, args.res, folder, stamp)

        portable = out / f"{base_name}-portable.zip"
        write_zip(portable, folder, stamp)

        settings = {
            "MK_TARGET": target,
            "MK_OUTFILE": str(out / f"{base_name}-setup.exe"),
            "MK_STAGE": str(folder),
            "MK_ICON": str(ROOT / "assets" / "MiniKorvel.ico"),
            "MK_VERSION": args.version,
            "MK_VERSION4": ".".join(str(n) for n in (numbers + [0] * 4)[:4]),
            "MK_WINDOW_CLASS": args.portal_base + "/",
            **product_texts(ROOT / "src" / "app" / "product_info.h"),
        }
        config = Path(work) / "config.nsh"
        write_config(config, settings)
        result = subprocess.run([args.makensis, "-V2", "-INPUTCHARSET", "UTF8",
                                 f"-DMK_CONFIG={config}",
                                 str(ROOT / "installer" / "MiniKorvel.nsi")])
    if result.returncode != 0:
        return result.returncode
    for package in (Path(settings["MK_OUTFILE"]), portable):
        print(f"{package}  {package.stat().st_size} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
