#!/usr/bin/env bash
# Builds the launcher and the test tree, starts the update service on
# loopback and runs the service benchmark under Wine: calls per second and
# peak memory for large skipped headers.
# Usage: tools/benchmarks/run_service_benchmark.sh [calls]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

ensure_packages
build
trap 'stop_service benchmark; stop_all' EXIT
start_wine
start_service benchmark
wine "$BUILD_DIR/tools/benchmarks/service_benchmark.exe" "$(service_port)" "${1:-300}"
# The same large answers through the platform's SAX reader alone, with a
# handler that ignores every event: what the reader itself keeps.
wine "$BUILD_DIR/tools/benchmarks/service_benchmark.exe" "$(service_port)" 1 bare | grep -v '^typical\|^peak'
