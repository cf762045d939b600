#!/usr/bin/env bash
# Checks that need no build: the layers include only downwards, nothing below src/ui includes Qt,
# and every C++ file is formatted by .clang-format. Prints each fault; exit 1 when there is one.
set -uo pipefail
cd "$(dirname "$0")/.."

# What each directory of src/ may include besides itself:
#   ui -> app -> {net, session} -> {gammascout, records, settings, model, chart, serial, scan}
#   -> base; the programs cli (the core without windows) and sim (on its own, beside base).
declare -A allowed=(
  [base]=""
  [scan]="base"
  [serial]="base"
  [chart]="base"
  [model]="base scan serial chart settings records gammascout"
  [settings]="base scan serial chart model records gammascout"
  [records]="base scan serial chart model settings gammascout"
  [gammascout]="base scan serial chart model settings records"
  [session]="base scan serial chart model settings records gammascout net"
  [net]="base scan serial chart model settings records gammascout session"
  [app]="base scan serial chart model settings records gammascout session net"
  [ui]="base scan serial chart model settings records gammascout session net app"
  [cli]="base scan serial chart model settings records gammascout session net app"
  [sim]="base"
)

faults=0
fault() {
  echo "$1"
  faults=$((faults + 1))
}

while IFS= read -r file; do
  layer=${file#src/}
  layer=${layer%%/*}
  if [ -z "${allowed[$layer]+set}" ]; then
    fault "$file: src/$layer/ is not a known layer (add it to scripts/check_source.sh)"
    continue
  fi
  while IFS=: read -r line target; do
    dir=${target%%/*}
    [ "$dir" = "$layer" ] && continue
    # Only our own headers have a directory of src/ in front (generated ones have none).
    [ -d "src/$dir" ] || continue
    case " ${allowed[$layer]} " in
      *" $dir "*) ;;
      *) fault "$file:$line: src/$layer/ must not include $target" ;;
    esac
  done < <(grep -n -oP '^\s*#\s*include\s*"\K[^"]+' "$file")
  if [ "$layer" != ui ]; then
    while IFS=: read -r line target; do
      fault "$file:$line: only src/ui/ includes Qt ($target)"
    done < <(grep -n -oP '^\s*#\s*include\s*<\K(Q|qt)[^>]*' "$file")
  fi
done < <(find src -name '*.cpp' -o -name '*.h' | sort)

format=$(find src tests bench fuzz tools -name '*.cpp' -o -name '*.h' 2>/dev/null | sort |
         xargs clang-format --dry-run -Werror 2>&1 |
         grep -oP '^[^:]+(?=:\d+:\d+: error:)' | sort -u)
for file in $format; do
  fault "$file: not formatted (clang-format -i $file)"
done

if [ "$faults" -gt 0 ]; then
  echo "check_source: $faults fault(s)"
  exit 1
fi
echo "check_source: layers and formatting in order"
