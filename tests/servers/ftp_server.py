#!/usr/bin/env python3
"""Local FTP/FTPS server for the transfer and publishing tests (python3-pyftpdlib).

Listens on 127.0.0.1 only, on a free port; the first line on stdout is the port number.
One user with full rights on the root folder. With --cert and --key the server speaks explicit
FTPS (AUTH TLS) and refuses plain control and data connections. For the publishing tests,
--refuse NAME answers every upload of a file called NAME with 550, --refuse-rename answers
every RNFR with 550, --drop-after N closes the data connection of an upload once N bytes have
arrived (the control connection stays), --throttle N takes uploads at N bytes a second at most
and --throttle-out N sends listings and downloads at N bytes a second at most; --login-folder PATH starts each session in that folder of the served
tree (as servers that put users in /home/NAME do); --silent-quit never answers QUIT and keeps the
connection open, as a server that has hung does. The server ends when stdin closes, so it never outlives
the test process that started it.

--hold-after N --held FILE --release FILE: each data transfer (an upload, a download or a
listing) passes its first N bytes, then the server stops reading or sending on its data
connection, creates FILE, and goes on with the transfer only once the file --release FILE
exists; from then on nothing is held. A test that must act while a transfer is on its way waits
for FILE instead of a pause, so the machine's speed never decides where the transfer is caught;
and a client that ends its run while the transfer is held has not waited for the server.
"""
import argparse
import logging
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.ioloop import RetryError
from pyftpdlib.servers import FTPServer

from server_lifetime import end_with_stdin


