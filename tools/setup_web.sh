#!/bin/sh
# Installs the Debian packages the browser build and its tests need besides
# the project's own: emscripten (em++ and its SDL), headless chromium and the
# DevTools client. Only what is missing is installed.
exec "$(dirname "$0")/setup.sh" emscripten chromium python3-websocket
