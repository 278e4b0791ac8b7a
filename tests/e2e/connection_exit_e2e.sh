#!/usr/bin/env bash
# Leaving while Test Connection waits: the database server takes the
# connection and never answers; the operator presses File > Test Connection
# and at once File > Exit. The window goes, and the program ends cleanly
# once the driver gives up (its 10-second login timeout), never crashing
# inside it (under the sanitizers, a leak or an error fails the exit status).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

mkdir -p "$XDG_CONFIG_HOME/Welcora/ODBC"
printf 'ZentaroSilent' >"$XDG_CONFIG_HOME/Welcora/ODBC/UserDBDatasource"
printf 'acct' >"$XDG_CONFIG_HOME/Welcora/ODBC/UserDBLoginUser"
printf 'x' >"$XDG_CONFIG_HOME/Welcora/ODBC/UserDBLoginPasswd"

"$bin/silent-server" >"$work/server.log" 2>&1 &
server=$!
pids+=("$server")
for _ in $(seq 1 50); do
    grep -q listening "$work/server.log" && break
    kill -0 "$server" 2>/dev/null || fail "the silent server did not start: $(cat "$work/server.log")"
    sleep 0.1
done

start_welcora
key alt+f t                         # File, Test Connection
for _ in $(seq 1 100); do
    grep -q 'a client came' "$work/server.log" && break
    sleep 0.1
done
grep -q 'a client came' "$work/server.log" || fail "Test Connection did not reach the server"
key alt+f                           # File, Exit, while it waits
key Up Return
for _ in $(seq 1 30); do
    xdotool search --onlyvisible --pid "$welcora_pid" --name '^Welcora V2.0 Setting$' >/dev/null 2>&1 || break
    sleep 0.1
done
xdotool search --onlyvisible --pid "$welcora_pid" --name '^Welcora V2.0 Setting$' >/dev/null 2>&1 &&
    fail "the window stayed while the connection was under way"
wait_for_exit
echo "PASS: leaving during Test Connection closes the window at once and ends the program cleanly"
