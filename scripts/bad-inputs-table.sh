#!/usr/bin/env bash
# Prints the table of bad inputs (tests/badinput/BadInputs.txt) as Markdown:
# per section, one row per case with what the user sees on standard error
# and the exit status.
set -euo pipefail
if [ $# -gt 0 ]; then
  echo "Usage: scripts/bad-inputs-table.sh (no arguments; prints Markdown)" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
awk '
  function flush() {
    if (title == "") return
    gsub(/\|/, "\\|", seen)
    printf "| %s | %s | %s |\n", title, seen == "" ? "(nothing)" : seen, status
    title = ""
  }
  /^## / { flush(); sub(/^## /, ""); printf "\n### %s\n\n| Input | Standard error | Exit status |\n|---|---|---|\n", $0; next }
  /^case / { flush(); title = substr($0, 6); seen = ""; status = ""; next }
  /^status / { status = $2; next }
  /^(stderr|write|append|contains)/ { block = ($1 == "stderr") ? 1 : 2; next }
  block && $0 == "." { block = 0; next }
  block == 1 { seen = seen (seen == "" ? "" : "<br>") "`" $0 "`"; next }
  block == 2 { next }
  END { flush() }
' tests/badinput/BadInputs.txt
