# Shared by the set-up commands: what the project needs from Debian, and how its trees are
# configured. Source it; it defines functions and changes nothing by itself.

MK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The demo portal's address, compiled into the development and test builds.
MK_DEMO_PORT=${MK_DEMO_PORT:-18631}
MK_DEMO_BASE="http://127.0.0.1:${MK_DEMO_PORT}"

MK_PACKAGES=(
  cmake ninja-build g++ python3 libgtest-dev libgmock-dev googletest zlib1g-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-i686-dev mingw-w64-x86-64-dev
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine32:i386 wine64 xvfb xauth x11-utils xdotool imagemagick fonts-wqy-microhei
  nsis 7zip
)

mk_log() { printf '\n== %s\n' "$*"; }

mk_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs whatever of MK_PACKAGES is missing (and the i386 architecture Wine's 32-bit half
# needs). Does nothing, and asks nothing, when all is there.
mk_install_deps() {
  local missing=() pkg
  for pkg in "${MK_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  mk_log "Installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    mk_as_root dpkg --add-architecture i386
  fi
  mk_as_root apt-get update -q
  mk_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}" </dev/null
}

# The architecture whose Windows programs this machine can run under Wine: i686 where 32-bit
# Linux programs run (Wine's 32-bit loader), x86_64 where the kernel runs no 32-bit code.
mk_runtime_arch() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo i686; else echo x86_64; fi
}

mk_tree_of() {
  case "$1" in
    i686) echo "$MK_ROOT/build/win" ;;
    x86_64) echo "$MK_ROOT/build/win64" ;;
  esac
}

# mk_build_windows ARCH [extra cmake arguments]: configures and builds that Windows tree.
mk_build_windows() {
  local arch=$1 tree
  shift
  tree=$(mk_tree_of "$arch")
  mk_log "Windows tree ($arch): $tree"
  cmake -S "$MK_ROOT" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$MK_ROOT/cmake/toolchain-$arch-w64-mingw32.cmake" \
    -DPORTAL_BASE_ADDRESS="$MK_DEMO_BASE" "$@" >/dev/null
  cmake --build "$tree"
}

mk_build_host() {
  mk_log "Host tree: $MK_ROOT/build/host"
  cmake -S "$MK_ROOT" -B "$MK_ROOT/build/host" -G Ninja -DMK_SANITIZE=ON >/dev/null
  cmake --build "$MK_ROOT/build/host"
}

# mk_build_packages TREE DIST: the packages to ship, built from their own 32-bit release tree
# (not the development tree, which is built for the demo portal): the program for
# PORTAL_BASE_ADDRESS when set in the environment, otherwise for CMake's default, then the
# installer and the portable zip (installer/package.py) into DIST.
mk_build_packages() {
  local tree=$1 dist=$2 base
  if [ -n "${PORTAL_BASE_ADDRESS:-}" ]; then
    base=(-DPORTAL_BASE_ADDRESS="$PORTAL_BASE_ADDRESS")
  else
    base=(-UPORTAL_BASE_ADDRESS)
  fi
  mk_log "Release tree (i686): $tree"
  cmake -S "$MK_ROOT" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$MK_ROOT/cmake/toolchain-i686-w64-mingw32.cmake" \
    -DMK_DIST_DIR="$dist" "${base[@]}" >/dev/null
  mk_log "Packages for $(sed -n 's/^PORTAL_BASE_ADDRESS:STRING=//p' "$tree/CMakeCache.txt"): $dist"
  cmake --build "$tree" --target packages
}

# What the benchmark command (scripts/bench.sh) needs besides MK_PACKAGES: Google Benchmark for
# the host timings, and Chromium, the browser whose app mode the memory figures are set against.
MK_BENCH_PACKAGES=(libbenchmark-dev chromium)

# Installs whatever of MK_BENCH_PACKAGES is missing; does nothing when all is there.
mk_install_bench_deps() {
  local missing=() pkg
  for pkg in "${MK_BENCH_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  mk_log "Installing ${missing[*]}"
  mk_as_root apt-get update -q
  mk_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}" </dev/null
}
