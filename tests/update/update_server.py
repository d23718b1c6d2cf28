#!/usr/bin/env python3
"""Loopback HTTP server for the update tests: serves the files under its root and appends one
JSON line per request (method, path, user agent, accept types) to <root>/requests.log."""
import http.server
import json
import os
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        record = {
            "method": self.command,
            "path": self.path,
            "agent": self.headers.get("User-Agent", ""),
            "accept": self.headers.get("Accept", ""),
        }
        with open(os.path.join(self.server.root, "requests.log"), "a", encoding="utf-8") as log:
            log.write(json.dumps(record) + "\n")
        super().do_GET()

    def log_message(self, *args):
        pass


def main():
    port, root, ready = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    os.makedirs(root, exist_ok=True)
    handler = lambda *a, **k: Handler(*a, directory=root, **k)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    server.root = root
    with open(ready, "w") as f:
        f.write(str(server.server_address[1]))
    server.serve_forever()


if __name__ == "__main__":
    main()
