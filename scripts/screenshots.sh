#!/usr/bin/env bash
# Takes the README's screenshots: the main window and its open drop-down menu, as the program
# draws them under Wine (on Xvfb when there is no display), into docs/screenshots/.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$MK_ROOT"

mk_install_deps
arch=$(mk_runtime_arch)
mk_build_windows "$arch"
tree=$(mk_tree_of "$arch")
ctest --test-dir "$tree" --output-on-failure -R '^e2e_skin$'
mkdir -p docs/screenshots
cp "$tree/e2e-artifacts/main-window.png" "$tree/e2e-artifacts/dropdown-menu.png" docs/screenshots/
mk_log "docs/screenshots/main-window.png, docs/screenshots/dropdown-menu.png"
