#!/usr/bin/env bash
# doc_examples.sh ROOT BUILD: the C and Delphi examples of docs/library.md, taken from
# the document as they stand, built and run against the sample server (registered, not
# running: the first search starts it), each printing the answer varnel-query prints.
# The C example is also compiled and linked for x86, against the x86 DLL.
set -euo pipefail
root=$1 build=$2
work=$build/doc-examples
rm -rf "$work"
mkdir -p "$work/c" "$work/delphi"
run() { "$build/wine-run" "$@"; }
fail=
say_fail() { echo "FAIL: $*"; fail=1; }

# shellcheck source=../support/doc_example.sh
. "$root/tests/support/doc_example.sh"
# The first fenced block of the document in LANGUAGE.
example() { doc_example "$root/docs/library.md" "\`\`\`$1"; } # LANGUAGE
example c >"$work/c/search.c"
example pascal >"$work/delphi/VarnelSearch.dpr"
[ -s "$work/c/search.c" ] || say_fail "docs/library.md has no C example"
[ -s "$work/delphi/VarnelSearch.dpr" ] || say_fail "docs/library.md has no Delphi example"

# The answer varnel-query prints for the examples' search; the record names the sample
# server, which is then stopped so that each example starts it itself.
server=$build/sample_server/varnel-sample-server.exe
stop_server() { run taskkill /f /im varnel-sample-server.exe >/dev/null 2>&1 || true; sleep 1; }
run "$server" --register --force >/dev/null
# The tests after this one expect no record of the sample server: leave none.
trap 'stop_server; run "$server" --unregister --force >/dev/null 2>&1 || true' EXIT
run "$build/tools/varnel-query.exe" --by code --code 01016433305000 >"$work/expected.txt"
grep -q '<code>01016433305000</code>' "$work/expected.txt" || say_fail "varnel-query gave no answer: $(cat "$work/expected.txt")"
stop_server

compare() { # NAME OUTPUT [--lines]: the output byte for byte (with --lines: its lines,
              # CR LF or LF) against varnel-query's
  local strip=(cat)
  [ "${3:-}" = --lines ] && strip=(tr -d '\r')
  if ! "${strip[@]}" <"$2" | cmp -s - "$work/expected.txt"; then
    say_fail "the $1 example printed something else than varnel-query:"
    "${strip[@]}" <"$2" | diff - "$work/expected.txt" | head -n 20 || true
    "${strip[@]}" <"$2" | cmp - "$work/expected.txt" || true
  fi
}

# C, built as a C program with every warning an error, linked straight to the DLL.
cp "$build/library/varnel.dll" "$work/c/"
if x86_64-w64-mingw32-gcc -std=c11 -Wall -Wextra -Werror -pedantic -I "$root/library/include" \
     "$work/c/search.c" "$work/c/varnel.dll" -o "$work/c/search.exe"; then
  (cd "$work/c" && run ./search.exe >out.txt) || say_fail "the C example exited with $?"
  compare C "$work/c/out.txt"
  stop_server
else
  say_fail "the C example does not compile for x64"
fi
if [ -f "$build/x86/library/varnel.dll" ]; then
  i686-w64-mingw32-gcc -std=c11 -Wall -Wextra -Werror -pedantic -I "$root/library/include" "$work/c/search.c" \
    "$build/x86/library/varnel.dll" -o "$work/c/search32.exe" -Wl,--enable-stdcall-fixup ||
    say_fail "the C example does not compile and link for x86"
else
  say_fail "$build/x86/library/varnel.dll is not built (scripts/build builds it)"
fi

# Delphi, by Free Pascal in Delphi mode for 64-bit Windows. The four units a program
# needs are built once from Free Pascal's sources into the build tree.
fpc_rtl=$(ls -d /usr/share/fpcsrc/*/rtl 2>/dev/null | sort -V | tail -n 1)
units=$build/fpc-win64-units
if [ -z "$fpc_rtl" ] || ! command -v ppcx64 >/dev/null; then
  say_fail "Free Pascal (ppcx64) and its sources are not installed (scripts/bootstrap installs them)"
else
  fpc=(ppcx64 -Twin64 -XPx86_64-w64-mingw32- -n)
  if [ ! -f "$units/fpintres.ppu" ]; then
    mkdir -p "$units"
    includes=(-Fi../inc -Fi../x86_64 -Fi../win -Fi../objpas)
    (cd "$fpc_rtl/win64" &&
      "${fpc[@]}" -Us -Sg "${includes[@]}" -FU"$units" system.pp &&
      "${fpc[@]}" "${includes[@]}" -Fu"$units" -FU"$units" sysinit.pp &&
      "${fpc[@]}" "${includes[@]}" -Fu"$units" -FU"$units" ../objpas/objpas.pp &&
      "${fpc[@]}" "${includes[@]}" -Fu"$units" -FU"$units" ../inc/fpintres.pp) >"$work/delphi/rtl.log" 2>&1 ||
      { say_fail "Free Pascal's units for win64 did not build:"; tail -n 20 "$work/delphi/rtl.log"; rm -rf "$units"; }
  fi
  cp "$build/library/varnel.dll" "$work/delphi/"
  if "${fpc[@]}" -Fu"$units" -FE"$work/delphi" "$work/delphi/VarnelSearch.dpr" >"$work/delphi/build.log" 2>&1; then
    (cd "$work/delphi" && run ./VarnelSearch.exe >out.txt) || say_fail "the Delphi example exited with $?"
    # UTF-8, as the answer's declaration says, whatever the session's ANSI code page (1251).
    iconv -f UTF-8 -t UTF-8 "$work/delphi/out.txt" >/dev/null 2>&1 || say_fail "the Delphi example's output is not UTF-8"
    compare Delphi "$work/delphi/out.txt" --lines
    stop_server
  else
    say_fail "the Delphi example does not compile:"
    tail -n 20 "$work/delphi/build.log"
  fi
fi

[ -z "$fail" ] && echo "docs/library.md: the C example (x64 run, x86 linked) and the Delphi example (x64, Free Pascal) print varnel-query's answer"
[ -z "$fail" ]
