#!/usr/bin/env bash
# The Windows packages as a user gets them, in the tests' Wine session against the
# sample server. scripts/package builds the two zips, which unpack to the four stripped
# programs and varnel.dll, each of the zip's bitness, with varnel.def, README.txt, the
# documents, the schemas and the SDK, and checksums that hold for all of them; the
# 64-bit varnel-query.exe runs from the unpacked folder, and a CMake project made of
# docs/library.md's examples finds the unpacked SDK, links Varnel::varnel and answers.
# Then the MSI as an administrator deploys it: installed per machine silently, its
# files and Varnel.Client's keys in both registry views, a script host's search,
# removal leaving the prefix as it was; per user; upgraded by the next version and
# refusing to go back to the older one.
set -euo pipefail
# reg and the script host print in the console's code page: the text tools read bytes.
export LC_ALL=C
root=$1 build=$2
dist=$build/package-test
rm -rf "$dist"
VARNEL_BUILD_DIR="$build" VARNEL_DIST_DIR="$dist/dist" "$root/scripts/package" >/dev/null
# shellcheck source=../support/doc_example.sh
. "$root/tests/support/doc_example.sh"
# shellcheck source=../support/wine_com.sh
. "$root/tests/support/wine_com.sh"
run=$build/wine-run
# An answer printed or saved: its lines, whatever their ends and blank lines.
same_answer() { same_lines <(sed '/^\r\?$/d' "$1") <(sed '/^\r\?$/d' "$2"); }
fail=
for bits in win64 win32; do
  zips=("$dist"/dist/varnel-tools-*-$bits.zip)
  version=$(basename "${zips[0]}" | sed "s/varnel-tools-\(.*\)-$bits\.zip/\1/")
  [ -f "${zips[0]}" ] || { echo "FAIL: no dist/varnel-tools-<version>-$bits.zip"; fail=1; continue; }
  mkdir -p "$dist/$bits"
  unzip -q "${zips[0]}" -d "$dist/$bits"
  (
    cd "$dist/$bits"/*/
    fail=
    [ $bits = win64 ] && format=pei-x86-64 || format=pei-i386
    [ $bits = win64 ] && arch=x64 || arch=x86
    for f in varnel-demo.exe varnel-sample-server.exe varnel-query.exe varnel-monitor.exe varnel.dll include/varnel.h \
             varnel.def README.txt SHA256SUMS docs/protocol.md docs/library.md docs/request.xsd docs/sample-answer.xsd \
             lib/$arch/libvarnel.dll.a lib/$arch/varnel.lib lib/cmake/Varnel/VarnelConfig.cmake \
             lib/cmake/Varnel/VarnelConfigVersion.cmake; do
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
      # One version on everything that ships: the package's, in each version record.
      record=$(strings -el "$binary" | grep -A1 -xE 'FileVersion|ProductVersion' | grep -vxE 'FileVersion|ProductVersion|--' | sort -u)
      [ "$record" = "$version" ] || { echo "FAIL: $binary says version \"$record\", not $version"; fail=1; }
    done
    # An x86 caller asks for the header's __stdcall names: both import libraries have them.
    if [ $bits = win32 ]; then
      for lib in lib/x86/varnel.lib lib/x86/libvarnel.dll.a; do
        grep -q ' T _varnel_search_run@8$' <<<"$(i686-w64-mingw32-nm "$lib")" ||
          { echo "FAIL: $lib does not link varnel_search_run@8"; fail=1; }
      done
    fi
    cmp -s include/varnel.h "$root/library/include/varnel.h" || { echo "FAIL: varnel.h of the $bits package is not the library's"; fail=1; }
    # What ships describes what ships: no pointer into the repository.
    if grep -nE 'service_link|ExchangeClient|BuildSearchRequest|scripts/|bench/|tests/|\.idl|\.cpp|README\.md' \
         README.txt docs/*; then
      echo "FAIL: the $bits package's documents point to the lines above, which it does not hold"; fail=1
    fi
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
cd "$dist"

# The sample server as Varnel, and varnel-query's answer to compare with.
sample_server=$(win "$build/sample_server/varnel-sample-server.exe")
msis=("$dist"/dist/varnel-tools-*-x64.msi)
msi=${msis[0]}
clean_up() {
  "$run" msiexec /x "$(win "$msi")" /qn >/dev/null 2>&1 || true
  "$run" msiexec /x "$(win "$msi")" /qn ALLUSERS="" >/dev/null 2>&1 || true
  "$run" taskkill /f /im varnel-sample-server.exe >/dev/null 2>&1 || true
  "$run" "$sample_server" --unregister >/dev/null 2>&1 || true
}
trap clean_up EXIT
clean_up
"$run" "$sample_server" --register --force >register.log 2>&1 || { echo "FAIL: the sample server could not be registered"; exit 1; }
"$run" "$(win "$build/tools/varnel-query.exe")" --by code --code 01016433305000 >query.txt 2>query.log ||
  { echo "FAIL: varnel-query: $(cat query.log)"; exit 1; }

# README.txt's list of the sample server's bodies: each code answered with its name, all
# of the directory listed.
listed=$(tr -d '\r' <"$dist"/win64/*/README.txt | grep -E '^    [0-9]{14}  ')
[ "$(wc -l <<<"$listed")" -eq "$(grep -cE '\{L"[0-9]{14}"' "$root/sample_server/directory.cpp")" ] ||
  { echo "FAIL: README.txt lists $(wc -l <<<"$listed") bodies, not all of the sample server's"; fail=1; }
