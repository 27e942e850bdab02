#!/usr/bin/env bash
# Builds everything, installs the launcher beside the demo product in a
# folder of the Wine prefix, starts it with a few arguments and shows what the
# product received.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages
build
trap stop_all EXIT
start_display
start_wine

DEMO_DIR=$WINEPREFIX/drive_c/Velto\ Backup
mkdir -p "$DEMO_DIR"
cp "$BUILD_DIR/launcher.exe" "$DEMO_DIR/launcher.exe"
cp "$BUILD_DIR/tools/recording_product.exe" "$DEMO_DIR/orlix.bim"
RECORD=$BUILD_DIR/demo-record.txt
rm -f "$RECORD"

log "starting C:\\Velto Backup\\launcher.exe /quiet \"D:\\My Data\\set 1.cfg\""
ORLIX_RECORD_FILE="Z:${RECORD//\//\\}" wine "C:\\Velto Backup\\launcher.exe" /quiet 'D:\My Data\set 1.cfg'
for _ in $(seq 100); do [ -f "$RECORD" ] && break; sleep 0.1; done
[ -f "$RECORD" ] || { log "the product did not start"; exit 1; }
log "the product (orlix.bim) received:"
grep -E '^(commandline|directory|desktop|flags)=' "$RECORD"
