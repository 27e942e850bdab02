#!/usr/bin/env bash
# Builds everything and runs the whole test suite under Wine: on the 32-bit
# build where this machine starts 32-bit programs, else on the 64-bit one.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

bash "$ROOT/scripts/native-checks.sh"   # sanitizers and fuzzing where no Windows is needed
ensure_packages
build
ensure_test_certificates
trap stop_all EXIT
start_display
start_wine
cd "$BUILD_DIR"
echo "tested build: ${BUILD_DIR#"$ROOT"/} ($TEST_ARCH_WHY)"
ctest --output-on-failure --timeout 900 "$@"
