#!/usr/bin/env bash
# Installs the build into a DESTDIR and checks that everything lands where it belongs: the
# program with its template, workgroup file, help and icon in one private folder, a link to
# the program on the PATH, and the icon in the icon theme under the program's name.
set -euo pipefail
cmake=$1
build=$2
icon=$3
work=$(mktemp -d)
log=$(mktemp)
trap 'rm -rf "$work" "$log"' EXIT
prefix=/usr
if ! DESTDIR="$work" "$cmake" --install "$build" --prefix "$prefix" >"$log" 2>&1; then
  cat "$log"
  echo "FAILED: cmake --install"
  exit 1
fi
root=$work$prefix

failures=0
fail() {
  echo "FAILED: $1"
  failures=$((failures + 1))
}

for file in zuvrax zuvrax.db zuvrax.mdw zuvrax.chm zuvrax.svg; do
  [ -f "$root/lib/zuvrax/$file" ] || fail "lib/zuvrax/$file is missing"
done
[ -x "$root/lib/zuvrax/zuvrax" ] || fail "the program is not executable"
[ "$(readlink "$root/bin/zuvrax" || true)" = ../lib/zuvrax/zuvrax ] || fail "bin/zuvrax does not link the program"
for file in "$root/lib/zuvrax/zuvrax.svg" "$root/share/icons/hicolor/scalable/apps/zuvrax.svg"; do
  if [ ! -f "$file" ]; then
    fail "${file#"$root"/} is missing"
  elif ! cmp -s "$icon" "$file"; then
    fail "${file#"$root"/} is not the program's icon"
  fi
done

if [ "$failures" -ne 0 ]; then
  echo "--- installed"
  (cd "$work" && find . -mindepth 1 | sort)
  exit 1
fi
echo "all install checks passed"
