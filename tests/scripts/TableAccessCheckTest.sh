#!/usr/bin/env bash
# Runs scripts/check-table-access.sh on small source trees: every way of reaching a table from a
# window, the main window or a widgets folder is reported with file and line and fails the
# check; the record binder, core sources, comments and tests pass; a tree without windows is an
# error, not a pass. Last, the repository's own sources pass.
set -euo pipefail
check=$1
repo=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAILED: $1"
  echo "--- output"
  cat "$work/out"
  failures=$((failures + 1))
}

tree=$work/tree
mkdir -p "$tree/windows/capture" "$tree/mainwindow" "$tree/catalogue/widgets" "$tree/foundation/widgets" \
  "$tree/platform/ui/widgets" "$tree/catalogue" "$tree/tests/windows"
clean() {
  cat >"$tree/windows/capture/frmClean.cpp" <<'SRC'
// A window that lists through the catalogue layer; OpenRecordset( is named in a comment only.
#include "catalogue/TableVolumes.h"
/* Execute( in a block comment
 * OpenRecordset( on a continued line */
void fill() { for (const VolumeRow& row : VolumeRows(db, VolumeOrder::ById)) add(row.VID); }
SRC
  cat >"$tree/foundation/widgets/RecordBinder.cpp" <<'SRC'
void RecordBinder::Open() { rs_ = db_->OpenRecordset(source_, jet::RecordsetType::Dynaset); }
SRC
  cat >"$tree/catalogue/TableVolumes.cpp" <<'SRC'
void VolumeAdd() { db.OpenRecordset(kTable, jet::RecordsetType::Table); db.Execute(sql, 0, {}); }
SRC
  cat >"$tree/tests/windows/frmCleanTest.cpp" <<'SRC'
void addVolume() { gDB->DB()->Execute(sql, 0, params); }
SRC
}

clean
if ! bash "$check" "$tree" >"$work/out" 2>&1; then fail "a clean tree does not pass"; fi

# Each row: file, line and the code on it.
violations=(
  "windows/capture/frmFind.cpp|2|  auto rs = CommandDB().OpenRecordset(sql, jet::RecordsetType::ForwardOnly);"
  "windows/capture/frmFind.cpp|3|  gDB->DB()->Execute(sql, jet::dbFailOnError);"
  "mainwindow/frmMain.cpp|2|  auto q = db.OpenNativeQuery(QStringLiteral(\"SELECT 1\"));"
  "mainwindow/frmMain.cpp|3|#include \"platform/jet/NativeQuery.h\""
  "catalogue/widgets/TreeFill.cpp|2|  db_->AttachReadOnly(path, QStringLiteral(\"src\"));"
  "foundation/widgets/Grid.cpp|2|  QSqlQuery query(db);"
  "foundation/widgets/Grid.cpp|3|  sqlite3_prepare_v2(handle, text, -1, &stmt, nullptr);"
  "platform/ui/widgets/Pane.cpp|2|#include <sqlite3.h>"
  "platform/ui/widgets/Pane.cpp|3|  jet::detail::Connection* c = nullptr;"
  "windows/capture/frmVolumeNew.h|2|  auto def = db.CreateQueryDef(name, sql);"
)
for row in "${violations[@]}"; do
  IFS='|' read -r file line code <<<"$row"
  if [ ! -f "$tree/$file" ]; then printf '// %s\n' "$file" >"$tree/$file"; fi
  # Line numbers as given: pad the file to the line before.
  while [ "$(wc -l <"$tree/$file")" -lt $((line - 1)) ]; do echo "" >>"$tree/$file"; done
  printf '%s\n' "$code" >>"$tree/$file"
done
if bash "$check" "$tree" >"$work/out" 2>&1; then fail "a tree with violations passes"; fi
for row in "${violations[@]}"; do
  IFS='|' read -r file line code <<<"$row"
  grep -qF "$file:$line:" "$work/out" || fail "$file:$line is not reported ($code)"
done
for allowed in frmClean.cpp RecordBinder.cpp TableVolumes.cpp frmCleanTest.cpp; do
  grep -qF "$allowed" "$work/out" && fail "$allowed is reported"
done

empty=$work/empty
mkdir -p "$empty"
if bash "$check" "$empty" >"$work/out" 2>&1; then fail "a tree without windows passes"; fi

if ! bash "$check" "$repo" >"$work/out" 2>&1; then fail "the repository's sources do not pass"; fi

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "all checks passed"
