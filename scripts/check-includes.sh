#!/usr/bin/env bash
# Checks the include rules of src/: no two files include each other, directly
# or through others (a header and its .cpp count as one file), and nothing in
# core includes the words of the front ends, the window or the command-line
# tool, nor do the words include a front end. Prints what breaks a
# rule and fails; silent when all holds.
set -euo pipefail
cd "$(dirname "$0")/../src"

status=0
if grep -rnE '^\s*#\s*include\s*[<"](texts|gui|cli)/' core; then
  echo "check-includes: core must not include texts, gui or cli" >&2
  status=1
fi
if grep -rnE '^\s*#\s*include\s*[<"](gui|cli)/' texts; then
  echo "check-includes: texts must not include gui or cli" >&2
  status=1
fi

# One edge "file included-file" per include of another file of src/, both
# named without their extension; tsort names the files of every loop.
edges=$(grep -rHE '^\s*#\s*include\s*"' --include='*.h' --include='*.cpp' . |
  sed -E 's|^\./([^:]*)\.[a-z]+:\s*#\s*include\s*"([^"]*)\.h".*|\1 \2|' |
  awk '$1 != $2 && system("test -f " $2 ".h") == 0')
loops=$( { printf '%s\n' "$edges" | tsort >/dev/null; } 2>&1 || true)
if [ -n "$loops" ]; then
  printf '%s\n' "$loops" >&2
  echo "check-includes: files of src/ include each other (the loops above)" >&2
  status=1
fi
exit $status
