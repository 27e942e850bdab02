#!/usr/bin/env bash
# Checks the sources' format, builds everything with warnings as errors,
# runs clang-tidy and then the whole test suite under Wine: on the 32-bit
# build where this machine starts 32-bit programs, else on the 64-bit one.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${PACKAGES[@]}" "${CHECK_PACKAGES[@]}"
bash "$ROOT/scripts/check-format.sh"
bash "$ROOT/scripts/native-checks.sh"   # sanitizers and fuzzing where no Windows is needed
build -DWARNINGS_AS_ERRORS=ON
bash "$ROOT/scripts/check-tidy.sh" "$RELEASE_DIR" "$BUILD_DIR"
ensure_test_certificates
trap stop_all EXIT
start_display
start_wine
cd "$BUILD_DIR"
echo "tested build: ${BUILD_DIR#"$ROOT"/} ($TEST_ARCH_WHY)"
ctest --output-on-failure --timeout 900 "$@"
