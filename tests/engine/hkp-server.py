#!/usr/bin/env python3
"""A small HKP key server on 127.0.0.1 for the key-server tests, started and stopped by the test.

GnuPG does the searching over a copy of a key ring: GET /pks/lookup?op=get&search=TEXT answers the
armoured keys gpg exports for TEXT (an address, a part of a user id or a key id), 404 when it has
none; the search "not-a-key" answers a web page instead of keys, and "silent" is never answered
(the connection stays open until the server ends). GET /quit ends the server, which
also ends by itself after a while. The port it listens on is written to PORT_FILE.
Usage: hkp-server.py KEY_RING PORT_FILE
"""
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

LIFETIME_SECONDS = 300


def gpg(home, *arguments):
    return subprocess.run(["gpg", "--homedir", home, "--batch", "--yes", *arguments],
                          capture_output=True).stdout


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        if url.path == "/quit":
            self.answer(200, "text/plain", b"bye")
            threading.Thread(target=self.server.shutdown).start()
            return
        query = urllib.parse.parse_qs(url.query)
        search = query.get("search", [""])[0]
        if url.path != "/pks/lookup" or query.get("op", [""])[0] != "get" or not search:
            self.answer(501, "text/plain", b"Not implemented")
        elif search == "silent":
            time.sleep(LIFETIME_SECONDS)
        elif search == "not-a-key":
            self.answer(200, "text/html", b"<html><body>Search the keys here.</body></html>")
        else:
            keys = gpg(self.server.home, "--armor", "--export", "--", search)
            if keys:
                self.answer(200, "application/pgp-keys", keys)
            else:
                self.answer(404, "text/plain", b"No keys found")

    def answer(self, status, kind, body):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *arguments):
        pass


def main():
    ring, port_file = sys.argv[1], sys.argv[2]
    home = tempfile.mkdtemp(prefix="zavek-hkp-")
    try:
        gpg(home, "--import", ring)
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        server.home = home
        threading.Timer(LIFETIME_SECONDS, server.shutdown).start()
        with open(port_file + ".part", "w") as out:
            out.write(str(server.server_address[1]))
        os.replace(port_file + ".part", port_file)
        server.serve_forever()
    finally:
        subprocess.run(["gpgconf", "--homedir", home, "--kill", "all"], capture_output=True)
        shutil.rmtree(home, ignore_errors=True)
        os._exit(0)


main()
