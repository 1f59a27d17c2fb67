# The start every release check shares: strict mode, the tree's root and the
# release folder, a scratch folder removed on exit, and fail().
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
dist="$root/build/dist"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