while read -r code name; do
  "$run" "$(win "$build/tools/varnel-query.exe")" --by code --code "$code" >body.txt 2>/dev/null || true
  grep -qF "<name>$name</name>" body.txt || { echo "FAIL: the sample server does not answer $code with \"$name\""; fail=1; }
done <<<"$listed"

# The SDK as a CMake developer uses it: docs/library.md's CMakeLists.txt and C example.
mkdir -p consumer/source
doc_example "$root/docs/library.md" '```cmake' >consumer/source/CMakeLists.txt
doc_example "$root/docs/library.md" '```c' >consumer/source/search.c
sdk=$(echo "$dist"/win64/*/)
# A plain MinGW-w64 toolchain: the project's own confines find_package to MinGW-w64's folder.
printf '%s\n' 'set(CMAKE_SYSTEM_NAME Windows)' 'set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)' >consumer/mingw.cmake
if cmake -S consumer/source -B consumer/build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$dist/consumer/mingw.cmake" \
     -DCMAKE_PREFIX_PATH="$sdk" >consumer/build.log 2>&1 &&
   cmake --build consumer/build >>consumer/build.log 2>&1; then
  "$run" "$(win "$dist/consumer/build/search.exe")" >consumer/answer.txt 2>&1 || true
  same_answer consumer/answer.txt query.txt ||
    { echo "FAIL: the CMake consumer's answer differs from varnel-query's:"; head -5 consumer/answer.txt; fail=1; }
else
  echo "FAIL: the CMake consumer of the SDK did not build:"; tail -15 consumer/build.log; fail=1
fi

# --- The MSI ---
prefix=$(. "$build/wine-session/env" && echo "$WINEPREFIX")
installed="$prefix/drive_c/Program Files/Varnel tools"
msiexec() { # LOG ARGUMENTS...: msiexec with a verbose log; its exit code
  local log=$1
  shift
  "$run" msiexec "$@" /qn /l*v "$(win "$dist/$log")" >/dev/null 2>&1
}
# The prefix's files and the registry of the machine and the user, to compare a
# removal's result with.
snapshot() {
  (cd "$prefix/drive_c" && find . ! -path './windows/temp/*' | LC_ALL=C sort) >"$1.files"
  local hive
  for hive in HKLM HKCU; do
    "$run" reg export "$hive" "$(win "$dist/$1.reg")" /y >/dev/null 2>&1
    iconv -f UTF-16 -t UTF-8 "$1.reg" | tr -d '\r' >"$1-$hive.txt"
  done
}
# The keys of Varnel.Client below ROOT\Software\Classes in one registry view, one line
# a value ("[key]<TAB>value"), sorted.
top_keys=("CLSID\\$clsid" "Interface\\$iid" "TypeLib\\$libid" Varnel.Client Varnel.Client.1)
class_keys() { # ROOT 32|64
  local key
  for key in "${top_keys[@]}"; do
    "$run" reg export "$1\\Software\\Classes\\$key" "$(win "$dist/key.reg")" /reg:$2 /y >/dev/null 2>&1 || continue
    iconv -f UTF-16 -t UTF-8 key.reg | tr -d '\r'
  done | awk '/^\[/ { key = $0; print key; next } NF && !/^Windows Registry/ { print key "\t" $0 }' | LC_ALL=C sort
}

# The script that searches with the installed class (below). Wine registers its script
# host's own type library when cscript first runs: that is done before the snapshot.
cat >search.vbs <<'VBS'
Set client = CreateObject("Varnel.Client")
client.By = "code" : client.Code = "01016433305000"
Set answer = CreateObject("Scripting.FileSystemObject").CreateTextFile(WScript.Arguments(0), True, True)
answer.Write client.Search() : answer.Close
WScript.Echo "done"
VBS
"$run" cscript //nologo "$(win "$dist/search.vbs")" "$(win "$dist/cscript.txt")" >/dev/null 2>&1 || true
snapshot before
msiexec install.log /i "$(win "$msi")" || { echo "FAIL: msiexec /i $msi /qn failed"; tail -20 install.log; fail=1; }
# The files: the win64 package's, the x86 DLL and its import libraries, checksums that hold.
mapfile -t files_win64 < <(cd "$dist"/win64/*/ && find . -type f | sed 's|^\./||')
for f in "${files_win64[@]}" x86/varnel.dll lib/x86/varnel.lib lib/x86/libvarnel.dll.a; do
  [ -f "$installed/$f" ] || { echo "FAIL: $f is not installed"; fail=1; }
