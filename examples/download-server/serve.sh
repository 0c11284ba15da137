#!/bin/sh
# Serves this sample download server on loopback for the demo lobby: the version files, the
# versions list, the server's update.ini and the game's files in both versions.
#   examples/download-server/serve.sh [PORT]    (default 18090)
# Point the installation's "Client.ini" at it: ver_url and download_url http://127.0.0.1:PORT/
set -eu
port=${1:-18090}
cd "$(dirname "$0")"
exec python3 -m http.server --bind 127.0.0.1 --directory . "$port"
