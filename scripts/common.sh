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
  x86) export WINEARCH=win32 ;;
  x64) export WINEARCH=win64 ;;
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
WINE_FONTS=/usr/share/wine/fonts

PACKAGES=(cmake make g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
          libboost-dev googletest wine wine64 fonts-wine xvfb x11-apps imagemagick python3
          osslsigncode openssl ca-certificates tinyproxy-bin)
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
  as_root apt-get -o DPkg::Lock::Timeout=300 update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y -q --no-install-recommends "${missing[@]}"
}

# The builds are CMakePresets.json's, in the folders RELEASE_DIR and
# BUILD_DIR; CMAKE_BUILD_TYPE, when set, overrides the presets' Release.
configure_and_build() { # preset dir extra-args...
  local preset=$1 dir=$2; shift 2
  log "building $dir (preset $preset)"
  cmake -S "$ROOT" --preset "$preset" -B "$dir" ${CMAKE_BUILD_TYPE:+-DCMAKE_BUILD_TYPE="$CMAKE_BUILD_TYPE"} \
        "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}

# The shipped launcher, then the test build that checks and installs it.
build() { # [cmake options for both builds]
  configure_and_build release-x86 "$RELEASE_DIR" "$@"
  configure_and_build "test-$TEST_ARCH" "$BUILD_DIR" -DRELEASE_LAUNCHER="$RELEASE_DIR/launcher.exe" "$@"
}

# The certificates of the TLS tests, in $BUILD_DIR/tls (where the test
# service's fixture looks): a throwaway CA that the machine trusts, and
# leaves as <name>.pem (chain and key) that it signed for localhost, expired,
# for the wrong host, and one from a CA that nobody trusts. Wine trusts
# /etc/ssl/certs as update-ca-certificates writes it, so the CA goes there,
# under a name of this build folder's own. Its name constraints keep what it
# may sign to loopback names, so its key, which lies in the build folder,
# can vouch for nothing else.
ensure_test_certificates() {
  local dir=$BUILD_DIR/tls
  if [ ! -f "$dir/unknown-issuer.pem" ]; then
    log "making the TLS test certificates in $dir"
    rm -rf "$dir" && mkdir -p "$dir/work"
    ( cd "$dir/work"
      cat >ca.cnf <<CNF
[ca]
default_ca = test_ca
[test_ca]
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha256
policy = any
copy_extensions = copy
unique_subject = no
[any]
commonName = supplied
[root]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
nameConstraints = critical, permitted;DNS:localhost, permitted;IP:127.0.0.0/255.0.0.0
[leaf]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
authorityKeyIdentifier = keyid
CNF
      : >index.txt
      echo 01 >serial
      for ca in ca other-ca; do
        openssl req -x509 -newkey rsa:2048 -nodes -keyout $ca.key -out $ca.pem -days 3650 \
          -subj "/CN=Launcher test $ca" -config ca.cnf -extensions root 2>/dev/null
      done
      start=$(date -u -d '-1 day' +%Y%m%d%H%M%SZ) end=$(date -u -d '+9 years' +%Y%m%d%H%M%SZ)
      while read -r leaf_name issuer san from until; do
        openssl req -new -newkey rsa:2048 -nodes -keyout key.pem -out req.pem -subj "/CN=$leaf_name" \
          -addext "subjectAltName=$san" 2>/dev/null
        openssl ca -batch -config ca.cnf -cert $issuer.pem -keyfile $issuer.key -in req.pem -out cert.pem \
          -notext -extensions leaf -startdate "$from" -enddate "$until" 2>/dev/null
        cat cert.pem key.pem >"../$leaf_name.pem"
      done <<LEAVES
trusted ca DNS:localhost $start $end
expired ca DNS:localhost 20200101000000Z 20210101000000Z
wrong-host ca IP:127.0.0.1 $start $end
unknown-issuer other-ca DNS:localhost $start $end
LEAVES
      cp ca.pem ../ca.pem )
    rm -rf "$dir/work"
  fi
  local name
  name=launcher-test-ca-$(printf %s "$BUILD_DIR" | sha256sum | cut -c1-12).crt
  if ! cmp -s "$dir/ca.pem" "/usr/local/share/ca-certificates/$name"; then
    log "adding the TLS test CA to the machine's trust store ($name)"
    as_root cp "$dir/ca.pem" "/usr/local/share/ca-certificates/$name"
    as_root update-ca-certificates >/dev/null 2>&1
  fi
  # Probed, not assumed: the bundle that Wine reads vouches for the leaf.
  if ! openssl verify -CAfile /etc/ssl/certs/ca-certificates.crt "$dir/trusted.pem" >/dev/null 2>&1; then
    log "the machine's trust store does not hold the TLS test CA"
    return 1
  fi
}

# The user's display, or a virtual one on the first free number from :90.
# Xvfb writes its number to -displayfd once it accepts clients; one that
# cannot have its number (someone started a server there meanwhile) ends,
# and the next number is tried.
XVFB_PID=
start_display() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${FORCE_XVFB:-}" ]; then return 0; fi
  local n ready xvfb_log
  mkdir -p "$BUILD_DIR"
  ready=$BUILD_DIR/xvfb-ready
  xvfb_log=$BUILD_DIR/xvfb.log
  for n in $(seq 90 120); do
    if [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; then continue; fi
    : >"$ready"
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp -displayfd 3 3>"$ready" >"$xvfb_log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
      if [ -s "$ready" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then break; fi
      sleep 0.1
    done
    if [ "$(cat "$ready")" = "$n" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
      export DISPLAY=:$n
      log "virtual display $DISPLAY"
      return 0
    fi
    log "Xvfb did not serve :$n ($(tail -n 1 "$xvfb_log")); trying the next display"
    kill "$XVFB_PID" 2>/dev/null || true # it may have ended already
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  done
  log "no free X display from :90 to :120 (each has a socket or a lock file in /tmp, or Xvfb failed: $xvfb_log)"
  exit 1
}

# A private prefix per build, made by the Wine that runs it: a prefix made by
# 64-bit Wine alone cannot be used once wine32 is installed ("could not load
# kernel32.dll"), so one made by another Wine is made anew. One wineserver is
# kept alive for the run, so every test process starts fast.
start_wine() {
  local maker
  maker="$WINEARCH $(wine --version) $(ls /usr/lib/wine/ | tr '\n' ' ')"
  WINE_LOG=$BUILD_DIR/wine-setup.log
  : >"$WINE_LOG"
  if [ -f "$WINEPREFIX/system.reg" ] && [ "$(cat "$WINEPREFIX/.made-by" 2>/dev/null)" != "$maker" ]; then
    log "Wine changed since $WINEPREFIX was made: making it anew"
    wineserver -k 2>/dev/null || log "no wineserver was running for the old prefix"
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$WINEPREFIX"
  # Started first: one started after wineboot finds wineboot's server still
  # there and leaves (status 2), and that one ends soon after.
  local rc=0
  wineserver -p </dev/null >>"$WINE_LOG" 2>&1 || rc=$?
  case $rc in
    0) ;;
    2) log "a wineserver already serves $WINEPREFIX: the run uses it" ;;
    *) log "wineserver -p failed ($rc): see $WINE_LOG"; exit 1 ;;
  esac
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating Wine prefix $WINEPREFIX ($WINEARCH)"
    wine_step "creating the prefix" wineboot -i
    printf '%s' "$maker" >"$WINEPREFIX/.made-by"
  fi
  wine_step "updating the prefix" wineboot
  # Debian's Wine does not look for its own fonts (fonts-wine) where that
  # package puts them, but it loads every font in the prefix's font folder:
  # linked there, new prefixes and old ones draw in Tahoma, caption buttons
  # in Marlett.
  if [ ! -e "$WINE_FONTS/tahoma.ttf" ]; then log "Wine's fonts are missing from $WINE_FONTS (fonts-wine)"; exit 1; fi
  ln -sf "$WINE_FONTS"/* "$WINEPREFIX/drive_c/windows/Fonts/"
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
  wine_step "importing $settings" wine reg import "$(winepath -w "$settings")"
}

# Runs a Wine set-up command with its output in $WINE_LOG: a file, since a
# process that keeps a pipe of ours open would hold up its reader. A failure
# ends the script and shows the end of the log.
wine_step() { # what command...
  local what=$1; shift
  if ! "$@" </dev/null >>"$WINE_LOG" 2>&1; then
    log "$what failed: $*; the end of $WINE_LOG:"
    tail -n 20 "$WINE_LOG" >&2
    exit 1
  fi
}

stop_all() {
  wineserver -k 2>/dev/null || log "no wineserver was left to stop"
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || log "Xvfb (pid $XVFB_PID) had ended already"; fi
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
  python3 "$SERVICE" stop --port "$(service_port)" --pidfile "$BUILD_DIR/$1-service.pid" >&2 ||
    log "the $1 update service may still hold port $(service_port)"
}

# Installs the launcher beside the recording product (as orlix.bim) in a
# folder of the prefix's drive C:, made when missing.
install_launcher() { # folder
  mkdir -p "$1"
  cp "$LAUNCHER_EXE" "$1/launcher.exe"
  cp "$BUILD_DIR/tools/recording_product.exe" "$1/orlix.bim"
}
