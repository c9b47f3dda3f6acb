#!/usr/bin/env python3
"""Serves a folder on 127.0.0.1 (any static server does for the page; this
one also names .wasm and .data files right and keeps quiet).

    serve.py FOLDER PORT
"""
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".data": "application/octet-stream",
                      ".js": "text/javascript"}

    def log_message(self, *args):
        pass


def main():
    folder, port = sys.argv[1], int(sys.argv[2])
    handler = functools.partial(Handler, directory=folder)
    with http.server.ThreadingHTTPServer(("127.0.0.1", port), handler) as server:
        server.serve_forever()


if __name__ == "__main__":
    main()
