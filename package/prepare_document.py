#!/usr/bin/env python3
"""Prepares a text of the station package for a station PC.

    prepare_document.py crlf SOURCE OUTPUT     Windows line ends, so Notepad shows the lines
    prepare_document.py inline SOURCE OUTPUT   an HTML page with every picture it shows put
                                               inside it, so the page is one file that opens
                                               anywhere
"""
import base64
import os
import re
import sys

MEDIA_TYPES = {".png": "image/png", ".ico": "image/x-icon"}


def crlf(text):
    return text.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def inline(text, folder):
    def data_uri(match):
        source = match.group(1)
        path = os.path.normpath(os.path.join(folder, source))
        media = MEDIA_TYPES.get(os.path.splitext(path)[1].lower())
        if media is None:
            sys.exit("prepare_document: no media type known for %s" % source)
        with open(path, "rb") as f:  # a missing picture stops the build
            encoded = base64.b64encode(f.read()).decode("ascii")
        return 'src="data:%s;base64,%s"' % (media, encoded)

    return re.sub(r'src="(?!data:)([^"]+)"', data_uri, text.decode("utf-8")).encode("utf-8")


mode, source, output = sys.argv[1:4]
with open(source, "rb") as f:
    content = f.read()
if mode == "crlf":
    content = crlf(content)
elif mode == "inline":
    content = crlf(inline(content, os.path.dirname(os.path.abspath(source))))
else:
    sys.exit("prepare_document: unknown mode %s" % mode)
os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
with open(output, "wb") as f:
    f.write(content)
