#!/usr/bin/env python3
"""Loopback HTTP(S) server for the network tests.

Started by the test (tests/support/http_test_server.h); listens on 127.0.0.1
on a free port, writes the port to <dir>/port, and exits when its standard
input closes (the test ended or died). One request per connection.

Every path answers 200 with "path=<target>" unless the query says otherwise:
  status=N            status code
  h=Name:Value        an extra response header (repeatable)
  body=TEXT           the body
  enc=gzip|deflate    compress the body (deflate = raw deflate) and say so
  nolen=1             no Content-Length; the body ends when the connection closes
  size=N              a body of N bytes ("x"), sent in slices with short pauses
  bomb=N              a gzip body that expands to N zero bytes
  hang=1              read the request and never answer
/loop redirects to itself; /chain/N redirects N times, then answers "done".
/echo answers with the raw request (head and body) as its body.
/__stats answers with the number of requests received before it.
/__targets lists the request targets received so far, one a line.
/sa.cab is /update/sa.cab. While <dir>/hang-all exists, requests wait
unanswered; when it goes, their connections close.
/update/<name> answers with the file <dir>/<name> (manifests).
"""
import argparse
import gzip
import os
import socket
import ssl
import subprocess
import sys
import threading
import time
import urllib.parse
import zlib

lock = threading.Lock()
requests_seen = 0
targets = []


