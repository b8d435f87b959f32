#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it (the project's .clang-format).
set -euo pipefail
cd "$(dirname "$0")/.."
bad=0
while IFS= read -r -d '' file; do
    if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
        echo "check-format: $file is not formatted (run clang-format -i $file)"
        bad=1
    fi
done < <(git ls-files -z -- '*.h' '*.cpp')
exit $bad
