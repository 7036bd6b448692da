#!/usr/bin/env bash
# scripts/run without a display must make the default search end to end, print the
# answer that page 2 shows and leave the pictures.
set -euo pipefail
root=$1 build=$2
out=$build/run-headless-test
rm -rf "$out"
log=$(env -u DISPLAY VARNEL_BUILD_DIR="$build" "$root/scripts/run" --out "$out" 2>&1) || {
  echo "$log"; echo "FAIL: scripts/run exited with an error"; exit 1; }
echo "$log"
fail=
# The default search (by the name "владимир") must find this body of the sample directory.
grep -q '<name>Владимирогорский городской суд</name>' <<<"$log" || { echo "FAIL: the expected body is not in the printed answer"; fail=1; }
grep -q '^<?xml version="1.0" encoding="UTF-8"' <<<"$log" || { echo "FAIL: no answer document printed"; fail=1; }
for png in page-1 page-2 page-3 page-4 sample-server; do
  if ! identify "$out/$png.png" >/dev/null 2>&1; then echo "FAIL: $out/$png.png is missing or not a picture"; fail=1; fi
done
[ -z "$fail" ]
