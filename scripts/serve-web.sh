#!/usr/bin/env bash
# Serves the web build (build-web/, made by scripts/build-web.sh) on this
# machine only, at 127.0.0.1, and prints the address to open. Stops on
# Ctrl+C.
#   usage: serve-web.sh [PORT [DIRECTORY]]   (default 8000 and build-web;
#                                             PORT 0 takes any free port)
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-8000}
dir=${2:-build-web}
if [ ! -d "$dir" ] || { [ $# -lt 2 ] && [ ! -f "$dir/brindlemox.wasm" ]; }; then
  echo "serve-web: no web build in $dir; make it with: bash scripts/build-web.sh" >&2
  exit 1
fi
[[ "$port" =~ ^[0-9]+$ ]] && [ "$port" -le 65535 ] || { echo "serve-web: bad port '$port'" >&2; exit 2; }
exec python3 - "$dir" "$port" <<'PYTHON'
import functools
import http.server
import sys

directory, port = sys.argv[1], int(sys.argv[2])


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript"}

    def end_headers(self):
        # Each load gets the files as they are now, after a rebuild too.
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def log_message(self, format, *args):
        pass


try:
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", port), functools.partial(Handler, directory=directory))
except OSError as error:
    raise SystemExit(f"serve-web: cannot listen on 127.0.0.1:{port}: {error.strerror}")
print(f"Brindlemox is served at http://127.0.0.1:{server.server_address[1]}/", flush=True)
try:
    server.serve_forever()
except KeyboardInterrupt:
    pass
PYTHON
