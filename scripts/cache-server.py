#!/usr/bin/env python3
"""A loopback web server whose page makes a browser cache known files.

  cache-server.py serve PORT         serve on 127.0.0.1:PORT (ends by itself after 120 s)
  cache-server.py manifest DIR       write each served body, decoded, to DIR, with DIR/manifest.tsv

Every body is made here, so the caches the browsers write from this page
can be checked byte for byte against what was served. Bodies are under
1 KB or over 16 KB, so Chromium's block files stay small.
"""
import gzip
import os
import http.server
import struct
import sys
import threading
import zlib

import subprocess


def png(width, height, rgb):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    rows = b"".join(b"\0" + bytes(rgb) * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def gif():
    return (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00"
            b"!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")


def jpeg_like(size, seed):
    # Starts and ends as a JPEG does; the browser caches it whatever it shows.
    body = bytearray(b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")
    x = seed
    while len(body) < size - 2:
        x = (x * 1103515245 + 12345) & 0x7FFFFFFF
        body.append((x >> 16) & 0xFF)
    return bytes(body) + b"\xff\xd9"


SCRIPT = b"".join(b"var item%d = 'morlind cache sample %d';\n" % (i, i) for i in range(40))
STYLE = b"".join(b".row%d { color: #%06x; margin: %dpx; }\n" % (i, i * 4099 % 0xFFFFFF, i) for i in range(40))
DATA = b'{"items": [' + b",".join(b'{"id": %d, "name": "entry %d"}' % (i, i) for i in range(30)) + b"]}"

# path (as the page writes it), content type, encoding, body as decoded
FILES = [
    ("/img/photo.jpg", "image/jpeg", "", jpeg_like(900, 1)),
    ("/img/big.jpg", "image/jpeg", "", jpeg_like(40_000, 2)),
    ("/a/logo.png", "image/png", "", png(8, 8, (200, 30, 30))),
    ("/b/logo.png", "image/png", "", png(6, 4, (30, 30, 200))),
    ("/img/dot.gif", "image/gif", "", gif()),
    ("/avatar/noext", "image/png", "", png(3, 3, (10, 200, 10))),
    ("/%E5%9B%BE%E7%89%87/%E7%8C%AB.png?size=small&v=2", "image/png", "", png(5, 5, (250, 200, 0))),
    ("/js/app.js", "application/javascript; charset=utf-8", "gzip", SCRIPT),
    ("/css/site.css", "text/css", "gzip", STYLE),
    ("/data/list.json", "application/json", "br", DATA),
    ("/data/more.json", "application/json", "zstd", DATA.replace(b"entry", b"other")),
    ("/docs/", "text/html; charset=utf-8", "", b"<!doctype html><title>docs</title><p>index of docs</p>"),
]

PAGE = ("<!doctype html><html><head><meta charset='utf-8'><title>cache sample</title>"
        "<link rel='stylesheet' href='/css/site.css'><script src='/js/app.js'></script></head><body>"
        + "".join("<img src='%s'>" % path for path, kind, _, _ in FILES if kind.startswith("image/"))
        + "<iframe src='/docs/'></iframe>"
        + "<script>for (const u of ['/data/list.json', '/data/more.json']) fetch(u).then(r => r.text());</script>"
        + "</body></html>").encode()


def encode(encoding, body):
    if encoding == "gzip":
        return gzip.compress(body, mtime=0)
    if encoding in ("br", "zstd"):
        # Debian's brotli and zstd tools; Python's library has neither.
        tool = ["brotli", "-c"] if encoding == "br" else ["zstd", "-q", "-c"]
        return subprocess.run(tool, input=body, stdout=subprocess.PIPE, check=True).stdout
    return body


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        files = {path: (kind, encoding, body) for path, kind, encoding, body in FILES}
        files["/"] = ("text/html; charset=utf-8", "", PAGE)
        found = files.get(self.path)
        if not found:
            self.send_error(404)
            return
        kind, encoding, body = found
        sent = encode(encoding, body)
        self.send_response(200)
        self.send_header("Content-Type", kind)
        if encoding:
            self.send_header("Content-Encoding", encoding)
        self.send_header("Content-Length", str(len(sent)))
        self.send_header("Cache-Control", "max-age=86400")
        self.send_header("Last-Modified", "Tue, 01 Dec 2026 08:00:00 GMT")
        self.end_headers()
        self.wfile.write(sent)

    def log_message(self, *args):
        pass


def serve(port):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
    threading.Timer(120, server.shutdown).start()
    server.serve_forever()


def manifest(folder):
    import os
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "manifest.tsv"), "w", encoding="utf-8") as out:
        out.write("index\tpath\tcontent-type\tcontent-encoding\tsize\n")
        for index, (path, kind, encoding, body) in enumerate(FILES):
            with open(os.path.join(folder, "%02d.body" % index), "wb") as f:
                f.write(body)
            out.write("%02d\t%s\t%s\t%s\t%d\n" % (index, path, kind, encoding, len(body)))


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "serve":
        serve(int(sys.argv[2]))
    elif len(sys.argv) == 3 and sys.argv[1] == "manifest":
        manifest(sys.argv[2])
    else:
        sys.exit(__doc__)
