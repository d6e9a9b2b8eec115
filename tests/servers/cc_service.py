#!/usr/bin/env python3
"""Local stand-in for a Creative Commons REST 1.5 licence service (python3 standard library).

Listens on 127.0.0.1 only, on a free port; the first line on stdout is the port number. The
server ends when stdin closes, so it never outlives the test process that started it. Every
request is logged on stderr; the body of every POST is logged as one line "POST-BODY <body>".

Routes (replies are XML we wrote, typed text/xml unless said otherwise):
  GET  /rest/1.5/locales                  four locales: en, de_AT, ja, xx_YY
  GET  /rest/1.5/[?locale=ID]             the classes standard, publicdomain, recombo;
                                          with locale=ja the same reply typed application/xml
  GET  /rest/1.5/license/CLASS[?locale=]  the questions of a class:
         standard      a label and --questions fields (default 3): F1 (answers E1, E2), F2 (an
                       answer with two titles, one with none, then N), F3 (answer "by&sa"), F4…
         recombo       a label and three fields (F1, F2, F3)
         publicdomain  a label, no field
         other         404 with an HTML page
       with --hostile KIND the standard class's reply is instead:
         huge          three questions of 100,000 answers each (about 15 MB)
         bomb          a document type whose entities expand a billion-fold
         garbage       bytes that are not XML
         badid         a question whose id cannot name an element ("F 1")
  POST /rest/1.5/license/CLASS/issue      form field "answers": a result whose licence URL is
                                          made of the class and the answer ids; with
                                          --name-length N its name is padded to N characters
"""
import argparse
import sys
from html import escape
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit
import xml.etree.ElementTree as ET

from server_lifetime import end_with_stdin

QUESTIONS = 3
NAME_LENGTH = 0
HOSTILE = None

LOCALES = b"""<?xml version="1.0" encoding="utf-8"?>
<locales>
  <locale id="en"/>
  <locale id="de_AT"/>
  <locale id="ja"/>
  <locale id="xx_YY"/>
</locales>
"""

CLASSES = """<?xml version="1.0" encoding="utf-8"?>
<licenses>
  <license id="standard">Creative Commons{suffix}</license>
  <license id="publicdomain">Public Domain{suffix}</license>
  <license id="recombo">Sampling{suffix}</license>
</licenses>
"""

FIELDS = {
    1: """  <field id="F1">
    <label>Allow commercial uses of your work?</label>
    <description>Whether others may sell what they make of it.</description>
    <type>enum</type>
    <enum id="E1"><label>Yes</label></enum>
    <enum id="E2"><label>No</label></enum>
  </field>
""",
    2: """  <field id="F2">
    <label>Allow modifications of your work?</label>
    <type>enum</type>
    <enum id="Y"><label xml:lang="en">Yes</label><label xml:lang="de">Ja</label></enum>
    <enum id="Q"><label></label></enum>
    <enum id="N"><label>No</label></enum>
  </field>
""",
    3: """  <field id="F3">
    <label>Share alike?</label>
    <description>Derived works carry the same licence &lt;always&gt;.</description>
    <type>enum</type>
    <enum id="by&amp;sa"><label>Yes, share alike</label></enum>
    <enum id="by"><label>No</label></enum>
  </field>
""",
}


def field(n):
    if n in FIELDS:
        return FIELDS[n]
    return ('  <field id="F%d">\n    <label>Question %d?</label>\n    <type>enum</type>\n'
            '    <enum id="X%d"><label>Sure</label></enum>\n  </field>\n' % (n, n, n))


def hostile_class():
    head = '<?xml version="1.0" encoding="utf-8"?>\n'
    if HOSTILE == "huge":
        answers = "".join('<enum id="A%d"><label>Answer %d</label></enum>' % (n, n)
                          for n in range(100000))
        fields = "".join('<field id="F%d"><label>Q%d</label>%s</field>' % (n, n, answers)
                         for n in range(1, 4))
        return (head + '<licenseclass id="standard"><label>L</label>%s</licenseclass>'
                % fields).encode()
    if HOSTILE == "bomb":
        entities = '<!ENTITY a0 "lol">' + "".join(
            '<!ENTITY a%d "%s">' % (n, "&a%d;" % (n - 1) * 10) for n in range(1, 10))
        return (head + '<!DOCTYPE licenseclass [%s]><licenseclass id="standard"><label>L</label>'
                '<field id="F1"><label>&a9;</label><enum id="E"><label>&a9;</label></enum>'
                '</field></licenseclass>' % entities).encode()
    if HOSTILE == "garbage":
        return bytes(range(256)) * 64
    return (head + '<licenseclass id="standard"><label>L</label><field id="F 1"><label>Q</label>'
            '<enum id="E1"><label>Yes</label></enum></field></licenseclass>').encode()


