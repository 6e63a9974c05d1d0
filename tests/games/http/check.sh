#!/usr/bin/env bash
# HTTP requests against a server the check starts on 127.0.0.1 and stops.
. "$(dirname "$0")/../lib.sh"
cp -r "$GAME" "$WORK/game"
GAME="$WORK/game"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$WORK/key.pem" -out "$WORK/cert.pem" -days 2 \
  -subj "/CN=127.0.0.1" >/dev/null 2>&1 || fail "no certificate made"
python3 "$(dirname "$0")/../../tools/http_server.py" "$WORK/ports" "$WORK/cert.pem" "$WORK/key.pem" &
SERVER=$!
trap 'kill $SERVER 2>/dev/null; rm -rf "$WORK"' EXIT
for _ in $(seq 100); do [ -s "$WORK/ports" ] && break; sleep 0.05; done
read -r PORT SECURE CLOSED <"$WORK/ports" || fail "the server did not start"
printf 'PORT = %d\nSECURE = %d\nCLOSED = %d\n' "$PORT" "$SECURE" "$CLOSED" >"$GAME/data/ports.lua"
run_game --frames 100000000
expect_status 0
expect_line "3	ids: 1 2 3 4 5 6"
expect_line "3	post values: true true"
expect_line "3	post started: true"
expect_line "3	value after end: false"
expect_line "3	first status: busy busy"
expect_line "3	unknown: error nil false"
expect_line "3	hello: ok hello world"
expect_line "3	slow: ok first part and the rest"
expect_line "3	partial seen: true"
expect_line "3	post: ok a%20b=x%26y%3Dz&n=1"
expect_line "3	auth: ok Basic dXNlcjo="
expect_line "3	agent: ok tarn-engine"
expect_line "3	dropped: error"
grep -q "^3	refused: error Failed to connect" "$OUT" || fail "a refused connection is not an error"
expect_line "3	big: error Failed: the answer is larger than 100000 bytes"
grep -q "^3	secure: error SSL certificate problem" "$OUT" || fail "an untrusted certificate is not an error"
grep -q "^3	file: error " "$OUT" || fail "a file address was fetched"
grep -q "^3	stall: error Operation too slow" "$OUT" || fail "a stalled transfer did not end"
expect_line "3	frames while stalled: many"
expect_line "3	released: true error"
expect_line "open	https://example.com/page"
expect_no_line "open	file:///etc/passwd"
expect_line "2	URL name is empty!"
expect_line "3	open empty: false"
finish
