#!/usr/bin/env bash
# docs/request.xsd and docs/sample-answer.xsd against the documents the request builder
# and the sample server write (print_documents.exe, run in the tests' Wine session),
# checked by a validator nobody here wrote: xmllint, from Debian's libxml2-utils. The
# schemas must also refuse documents that break the contract, or they would say nothing.
set -euo pipefail
root=$1 build=$2 printer=$3
command -v xmllint >/dev/null || { echo "FAIL: no xmllint (scripts/bootstrap installs libxml2-utils)"; exit 1; }
out=$build/schema-test
rm -rf "$out"
mkdir -p "$out"
"$build/wine-run" "$printer" "Z:${out//\//\\}" || { echo "FAIL: print_documents ended with exit code $?"; exit 1; }
requests=("$out"/request-*.xml)
answers=("$out"/answer-*.xml)
[ "${#requests[@]}" -ge 9 ] && [ "${#answers[@]}" -ge 11 ] ||
  { echo "FAIL: print_documents wrote ${#requests[@]} requests and ${#answers[@]} answers"; exit 1; }

fail=
xmllint --noout --schema "$root/docs/request.xsd" "${requests[@]}" 2>"$out/requests.log" ||
  { echo "FAIL: requests the builder wrote are not valid:"; cat "$out/requests.log"; fail=1; }
xmllint --noout --schema "$root/docs/sample-answer.xsd" "${answers[@]}" 2>"$out/answers.log" ||
  { echo "FAIL: answers the sample server wrote are not valid:"; cat "$out/answers.log"; fail=1; }

# refused SCHEMA DOCUMENT SED: the document changed by SED must not be valid.
refused() {
  sed "$3" "$2" >"$out/broken.xml"
  if xmllint --noout --schema "$1" "$out/broken.xml" 2>/dev/null; then
    echo "FAIL: $(basename "$1") accepts $(basename "$2") changed by '$3'"; fail=1
  fi
}
refused "$root/docs/request.xsd" "$out/request-defaults.xml" 's|<use>yes</use>|<use>maybe</use>|'
refused "$root/docs/request.xsd" "$out/request-defaults.xml" 's|Adress>|Address>|g'
refused "$root/docs/request.xsd" "$out/request-defaults.xml" 's|<house></house>|<house>12</house>|'
refused "$root/docs/sample-answer.xsd" "$out/answer-code.xml" '/<found>/d'
refused "$root/docs/sample-answer.xsd" "$out/answer-code.xml" 's|<mode>auto</mode>|<mode>manual</mode>|'
refused "$root/docs/sample-answer.xsd" "$out/answer-code.xml" 's|<code>01016433305000</code>|<code>0101</code>|g'

[ -z "$fail" ] && echo "schemas: ${#requests[@]} requests and ${#answers[@]} answers valid; broken ones refused"
[ -z "$fail" ]
