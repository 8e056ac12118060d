#!/usr/bin/env bash
# Runs the backup pass benchmark inside a private network namespace with only
# loopback (the simulator listens on 127.0.0.1 alone, but nothing should be
# able to reach a real network). Arguments after the build folder go to the
# benchmark, e.g. bench/run.sh build --rounds 7.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
if [ "${ORVELL_IN_NETNS:-}" != 1 ]; then
    flags=(-n)
    [ "$(id -u)" -eq 0 ] || flags=(-r -n)
    if ! unshare "${flags[@]}" true 2>/dev/null; then
        echo "bench: cannot create a private network namespace (unshare ${flags[*]} refused)" >&2
        exit 3
    fi
    exec unshare "${flags[@]}" env ORVELL_IN_NETNS=1 "$0" "$build" "$@"
fi
ip link set lo up
cmake --build "$build" --target orvell-bench-pass >/dev/null
exec "$build/bin/orvell-bench-pass" "$@"
