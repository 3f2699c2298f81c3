#!/usr/bin/env bash
# Installs whatever is missing, builds the host and Windows trees and runs every test: the host
# unit tests (with AddressSanitizer and UBSan), the Windows-side tests and the end-to-end tests
# under Wine on Xvfb.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$MK_ROOT"

mk_install_deps
mk_build_host
mk_build_windows i686

runtime=$(mk_runtime_arch)
if [ "$runtime" != i686 ]; then
  mk_log "This kernel runs no 32-bit Linux programs, so Wine cannot start 32-bit Windows" \
    "programs here. The 32-bit tree is checked as built; the Windows-side and end-to-end" \
    "tests run on the same sources built for x86_64."
  mk_build_windows x86_64
fi

status=0
mk_log "Host tests"
ctest --test-dir build/host --output-on-failure || status=1
if [ "$runtime" = i686 ]; then
  mk_log "Windows tests (i686)"
  ctest --test-dir build/win --output-on-failure || status=1
else
  mk_log "Windows build checks (i686)"
  ctest --test-dir build/win --output-on-failure -L static || status=1
  mk_log "Windows tests (x86_64)"
  ctest --test-dir build/win64 --output-on-failure || status=1
fi
exit $status
