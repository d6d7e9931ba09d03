#!/usr/bin/env bash
# check_guide.sh GUIDE SOURCE: every region of SOURCE between "// guide: NAME" and "// guide: end"
# stands in GUIDE as it is, leading spaces aside.
set -euo pipefail
guide=$(sed 's/^[[:space:]]*//' "$1" | tr '\n' '\f')
names=$(sed -n 's|^[[:space:]]*// guide: \(.*\)$|\1|p' "$2" | grep -vx end || true)
[ -n "$names" ] || { echo "check_guide: no regions in $2" >&2; exit 1; }
while read -r name; do
  region=$(awk -v start="// guide: $name" '{ t = $0; sub(/^[ \t]+/, "", t) }
                                           t == "// guide: end" { on = 0 }
                                           on { print t }
                                           t == start { on = 1 }' "$2" | tr '\n' '\f')
  [ -n "$region" ] && [[ "$guide" == *"$region"* ]] \
    || { echo "check_guide: $1 lacks the code of '$name' as $2 has it" >&2; exit 1; }
done <<< "$names"
