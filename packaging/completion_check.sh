#!/usr/bin/env bash
# What the bash completion offers at a few places of a command line: bash completion_check.sh FILE
set -u
source "$1"
status=0
expect() {  # expect "words typed" "offered"
  local typed="$1" want="$2"
  read -ra COMP_WORDS <<<"$typed"
  [[ $typed == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  _kurvilon
  local got="${COMPREPLY[*]-}"
  if [[ $got != "$want" ]]; then
    echo "completion of '$typed': got '$got', want '$want'" >&2
    status=1
  fi
}
cd "$(mktemp -d)" || exit 1
expect "kurvilon f" "fit"
expect "kurvilon --h" "--help"
expect "kurvilon fit --ki" "--kind="
expect "kurvilon fit --kind=q" "quadratic"
expect "kurvilon fit --format " "text tsv json"
expect "kurvilon fit --lang=" "ru en"
expect "kurvilon fit --full" "--full-precision"
expect "kurvilon fit --at " ""
expect "kurvilon c" "chart"
expect "kurvilon r" "report"
expect "kurvilon chart --o" "--output="
expect "kurvilon report --kind=c" "cubic"
expect "kurvilon report --f" ""
exit $status
