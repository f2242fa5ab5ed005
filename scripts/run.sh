#!/usr/bin/env bash
# Builds the program and starts it against the stand-in server with fresh sample data:
# press "Bağlan" to see the company databases. The server stops when the program exits.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset normal >/dev/null
cmake --build --preset normal -j "$(nproc)"

root="$PWD"
demo="$root/demo"
mkdir -p "$demo"
rm -f "$demo/port"
build/normal/standin/kuzstandin --create-sample "$demo/data"
password='Demo.2026!'
build/normal/standin/kuzstandin --data "$demo/data" --login "sa:$password" \
    --port-file "$demo/port" --log "$demo/server.log" >/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$demo/port" ] && break; sleep 0.1; done
port=$(cat "$demo/port")

# The demo folder's settings file points the program at the stand-in.
printf '[MSSQL]\r\nYetkilendirme=SQL Yetkilendermesi\r\nSunucu=127.0.0.1,%s\r\nKullanici=sa\r\nParola=%s\r\nNO=%s\r\n' \
    "$port" "$password" "$(date +%Y)" > "$demo/KUZUtilSQL.INI"
chmod 600 "$demo/KUZUtilSQL.INI"
echo "stand-in server on 127.0.0.1:$port (login sa / $password), data in $demo/data"
cd "$demo"
"$root/build/normal/app/KUZUtilSQL"
