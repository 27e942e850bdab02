#!/usr/bin/env bash
# clang-tidy (.clang-tidy) over our sources, as the cross builds compile them:
# the shipped 32-bit build first, then what only the test build compiles
# (tests, tools). Fails with the findings. usage: check-tidy.sh BUILD_DIR...
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
[ $# -gt 0 ] || { echo "usage: $0 BUILD_DIR..." >&2; exit 2; }

databases=()
for dir in "$@"; do databases+=("$dir/compile_commands.json"); done
out=$1/tidy
listed=$(python3 "$ROOT/scripts/tidy_commands.py" "$ROOT" "$out" "${databases[@]}")
mapfile -t files <<<"$listed"
[ -n "$listed" ] || { echo "==> clang-tidy: no sources of ours in ${databases[*]}" >&2; exit 1; }

# Two files at a time; a header's findings show once for every file that
# includes it, so they are counted once.
start=$SECONDS
status=0
printf '%s\0' "${files[@]}" |
  xargs -0 -n 4 -P 2 clang-tidy -p "$out" --quiet \
    --header-filter="^$ROOT/(framework|launcher|message|soap|ui|update|tests|tools)/" >"$out/findings.txt" 2>&1 ||
  status=$?
findings=$(grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error): ' "$out/findings.txt" | sort -u || true)
if [ "$status" -ne 0 ] || [ -n "$findings" ]; then
  printf '%s\n' "${findings:-$(cat "$out/findings.txt")}" >&2
  printf '==> clang-tidy: %d findings in %d files (all output: %s)\n' "$(printf '%s' "$findings" | grep -c . || true)" \
    "${#files[@]}" "${out#"$ROOT"/}/findings.txt" >&2
  exit 1
fi
printf '==> clang-tidy: %d files clean (%d s)\n' "${#files[@]}" $((SECONDS - start)) >&2
