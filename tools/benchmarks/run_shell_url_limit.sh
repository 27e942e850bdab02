#!/usr/bin/env bash
# Builds the launcher and the test tree and measures, under its Wine prefix,
# the longest download URL that the shell opens without ending the caller.
# Usage: tools/benchmarks/run_shell_url_limit.sh
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"

ensure_packages
build
trap stop_all EXIT
start_display
start_wine
# The browser stand-in logs every URL it is given; these go nowhere.
SHELL_RECORDER_LOG=/dev/null wine "$BUILD_DIR/tools/benchmarks/shell_url_limit.exe"
