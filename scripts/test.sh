#!/usr/bin/env bash
# Builds everything and runs the whole test suite under Wine.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages
build
trap stop_all EXIT
start_display
start_wine
cd "$BUILD_DIR"
ctest --output-on-failure --timeout 900 "$@"
