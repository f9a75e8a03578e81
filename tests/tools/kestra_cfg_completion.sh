#!/usr/bin/env bash
# kestra-cfg's bash completion, sourced into bash and asked for completions as bash asks: the
# words of the command line in COMP_WORDS, the cursor's word in COMP_CWORD.
# kestra_cfg_completion.sh COMPLETION_FILE KESTRA_CFG
set -uo pipefail
export LC_ALL=C
# shellcheck source=/dev/null
source "$1"
program=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir -p cards/one cards/two "my folder"
touch a.cfg b.cfg notes.txt map.csv values.json

failures=0
# expect NAME EXPECTED WORD...: the completions of the command line `kestra-cfg WORD...`, the
# last word being the one under the cursor, sorted and joined by "|".
expect() {
    local name=$1 expected=$2 got
    shift 2
    COMP_WORDS=("$program" "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _kestra_cfg 2>/dev/null
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | paste -sd'|')
    if [[ $got == "$expected" ]]; then
        echo "PASS: $name"
    else
        echo "FAIL: $name: got '$got', expected '$expected'"
        failures=$((failures + 1))
    fi
}

expect "commands" "--help|--version|cards|convert|deploy|diff|factory|set|show" ""
expect "commands by their start" "deploy|diff" d
expect "the options of deploy" \
    "--all-cards|--count|--date-time|--dry-run|--each-inserted|--folder|--help|--json|--keep-labels|--labels|--log|--quiet" deploy --
expect "the options of cards" "--help|--json" cards -
expect "the options of diff" "--help|--json" diff -
expect "the options of set" "--from|--help|--json" set a.cfg --
expect "settings files and folders" "a.cfg|b.cfg|cards|my folder" show ""
expect "both files of diff" "a.cfg|b.cfg|cards|my folder" diff a.cfg ""
expect "a label map" "cards|map.csv|my folder" deploy a.cfg --labels ""
expect "a log" "cards|map.csv|my folder" deploy a.cfg --dry-run --log ""
expect "cards are folders" "cards|my folder" deploy a.cfg ""
expect "cards inside a folder" "cards/one|cards/two" deploy a.cfg cards/
expect "a card after an option's value" "cards" deploy a.cfg --log log.csv c
expect "no guess at the date" "" deploy a.cfg --date-time ""
expect "no guess at the count" "" deploy a.cfg --each-inserted --count ""
expect "the file set changes" "a.cfg|b.cfg|cards|my folder" set ""
expect "setting names" "pictures-per-trigger=" set a.cfg pictures-p
expect "a second setting" "internal-trigger=" set a.cfg label = X int
expect "values of a setting" "advanced|aggressive" set a.cfg quickset = a
expect "values, the cursor right after =" "advanced|aggressive|conservative|normal" \
    set a.cfg quickset =
expect "only the values that are words" "always|never" set a.cfg trigger-schedule = ""
expect "values as JSON" "cards|my folder|values.json" set a.cfg --from ""

complete -p kestra-cfg >/dev/null 2>&1 || {
    echo "FAIL: the completion is not registered for kestra-cfg"
    failures=$((failures + 1))
}
exit $((failures > 0))
