#!/usr/bin/env bash
# Idle cost of the tray program: starts it hidden (offscreen, a private network
# namespace, temporary settings and program folders), lets it settle, then
# prints the CPU time it used while idle and its resident memory.
#   tools/bench-idle.sh [BUILD_DIR] [SECONDS]   (default build, 600)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
seconds=${2:-600}
if [ "${ORVELL_IN_NETNS:-}" != 1 ]; then
    flags=(-n)
    [ "$(id -u)" -eq 0 ] || flags=(-r -n)
    exec unshare "${flags[@]}" env ORVELL_IN_NETNS=1 "$0" "$build" "$seconds"
fi
ip link set lo up
work=$(mktemp -d "${TMPDIR:-/tmp}/orvell-idle.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/program" "$work/config"
cp "$build/bin/orvell-backup" "$work/program/"
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" ORVELL_INSTANCE_LOCK="$work/lock" \
    "$work/program/orvell-backup" /hide >/dev/null 2>&1 &
pid=$!
ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
sleep 5 # start-up
start=$(cpu)
sleep "$seconds"
end=$(cpu)
rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
hwm=$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status")
kill "$pid"
wait "$pid" 2>/dev/null || true
awk -v a="$start" -v b="$end" -v t="$ticks" -v s="$seconds" -v r="$rss" -v h="$hwm" 'BEGIN {
    printf "start-up CPU: %.2f s\n", a / t
    printf "idle for %d s: CPU %.2f s beyond start-up (goal under 0.2 s)\n", s, (b - a) / t
    printf "resident memory: %.1f MB (peak %.1f MB; goal under 60 MB)\n", r / 1024, h / 1024
}'
