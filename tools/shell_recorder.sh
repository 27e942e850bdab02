#!/bin/sh
# Shell recorder: stands in for the web browser under Wine and appends every
# URL that ShellExecuteW "open" hands over to a log, one per line.
#
# Wine gives http and https URLs to the programs named in the registry value
# HKCU\Software\Wine\WineBrowser "Browsers"; scripts/common.sh (start_wine)
# points that value at this script in the test prefix.
#
# The log is $SHELL_RECORDER_LOG when set, otherwise shell-opened.log in the
# folder that holds the Wine prefix, which is the build folder:
# $BUILD_DIR/shell-opened.log (tests get that path as SHELL_RECORDER_LOG at
# compile time). Wine passes its own WINEPREFIX on to this script.
#
# A test removes the log, acts (clicks a link, presses "Download"), then
# waits for the log to hold the URL: the browser is started asynchronously.
set -eu
log=${SHELL_RECORDER_LOG:-${WINEPREFIX:?WINEPREFIX not set}/../shell-opened.log}
for url in "$@"; do
  printf '%s\n' "$url" >> "$log"
done
