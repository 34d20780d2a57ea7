#!/usr/bin/env bash
# The bash completion as an interactive shell runs it: commands and options from qlvtool's own
# help, file names by the extension the argument's place implies.
#   check-bash-completion.sh COMPLETION_FILE QLVTOOL
set -uo pipefail
completion=$1 tool=$2
source /usr/share/bash-completion/bash_completion
source "$completion"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/files"
ln -s "$tool" "$work/bin/qlvtool"
PATH="$work/bin:$PATH"
cd "$work/files"
touch remote.qlv image.bin notes.txt

failed=0
expect() {
    local want=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _qlvtool
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
    if [[ $got != "$want" ]]; then
        echo "FAIL: [$*] completes to [$got], not [$want]" >&2
        failed=1
    fi
}
expect "decode" qlvtool de
expect "list" qlvtool li
expect "remote.qlv" qlvtool compile ""
expect "image.bin" qlvtool compile remote.qlv ""
expect "image.bin" qlvtool import ""
expect "--port --port-map" qlvtool download remote --por
expect "COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8" qlvtool send remote 1 --port CO
expect "--force --help --quiet" qlvtool new --
exit $failed
