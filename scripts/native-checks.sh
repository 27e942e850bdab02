#!/usr/bin/env bash
# The pieces that need no Windows, built natively with clang's address and
# undefined-behaviour sanitizers (native/): runs their unit tables, then each
# fuzz target for FUZZ_SECONDS (20 by default). A failed case, a crash, a
# broken property or a sanitizer report fails the run.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
NATIVE_DIR=${NATIVE_DIR:-$ROOT/build/native}

packages=(clang libclang-rt-14-dev cmake make googletest)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "==> installing ${missing[*]}" >&2
  as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
  as_root apt-get -o DPkg::Lock::Timeout=300 update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y -q \
    --no-install-recommends "${missing[@]}"
fi

echo "==> building $NATIVE_DIR" >&2
CXX=clang++ cmake -S "$ROOT/native" -B "$NATIVE_DIR" -DFUZZ_SECONDS="${FUZZ_SECONDS:-20}" >/dev/null
cmake --build "$NATIVE_DIR" -j "$(nproc)"
cd "$NATIVE_DIR"
ctest --output-on-failure
