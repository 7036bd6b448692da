#!/usr/bin/env bash
# The scripts/ commands of the README's code blocks, run as written, in the order a
# newcomer meets them, without a display: each must succeed. scripts/run is run by its
# own test; scripts/test, scripts/package and scripts/bench would run the tests again.
set -euo pipefail
root=$1 build=$2
commands=$(awk '/^ *```/ { inside = !inside; next } inside' "$root/README.md" |
  sed -E 's/^ +//; s/ +#.*$//' | grep -E '^scripts/' | grep -vE '^scripts/(run|test|package|bench)( |$)' || true)
[ -n "$commands" ] || { echo "FAIL: no scripts/ command found in README.md's code blocks"; exit 1; }
fail=
while IFS= read -r command; do
  echo "\$ $command"
  # The words are the README's own: split as a shell splits them, quotes included.
  if ! output=$(cd "$root" && env -u DISPLAY VARNEL_BUILD_DIR="$build" bash -c "$command" </dev/null 2>&1); then
    echo "$output"
    echo "FAIL: the README's command failed: $command"
    fail=1
  else
    echo "$output" | tail -n 5
  fi
done <<<"$commands"
[ -z "$fail" ]
