#!/usr/bin/env bash
# Installs whatever is missing, builds the program, starts the demo portal and starts the
# program against it under Wine: on the current display, or on Xvfb when there is none, in
# which case a screenshot is saved and its path printed.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$MK_ROOT"

mk_install_deps
runtime=$(mk_runtime_arch)
mk_build_windows "$runtime"
tree=$(mk_tree_of "$runtime")

had_display=no
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then had_display=yes; fi
tools/wine/prepare-prefix "$tree"
# shellcheck source=/dev/null
source "$tree/wine/env"

mkdir -p "$tree/demo-portal"
python3 tools/demo_portal/server.py --port "$MK_DEMO_PORT" \
  --log "$tree/demo-portal/requests.log" >"$tree/demo-portal/server.out" 2>&1 &
portal=$!
cleanup() {
  kill "$portal" 2>/dev/null || true
  tools/wine/stop-prefix "$tree"
}
trap cleanup EXIT
mk_log "Demo portal on $MK_DEMO_BASE (requests: $tree/demo-portal/requests.log)"

mk_log "Starting $tree/bin/MiniKorvel.exe"
"$WINELOADER" "$tree/bin/MiniKorvel.exe" &
program=$!
if [ "$had_display" = yes ]; then
  wait "$program" || true
  exit 0
fi

# No display of the user's: wait for the window, then show what it looks like.
for _ in $(seq 100); do
  "$WINELOADER" "$tree/tools/winprobe.exe" find "$MK_DEMO_BASE/" | grep -q '"visible":true' && break
  sleep 0.2
done
sleep 2
mkdir -p "$tree/screenshots"
shot="$tree/screenshots/start.png"
import -display "$DISPLAY" -window root "$shot"
mk_log "Screenshot: $shot"