done
(cd "$installed" && sha256sum --quiet -c SHA256SUMS) || { echo "FAIL: SHA256SUMS of the installed folder does not match"; fail=1; }
cmp -s "$installed/x86/varnel.dll" "$dist"/win32/*/varnel.dll || { echo "FAIL: x86\\varnel.dll is not the win32 package's"; fail=1; }
[ -n "$(find "$prefix/drive_c" -name 'Varnel demo.lnk')" ] || { echo "FAIL: no Start-menu entry for the demo"; fail=1; }

# A script host finds the installed class and searches with it.
"$run" cscript //nologo "$(win "$dist/search.vbs")" "$(win "$dist/cscript.txt")" >cscript.out 2>&1 || true
if ! grep -q done cscript.out || ! iconv -f UTF-16 -t UTF-8 cscript.txt >cscript.utf8 || ! same_answer cscript.utf8 query.txt; then
  echo "FAIL: cscript's Varnel.Client did not answer as varnel-query does: $(head -c 300 cscript.out)"; fail=1
fi

msi64=$(class_keys HKLM 64) msi32=$(class_keys HKLM 32)
msiexec remove.log /x "$(win "$msi")" || { echo "FAIL: msiexec /x failed"; fail=1; }
snapshot after
# Not ours, and allowed: Windows Installer's own empty registers, which the first
# installation of any package makes (Installer\Products and the like: named, not
# numbered), and empty keys the removal tidied away. Any value, any key of ours, any file
# counts.
for what in files HKLM.txt HKCU.txt; do
  case $what in files) a=before.files b=after.files ;; *) a=before-$what b=after-$what ;; esac
  diff "$a" "$b" | grep -E '^[<>] ' | grep -vE '^[<>] $|^< \[|^> \[[^{]*\\Installer(\\[A-Za-z0-9-]{1,20})*\]$' >removal.diff || true
  if [ -s removal.diff ]; then echo "FAIL: the removal left the prefix other than it was ($what):"; head -20 removal.diff; fail=1; fi
done

# What regsvr32 writes for the same DLL at the same path, in the prefix the removal left.
mkdir -p "$installed"
cp "$dist"/win64/*/varnel.dll "$installed/"
"$run" regsvr32 /s "C:\\Program Files\\Varnel tools\\varnel.dll" >/dev/null 2>&1 || { echo "FAIL: regsvr32 failed"; fail=1; }
reg64=$(class_keys HKLM 64) reg32=$(class_keys HKLM 32)
"$run" regsvr32 /s /u "C:\\Program Files\\Varnel tools\\varnel.dll" >/dev/null 2>&1 || true
rm -rf "$installed"
# The x86 DLL cannot be registered here (no 32-bit Wine): its keys are the x64 DLL's own
# (CLSID, Interface) with its own path, in the 32-bit view, and its platform key under
# the shared TypeLib key.
x86=$(grep -E '^\[HKEY_LOCAL_MACHINE\\Software\\Classes\\(CLSID|Interface)\\' <<<"$reg64" |
  sed 's/Varnel tools\\\\varnel\.dll/Varnel tools\\\\x86\\\\varnel.dll/')
platform=$(printf '%s\n' "[HKEY_LOCAL_MACHINE\\Software\\Classes\\TypeLib\\$libid\\1.0\\0\\win32]" \
  "[HKEY_LOCAL_MACHINE\\Software\\Classes\\TypeLib\\$libid\\1.0\\0\\win32]	@=\"C:\\\\Program Files\\\\Varnel tools\\\\x86\\\\varnel.dll\"")
