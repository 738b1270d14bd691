#!/usr/bin/env bash
# Fails (naming file and line) when a window, main-window or widgets source reaches the tables
# itself: record sets, executed or prepared SQL, the engine's own connection. Those go through
# the catalogue layer; only the data control (foundation/widgets/RecordBinder.*) binds a record
# set. Usage: check-table-access.sh [source root], by default the repository's.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# What the engine layer (platform/jet) and SQL libraries offer to reach the tables.
pattern='\bOpenRecordset[[:space:]]*\(|\bExecute[[:space:]]*\(|'
pattern+='\b(OpenNativeQuery|NativeQuery|CreateQueryDef|OpenQueryDef|QueryDefs|TableDefs|AttachReadOnly|AttachScope)\b|'
pattern+='\bjet::detail\b|\bsqlite3_[a-z_]+|\bQSql[A-Za-z]*|'
pattern+='#[[:space:]]*include[[:space:]]*[<"](sqlite3\.h|platform/jet/(NativeQuery|Connection|Cursor|AttachScope)\.h)[>"]'

# The windows, the main window and every layer's widgets folder.
mapfile -t files < <(find windows mainwindow $(find platform foundation catalogue -type d -name widgets 2>/dev/null) \
  -type f \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)
if [ ${#files[@]} -eq 0 ]; then
  echo "check-table-access: no window or widgets sources below $root" >&2
  exit 2
fi

found=0
for file in "${files[@]}"; do
  case "$file" in foundation/widgets/RecordBinder.*) continue ;; esac
  # Line comments go before the match; block comment lines start with "*" or "/*".
  hits=$(sed -E -e 's://.*$::' -e 's:^[[:space:]]*(/\*|\*).*$::' "$file" | grep -nE "$pattern" || true)
  [ -z "$hits" ] && continue
  while IFS= read -r hit; do
    echo "$file:${hit%%:*}: reaches the tables itself: ${hit#*:}"
  done <<<"$hits"
  found=1
done
if [ "$found" -ne 0 ]; then
  echo "check-table-access: windows and widgets read and write tables through the catalogue layer" >&2
  exit 1
fi
echo "check-table-access: ${#files[@]} window and widgets sources reach no table themselves"
