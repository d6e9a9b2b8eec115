#!/usr/bin/env python3
"""Local HTTP(S) server for the transfer tests (python3 standard library only).

Listens on 127.0.0.1 only, on a free port; the first line on stdout is the port number.
Requests are logged on stderr. The server ends when stdin closes, so it never outlives the
test process that started it.

Routes:
  /ok                      200 "hello world" (text/plain)
  /status/<code>           that status with a one-line body (404 gives "Not Found")
  /redirect/<n>            302 to /redirect/<n-1>; /redirect/0 is a 200 with X-Final: yes
  /loop                    302 to itself, for ever
  /cookies                 200 with two Set-Cookie headers
  /echo                    200, JSON of the request: method, path, headers, body (latin-1)
  /large?size=N            N bytes of a repeating pattern, with Content-Length
  /slow?chunks=N&delay=S   N chunks of "chunk-<i>\\n", S seconds apart (chunked)
  /close-mid-body          chunked, half a body, then the connection closes
  /wrong-length            Content-Length 1000, 500 bytes, then the connection closes
  /stall?seconds=S         headers and a few bytes, then silence for S seconds
  /drip?every=S            chunked, two bytes every S seconds, for as long as the client listens
  /silent?seconds=S        reads the request and answers nothing for S seconds (default 600)
  /large-chunked?size=N    N bytes of the /large pattern, chunked, without Content-Length

With --mute the server accepts connections and never reads or writes anything: not even a TLS
handshake completes against it.
  /modified                Last-Modified in 2001; 304 when If-Modified-Since is later
  PROPFIND /dav-slow/<S>/… a good 207 multistatus for the path after S seconds
  PROPFIND /dav-cut/…      a 207 whose body breaks off halfway (the connection closes)
  /d/<name>                the file <name> of the --files folder (404 when missing); with
                           --auth user:password only for a request that sends those;
                           ?delay=S answers after S seconds
  /beacon/<name>           a resource for a web page, told by the name's suffix: .png a one-pixel
                           picture, .css an empty style sheet, .js an empty script, anything else
                           404; every visit is one "GET /beacon/<name>" line of the log, so a test
                           counts what a page fetched

PROPFIND (WebDAV listings, for the online-disk tests; any user and password):
  /dav-entities/...        a multistatus with a DOCTYPE declaring a 200 KB entity that the
                           answer references 20,000 times (4 GB once expanded)
  /dav-crowd/<n>/...       a multistatus of the folder and n files "file-000001.txt" ...
                           (chunked)
"""
import argparse
import base64
import json
import os
import socket
import ssl
import sys
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit, parse_qs

from server_lifetime import end_with_stdin

