#!/usr/bin/env bash
# Fails when a source of the application server or of the shared component library includes a header
# from a folder it may not use. Each folder of appserver/ and host/kit/ is a layer that sees only
# itself and the folders named for it below (the order in docs/layout.md); a source outside these
# folders fails too, so nothing escapes the check.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A may_use=(
  [appserver/diag]=""
  [appserver/store]=""
  [appserver/auth]="appserver/store appserver/diag"
  [appserver/rpc]="appserver/auth appserver/store appserver/diag"
  [appserver/http]="appserver/rpc appserver/auth appserver/store appserver/diag"
  [appserver/ops]="appserver/http appserver/rpc appserver/auth appserver/store appserver/diag"
  [host/kit/core]=""
  [host/kit/net]="host/kit/core"
  [host/kit/sql]="host/kit/core"
  [host/kit/ui]="host/kit/net host/kit/core"
)
trees=(appserver host/kit)

# The folder that holds each header, by tree: both trees have headers of the same name.
declare -A home=()
for folder in "${!may_use[@]}"; do
  for header in "$folder"/*.h; do
    [[ -e $header ]] && home[${folder%%/*}:$(basename "$header")]=$folder
  done
done

status=0 files=0 includes=0
while IFS= read -r file; do
  folder=$(dirname "$file")
  files=$((files + 1))
  if [[ ! -v may_use[$folder] ]]; then
    echo "$file: outside the layer folders (${!may_use[*]})"
    status=1
    continue
  fi
  while IFS=: read -r line header; do
    includes=$((includes + 1))
    owner=${home[${folder%%/*}:$header]:-}
    [[ -z $owner || $owner == "$folder" || " ${may_use[$folder]} " == *" $owner "* ]] && continue
    echo "$file:$line: includes $header from $owner; $folder may use only: ${may_use[$folder]:-none}"
    status=1
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
           sed -E 's|^([0-9]+):.*"([^"]*/)?([^"/]+)".*|\1:\3|')
done < <(find "${trees[@]}" -name '*.h' -o -name '*.cpp' | sort)

((status == 0)) && echo "layers hold: $files files, $includes includes checked"
exit $status
