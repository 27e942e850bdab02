#!/usr/bin/env bash
# Builds the test tree, starts the update service where its launcher asks and
# prints the launcher's peak working set for an ordinary check and for
# answers of 1, 16 and 64 MB and endless ones.
# Usage: tools/benchmarks/run_launcher_memory.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

ensure_packages
configure_and_build "$BUILD_DIR" mingw-w64-x86_64.cmake
PORT=$(sed -n 's/^UPDATE_TEST_SERVICE_PORT:STRING=//p' "$BUILD_DIR/CMakeCache.txt")
PORT=${PORT:-18733}
SERVICE=$ROOT/tools/update_service/update_service.py
cleanup() { python3 "$SERVICE" stop --port "$PORT" --pidfile "$BUILD_DIR/benchmark_service.pid" || true; stop_all; }
trap cleanup EXIT
start_display
start_wine
python3 "$SERVICE" start --port "$PORT" --pidfile "$BUILD_DIR/benchmark_service.pid" --log "$BUILD_DIR/benchmark_service.log"
wine "$BUILD_DIR/tools/benchmarks/launcher_memory.exe" "$PORT" "$(winepath -w "$BUILD_DIR/launcher.exe")" \
     "$(winepath -w "$BUILD_DIR/tools/recording_product.exe")"
