#!/usr/bin/env bash
# Try the program without a SQL Server: starts the project's simulator on
# loopback and the tray program with one sample task that is due at once, in a
# private network namespace (nothing leaves this machine), with its own
# temporary settings and program folders. The first check comes after one
# minute; the grid then shows "Успешно выполнено" and a backup file appears
# under the trial folder. Close the program with the tray menu's "Выход".
#   tools/try-it.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
for program in orvell-backup orvell-sqlsim; do
    if [ ! -x "$build/bin/$program" ]; then
        echo "try-it: $build/bin/$program is missing; build first (tools/build.sh)" >&2
        exit 2
    fi
done

if [ "${ORVELL_IN_NETNS:-}" != 1 ]; then
    flags=(-n)
    [ "$(id -u)" -eq 0 ] || flags=(-r -n)
    if ! unshare "${flags[@]}" true 2>/dev/null; then
        echo "try-it: cannot create a private network namespace (unshare ${flags[*]} refused)" >&2
        exit 3
    fi
    exec unshare "${flags[@]}" env ORVELL_IN_NETNS=1 "$0" "$build"
fi
ip link set lo up

trial=$(mktemp -d "${TMPDIR:-/tmp}/orvell-trial.XXXXXX")
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    echo "try-it: the trial's files stay in $trial"
}
trap cleanup EXIT

# The program keeps Settings.ini and Backup.log beside itself: give it a folder of its own.
mkdir -p "$trial/program" "$trial/config" "$trial/server/Backups"
cp "$build/bin/orvell-backup" "$trial/program/"

# The simulator, on a free loopback port.
"$build/bin/orvell-sqlsim" --port 0 --login sa:Secret#1 --database Sales --root "$trial/server" \
    >"$trial/sqlsim.out" 2>&1 &
sim_pid=$!
port=""
for _ in $(seq 50); do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$trial/sqlsim.out")
    [ -n "$port" ] && break
    sleep 0.1
done
if [ -z "$port" ]; then
    echo "try-it: the simulator did not start:" >&2
    cat "$trial/sqlsim.out" >&2
    exit 1
fi
server="127.0.0.1,$port"

# Settings: check every minute, the simulator as the server, SQL Server logon.
mkdir -p "$trial/config/Software"
cat >"$trial/config/Software/Orvell Backup for MS SQL Server.conf" <<CONF
[General]
Interval=1
Server="$server"
typeNT=0
name=sa
CONF

# One task: database Sales, daily at 00:00, never run yet, so due at the first check.
connect="Provider=SQLOLEDB.1|Password=Secret#1|Persist Security Info=False|User ID=sa|Initial Catalog=master|Data Source=$server"
line="Sales;0;0;;insert_new_task;C:\\Backups\\;Type1;1;0;0;;0;;;0;-1;0;$server;$connect;"
# The task file is enciphered: byte i plus the digit (i + 1) mod 10 of the key, then a plain CR LF.
python3 - "$trial/program/Settings.ini" "$line" <<'PY'
import sys
key = b"7316048529"
text = sys.argv[2].encode()
data = bytes((b + key[(i + 1) % 10]) % 256 for i, b in enumerate(text))
open(sys.argv[1], "wb").write(data + b"\r\n")
PY

echo "try-it: simulator on $server; backups go to $trial/server/Backups"
echo "try-it: the first check runs one minute after start"
XDG_CONFIG_HOME="$trial/config" ORVELL_INSTANCE_LOCK="$trial/instance.lock" "$trial/program/orvell-backup" || true
echo "try-it: journal:"
cat "$trial/program/Backup.log" 2>/dev/null || echo "(no journal yet)"
ls -l "$trial/server/Backups"
