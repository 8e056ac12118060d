#!/usr/bin/env bash
# Runs every test inside a private network namespace that has only loopback,
# so no test can reach a real network.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ "${ORVELL_IN_NETNS:-}" != 1 ]; then
    flags=(-n)
    [ "$(id -u)" -eq 0 ] || flags=(-r -n)
    if ! unshare "${flags[@]}" true 2>/dev/null; then
        echo "run-tests: cannot create a private network namespace (unshare ${flags[*]} refused); refusing to run tests outside one" >&2
        exit 3
    fi
    exec unshare "${flags[@]}" env ORVELL_IN_NETNS=1 "$0" "$@"
fi
ip link set lo up
cd "$build"
ctest --output-on-failure --timeout 600 -j2
