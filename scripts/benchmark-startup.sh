#!/usr/bin/env bash
# Start-up figures under Wine: how long from starting launcher.exe until the
# product runs (service answering "up to date" on loopback), the same for
# starting the product directly, their ratio, and the time until the error
# box appears when the service port is closed.
#   scripts/benchmark-startup.sh [RUNS]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
RUNS=${1:-10}

ensure_packages
build
PORT=$(grep -E '^UPDATE_TEST_SERVICE_PORT:' "$BUILD_DIR/CMakeCache.txt" | cut -d= -f2)
SERVICE=$ROOT/tools/update_service/update_service.py
PIDFILE=$BUILD_DIR/benchmark-service.pid
stop_service() { python3 "$SERVICE" stop --port "$PORT" --pidfile "$PIDFILE" >/dev/null 2>&1 || true; }
trap 'stop_service; stop_all' EXIT
start_display
start_wine

FOLDER=$WINEPREFIX/drive_c/Startup\ Benchmark
mkdir -p "$FOLDER"
cp "$BUILD_DIR/launcher.exe" "$FOLDER/launcher.exe"
cp "$BUILD_DIR/tools/recording_product.exe" "$FOLDER/orlix.bim"
BENCH=$BUILD_DIR/tools/startup_benchmark/startup_benchmark.exe

stop_service
python3 "$SERVICE" start --port "$PORT" --pidfile "$PIDFILE" --log "$BUILD_DIR/benchmark-service.log" --version 1.1.1.0
log "service on 127.0.0.1:$PORT answers 1.1.1.0 (up to date)"
wine "$BENCH" launch 'C:\Startup Benchmark' "$RUNS"

stop_service
log "service stopped: port $PORT closed"
wine "$BENCH" errorbox 'C:\Startup Benchmark' "$(( (RUNS + 1) / 2 ))"
