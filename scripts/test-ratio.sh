#!/usr/bin/env bash
# Non-blank lines of tests against those of the code they test: C++, resource
# scripts, shell, Python and CMake outside tests/, bench/, fuzz/ and docs/.
# Usage: scripts/test-ratio.sh [CHECKOUT]
set -euo pipefail
cd "${1:-.}"
is_code='\.(cpp|cc|h|hpp|rc|sh|py|cmake)$|(^|/)CMakeLists\.txt$'
nb(){ xargs -d '\n' cat -- 2>/dev/null | grep -cv '^[[:space:]]*$'; }
t=$(git ls-files tests | grep -E "$is_code" | nb)
c=$(git ls-files | grep -vE '^(tests|bench|fuzz|docs)/' | grep -E "$is_code" | nb)
cpp=$(git ls-files | grep -vE '^(tests|bench|fuzz|docs)/' | grep -E '\.(cpp|h|rc)$' | nb)
echo "tests=$t code=$c ratio=$(awk -v t=$t -v c=$c 'BEGIN{printf "%.3f", t/c}') cpp=$cpp ratio_cpp=$(awk -v t=$t -v c=$cpp 'BEGIN{printf "%.3f", t/c}')"
