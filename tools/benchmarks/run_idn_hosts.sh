#!/usr/bin/env bash
# Builds the test tree and prints, under its Wine prefix, what IdnToAscii
# makes of a few host names.
# Usage: tools/benchmarks/run_idn_hosts.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

ensure_packages
configure_and_build "$BUILD_DIR" "$TEST_TOOLCHAIN"
trap stop_all EXIT
start_wine
wine "$BUILD_DIR/tools/benchmarks/idn_hosts.exe"