def license_class(cls):
    if cls == "standard" and HOSTILE:
        return hostile_class()
    if cls == "standard":
        count = QUESTIONS
    elif cls == "recombo":
        count = 3
    elif cls == "publicdomain":
        count = 0
    else:
        return None
    body = '<?xml version="1.0" encoding="utf-8"?>\n<licenseclass id="%s">\n' % cls
    body += "  <label>Licence class %s</label>\n" % cls
    for n in range(1, count + 1):
        body += field(n)
    return (body + "</licenseclass>\n").encode()


def issue(cls, answers_xml):
    root = ET.fromstring(answers_xml)
    ids = []
    for section in root:
        if section.tag.startswith("license-"):
            ids = [child.text or "" for child in section]
    locale = root.findtext("locale") or "none"
    path = "-".join([cls, locale] + [i.replace("&", "and") for i in ids])
    url = "https://licenses.example.org/%s/" % path
    name = "Stand-in %s licence (%s)" % (cls, " ".join(ids) or "no answers")
    name = name.ljust(NAME_LENGTH, "x")
    return ('<?xml version="1.0" encoding="utf-8"?>\n<result>\n'
            '  <license-uri>%s</license-uri>\n  <license-name>%s</license-name>\n'
            '  <html><a rel="license" href="%s">%s</a></html>\n</result>\n'
            % (url, escape(name), url, escape(name))).encode()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        sys.stderr.write("%s %s\n" % (self.command, fmt % args))
        sys.stderr.flush()

    def reply(self, code, body, content_type="text/xml; charset=utf-8"):
        self.send_response(code)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def not_found(self):
        self.reply(404, b"<html><body><h1>Not Found</h1></body></html>\n", "text/html")

    def do_GET(self):
        parts = urlsplit(self.path)
        query = parse_qs(parts.query)
        locale = query.get("locale", [""])[0]
        if parts.path == "/rest/1.5/locales":
            self.reply(200, LOCALES)
        elif parts.path == "/rest/1.5/":
            body = CLASSES.format(suffix=" (%s)" % locale if locale else "").encode()
            self.reply(200, body, "application/xml" if locale == "ja" else "text/xml")
        elif parts.path.startswith("/rest/1.5/license/"):
            body = license_class(parts.path[len("/rest/1.5/license/"):])
            if body is None:
                self.not_found()
            else:
                self.reply(200, body)
        else:
            self.not_found()

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        raw = self.rfile.read(length)
        sys.stderr.write("POST-BODY %s\n" % raw.decode("latin-1"))
        sys.stderr.flush()
        parts = urlsplit(self.path)
        prefix, suffix = "/rest/1.5/license/", "/issue"
        if not (parts.path.startswith(prefix) and parts.path.endswith(suffix)):
            self.not_found()
            return
        cls = parts.path[len(prefix):-len(suffix)]
        answers = parse_qs(raw.decode("utf-8"), keep_blank_values=True).get("answers", [""])[0]
        try:
            body = issue(cls, answers)
        except ET.ParseError:
            self.reply(400, b"<html><body>Bad answers</body></html>\n", "text/html")
            return
        self.reply(200, body)


def main():
    global QUESTIONS, NAME_LENGTH, HOSTILE
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--questions", type=int, default=3,
                        help="fields of the standard class")
    parser.add_argument("--name-length", type=int, default=0,
                        help="characters of an issued licence's name")
    parser.add_argument("--hostile", choices=["huge", "bomb", "garbage", "badid"],
                        help="what the standard class's reply holds instead")
    args = parser.parse_args()
    QUESTIONS = args.questions
    NAME_LENGTH = args.name_length
    HOSTILE = args.hostile
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    end_with_stdin()
    server.serve_forever()


if __name__ == "__main__":
    main()
