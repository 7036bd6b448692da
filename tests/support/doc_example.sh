# Sourced by the tests that run a document's examples as they stand.
#
# doc_example DOCUMENT FENCE [HEADING]: the lines of the first fenced block opened by
# the line FENCE (```c, ```js) in DOCUMENT, or of the first one after the line HEADING.
doc_example() {
  awk -v fence="$2" -v heading="${3:-}" '
    heading != "" && !after { if ($0 == heading) after = 1; next }
    $0 == fence { inside = 1; next }
    inside && /^```/ { exit }
    inside { print }' "$1"
}