[ -n "$reg64" ] || { echo "FAIL: regsvr32 wrote no keys"; fail=1; }
diff <(echo "$msi64") <(printf '%s\n' "$reg64" "$platform" | LC_ALL=C sort) >view64.diff ||
  { echo "FAIL: the MSI's keys in the 64-bit view differ from regsvr32's:"; head -20 view64.diff; fail=1; }
diff <(echo "$msi32") <(printf '%s\n' "$reg32" "$platform" "$x86" | LC_ALL=C sort -u) >view32.diff ||
  { echo "FAIL: the MSI's keys in the 32-bit view differ from the x86 DLL's registration:"; head -20 view32.diff; fail=1; }

# Per user (Wine's msiexec knows no MSIINSTALLPERUSER: ALLUSERS="" is its per-user
# installation, and its removal must say so again). Wine keeps one view of the user's
# classes, so the x86 class, written last, is the one its CLSID key names; both
# platforms' type library keys are there.
msiexec user.log /i "$(win "$msi")" ALLUSERS="" || { echo "FAIL: the per-user installation failed"; fail=1; }
user64=$(class_keys HKCU 64) user32=$(class_keys HKCU 32)
[ -z "$(class_keys HKLM 64)" ] || { echo "FAIL: the per-user installation wrote the machine's classes"; fail=1; }
grep -qF "win64]	@=\"C:\\\\Program Files\\\\Varnel tools\\\\varnel.dll\"" <<<"$user64" &&
  grep -qF "win32]	@=\"C:\\\\Program Files\\\\Varnel tools\\\\x86\\\\varnel.dll\"" <<<"$user32" &&
  grep -qF "InprocServer32]	\"ThreadingModel\"" <<<"$user64" ||
  { echo "FAIL: the per-user installation did not register both bitnesses under HKCU:"; echo "$user64" | head -5; fail=1; }
msiexec user-remove.log /x "$(win "$msi")" ALLUSERS="" || { echo "FAIL: the per-user removal failed"; fail=1; }
[ -z "$(class_keys HKCU 64)$(class_keys HKCU 32)" ] || { echo "FAIL: the per-user removal left keys"; fail=1; }

# Upgrades: the next version replaces this one; this one over the next is refused.
version=$(basename "$msi" | sed 's/varnel-tools-\(.*\)-x64\.msi/\1/')
IFS=. read -r major minor patch tweak <<<"$version"
next=$major.$minor.$((patch + 1)).$tweak
"$root/installer/build-msi" "$next" "Varnel integration tools" "$dist"/win64/*/ "$dist"/win32/*/ next.msi
product_code() { msiinfo export "$1" Property | sed -n 's/^ProductCode\t//p' | tr -d '\r'; }
installed_product() { "$run" reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1" >/dev/null 2>&1; }
[ "$(product_code "$msi")" != "$(product_code next.msi)" ] || { echo "FAIL: the next version has the same ProductCode"; fail=1; }
msiexec old.log /i "$(win "$msi")" || { echo "FAIL: installing $version failed"; fail=1; }
msiexec upgrade.log /i "$(win "$dist/next.msi")" || { echo "FAIL: installing $next over $version failed"; fail=1; }
installed_product "$(product_code next.msi)" && ! installed_product "$(product_code "$msi")" ||
  { echo "FAIL: $next did not replace $version"; fail=1; }
# Wine's msiexec does not log the refusal's message under /qn; the package carries it.
if msiexec downgrade.log /i "$(win "$msi")"; then
  echo "FAIL: $version was installed over $next"; fail=1
elif ! installed_product "$(product_code next.msi)" || ! grep -aq "WIX_DOWNGRADE_DETECTED = {" downgrade.log ||
     ! msiinfo export "$msi" LaunchCondition | grep -q 'A newer version of'; then
  echo "FAIL: installing $version over $next was not refused as a downgrade with its message"; fail=1
fi
msiexec next-remove.log /x "$(win "$dist/next.msi")" || true

[ -z "$fail" ] && echo "packages win64 and win32: contents of their bitness, checksums, varnel-query.exe --help and the SDK's CMake consumer are right; the MSI installs per machine and per user, registers Varnel.Client as regsvr32 does, answers cscript, upgrades, refuses a downgrade and leaves nothing on removal"
[ -z "$fail" ]
