#!/usr/bin/env bash
# Builds the launcher and the test tree, starts the update service where the
# launcher asks and prints the launcher's peak working set for an ordinary
# check and for answers of 1, 16 and 64 MB, endless ones, a short body that
# is not XML and header lines without end (its box also held open 30 s).
# Usage: tools/benchmarks/run_launcher_memory.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

ensure_packages
build
trap 'stop_service benchmark; stop_all' EXIT
start_display
start_wine
start_service benchmark
log "measuring ${LAUNCHER_EXE#"$ROOT"/} ($TEST_ARCH_WHY)"
wine "$BUILD_DIR/tools/benchmarks/launcher_memory.exe" "$(service_port)" "$(winepath -w "$LAUNCHER_EXE")" \
     "$(winepath -w "$BUILD_DIR/tools/recording_product.exe")"
