#!/usr/bin/env bash
# script_host.sh ROOT BUILD DLL SYSTEM_FOLDER LANGUAGE...
#
# Varnel.Client as an integrator meets it, in the tests' Wine session against the
# sample server: DLL registered with the regsvr32 of SYSTEM_FOLDER (system32 for x64,
# syswow64 for x86), the scripts client_test.LANGUAGE (vbs, js) run by that folder's
# cscript, their answers set beside varnel-query's for the same options, and the
# examples of docs/library.md for the same languages; then the registry after each way
# of registering and unregistering.
#
# Wine 8's CreateObject does not see classes under HKEY_CURRENT_USER\Software\Classes
# (Windows merges them in), so the scripts run on the machine registration and the
# per-user one is checked by reading back its keys.
set -euo pipefail
# reg prints in the console's code page: the text tools read bytes.
export LC_ALL=C
root=$1 build=$2 dll=$3 system=$4
shift 4
languages=("$@")
run=$build/wine-run
work=$build/com-test-$system
rm -rf "$work"
mkdir -p "$work"
fail=
say_fail() { echo "FAIL: $*"; fail=1; }
# shellcheck source=../support/doc_example.sh
. "$root/tests/support/doc_example.sh"
# shellcheck source=../support/wine_com.sh
. "$root/tests/support/wine_com.sh"
# (Output of Wine programs goes to files: a pipe can be held open by Wine's background
# processes long after the program ends.)
dll_win=$(win "$dll")
sysdir="C:\\windows\\$system"
[ -f "$dll" ] || { echo "FAIL: $dll is not built"; exit 1; }

regsvr32() { "$run" "$sysdir\\regsvr32.exe" /s "$@" "$dll_win" >>"$work/regsvr32.log" 2>&1; }
key_exists() { "$run" reg query "$1" >"$work/reg.txt" 2>&1; }
default_value() {
  "$run" reg query "$1" /ve >"$work/reg.txt" 2>&1 || return 0
  sed -n 's/.*REG_SZ *//p' "$work/reg.txt" | tr -d '\r'
}
keys_under() { # CLASSES_ROOT: every key a registration writes at its top
  echo "$1\\CLSID\\$clsid" "$1\\Interface\\$iid" "$1\\TypeLib\\$libid" "$1\\Varnel.Client" "$1\\Varnel.Client.1"
}
machine='HKLM\Software\Classes'
user='HKCU\Software\Classes'
expect_keys() { # present|absent CLASSES_ROOT WHEN
  local key
  for key in $(keys_under "$2"); do
    if key_exists "$key"; then
      [ "$1" = present ] || say_fail "$3: $key is left"
    else
      [ "$1" = absent ] || say_fail "$3: $key is missing"
    fi
  done
}
sample_server=$(win "$build/sample_server/varnel-sample-server.exe")
# Nothing of this test is left for the next: no class, no server, no record of it.
clean_up() {
  regsvr32 /u || true
  regsvr32 /u /n /i:user || true
  "$run" taskkill /f /im varnel-sample-server.exe >/dev/null 2>&1 || true
  "$run" "$sample_server" --unregister >/dev/null 2>&1 || true
}
trap clean_up EXIT
clean_up

# The sample server as Varnel, and varnel-query's answers to compare with.
"$run" "$sample_server" --register --force >"$work/register.log" 2>&1 ||
  { echo "FAIL: the sample server could not be registered"; cat "$work/register.log"; exit 1; }
query() { # NAME OPTIONS...
  local name=$1
  shift
  "$run" "$(win "$build/tools/varnel-query.exe")" "$@" >"$work/query-$name.txt" 2>"$work/query-$name.log" ||
    say_fail "varnel-query $* exited with an error: $(cat "$work/query-$name.log")"
}
query name --by name --name районный
query code --by code --code 01016433305000

