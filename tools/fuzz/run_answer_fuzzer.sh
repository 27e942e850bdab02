#!/usr/bin/env bash
# Builds the test tree and runs the answer fuzzer for as long as asked,
# writing every answer that broke a call to build/<test build>/fuzz-failures/
# (replay one with: answer_fuzzer.exe --replay FILE; keep it as a fixed case
# in tools/fuzz/regressions/).
# Usage: tools/fuzz/run_answer_fuzzer.sh [MINUTES] [SEED]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

minutes=${1:-10}
seed=${2:-$RANDOM}
ensure_packages
build
trap stop_all EXIT
start_wine
out=$BUILD_DIR/fuzz-failures
mkdir -p "$out"
log "fuzzing for $minutes minutes with seed $seed (${BUILD_DIR#"$ROOT"/}, $TEST_ARCH_WHY)"
wine "$BUILD_DIR/tools/fuzz/answer_fuzzer.exe" --corpus "$ROOT/tools/fuzz/corpus" --seed "$seed" \
     --minutes "$minutes" --out "$out" 2> >(grep -v -E '^(encoding error|xmlParseChunk|Bytes:)' >&2)
