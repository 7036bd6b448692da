#!/usr/bin/env bash
# The Windows package as a user gets it: scripts/package builds the zip, which unpacks
# to the four stripped programs, README.txt, the protocol document and the schemas, and
# checksums that hold for all of them; varnel-query.exe runs from the unpacked folder.
set -euo pipefail
root=$1 build=$2
dist=$build/package-test
rm -rf "$dist"
VARNEL_BUILD_DIR="$build" VARNEL_DIST_DIR="$dist/dist" "$root/scripts/package" >/dev/null
zips=("$dist"/dist/varnel-tools-*-win64.zip)
[ -f "${zips[0]}" ] || { echo "FAIL: no dist/varnel-tools-<version>-win64.zip"; exit 1; }
mkdir -p "$dist/unpacked"
unzip -q "${zips[0]}" -d "$dist/unpacked"
cd "$dist/unpacked"/*/
fail=
for f in varnel-demo.exe varnel-sample-server.exe varnel-query.exe varnel-monitor.exe README.txt SHA256SUMS \
    docs/protocol.md docs/request.xsd docs/sample-answer.xsd; do
  [ -f "$f" ] || { echo "FAIL: $f is not in the package"; fail=1; }
done
sha256sum --quiet -c SHA256SUMS || { echo "FAIL: SHA256SUMS does not match the files"; fail=1; }
listed=$(awk '{print $2}' SHA256SUMS | sort) present=$(find . -type f ! -name SHA256SUMS | sed 's|^\./||' | sort)
[ "$listed" = "$present" ] || { echo "FAIL: SHA256SUMS lists other files than the package holds"; fail=1; }
for exe in *.exe; do
  if x86_64-w64-mingw32-objdump -t "$exe" | grep -q '^\[ *[0-9]*\]'; then echo "FAIL: $exe is not stripped"; fail=1; fi
done
help=$("$build/wine-run" ./varnel-query.exe --help) || { echo "FAIL: varnel-query.exe --help exited with an error"; fail=1; }
grep -q '^Exit codes' <<<"$help" || { echo "FAIL: --help from the package lists no exit codes:"; echo "$help"; fail=1; }
grep -q 'varnel-query' README.txt || { echo "FAIL: README.txt does not describe varnel-query"; fail=1; }
for doc in 'docs\protocol.md' 'docs\request.xsd' 'Get-FileHash'; do
  grep -qF "$doc" README.txt || { echo "FAIL: README.txt does not mention $doc"; fail=1; }
done
[ -z "$fail" ] && echo "package ${zips[0]##*/}: contents, checksums and varnel-query.exe --help are right"
[ -z "$fail" ]
