# Shared by the README's commands: installs what a fresh Debian machine lacks,
# builds, and prepares Wine and a display. Sourced, not run.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Two trees from the same sources: the shipped 32-bit launcher, and a 64-bit
# build that the tests and the demo run under Wine. 32-bit Wine needs a kernel
# that starts 32-bit Linux programs; where it does not (our CI machines), only
# 64-bit Wine runs, and it runs 64-bit Windows programs only.
RELEASE_DIR=${RELEASE_DIR:-$ROOT/build/release-x86}
BUILD_DIR=${BUILD_DIR:-$ROOT/build/test-x64}
export WINEPREFIX=$BUILD_DIR/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko prompts in a new prefix

PACKAGES=(cmake make g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
          libboost-dev googletest wine wine64 xvfb x11-apps imagemagick python3)

log() { printf '==> %s\n' "$*" >&2; }

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

ensure_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing ${missing[*]}"
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

configure_and_build() { # dir toolchain extra-args...
  local dir=$1 toolchain=$2; shift 2
  log "building $dir"
  cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$toolchain" \
        -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE:-Release} "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}

build() {
  configure_and_build "$RELEASE_DIR" mingw-w64-i686.cmake -DBUILD_TESTING=OFF
  configure_and_build "$BUILD_DIR" mingw-w64-x86_64.cmake -DRELEASE_LAUNCHER="$RELEASE_DIR/launcher.exe"
}

XVFB_PID=
start_display() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${FORCE_XVFB:-}" ]; then return 0; fi
  local n
  for n in $(seq 90 120); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || break
  done
  Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=:$n
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
  log "virtual display $DISPLAY"
}

# A private prefix and one wineserver kept alive for the run, so every test
# process starts fast. Its output goes nowhere: a process that keeps a pipe
# of ours open would hold up whoever reads it.
start_wine() {
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating Wine prefix $WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1 || true
  fi
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wineboot </dev/null >/dev/null 2>&1 || true
  # Links and download pages opened through the shell go to the recorder,
  # which logs them in $BUILD_DIR/shell-opened.log (see tools/shell_recorder.sh).
  wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$ROOT/tools/shell_recorder.sh" /f \
    </dev/null >/dev/null 2>&1 || true
}

stop_all() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