# The machine registration, and the scripts.
regsvr32 || say_fail "regsvr32 $dll_win exited with an error"
expect_keys present "$machine" "after regsvr32"
server=$(default_value "$machine\\CLSID\\$clsid\\InprocServer32")
[ "$server" = "$dll_win" ] || say_fail "InprocServer32 is \"$server\", not \"$dll_win\""
# The names the keys carry are read from the type library the DLL embeds: its help
# strings are there for early-bound hosts.
help_of() { grep -A2 "uuid(${1:1:36})" "$root/library/com/varnel_client.idl" | sed -n 's/.*helpstring("\(.*\)").*/\1/p'; }
for key in "$machine\\Varnel.Client=$clsid" "$machine\\TypeLib\\$libid\\1.0=$libid"; do
  shown=$(default_value "${key%=*}")
  [ -n "$shown" ] && [ "$shown" = "$(help_of "${key#*=}")" ] ||
    say_fail "${key%=*} is named \"$shown\", not the help string of ${key#*=} in the IDL"
done

for language in "${languages[@]}"; do
  iconv -f UTF-8 -t CP1251 "$root/tests/library/com/client_test.$language" >"$work/client_test.$language"
  status=0
  "$run" "$sysdir\\cscript.exe" //nologo "$(win "$work/client_test.$language")" "$(win "$work")" \
    >"$work/$language.out" 2>&1 || status=$?
  output=$(iconv -f CP866 -t UTF-8 "$work/$language.out" | tr -d '\r')
  echo "$system\\cscript.exe client_test.$language:"
  sed 's/^/  /' <<<"$output"
  [ "$status" -eq 0 ] || say_fail "cscript client_test.$language exited with $status"
  grep -q '^FAIL' <<<"$output" && say_fail "client_test.$language: its checks failed"
  grep -qx 'done' <<<"$output" || say_fail "client_test.$language stopped before its end"
  for search in name code; do
    answer=$work/$language-$search.txt
    if [ ! -f "$answer" ]; then
      say_fail "client_test.$language saved no answer by $search"
    elif ! iconv -f UTF-16 -t UTF-8 "$answer" >"$answer.utf8"; then
      say_fail "$answer is not UTF-16"
    elif ! same_lines "$answer.utf8" "$work/query-$search.txt"; then
      say_fail "client_test.$language: the answer by $search differs from varnel-query's:"
      diff <(tr -d '\r' <"$answer.utf8") <(tr -d '\r' <"$work/query-$search.txt") | head -n 20
    elif ! grep -q "<by>$search</by>" "$answer.utf8"; then
      say_fail "client_test.$language: the answer by $search is no search by $search"
    fi
  done
done

# The examples of docs/library.md for the same script hosts, as they stand there.
declare -A example_heading=([vbs]='#### VBScript' [js]='#### JScript')
declare -A example_fence=([vbs]='```vb' [js]='```js')
declare -A example_prints=([vbs]='<by>name</by>' [js]='Владимирогорский городской суд')
for language in "${languages[@]}"; do
  script=$work/example.$language
  doc_example "$root/docs/library.md" "${example_fence[$language]}" "${example_heading[$language]}" | iconv -f UTF-8 -t CP1251 >"$script"
  [ -s "$script" ] || { say_fail "docs/library.md has no $language example"; continue; }
  "$run" "$sysdir\\cscript.exe" //nologo "$(win "$script")" >"$work/example-$language.out" 2>&1 ||
    say_fail "the $language example of docs/library.md exited with an error"
  iconv -f CP866 -t UTF-8 "$work/example-$language.out" | grep -qF "${example_prints[$language]}" ||
    say_fail "the $language example of docs/library.md did not print ${example_prints[$language]}: $(head -c 300 "$work/example-$language.out")"
done

regsvr32 /u || say_fail "regsvr32 /u exited with an error"
expect_keys absent "$machine" "after regsvr32 /u"

# The per-user registration: its keys under the user's classes, none for the machine.
regsvr32 /n /i:user || say_fail "regsvr32 /n /i:user exited with an error"
expect_keys present "$user" "after regsvr32 /n /i:user"
expect_keys absent "$machine" "after regsvr32 /n /i:user"
progid=$(default_value "$user\\Varnel.Client\\CLSID")
[ "$progid" = "$clsid" ] || say_fail "the user's Varnel.Client names the class \"$progid\", not $clsid"
server=$(default_value "$user\\CLSID\\$clsid\\InprocServer32")
[ "$server" = "$dll_win" ] || say_fail "the user's InprocServer32 is \"$server\", not \"$dll_win\""
regsvr32 /u /n /i:user || say_fail "regsvr32 /u /n /i:user exited with an error"
expect_keys absent "$user" "after regsvr32 /u /n /i:user"

[ -z "$fail" ] && echo "Varnel.Client ($system): ${languages[*]} through cscript answer as varnel-query does, the examples of docs/library.md run; registered and unregistered for the machine and for the user"
[ -z "$fail" ]
