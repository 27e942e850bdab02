#!/usr/bin/env bash
# Start-up figures under Wine, on the shipped 32-bit launcher where this
# machine runs it: how long from starting launcher.exe until the product runs
# (service answering "up to date" on loopback), the same for the start-up
# floor (tools/startup_benchmark/floor.cpp) and for the product started
# directly, interleaved, with the ratios of the medians; then the time until
# the error box appears when the service port is closed.
#   scripts/benchmark-startup.sh [RUNS]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
RUNS=${1:-11}

ensure_packages
build
trap 'stop_service benchmark; stop_all' EXIT
start_display
start_wine

FOLDER=$WINEPREFIX/drive_c/Startup\ Benchmark
install_launcher "$FOLDER"
cp "$BUILD_DIR/tools/startup_benchmark/startup_floor.exe" "$FOLDER/floor.exe"
BENCH=$BUILD_DIR/tools/startup_benchmark/startup_benchmark.exe
log "measuring ${LAUNCHER_EXE#"$ROOT"/} ($TEST_ARCH_WHY)"

start_service benchmark --version 1.1.1.0
log "service on 127.0.0.1:$(service_port) answers 1.1.1.0 (up to date)"
wine "$BENCH" launch 'C:\Startup Benchmark' "$RUNS"

stop_service benchmark
log "service stopped: port $(service_port) closed"
wine "$BENCH" errorbox 'C:\Startup Benchmark' "$(( (RUNS + 1) / 2 ))"
