#!/usr/bin/env bash
# Fails, naming the files, when a C++ source of ours is not as clang-format
# writes it (.clang-format). With --fix it formats them in place instead.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

mapfile -t files < <(find framework launcher message soap ui update tests tools native -name '*.cpp' -o -name '*.h' | sort)
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
# --dry-run names each file at its first difference; it fails only when it
# cannot format (a bad .clang-format, a missing file).
report=$(clang-format --dry-run --ferror-limit=1 "${files[@]}" 2>&1) || { printf '%s\n' "$report" >&2; exit 2; }
mapfile -t unformatted < <(printf '%s\n' "$report" |
  sed -n 's/^\(.*\):[0-9]*:[0-9]*: warning: .*\[-Wclang-format-violations\]$/\1/p' | sort -u)
if [ ${#unformatted[@]} -gt 0 ]; then
  printf '==> %d files not formatted (scripts/check-format.sh --fix formats them):\n' "${#unformatted[@]}" >&2
  printf '    %s\n' "${unformatted[@]}" >&2
  exit 1
fi
printf '==> format: all %d files as .clang-format writes them\n' "${#files[@]}" >&2
