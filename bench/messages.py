#!/usr/bin/env python3
"""Writes the benchmark's messages into a folder: large.eml (about 200 KB) and small.eml (about
2 KB), multipart/alternative with a quoted-printable text part and its HTML twin of about the same
length, with some non-ASCII text so the decoders have work to do. Used by bench/compare and
scripts/order-code, so both measure the same sends."""
import sys

folder = sys.argv[1]

words = ("lantern harbour quay brass chimney glass wick filling storm evening tide beacon "
         "keeper rope anchor gull café naïve façade").split()

def paragraphs(target):
    out, n = [], 0
    while sum(len(p) for p in out) < target:
        line = " ".join(words[(n * 7 + i * 3) % len(words)] for i in range(60))
        out.append(line[0].upper() + line[1:] + f". Paragraph {n}.")
        n += 1
    return out

def qp(text):
    import quopri
    return quopri.encodestring(text.encode("utf-8")).decode("ascii")

def message(name, size):
    # Quoted-printable grows the text by about a sixth; the file comes out near `size`.
    paras = paragraphs(size * 43 // 100)
    text = "\n\n".join(paras) + "\n"
    html = ("<html><body>\n" + "\n".join(f"<p>{p}</p>" for p in paras) + "\n</body></html>\n")
    boundary = "=_vellumo_bench_boundary"
    body = (
        "From: Iris Calloway <iris@northwind-lanterns.example>\n"
        "To: Tomas Reyes <tomas@harbourmaster.example>\n"
        f"Subject: Benchmark message of {size // 1000} KB\n"
        "Date: Tue, 08 Dec 2026 09:30:00 +0000\n"
        "Message-ID: <bench-" + name + "@northwind-lanterns.example>\n"
        "MIME-Version: 1.0\n"
        f'Content-Type: multipart/alternative; boundary="{boundary}"\n\n'
        f"--{boundary}\n"
        "Content-Type: text/plain; charset=utf-8\n"
        "Content-Transfer-Encoding: quoted-printable\n\n"
        + qp(text) +
        f"\n--{boundary}\n"
        "Content-Type: text/html; charset=utf-8\n"
        "Content-Transfer-Encoding: quoted-printable\n\n"
        + qp(html) +
        f"\n--{boundary}--\n")
    with open(f"{folder}/{name}.eml", "w", newline="\r\n") as f:
        f.write(body)

message("large", 200_000)
message("small", 2_000)
