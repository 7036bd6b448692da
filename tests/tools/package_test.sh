#!/usr/bin/env bash
# The Windows packages as a user gets them: scripts/package builds the two zips, which
# unpack to the four stripped programs and varnel.dll, each of the zip's bitness, with
# varnel.h, varnel.def, README.txt, the protocol document and the schemas, and checksums
# that hold for all of them; the 64-bit varnel-query.exe runs from the unpacked folder.
set -euo pipefail
root=$1 build=$2
dist=$build/package-test
rm -rf "$dist"
VARNEL_BUILD_DIR="$build" VARNEL_DIST_DIR="$dist/dist" "$root/scripts/package" >/dev/null
fail=
for bits in win64 win32; do
  zips=("$dist"/dist/varnel-tools-*-$bits.zip)
  [ -f "${zips[0]}" ] || { echo "FAIL: no dist/varnel-tools-<version>-$bits.zip"; fail=1; continue; }
  mkdir -p "$dist/$bits"
  unzip -q "${zips[0]}" -d "$dist/$bits"
  (
    cd "$dist/$bits"/*/
    fail=
    [ $bits = win64 ] && format=pei-x86-64 || format=pei-i386
    for f in varnel-demo.exe varnel-sample-server.exe varnel-query.exe varnel-monitor.exe varnel.dll varnel.h \
             varnel.def README.txt SHA256SUMS docs/protocol.md docs/library.md docs/request.xsd docs/sample-answer.xsd; do
      [ -f "$f" ] || { echo "FAIL: $f is not in the $bits package"; fail=1; }
    done
    sha256sum --quiet -c SHA256SUMS || { echo "FAIL: SHA256SUMS of the $bits package does not match the files"; fail=1; }
    listed=$(awk '{print $2}' SHA256SUMS | sort) present=$(find . -type f ! -name SHA256SUMS | sed 's|^\./||' | sort)
    [ "$listed" = "$present" ] || { echo "FAIL: SHA256SUMS of the $bits package lists other files than it holds"; fail=1; }
    for binary in *.exe varnel.dll; do
      [ -f "$binary" ] || continue
      if x86_64-w64-mingw32-objdump -t "$binary" | grep -q '^\[ *[0-9]*\]'; then echo "FAIL: $binary is not stripped"; fail=1; fi
      objdump_format=$(x86_64-w64-mingw32-objdump -f "$binary" 2>/dev/null; i686-w64-mingw32-objdump -f "$binary" 2>/dev/null) || true
      grep -q "file format $format" <<<"$objdump_format" || { echo "FAIL: $binary in the $bits package is not $format"; fail=1; }
    done
    cmp -s varnel.h "$root/library/include/varnel.h" || { echo "FAIL: varnel.h of the $bits package is not the library's"; fail=1; }
    grep -q 'varnel-query' README.txt || { echo "FAIL: README.txt does not describe varnel-query"; fail=1; }
    grep -q 'varnel.dll' README.txt || { echo "FAIL: README.txt does not describe varnel.dll"; fail=1; }
    for doc in 'docs\protocol.md' 'docs\library.md' 'docs\request.xsd' 'Get-FileHash'; do
      grep -qF "$doc" README.txt || { echo "FAIL: README.txt does not mention $doc"; fail=1; }
    done
    [ -z "$fail" ]
  ) || fail=1
done
cd "$dist"/win64/*/
help=$("$build/wine-run" ./varnel-query.exe --help) || { echo "FAIL: varnel-query.exe --help exited with an error"; fail=1; }
grep -q '^Exit codes' <<<"$help" || { echo "FAIL: --help from the package lists no exit codes:"; echo "$help"; fail=1; }
[ -z "$fail" ] && echo "packages win64 and win32: contents of their bitness, checksums and varnel-query.exe --help are right"
[ -z "$fail" ]
