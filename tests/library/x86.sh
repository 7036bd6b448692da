#!/usr/bin/env bash
# x86.sh ROOT BUILD [--host] [--needs FILE]... PROGRAM [ARGUMENTS...]
#
# Runs a test that needs x86 programs in the tests' Wine session, where 32-bit Wine is
# there (with --host, PROGRAM is a program of this machine that runs them itself).
# Elsewhere the test is not run: it says why and exits 77, which CTest reports as
# skipped, never as passed. Whether 32-bit Wine is there is looked up, not guessed
# from a run: without it, Wine 8 runs a 32-bit program as nothing at all and exits 0.
set -euo pipefail

# shellcheck source=../../scripts/lib/x86_wine.sh
. "$(dirname "$0")/../../scripts/lib/x86_wine.sh"

root=$1 build=$2
shift 2
host=
[ "${1:-}" = --host ] && { host=1; shift; }
needs=()
while [ "${1:-}" = --needs ]; do needs+=("$2"); shift 2; done
[ -n "$host" ] || needs+=("$1")

why=$(x86_why_not)
if [ -n "$why" ]; then
  echo "NOT RUN: $why"
  exit 77
fi
for file in "${needs[@]}"; do
  [ -f "$file" ] || { echo "FAIL: $file is not built (scripts/build builds the x86 tree)"; exit 1; }
done
[ -n "$host" ] && exec "$@"
exec "$build/wine-run" "$@"
