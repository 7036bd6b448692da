#!/usr/bin/env bash
# exports.sh ROOT X64_DLL X86_DLL X86_OBJECT: read from the files, nothing run.
# - varnel.def names exactly the functions varnel.h declares and the COM server's entry
#   points;
# - both DLLs export exactly those, under their plain names (on x86 too: no "@N");
# - on x86 each is __stdcall: its symbol in the object is decorated "name@N", and in the
#   DLL's disassembly the code each export names removes its own arguments: every ret
#   of it (and of the cold part GCC splits off) is "ret $N", N the size of its
#   parameters ("ret" alone for none). 32-bit programs cannot run here to show it;
# - in both DLLs varnel_search_free gives back the search's reference to the library by
#   its last instruction, a jump to FreeLibrary (never a call that would return into a
#   library that may be gone);
# - both import from system DLLs only: the runtime is linked in.
set -euo pipefail
root=$1 x64=$2 x86=$3 x86_object=$4
fail=
say_fail() { echo "FAIL: $*"; fail=1; }
words() { tr '\n' ' ' <<<"$1"; }

declared=$(grep -oE 'VARNEL_CALL [a-z_]+\(' "$root/library/include/varnel.h" | sed 's/^VARNEL_CALL //; s/($//' | sort)
listed=$(sed -n '/^EXPORTS/,$p' "$root/library/varnel.def" | grep -oE '^ +[A-Za-z_]+' | tr -d ' ' | sort)
[ -n "$declared" ] || say_fail "varnel.h declares no function"
com_server="DllCanUnloadNow DllGetClassObject DllInstall DllRegisterServer DllUnregisterServer"
expected=$(printf '%s\n' $declared $com_server | sort)
[ "$expected" = "$listed" ] || say_fail "varnel.def names $(words "$listed")but varnel.h and the COM server make $(words "$expected")"

check_dll() { # TOOL_PREFIX DLL
  local dump exported imports dll
  [ -f "$2" ] || { say_fail "$2 is not built (scripts/build builds both trees)"; return; }
  dump=$("$1-objdump" -p "$2") || { say_fail "$1-objdump cannot read $2"; return; }
  exported=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\t\[ *[0-9]*\] //p' | sort)
  [ "$exported" = "$expected" ] || say_fail "$2 exports $(words "$exported")instead of $(words "$expected")"
  imports=$(sed -n 's/^\tDLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | sort)
  for dll in $imports; do
    case $dll in
      kernel32.dll|user32.dll|advapi32.dll|gdi32.dll|shell32.dll|ole32.dll|oleaut32.dll|msvcrt.dll) ;;
      *) say_fail "$2 imports $dll, which is not part of Windows" ;;
    esac
  done
  echo "$2: exports $(words "$exported")and imports $(words "$imports")"
}
check_dll x86_64-w64-mingw32 "$x64"
check_dll i686-w64-mingw32 "$x86"
if [ -f "$x86_object" ]; then
  symbols=$(i686-w64-mingw32-nm --defined-only "$x86_object") || say_fail "i686-w64-mingw32-nm cannot read $x86_object"
  for name in $declared; do
    grep -qE " T _$name@[0-9]+$" <<<"$symbols" || say_fail "$name is not __stdcall on x86 (no _$name@N in $x86_object)"
  done
else
  say_fail "$x86_object is not built"
fi
check_x86_returns() { # DLL
  local dump disassembly base name index rva label size want rets
  dump=$(i686-w64-mingw32-objdump -p "$1") && disassembly=$(i686-w64-mingw32-objdump -d --no-show-raw-insn "$1") ||
    { say_fail "i686-w64-mingw32-objdump cannot read $1"; return; }
  base=$(sed -n 's/^ImageBase[[:space:]]*//p' <<<"$dump")
  for name in $expected; do
    index=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n "s/^\t\[ *\([0-9]*\)\] $name\$/\1/p")
    rva=$(sed -n "s/^\t\[ *$index\] +base\[ *[0-9]*\] *\([0-9a-f]*\) Export RVA\$/\1/p" <<<"$dump")
    label=$(grep -E "^0*$(printf '%x' $((0x$base + 0x${rva:-0}))) <_$name@[0-9]+>:\$" <<<"$disassembly" || true)
    if [ -z "$index" ] || [ -z "$rva" ] || [ -z "$label" ]; then
      say_fail "the x86 DLL's export $name leads to no code labelled _$name@N"
      continue
    fi
    size=${label##*@}
    size=${size%>:}
    want=ret
    [ "$size" -gt 0 ] && want="ret \$0x$(printf '%x' "$size")"
    rets=$(awk -v code="<_$name@$size>:" -v cold="<_$name@$size.cold>:" '
      /^[0-9a-f]+ </ { inside = ($2 == code || $2 == cold); next }
      inside && $2 == "ret" { print $2 ($3 == "" ? "" : " " $3) }' <<<"$disassembly" | sort -u)
    [ "$rets" = "$want" ] ||
      say_fail "$name@$size on x86 ends with \"$(words "$rets")\" instead of \"$want\" alone: it does not remove its $size bytes of arguments"
  done
}
check_x86_returns "$x86"
check_tail_free() { # TOOL_PREFIX DLL LABEL
  local slot code
  slot=$("$1-nm" "$2" | sed -n 's/^0*\([0-9a-f]*\) I __imp__\{0,1\}FreeLibrary\(@4\)\{0,1\}$/\1/p')
  code=$("$1-objdump" -d --no-show-raw-insn "$2" |
    awk -v label="<$3>:" '/^[0-9a-f]+ </ { inside = ($2 == label); next } inside && NF > 1 { $1 = ""; print }')
  if [ -z "$slot" ] || [ -z "$code" ]; then
    say_fail "$2: no FreeLibrary import or no code labelled $3 to read"
  elif grep -qiE "call.*(FreeLibrary|0x0*$slot)" <<<"$code" || ! grep -qiE "jmp +\*(0x0*$slot\b|.*<__imp__?FreeLibrary)" <<<"$code"; then
    say_fail "$2: $3 does not end with a jump to FreeLibrary, so the search's free may return into an unloaded library"
  fi
}
check_tail_free x86_64-w64-mingw32 "$x64" varnel_search_free
check_tail_free i686-w64-mingw32 "$x86" _varnel_search_free@4
[ -z "$fail" ] && echo "varnel.dll, x64 and x86: the exports varnel.h declares and the COM server's, undecorated; __stdcall on x86, each removing its own arguments (ret N); the search's free ending in a jump to FreeLibrary; system imports only"
[ -z "$fail" ]
