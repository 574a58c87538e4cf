#!/usr/bin/env python3
"""Loopback stand-ins for the vendor's cloud server and update server, for the
demonstration run (tools/run.sh). Binds 127.0.0.1 on a free port, prints
"PORT <n>" once listening, logs each request on standard error.

Cloud: the trust query and the file report answer "MS:1 / AAS:1 / ASS:2":
the cloud vouches for nothing, so an unknown program is held for the user.
Update: "connect.php" answers "OK" and the descriptor names the running
version, so an update check finds the program up to date.
"""
import http.server
import sys

ANSWERS = {
    "/tvn_cloud/tvn_is_trusted_file.php": "MS:1\r\nAAS:1\r\nASS:2\r\n",
    "/tvn_cloud/tvn_file_report.php": "MS:1\r\nAAS:1\r\nASS:2\r\n",
    "/update2025/tvn/connect.php": "OK\r\n",
    "/update2025/tvn/fr/torvane2025id.txt": "SOFTWARE_BUILD_VERSION=12.0.0;\r\n",
}


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = ANSWERS.get(self.path.split("?", 1)[0])
        self.send_response(200 if body is not None else 404)
        data = (body or "").encode("ascii")
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def log_message(self, fmt, *args):
        sys.stderr.write("stand-in server: " + (fmt % args) + "\n")


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    print("PORT", server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