class HoldingDTPMixin:
    """Holds a data transfer after its first hold_after bytes until the file release exists."""

    hold_after = 0
    held_file = None
    release_file = None
    _held = False
    _release_watch = None

    def _may_hold(self):
        return not self._held and not os.path.exists(self.release_file)

    def _hold(self):
        self._held = True
        # Out of the loop's sight, the connection is neither read nor written, and what the
        # client sends meanwhile waits in the connection.
        self.del_channel()
        if self.receive and self.file_obj is not None:
            # The file on disk holds what has passed before the test hears of the hold.
            self.file_obj.flush()
        with open(self.held_file, "w"):
            pass
        logging.info("holding %s after %d bytes", self.cmd, self.get_transmitted_bytes())
        self._release_watch = self.ioloop.call_every(0.01, self._watch_release,
                                                     _errback=self.handle_error)

    def _watch_release(self):
        if not os.path.exists(self.release_file):
            return
        self._release_watch.cancel()
        self._release_watch = None
        logging.info("going on with %s", self.cmd)
        self.add_channel(events=self.ioloop.READ if self.receive else self.ioloop.WRITE)

    def use_sendfile(self):
        # Every byte sent goes through send(), which counts them.
        return False

    def recv(self, buffer_size):
        if self.receive and self._may_hold():
            if self.tot_bytes_received >= self.hold_after:
                self._hold()
                raise RetryError
            buffer_size = min(buffer_size, self.hold_after - self.tot_bytes_received)
        return super().recv(buffer_size)

    def send(self, data):
        if not self.receive and self._may_hold():
            if self.tot_bytes_sent >= self.hold_after:
                self._hold()
                return 0
            data = data[:self.hold_after - self.tot_bytes_sent]
        return super().send(data)

    def close(self):
        if self._release_watch is not None:
            self._release_watch.cancel()
            self._release_watch = None
        if self._held:
            logging.info("end of the held %s after %d bytes", self.cmd, self.get_transmitted_bytes())
        super().close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", default="user")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--refuse", action="append", default=[])
    parser.add_argument("--throttle", type=int, default=0)
    parser.add_argument("--throttle-out", type=int, default=0)
    parser.add_argument("--login-folder")
    parser.add_argument("--refuse-rename", action="store_true")
    parser.add_argument("--drop-after", type=int, default=0)
    # NAME:N lists every folder called NAME as N files, without any on disk.
    parser.add_argument("--crowd")
    parser.add_argument("--silent-quit", action="store_true")
    parser.add_argument("--hold-after", type=int, default=0)
    parser.add_argument("--held")
    parser.add_argument("--release")
    args = parser.parse_args()
    if args.hold_after and not (args.held and args.release):
        parser.error("--hold-after needs --held and --release")

    logging.basicConfig(stream=sys.stderr, level=logging.INFO)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")

    if args.cert:
        from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler

        class PatientTLSDTPHandler(TLS_DTPHandler):
            # libcurl starts TLS on a passive data connection before it sends the transfer
            # command; pyftpdlib would take that early traffic for a hang-up and close the
            # channel. Let the handshake run and wait for the command instead.
            def readable(self):
                if not self.receive and not self._initialized:
                    return self._ssl_accepting or self._ssl_want_read
                return super().readable()

        handler = TLS_FTPHandler
        handler.dtp_handler = PatientTLSDTPHandler
        handler.certfile = args.cert
        handler.keyfile = args.key
        handler.tls_control_required = True
        handler.tls_data_required = True
        # Clients (libcurl among them) resume the control connection's TLS session on the data
        # connection; OpenSSL refuses that unless the server names a session id context.
        handler.get_ssl_context().set_session_id(b"vellumcast-ftps")
    else:
        handler = FTPHandler
    if args.refuse:
        refused = set(args.refuse)

        def ftp_STOR(self, file, mode="w", _stor=handler.ftp_STOR):
            if os.path.basename(file) in refused:
                self.respond("550 Refused by the test server.")
                return None
            return _stor(self, file, mode)

        handler = type("RefusingHandler", (handler,), {"ftp_STOR": ftp_STOR})
    if args.throttle or args.throttle_out:
        from pyftpdlib.handlers import ThrottledDTPHandler

        handler.dtp_handler = type("ThrottledHandler", (ThrottledDTPHandler, handler.dtp_handler),
                                   {"read_limit": args.throttle, "write_limit": args.throttle_out})
    if args.refuse_rename:
        def ftp_RNFR(self, path):
            self.respond("550 Renaming is not allowed on this server.")

        handler = type("NoRenameHandler", (handler,), {"ftp_RNFR": ftp_RNFR})
    if args.drop_after:
        def recv(self, buffer_size, _recv=handler.dtp_handler.recv, _limit=args.drop_after):
            # The next read after the limit hangs up instead, as a server whose link broke.
            if self.receive and self.tot_bytes_received >= _limit:
                self._resp = ("426 Connection closed; transfer aborted.", logging.info)
                self.close()
                raise RetryError
            return _recv(self, buffer_size)

        handler.dtp_handler = type("DroppingHandler", (handler.dtp_handler,), {"recv": recv})
    if args.hold_after:
        handler.dtp_handler = type("HoldingHandler", (HoldingDTPMixin, handler.dtp_handler),
                                   {"hold_after": args.hold_after, "held_file": args.held,
                                    "release_file": args.release})
    if args.login_folder:
        def on_login(self, username, _folder=args.login_folder):
            self.fs.cwd = _folder

        handler = type("LoginFolderHandler", (handler,), {"on_login": on_login})
    if args.crowd:
        from pyftpdlib.filesystems import AbstractedFS

        crowd_name, crowd_count = args.crowd.rsplit(":", 1)

        class CrowdedFS(AbstractedFS):
            def format_list(self, basedir, listing, ignore_err=True,
                            _name=crowd_name, _count=int(crowd_count)):
                if os.path.basename(os.path.normpath(basedir)) != _name:
                    yield from super().format_list(basedir, listing, ignore_err)
                    return
                for i in range(1, _count + 1):
                    yield (b"-rw-r--r--   1 owner    group          12 Jan 15 10:30 "
                           b"file-%06d.txt\r\n" % i)

        handler.abstracted_fs = CrowdedFS
    if args.silent_quit:
        def ftp_QUIT(self, line):
            # Takes the command and says nothing: the client waits for an answer that never comes.
            return None

        handler = type("SilentQuitHandler", (handler,), {"ftp_QUIT": ftp_QUIT})
    handler.authorizer = authorizer
    # Tests try wrong passwords on purpose; no need to make them wait.
    handler.auth_failed_timeout = 0.1
    handler.masquerade_address = None
    handler.permit_foreign_addresses = False

    server = FTPServer(("127.0.0.1", args.port), handler)
    print(server.socket.getsockname()[1], flush=True)
    end_with_stdin()
    server.serve_forever()


if __name__ == "__main__":
    main()
