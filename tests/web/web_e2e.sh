#!/usr/bin/env bash
# The page end to end in headless Chromium: serves build-web/site on a free
# local port, installs the locked puppeteer-core into the build folder, and
# runs web_e2e.js RUNS times (default 1).
#   web_e2e.sh BUILD_WEB SCREEN_CHECK PALETTE_BMP REPLAY [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
site=$(cd "$1/site" && pwd)
check=$(realpath "$2") palette=$(realpath "$3") replay=$(realpath "$4") runs=${5:-1}
modules=$(realpath "$1")/e2e
if ! cmp -s "$here/package-lock.json" "$modules/package-lock.json" 2>/dev/null; then
    rm -rf "$modules" && mkdir -p "$modules"
    cp "$here/package.json" "$here/package-lock.json" "$modules/"
    (cd "$modules" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error >/dev/null)
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-web-e2e.XXXXXX")
port_file=$work/port
python3 -c '
import http.server, socketserver, sys, functools
class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass
handler = functools.partial(Quiet, directory=sys.argv[1])
with socketserver.TCPServer(("127.0.0.1", 0), handler) as server:
    open(sys.argv[2], "w").write(str(server.server_address[1]))
    server.serve_forever()
' "$site" "$port_file" &
server=$!
trap 'kill $server 2>/dev/null; wait 2>/dev/null; [ "${passed:-0}" = 1 ] && rm -rf "$work" || echo "web e2e: files kept in $work" >&2' EXIT
for _ in $(seq 100); do [ -s "$port_file" ] && break; sleep 0.05; done
url="http://127.0.0.1:$(cat "$port_file")/"
for ((run = 1; run <= runs; run++)); do
    rm -rf "$work/run" && mkdir -p "$work/run"
    NODE_PATH=$modules/node_modules node "$here/web_e2e.js" "$url" "$check" "$palette" "$replay" \
        "$work/run"
done
passed=1
