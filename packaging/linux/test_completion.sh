#!/usr/bin/env bash
# Checks kestrune-cli's bash completion against a table of command lines.
#   test_completion.sh COMPLETION_FILE
set -uo pipefail
source /usr/share/bash-completion/bash_completion
source "$1"

failures=0
# check "LINE" "EXPECTED": LINE is completed at its end (a trailing space
# starts a new word); EXPECTED is the sorted list of offers.
check() {
  local line=$1 want=$2
  COMP_LINE=$line
  COMP_POINT=${#line}
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _kestrune_cli kestrune-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
  if [[ $got != "$want" ]]; then
    echo "FAIL: '$line' offers '$got', expected '$want'"
    failures=$((failures + 1))
  fi
}

check "kestrune-cli st" "start status"
check "kestrune-cli re" "report-url restore"
check "kestrune-cli apply --" "--dry-run --help --no-start --start --verbose --version"
check "kestrune-cli clear --y" "--yes"
check "kestrune-cli set tex" "texture"
check "kestrune-cli set fps" "fps-limit"
check "kestrune-cli set texture 3 vi" "video-memory view"
check "kestrune-cli set memory " "off on"
check "kestrune-cli set fov " ""
check "kestrune-cli -v sh" "show"
check "kestrune-cli backups " ""

[ $failures -eq 0 ] && echo "completion: all cases pass"
exit $((failures > 0))
