#!/usr/bin/env bash
# Builds the test tree and prints what the guard in front of the XML reader
# costs on an ordinary answer, beside the reader's own parse.
# Usage: tools/benchmarks/run_guard_cost.sh [PARSES]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

ensure_packages
build
trap stop_all EXIT
start_wine
log "measuring ${BUILD_DIR#"$ROOT"/} ($TEST_ARCH_WHY)"
wine "$BUILD_DIR/tools/benchmarks/guard_cost.exe" "${1:-20000}"
