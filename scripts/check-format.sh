#!/usr/bin/env bash
# Fails, naming each difference, when a C++ source of the repository is not in the style of
# .clang-format (include groups too).
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z -- '*.cpp' '*.h' | xargs -0 -r clang-format --dry-run -Werror
echo "check-format: every source is formatted"
