#!/usr/bin/env bash
# The shell-driven tests say why they fail. Each script under tests/ that stops at its
# first failing command (set -e) traps ERR to print the line, the command and its status,
# so that no failure ends it without a word; and none searches a pipeline's output with
# `grep -q` or cuts it with `head`: under pipefail such a pipeline fails whenever the
# reader has what it wants and leaves before the writer is done (the writer dies of
# SIGPIPE), which set -e turns into a silent exit at random.
#
#   tests/scripts/check.sh <source-dir>
set -Eeuo pipefail
trap 'status=$?; echo "tests/scripts/check.sh:$LINENO: \"$BASH_COMMAND\" failed with status $status" >&2' ERR
source=$1
problems=0
while IFS= read -r -d '' script; do
  text=$(<"$script")
  name=${script#"$source"/}
  if [[ "$text" =~ (^|$'\n')set\ -[A-Za-z]*e ]] &&
     ! [[ "$text" =~ (^|$'\n')trap\ [^$'\n']*\ ERR($|$'\n') ]]; then
    echo "$name: stops at a failing command (set -e) without saying which: no ERR trap" >&2
    problems=$((problems + 1))
  fi
  line=0
  while IFS= read -r code; do
    line=$((line + 1))
    [[ "$code" =~ ^[[:space:]]*# ]] && continue
    if [[ "$code" =~ \|[[:space:]]*(grep[[:space:]]+(-[A-Za-z]*q[A-Za-z]*|--quiet)|head)([[:space:]]|$) ]]; then
      echo "$name:$line: a pipeline into '${BASH_REMATCH[1]}' fails at random under pipefail: $code" >&2
      problems=$((problems + 1))
    fi
  done <<<"$text"
done < <(find "$source/tests" -name '*.sh' -print0)
[ "$problems" -eq 0 ] || { echo "$problems problem(s) in the test scripts" >&2; exit 1; }
echo "test scripts: every one that stops at a failure says why, and no pipeline fails at random"
