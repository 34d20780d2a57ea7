#!/usr/bin/env bash
# Starts k817t-sim, maps COM1 to it in the ports.ini beside the executables, and runs QLV on
# it (or, while there is no window, waits for qlvtool commands until Ctrl+C). Stopping QLV
# stops the simulator, and the ports.ini that was there before is put back.
#
#   tools/run-simulator.sh [SIMULATOR OPTIONS...]     e.g. --pace, --busy, --late 500
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bin="$top/build/bin"
sim="$bin/k817t-sim"
[[ -x "$sim" ]] || { echo "run-simulator: build first (no $sim)" >&2; exit 1; }
[[ -w "$bin" ]] || { echo "run-simulator: $bin is not writable; QLV keeps ports.ini in its config folder then" >&2; exit 1; }

ports="$bin/ports.ini"
link="$bin/ttyK817T"
saved=""
if [[ -e "$ports" ]]; then
    saved=$(mktemp)
    cp -p "$ports" "$saved"
fi
out=$(mktemp)

"$sim" --eeprom "$bin/k817t-sim-eeprom.bin" --link "$link" "$@" >"$out" &
sim_pid=$!

cleanup() {
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    if [[ -n "$saved" ]]; then mv "$saved" "$ports"; else rm -f "$ports"; fi
    rm -f "$out"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

for _ in $(seq 50); do
    [[ -s "$out" ]] && break
    sleep 0.1
done
[[ -s "$out" ]] || { echo "run-simulator: k817t-sim did not start" >&2; exit 1; }

# COM1 goes to the simulator; any other entries of an existing file stay.
{
    echo "[PORTS]"
    echo "COM1=$link"
    if [[ -n "$saved" ]]; then
        grep -v -i -e '^\[PORTS\]' -e '^COM1=' "$saved" || true
    fi
} >"$ports.new"
mv "$ports.new" "$ports"
echo "run-simulator: K-817T simulator on $(head -1 "$out"), COM1 -> $link"

if [[ -x "$bin/qlv" ]]; then
    "$bin/qlv"
else
    echo "run-simulator: no window yet; try for instance"
    echo "    $bin/qlvtool learn PROJECT 1 --port COM1"
    echo "    $bin/qlvtool download PROJECT --port COM1"
    echo "run-simulator: Ctrl+C stops the simulator"
    wait "$sim_pid"
fi
