#!/usr/bin/env bash
# Starts k817t-sim, maps COM1 to it in the ports.ini QLV reads (beside the executables, or in
# ~/.config/QLV when that folder is not writable, as QLV itself chooses), and runs QLV on it;
# without a display it waits for qlvtool commands until Ctrl+C instead. Stopping QLV stops the
# simulator, and the ports.ini that was there before is put back.
#
#   tools/run-simulator.sh [SIMULATOR OPTIONS...]     e.g. --pace, --busy, --late 500
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bin="$top/build/bin"
sim="$bin/k817t-sim"
[[ -x "$sim" ]] || { echo "run-simulator: build first (no $sim)" >&2; exit 1; }

folder="$bin"
if [[ ! -w "$bin" ]]; then
    folder="${XDG_CONFIG_HOME:-$HOME/.config}/QLV"
    mkdir -p "$folder"
fi
ports="$folder/ports.ini"
link="$folder/ttyK817T"
saved=""
if [[ -e "$ports" ]]; then
    saved=$(mktemp)
    cp -p "$ports" "$saved"
fi
out=$(mktemp)
sim_pid=""
qlv_pid=""

cleanup() {
    if [[ -n "$qlv_pid" ]]; then
        kill "$qlv_pid" 2>/dev/null || true
        wait "$qlv_pid" 2>/dev/null || true
    fi
    if [[ -n "$sim_pid" ]]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    if [[ -n "$saved" ]]; then mv "$saved" "$ports"; else rm -f "$ports"; fi
    rm -f "$out"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

"$sim" --eeprom "$folder/k817t-sim-eeprom.bin" --link "$link" "$@" >"$out" &
sim_pid=$!

for _ in $(seq 50); do
    [[ -s "$out" ]] && break
    kill -0 "$sim_pid" 2>/dev/null || break
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

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]]; then
    # In the background, so a signal to this script reaches the trap at once.
    "$bin/qlv" &
    qlv_pid=$!
    status=0
    wait "$qlv_pid" || status=$?
    qlv_pid=""
    exit "$status"
fi
port=COM1
[[ "$folder" == "$bin" ]] || port="$link"
echo "run-simulator: no display for the window; try for instance"
echo "    $bin/qlvtool learn PROJECT 1 --port $port"
echo "    $bin/qlvtool download PROJECT --port $port"
echo "run-simulator: Ctrl+C stops the simulator"
wait "$sim_pid"
