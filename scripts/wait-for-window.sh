#!/usr/bin/env bash
# wait-for-window.sh PATTERN [SECONDS]: waits until a window whose title
# matches PATTERN is mapped on $DISPLAY; exit 1 if none appears in time.
set -euo pipefail
pattern=${1:?usage: wait-for-window.sh PATTERN [SECONDS]}
deadline=$((SECONDS + ${2:-60}))
while ((SECONDS < deadline)); do
  if xwininfo -root -tree 2>/dev/null | grep -F -- "$pattern" | grep -q -v '(has no name)'; then
    exit 0
  fi
  sleep 0.2
done
echo "no window matching '$pattern' appeared" >&2
exit 1