def read_request(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(65536)
        if not chunk:
            return None, None
        data += chunk
        if len(data) > 1 << 20:
            return None, None
    head, _, rest = data.partition(b"\r\n\r\n")
    length = 0
    for line in head.split(b"\r\n")[1:]:
        name, _, value = line.partition(b":")
        if name.strip().lower() == b"content-length":
            length = int(value.strip() or b"0")
    while len(rest) < length:
        chunk = conn.recv(65536)
        if not chunk:
            break
        rest += chunk
    return head + b"\r\n\r\n", rest


def respond(conn, status, headers, body, with_length=True):
    lines = ["HTTP/1.1 %d X" % status]
    lines += headers
    if with_length:
        lines.append("Content-Length: %d" % len(body))
    lines.append("Connection: close")
    conn.sendall(("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body)


def raw_deflate(data):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


def handle(conn, args):
    global requests_seen
    head, body = read_request(conn)
    if head is None:
        return
    target = head.split(b"\r\n", 1)[0].split(b" ")[1].decode("latin-1")
    with lock:
        seen = requests_seen
        requests_seen += 1
        if target != "/__targets":
            targets.append(target)
    path, _, query = target.partition("?")
    params = urllib.parse.parse_qs(query, keep_blank_values=True)

    def one(name, default=None):
        return params[name][0] if name in params else default

    if path == "/echo":
        respond(conn, 200, ["Content-Type: text/plain"], head + body)
        return
    hang_flag = os.path.join(args.dir, "hang-all")
    if os.path.exists(hang_flag):
        deadline = time.time() + 30
        while os.path.exists(hang_flag) and time.time() < deadline:
            time.sleep(0.05)
        return  # closes the connection unanswered
    if path == "/__targets":
        with lock:
            listing = "\n".join(targets)
        respond(conn, 200, [], listing.encode("latin-1"))
        return
    if path == "/sa.cab":
        path = "/update/sa.cab"
    if path == "/__stats":
        respond(conn, 200, [], str(seen).encode())
        return
    if path == "/loop":
        respond(conn, 302, ["Location: /loop"], b"")
        return
    if path.startswith("/chain/"):
        left = int(path[len("/chain/"):] or "0")
        if left > 0:
            respond(conn, 302, ["Location: /chain/%d" % (left - 1)], b"")
        else:
            respond(conn, 200, [], b"done")
        return
    if path.startswith("/update/"):
        name = os.path.basename(path[len("/update/"):])
        # <name>.location beside the manifest: answer with a redirect there.
        try:
            with open(os.path.join(args.dir, name + ".location"), "rb") as f:
                respond(conn, 302, ["Location: " + f.read().decode("latin-1")], b"")
            return
        except OSError:
            pass
        try:
            with open(os.path.join(args.dir, name), "rb") as f:
                respond(conn, 200, ["Content-Type: text/plain"], f.read())
        except OSError:
            respond(conn, 404, [], b"missing")
        return
    if one("hang"):
        # Keep the connection open without a word until the client gives up.
        conn.settimeout(30)
        try:
            conn.recv(1)
        except OSError:
            pass
        return

    if one("drip"):
        # One byte every `every` ms: never idle long, never done soon.
        count = int(one("drip"))
        every = int(one("every", "1000")) / 1000.0
        conn.sendall(("HTTP/1.1 200 X\r\nContent-Length: %d\r\nConnection: close\r\n\r\n"
                      % count).encode("latin-1"))
        for _ in range(count):
            time.sleep(every)
            conn.sendall(b"x")
        return

    status = int(one("status", "200"))
    headers = list(params.get("h", []))
    payload = one("body", "path=" + target).encode("latin-1")
    if one("bomb"):
        payload = gzip.compress(b"\0" * int(one("bomb")), 9)
        headers.append("Content-Encoding: gzip")
    elif one("enc") == "gzip":
        payload = gzip.compress(payload)
        headers.append("Content-Encoding: gzip")
    elif one("enc") == "deflate":
        payload = raw_deflate(payload)
        headers.append("Content-Encoding: deflate")

    if one("size"):
        size = int(one("size"))
        with_length = not one("nolen")
        lines = ["HTTP/1.1 %d X" % status] + headers
        if with_length:
            lines.append("Content-Length: %d" % size)
        lines.append("Connection: close")
        conn.sendall(("\r\n".join(lines) + "\r\n\r\n").encode("latin-1"))
        piece = max(1, min(size // 8 or 1, 1 << 20))
        sent = 0
        while sent < size:
            n = min(piece, size - sent)
            conn.sendall(b"x" * n)
            sent += n
            if size <= 1 << 20:
                time.sleep(0.01)
        return
    respond(conn, status, headers, payload, with_length=not one("nolen"))


def serve_one(conn, args, context):
    try:
        if context is not None:
            conn = context.wrap_socket(conn, server_side=True)
        handle(conn, args)
    except (OSError, ssl.SSLError, ValueError):
        pass
    finally:
        try:
            conn.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        conn.close()


def make_certificate(folder, name=None):
    key = os.path.join(folder, "server.key")
    cert = os.path.join(folder, "server.pem")
    subject, alt = "/CN=127.0.0.1", "subjectAltName=IP:127.0.0.1,DNS:localhost"
    if name:  # a certificate for some other host than the one we answer as
        subject, alt = "/CN=" + name, "subjectAltName=DNS:" + name
    subprocess.run(
        ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
         "-keyout", key, "-out", cert, "-subj", subject, "-addext", alt],
        check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return key, cert


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--tls", action="store_true")
    parser.add_argument("--cert-name", help="with --tls: the only name the certificate carries")
    args = parser.parse_args()

    context = None
    if args.tls:
        key, cert = make_certificate(args.dir, args.cert_name)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(64)
    port_file = os.path.join(args.dir, "port")
    with open(port_file + ".tmp", "w") as f:
        f.write(str(listener.getsockname()[1]))
    os.rename(port_file + ".tmp", port_file)

    def accept_loop():
        while True:
            try:
                conn, _ = listener.accept()
            except OSError:
                return
            threading.Thread(target=serve_one, args=(conn, args, context), daemon=True).start()

    threading.Thread(target=accept_loop, daemon=True).start()
    # The test holds our standard input; when it closes, we are done.
    sys.stdin.buffer.read()
    os._exit(0)


if __name__ == "__main__":
    main()
