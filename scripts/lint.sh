#!/usr/bin/env bash
# Static checks: clang-tidy (.clang-tidy) on the C++ files this branch changes
# against its merge base with origin/main (or main), or on a small fixed set
# when nothing changed; then a clang-format check of the whole tree.
#   scripts/lint.sh              changed files (needs build/compile_commands.json)
#   scripts/lint.sh FILE...      these files
set -euo pipefail
cd "$(dirname "$0")/.."

status=0
if [ ! -f build/compile_commands.json ]; then
  cmake --preset default >/dev/null
fi

if [ $# -gt 0 ]; then
  files=("$@")
else
  base=$(git merge-base HEAD origin/main 2>/dev/null || git merge-base HEAD main 2>/dev/null || true)
  files=()
  if [ -n "$base" ]; then
    while IFS= read -r f; do
      [ -f "$f" ] && files+=("$f")
    done < <(git diff --name-only --diff-filter=ACMR "$base" -- 'src/*.cpp' 'stand-ins/*.cpp' |
      grep -v '/win32/\|_win32\|winhttp' || true)
  fi
  if [ ${#files[@]} -eq 0 ]; then
    # Nothing changed: the INI layer, the settings store and the HTTP rules,
    # where a fault costs the player's files or the network's input.
    files=(src/ini/ini_text.cpp src/ini/ini_file.cpp src/env/settings_store.cpp
      src/net/http_cookies.cpp src/net/http_body.cpp)
  fi
fi

# Only files the Linux build compiles have compile commands; the Windows
# sources are checked by their own build's warnings.
echo "== clang-tidy: ${#files[@]} file(s)"
for f in "${files[@]}"; do
  if ! grep -q "\"file\": \"$(pwd)/$f\"" build/compile_commands.json; then
    echo "  (no compile command for $f; skipped)"
    continue
  fi
  clang-tidy --quiet -p build "$f" 2>/dev/null || status=1
done

echo "== clang-format"
if ! git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror; then
  echo "clang-format: the files above differ from .clang-format (run clang-format -i on them)"
  status=1
fi
echo "== layer rule"
python3 cmake/check_layers.py cmake/layers.txt src stand-ins || status=1
exit $status
