#!/usr/bin/env python3
"""A gate in front of a WebDAV server, for the tests of uploads the client gives up on
(python3 standard library only).

Listens on 127.0.0.1, on --port or a free port; the first line on stdout is the port number.
Each client connection gets a connection of its own to the server on 127.0.0.1:--upstream, and
every request and answer goes through unchanged, except:

  --stall-after N   an upload (PUT) goes through with its first N bytes and no more: the gate
                    stops reading it, and the server waits for the rest for as long as the gate
                    runs (or until --release). A test that aborts the upload always catches it on
                    its way, however fast the machine is.
  --held FILE       with --stall-after: the gate creates FILE once it holds an upload, the first
                    N bytes sent on to the server.
  --release FILE    with --stall-after: once FILE exists the gate hangs up both connections of a
                    held upload, as the end of a connection the client gave up on does; the
                    server ends the upload with what it has, and lets go of the file. Only the
                    test decides when the server stops waiting for the rest.
  --lock PATH       a DELETE of PATH (the decoded path of the URL) never reaches the server. The
                    gate creates the file --asked FILE and holds the request unanswered until the
                    file --answer FILE exists; then it refuses it with "423 Locked", as a server
                    still taking in that file does, and every later DELETE of PATH at once. Only
                    the test decides when the removal hears back, and it never succeeds here.

The gate ends when stdin closes, so it never outlives the test process that started it.
"""
import argparse
import os
import socket
import sys
import threading
import time
from urllib.parse import unquote, urlsplit

from server_lifetime import end_with_stdin

LOCKED = b"HTTP/1.1 423 Locked\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"


def log(line):
    sys.stderr.write(line + "\n")
    sys.stderr.flush()


class Connection:
    def __init__(self, args, client):
        self.args = args
        self.client = client
        self.pending = b""

    def read_head(self):
        while b"\r\n\r\n" not in self.pending:
            data = self.client.recv(65536)
            if not data:
                return None
            self.pending += data
        end = self.pending.index(b"\r\n\r\n") + 4
        head, self.pending = self.pending[:end], self.pending[end:]
        return head

    def forward_body(self, upstream, length):
        """Sends length bytes of the request body on; False when the client went away."""
        while length > 0:
            if not self.pending:
                self.pending = self.client.recv(min(65536, length))
                if not self.pending:
                    return False
            part, self.pending = self.pending[:length], self.pending[length:]
            upstream.sendall(part)
            length -= len(part)
        return True

    def refuse_removal(self, path):
        if not os.path.exists(self.args.answer):
            touch(self.args.asked)
            log("holding DELETE " + path)
            # The wait only delays the answer; what the answer is never depends on it.
            wait_for(self.args.answer)
        log("423 for DELETE " + path)
        self.client.sendall(LOCKED)

    def hold_upload(self, upstream, path):
        self.forward_body(upstream, self.args.stall_after)
        log("stalled PUT %s after %d bytes" % (path, self.args.stall_after))
        if self.args.held:
            touch(self.args.held)
        if not self.args.release:
            # Neither end hears more of this upload until the gate ends.
            threading.Event().wait()
        # The wait only delays the hang-up; the server never gets more than the first bytes.
        wait_for(self.args.release)
        log("hanging up PUT " + path)
        hang_up(upstream)
        hang_up(self.client)

    def run(self):
        upstream = socket.create_connection(("127.0.0.1", self.args.upstream))
        threading.Thread(target=relay, args=(upstream, self.client), daemon=True).start()
        try:
            while True:
                head = self.read_head()
                if head is None:
                    return
                lines = head.decode("latin-1").split("\r\n")
                method, target = lines[0].split(" ")[:2]
                length = 0
                for line in lines[1:]:
                    name, _, value = line.partition(":")
                    if name.strip().lower() == "content-length":
                        length = int(value.strip())
                path = unquote(urlsplit(target).path)
                if method == "DELETE" and self.args.lock and path == self.args.lock:
                    self.refuse_removal(path)
                    return
                upstream.sendall(head)
                if method == "PUT" and self.args.stall_after and length > self.args.stall_after:
                    self.hold_upload(upstream, path)
                    return
                if not self.forward_body(upstream, length):
                    return
        except OSError:
            pass
        finally:
            # A client gone mid-upload leaves the server waiting for the rest: it hears of the
            # end only from a hang-up, as on the release of a held upload.
            hang_up(self.client)
            hang_up(upstream)
            close(self.client)
            close(upstream)


def relay(source, target):
    try:
        while True:
            data = source.recv(65536)
            if not data:
                break
            target.sendall(data)
    except OSError:
        pass
    try:
        target.shutdown(socket.SHUT_WR)
    except OSError:
        pass


def touch(path):
    with open(path, "w"):
        pass


def wait_for(path):
    while not os.path.exists(path):
        time.sleep(0.01)


def hang_up(sock):
    # Unlike close(), shutdown() ends the connection at once, also while the relay thread is
    # still reading from it.
    try:
        sock.shutdown(socket.SHUT_RDWR)
    except OSError:
        pass


def close(sock):
    try:
        sock.close()
    except OSError:
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--upstream", type=int, required=True)
    parser.add_argument("--stall-after", type=int, default=0)
    parser.add_argument("--lock")
    parser.add_argument("--asked")
    parser.add_argument("--answer")
    parser.add_argument("--held")
    parser.add_argument("--release")
    args = parser.parse_args()
    if args.lock and not (args.asked and args.answer):
        parser.error("--lock needs --asked and --answer")
    if (args.held or args.release) and not args.stall_after:
        parser.error("--held and --release need --stall-after")

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    # The gate may take the address of a server that has just stopped.
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", args.port))
    listener.listen(16)
    print(listener.getsockname()[1], flush=True)
    end_with_stdin()
    while True:
        client, _ = listener.accept()
        threading.Thread(target=Connection(args, client).run, daemon=True).start()


if __name__ == "__main__":
    main()
