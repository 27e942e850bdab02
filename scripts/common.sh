# Shared by the README's commands: installs what a fresh Debian machine lacks,
# builds, and prepares Wine, a display and the update service. Sourced, not run.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

log() { printf '==> %s\n' "$*" >&2; }

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# Whether the kernel starts 32-bit Linux programs, which 32-bit Wine needs.
# Asked of the kernel itself, with a minimal static 32-bit ELF that exits 42,
# so the answer does not depend on anything installed.
starts_32bit_programs() {
  local probe rc=0
  mkdir -p "$ROOT/build"
  probe=$(mktemp -p "$ROOT/build" probe-32bit.XXXXXX)
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || rc=$?
  rm -f "$probe"
  [ "$rc" = 42 ]
}

# The shipped launcher is 32-bit (build/release-x86). The tests run a 32-bit
# build of the same sources under 32-bit Wine where this machine allows, and
# a 64-bit build under 64-bit Wine where it does not. TEST_ARCH=x86|x64
# chooses by hand.
if [ -z "${TEST_ARCH:-}" ]; then
  if starts_32bit_programs; then
    TEST_ARCH=x86 TEST_ARCH_WHY="PE32 under 32-bit Wine"
  else
    TEST_ARCH=x64 TEST_ARCH_WHY="this machine cannot start 32-bit programs"
  fi
else
  TEST_ARCH_WHY="chosen with TEST_ARCH"
fi
case "$TEST_ARCH" in
  x86) TEST_TOOLCHAIN=mingw-w64-i686.cmake; export WINEARCH=win32 ;;
  x64) TEST_TOOLCHAIN=mingw-w64-x86_64.cmake; export WINEARCH=win64 ;;
  *) log "TEST_ARCH must be x86 or x64"; exit 2 ;;
esac
RELEASE_DIR=${RELEASE_DIR:-$ROOT/build/release-x86}
BUILD_DIR=${BUILD_DIR:-$ROOT/build/test-$TEST_ARCH}
# The launcher that the demo and the start-up benchmark install: the shipped
# file where this machine runs it, else the test build's.
if [ "$TEST_ARCH" = x86 ]; then LAUNCHER_EXE=$RELEASE_DIR/launcher.exe; else LAUNCHER_EXE=$BUILD_DIR/launcher.exe; fi
export WINEPREFIX=$BUILD_DIR/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko prompts in a new prefix

PACKAGES=(cmake make g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
          libboost-dev googletest wine wine64 xvfb x11-apps imagemagick python3
          osslsigncode openssl)
[ "$TEST_ARCH" = x86 ] && PACKAGES+=(wine32:i386)
# The test command's checks of the sources (scripts/check-format.sh, check-tidy.sh).
CHECK_PACKAGES=(clang-format clang-tidy)

ensure_packages() { # [package...], PACKAGES when none are named
  local missing=() p
  [ $# -gt 0 ] || set -- "${PACKAGES[@]}"
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing ${missing[*]}"
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
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

build() { # [cmake options for both builds]
  configure_and_build "$RELEASE_DIR" mingw-w64-i686.cmake -DBUILD_TESTING=OFF "$@"
  configure_and_build "$BUILD_DIR" "$TEST_TOOLCHAIN" -DRELEASE_LAUNCHER="$RELEASE_DIR/launcher.exe" "$@"
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

# A private prefix per build, made by the Wine that runs it: a prefix made by
# 64-bit Wine alone cannot be used once wine32 is installed ("could not load
# kernel32.dll"), so one made by another Wine is made anew. One wineserver is
# kept alive for the run, so every test process starts fast. Output goes
# nowhere: a process that keeps a pipe of ours open would hold up its reader.
start_wine() {
  local maker
  maker="$WINEARCH $(wine --version 2>/dev/null) $(ls /usr/lib/wine/ 2>/dev/null | tr '\n' ' ')"
  if [ -f "$WINEPREFIX/system.reg" ] && [ "$(cat "$WINEPREFIX/.made-by" 2>/dev/null)" != "$maker" ]; then
    log "Wine changed since $WINEPREFIX was made: making it anew"
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating Wine prefix $WINEPREFIX ($WINEARCH)"
    wineboot -i </dev/null >/dev/null 2>&1 || true
    printf '%s' "$maker" >"$WINEPREFIX/.made-by"
  fi
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wineboot </dev/null >/dev/null 2>&1 || true
  # Links and download pages opened through the shell go to the recorder,
  # which logs them in $BUILD_DIR/shell-opened.log (see tools/shell_recorder.sh).
  # Without a window manager, Wine draws no frame and keyboard input never
  # reaches a dialog unless its X11 driver places the windows itself.
  local settings=$BUILD_DIR/wine-settings.reg
  cat >"$settings" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\WineBrowser]
"Browsers"="$ROOT/tools/shell_recorder.sh"

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"
"Decorated"="N"
REG
  wine regedit /S "$(winepath -w "$settings" 2>/dev/null)" </dev/null >/dev/null 2>&1 || true
}

stop_all() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}

# The bundled update service on the tests' loopback port, for the demo and the
# benchmarks: start_service NAME [serve options], stop_service NAME.
SERVICE=$ROOT/tools/update_service/update_service.py
service_port() { grep -E '^UPDATE_TEST_SERVICE_PORT:' "$BUILD_DIR/CMakeCache.txt" | cut -d= -f2; }
start_service() {
  local name=$1; shift
  stop_service "$name"
  python3 "$SERVICE" start --port "$(service_port)" --pidfile "$BUILD_DIR/$name-service.pid" \
    --log "$BUILD_DIR/$name-service.log" "$@"
}
stop_service() {
  python3 "$SERVICE" stop --port "$(service_port)" --pidfile "$BUILD_DIR/$1-service.pid" >/dev/null 2>&1 || true
}

# Installs the launcher beside the recording product (as orlix.bim) in a
# folder of the prefix's drive C:, made when missing.
install_launcher() { # folder
  mkdir -p "$1"
  cp "$LAUNCHER_EXE" "$1/launcher.exe"
  cp "$BUILD_DIR/tools/recording_product.exe" "$1/orlix.bim"
}