PATTERN = bytes(range(256))
PIXEL_PNG = base64.b64decode(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==")
BEACON_TYPES = {".png": (PIXEL_PNG, "image/png"), ".css": (b"", "text/css"),
                ".js": (b"", "text/javascript")}
MULTISTATUS = (b'<?xml version="1.0" encoding="utf-8"?>\n'
               b'<D:multistatus xmlns:D="DAV:"><D:response><D:href>%s</D:href>'
               b'<D:propstat><D:prop><D:resourcetype><D:collection/></D:resourcetype></D:prop>'
               b'<D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>'
               b'</D:multistatus>\n')
FILES_DIR = None
AUTH = None


def pattern(size):
    whole, rest = divmod(size, len(PATTERN))
    return PATTERN * whole + PATTERN[:rest]


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "VellumcastTestServer/1.0"

    def log_message(self, fmt, *args):
        sys.stderr.write("%s %s\n" % (self.command, fmt % args))
        sys.stderr.flush()

    def send_body(self, code, body, content_type="text/plain", extra=()):
        self.send_response(code)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length else b""

    def do_HEAD(self):
        self.do_GET()

    def do_POST(self):
        self.do_GET()

    def do_PUT(self):
        self.do_GET()

    def do_PROPFIND(self):
        self.read_body()
        path = urlsplit(self.path).path
        if path.startswith("/dav-entities/"):
            entity = "x" * (200 * 1024)
            body = ('<?xml version="1.0" encoding="utf-8"?>\n'
                    '<!DOCTYPE multistatus [<!ENTITY big "%s">]>\n'
                    '<D:multistatus xmlns:D="DAV:"><D:response><D:href>%s%s</D:href>'
                    '<D:propstat><D:prop><D:resourcetype/></D:prop>'
                    '<D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>'
                    '</D:multistatus>\n') % (entity, path, "&big;" * 20000)
            self.send_body(207, body.encode(), content_type="application/xml; charset=utf-8")
        elif path.startswith("/dav-crowd/"):
            count = int(path.split("/")[2])
            self.send_multistatus(path, ("file-%06d.txt" % i for i in range(1, count + 1)))
        elif path.startswith("/dav-slow/"):
            time.sleep(float(path.split("/")[2]))
            self.send_body(207, MULTISTATUS % path.encode(), "application/xml; charset=utf-8")
        elif path.startswith("/dav-cut/"):
            body = MULTISTATUS % path.encode()
            self.send_response(207)
            self.send_header("Content-Type", "application/xml; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body[:len(body) // 2])
            self.wfile.flush()
            self.close_now()
        else:
            self.send_body(404, b"no such thing\n")

    def send_multistatus(self, folder, names):
        self.send_response(207)
        self.send_header("Content-Type", "application/xml; charset=utf-8")
        self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()

        def response(href, collection):
            kind = "<D:collection/>" if collection else ""
            length = "" if collection else "<D:getcontentlength>12</D:getcontentlength>"
            return ("<D:response><D:href>%s</D:href><D:propstat><D:prop>"
                    "<D:resourcetype>%s</D:resourcetype>%s"
                    "<D:getlastmodified>Mon, 15 Jan 2007 10:30:00 GMT</D:getlastmodified>"
                    "</D:prop><D:status>HTTP/1.1 200 OK</D:status></D:propstat></D:response>\n"
                    ) % (href, kind, length)

        def chunk(text):
            data = text.encode()
            self.wfile.write(b"%x\r\n%s\r\n" % (len(data), data))

        chunk('<?xml version="1.0" encoding="utf-8"?>\n<D:multistatus xmlns:D="DAV:">\n')
        chunk(response(folder, True))
        batch = []
        for name in names:
            batch.append(response(folder + name, False))
            if len(batch) == 1000:
                chunk("".join(batch))
                batch = []
        chunk("".join(batch) + "</D:multistatus>\n")
        self.wfile.write(b"0\r\n\r\n")

    def do_GET(self):
        parts = urlsplit(self.path)
        query = {k: v[-1] for k, v in parse_qs(parts.query).items()}
        path = parts.path
        if path == "/ok":
            self.send_body(200, b"hello world")
        elif path.startswith("/status/"):
            code = int(path.split("/")[2])
            self.send_body(code, ("status %d\n" % code).encode())
        elif path.startswith("/redirect/"):
            hops = int(path.split("/")[2])
            if hops <= 0:
                self.send_body(200, b"final", extra=[("X-Final", "yes")])
            else:
                self.send_body(302, b"moved", content_type="text/html",
                               extra=[("Location", "/redirect/%d" % (hops - 1)),
                                      ("X-Hop", str(hops)),
                                      ("Set-Cookie", "hop%d=%d; Path=/" % (hops, hops))])
        elif path == "/loop":
            self.send_body(302, b"again", extra=[("Location", "/loop")])
        elif path == "/cookies":
            self.send_body(200, b"cookies", extra=[
                ("Set-Cookie", "session=abc123; Path=/; HttpOnly"),
                ("set-cookie", "theme=dark; Path=/docs; Max-Age=60")])
        elif path == "/echo":
            body = self.read_body()
            reply = {"method": self.command, "path": self.path,
                     "headers": {k.lower(): v for k, v in self.headers.items()},
                     "body": body.decode("latin-1")}
            self.send_body(200, json.dumps(reply).encode(), "application/json")
        elif path == "/large":
            self.read_body()
            self.send_body(200, pattern(int(query.get("size", "1048576"))),
                           "application/octet-stream")
        elif path == "/slow":
            self.send_chunked_slowly(int(query.get("chunks", "5")),
                                     float(query.get("delay", "0.2")))
        elif path == "/close-mid-body":
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            self.wfile.write(b"10\r\nfirst half of it")
            self.wfile.flush()
            self.close_now()
        elif path == "/wrong-length":
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", "1000")
            self.end_headers()
            self.wfile.write(b"x" * 500)
            self.wfile.flush()
            self.close_now()
        elif path == "/stall":
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", "100")
            self.end_headers()
            self.wfile.write(b"a few bytes")
            self.wfile.flush()
            time.sleep(float(query.get("seconds", "30")))
            self.close_now()
        elif path == "/drip":
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            every = float(query.get("every", "0.5"))
            try:
                while True:
                    self.wfile.write(b"2\r\n..\r\n")
                    self.wfile.flush()
                    time.sleep(every)
            except OSError:
                self.close_connection = True
        elif path == "/silent":
            time.sleep(float(query.get("seconds", "600")))
            self.close_now()
        elif path == "/large-chunked":
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            left = int(query.get("size", "1048576"))
            block = pattern(65536)
            try:
                while left > 0:
                    part = block[:min(left, len(block))]
                    self.wfile.write(b"%x\r\n%s\r\n" % (len(part), part))
                    left -= len(part)
                self.wfile.write(b"0\r\n\r\n")
            except OSError:
                self.close_connection = True
        elif path == "/modified":
            since = self.headers.get("If-Modified-Since")
            if since:
                self.send_response(304)
                self.send_header("Content-Length", "0")
                self.end_headers()
            else:
                self.send_body(200, b"fresh",
                               extra=[("Last-Modified", "Mon, 01 Jan 2001 00:00:00 GMT")])
        elif path.startswith("/d/") and FILES_DIR and AUTH and \
                self.headers.get("Authorization") != "Basic " + AUTH:
            self.send_body(401, b"who are you?\n",
                           extra=[("WWW-Authenticate", 'Basic realm="feeds"')])
        elif path.startswith("/d/") and FILES_DIR:
            name = os.path.basename(path[3:])
            full = os.path.join(FILES_DIR, name)
            if name and os.path.isfile(full):
                time.sleep(float(query.get("delay", "0")))
                with open(full, "rb") as f:
                    self.send_body(200, f.read())
            else:
                self.send_body(404, b"no such file\n")
        elif path.startswith("/beacon/"):
            body = BEACON_TYPES.get(os.path.splitext(path)[1])
            if body:
                self.send_body(200, body[0], body[1])
            else:
                self.send_body(404, b"no such beacon\n")
        else:
            self.send_body(404, b"no such thing\n")

    def send_chunked_slowly(self, chunks, delay):
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        for i in range(chunks):
            data = ("chunk-%d\n" % i).encode()
            self.wfile.write(b"%x\r\n%s\r\n" % (len(data), data))
            self.wfile.flush()
            time.sleep(delay)
        self.wfile.write(b"0\r\n\r\n")

    def close_now(self):
        self.close_connection = True
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


def serve_mute(port):
    listener = socket.create_server(("127.0.0.1", port))
    print(listener.getsockname()[1], flush=True)
    end_with_stdin()
    held = []
    while True:
        connection, _ = listener.accept()
        held.append(connection)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--mute", action="store_true",
                        help="accept connections and never answer")
    parser.add_argument("--cert", help="PEM certificate: serve HTTPS")
    parser.add_argument("--key", help="PEM private key of the certificate")
    parser.add_argument("--files", help="folder served under /d/")
    parser.add_argument("--auth", help="user:password that /d/ requires (Basic)")
    args = parser.parse_args()
    if args.mute:
        serve_mute(args.port)
        return
    global FILES_DIR, AUTH
    FILES_DIR = args.files
    if args.auth:
        AUTH = base64.b64encode(args.auth.encode()).decode()

    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(server.server_address[1], flush=True)
    end_with_stdin()
    server.serve_forever()


if __name__ == "__main__":
    main()
