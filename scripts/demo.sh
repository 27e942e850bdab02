#!/usr/bin/env bash
# The launcher as a user meets it: builds everything, starts the bundled
# update service on loopback announcing a newer build, installs the launcher
# beside the demo product and starts it. On a real display you answer the
# question box yourself; on a virtual one the script takes a screenshot and
# presses "Download" for you. Then it shows what the product received and
# what the shell was asked to open.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages
build
trap 'stop_service demo; stop_all' EXIT
VIRTUAL=
if [ -z "${DISPLAY:-}" ]; then VIRTUAL=1; fi
start_display
start_wine

DOWNLOAD_URL=http://downloads.example.test/velto-backup/1.1.1.1/setup.exe
start_service demo --version 1.1.1.1 --url "$DOWNLOAD_URL"
log "update service on 127.0.0.1:$(service_port) announces 1.1.1.1 (the launcher is 1.1.1.0)"

install_launcher "$WINEPREFIX/drive_c/Velto Backup"
log "installed ${LAUNCHER_EXE#"$ROOT"/} beside the demo product ($TEST_ARCH_WHY)"
RECORD=$BUILD_DIR/demo-record.txt
SHELL_LOG=$BUILD_DIR/shell-opened.log
rm -f "$RECORD" "$SHELL_LOG"

log "starting C:\\Velto Backup\\launcher.exe /quiet \"D:\\My Data\\set 1.cfg\""
ORLIX_RECORD_FILE="Z:${RECORD//\//\\}" wine "C:\\Velto Backup\\launcher.exe" /quiet 'D:\My Data\set 1.cfg' &
LAUNCHER=$!

SHOWN=1
if [ -n "$VIRTUAL" ]; then
  DRIVER=$BUILD_DIR/tools/driver/dialog_driver.exe
  if wine "$DRIVER" wait 30; then
    sleep 1
    mkdir -p "$BUILD_DIR/artifacts"
    SHOT=$BUILD_DIR/artifacts/demo-question-box.png
    xwd -root -silent | convert xwd:- -trim +repage "$SHOT"
    log "screenshot of the question box: $SHOT"
    log "pressing \"Download\" for you (virtual display)"
    wine "$DRIVER" press Download
  else
    SHOWN=
    log "no question box appeared within 30 s"
  fi
else
  log "answer the question box on your display"
fi
# The launcher's exit code is the last message's wParam (2 after the close box).
LAUNCHER_EXIT=0
wait "$LAUNCHER" || LAUNCHER_EXIT=$?
log "the launcher exited with code $LAUNCHER_EXIT"

for _ in $(seq 100); do [ -f "$RECORD" ] && break; sleep 0.1; done
[ -f "$RECORD" ] || { log "the product did not start"; exit 1; }
log "the product (orlix.bim) received:"
grep -E '^(commandline|directory|desktop|flags)=' "$RECORD"
for _ in $(seq 30); do [ -s "$SHELL_LOG" ] && break; sleep 0.1; done
if [ -s "$SHELL_LOG" ]; then
  log "the shell was asked to open: $(cat "$SHELL_LOG")"
else
  log "the shell was asked to open nothing"
fi
[ -n "$SHOWN" ] || { log "the demo failed: the question box did not appear"; exit 1; }
