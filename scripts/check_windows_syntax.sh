#!/bin/bash
# Compiles every system source file (app render data scene draw text sound math) for 32-bit
# Windows with mingw-w64, syntax only, against the real Windows headers. Only our own headers
# that exist on both platforms are added (d3dx8.h, bass.h, record.h), so anything Linux-only in
# the system code fails here. Prints each failing file with its first errors.
set -uo pipefail
cd "$(dirname "$0")/.."
cxx=${MINGW_CXX:-i686-w64-mingw32-g++}
if ! command -v "$cxx" > /dev/null; then
  echo "check_windows_syntax: $cxx not found (scripts/install_deps.sh ci installs it)" >&2
  exit 2
fi
flags=(-std=c++20 -fsyntax-only -Wall -Wextra -I. -Iplatform/d3dx/include
       -Iplatform/audio/include -Iplatform/record)
passed=0
failed=()
while IFS= read -r file; do
  if output=$("$cxx" "${flags[@]}" "$file" 2>&1); then
    passed=$((passed + 1))
    [ -n "$output" ] && printf 'warnings in %s:\n%s\n' "$file" "$output"
  else
    failed+=("$file")
    printf 'FAILED %s\n%s\n\n' "$file" "$(grep -m 5 -E 'error|fatal' <<< "$output")"
  fi
done < <(find app render data scene draw text sound math -name '*.cpp' 2> /dev/null | sort)
echo "check_windows_syntax: ${passed} passed, ${#failed[@]} failed"
for file in "${failed[@]}"; do echo "  $file"; done
[ ${#failed[@]} -eq 0 ]
