#!/usr/bin/env python3
"""Writes the encoded bodies the decoder tests read, into tests/data/decode/.

Each is a served body of tests/data/caches/served/ encoded by the real tools,
the way scripts/cache-server.py encodes what it serves (gzip by Python's
zlib, br and zstd by Debian's command-line tools):

  NN.gz NN.br NN.zst        body NN as served with that encoding
  NN.zlib NN.deflate        "deflate" with and without its zlib wrapper
  NN.gz.br                  "gzip, br": gzip first, then br
  07x200.gz .br .zst        body 07 repeated 200 times (316,000 bytes), so
                            that decoding hands on many pieces
  10.window16m.zst          body 10 with a 16 MB window, more than HTTP allows
"""
import importlib.util
import os
import subprocess
import zlib

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
found = importlib.util.spec_from_file_location("cache_server", os.path.join(root, "scripts", "cache-server.py"))
server = importlib.util.module_from_spec(found)
found.loader.exec_module(server)
served = os.path.join(root, "tests", "data", "caches", "served")
out = os.path.join(root, "tests", "data", "decode")


def body(index):
    with open(os.path.join(served, "%02d.body" % index), "rb") as f:
        return f.read()


def raw_deflate(data):
    packer = zlib.compressobj(9, zlib.DEFLATED, -15)
    return packer.compress(data) + packer.flush()


fixtures = {
    "07.gz": server.encode("gzip", body(7)),
    "08.zlib": zlib.compress(body(8), 9),
    "08.deflate": raw_deflate(body(8)),
    "09.br": server.encode("br", body(9)),
    "10.zst": server.encode("zstd", body(10)),
    "09.gz.br": server.encode("br", server.encode("gzip", body(9))),
    "07x200.gz": server.encode("gzip", body(7) * 200),
    "07x200.br": server.encode("br", body(7) * 200),
    "07x200.zst": server.encode("zstd", body(7) * 200),
    "10.window16m.zst": subprocess.run(["zstd", "-q", "-c", "--long=24"], input=body(10),
                                       stdout=subprocess.PIPE, check=True).stdout,
}
os.makedirs(out, exist_ok=True)
for name, data in fixtures.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
    print("%-12s %6d bytes" % (name, len(data)))
