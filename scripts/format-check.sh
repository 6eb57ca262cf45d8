#!/usr/bin/env bash
# Lists the tracked C++ files that clang-format (the root's .clang-format) would change;
# exits non-zero when there is any. Fix them with: clang-format -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "format-check: clang-format is not installed" >&2; exit 2; }
status=0
while IFS= read -r -d '' f; do
  if ! clang-format --style=file "$f" | cmp -s - "$f"; then
    echo "format differs: $f"
    status=1
  fi
done < <(git ls-files -z -- '*.cpp' '*.h')
exit $status
