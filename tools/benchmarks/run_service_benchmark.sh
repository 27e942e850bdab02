#!/usr/bin/env bash
# Builds the test tree, starts the update service on loopback and runs the
# service benchmark under Wine: calls per second and peak memory for large
# skipped headers.  Usage: tools/benchmarks/run_service_benchmark.sh [calls]
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

PORT=${BENCHMARK_SERVICE_PORT:-18734}
ensure_packages
configure_and_build "$BUILD_DIR" "$TEST_TOOLCHAIN"
SERVICE=$ROOT/tools/update_service/update_service.py
cleanup() { python3 "$SERVICE" stop --port "$PORT" --pidfile "$BUILD_DIR/benchmark_service.pid" || true; stop_all; }
trap cleanup EXIT
start_wine
python3 "$SERVICE" start --port "$PORT" --pidfile "$BUILD_DIR/benchmark_service.pid" --log "$BUILD_DIR/benchmark_service.log"
wine "$BUILD_DIR/tools/benchmarks/service_benchmark.exe" "$PORT" "${1:-300}"
# The same large answers through the platform's SAX reader alone, with a
# handler that ignores every event: what the reader itself keeps.
wine "$BUILD_DIR/tools/benchmarks/service_benchmark.exe" "$PORT" 1 bare | grep -v '^typical\|^peak'
