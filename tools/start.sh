#!/usr/bin/env bash
# Starts the tray program from the build folder (or $1).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
if [ ! -x "$build/bin/orvell-backup" ]; then
    echo "Built the engine and its tests; the tray program is not part of this build yet."
    exit 0
fi
exec "$build/bin/orvell-backup" "$@"
