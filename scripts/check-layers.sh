#!/usr/bin/env bash
# Holds every #include to the folders' order, bottom up:
#   platform < support < core < settings < media < plugin < app/state
#   < app/views < app/controls < app/library < app/window < app/surfaces
#   < app/commands < app/shell
# A file may include from its own folder and the folders below it; an
# include that points up the order is named with its file and line, and the
# status is 1. tests/, bench/, fuzz/ and tools/ may include anything.
#
#   scripts/check-layers.sh [ROOT]    (ROOT: the tree to check, default this repository)
set -euo pipefail

case "${1:-}" in
  -h|--help)
    sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'
    exit 0 ;;
esac
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
if [[ ! -d "$root" ]]; then
  echo "check-layers: $root: not a folder" >&2
  exit 2
fi

layers=(platform support core settings media plugin app/state app/views app/controls
        app/library app/window app/surfaces app/commands app/shell)

cd "$root"
folders=()
for layer in "${layers[@]}"; do
  [[ -d "$layer" ]] && folders+=("$layer")
done
if ((${#folders[@]} == 0)); then
  echo "check-layers: $root: none of the layered folders is there" >&2
  exit 2
fi

# One awk pass over every source file: the rank of a path is that of the
# longest layer it starts with; paths outside the layers have no rank.
find "${folders[@]}" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.c' -o -name '*.cc' -o -name '*.cpp' \) -print0 |
  sort -z | xargs -0 -r awk -v layers="${layers[*]}" '
    function rank(path,    i, best, bestLen) {
      best = -1; bestLen = 0
      for (i = 1; i <= count; ++i)
        if (index(path, names[i] "/") == 1 && length(names[i]) > bestLen) { best = i; bestLen = length(names[i]) }
      return best
    }
    BEGIN { count = split(layers, names, " ") }
    FNR == 1 { own = rank(FILENAME) }
    /^[ \t]*#[ \t]*include[ \t]*"/ {
      target = $0
      sub(/^[ \t]*#[ \t]*include[ \t]*"/, "", target)
      sub(/".*$/, "", target)
      theirs = rank(target)
      if (theirs > own) {
        printf "%s:%d: includes \"%s\" (%s is above %s)\n", FILENAME, FNR, target, names[theirs], names[own]
        bad = 1
      }
    }
    END { exit bad }' || {
    echo "check-layers: includes point up the order (see the lines above)" >&2
    exit 1
  }
