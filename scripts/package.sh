#!/usr/bin/env bash
# Builds what is shipped, into dist/: the installer MiniKorvel-VERSION-setup.exe and the
# portable MiniKorvel-VERSION-portable.zip, both around the 32-bit program built in its own
# release tree (build/release).
#   PORTAL_BASE_ADDRESS=https://...   the portal to build for (default: CMake's default)
#   SOURCE_DATE_EPOCH=...             the files' time in the packages (default: last commit)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$MK_ROOT"

mk_install_deps
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
export SOURCE_DATE_EPOCH
mk_build_packages "$MK_ROOT/build/release" "$MK_ROOT/dist"
