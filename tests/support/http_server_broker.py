#!/usr/bin/env python3
"""Starts loopback test servers for test programs that cannot start them.

A Windows test running under Wine cannot run python itself, so it asks this
broker over a loopback connection: it sends one line, "plain", "tls" or "tls <name>"
(a certificate carrying only that name), and
receives "<port>\t<folder>\n" for a fresh http_test_server.py with a folder
of its own. The server lives as long as that connection: when the test
closes it (or dies), the server ends and its folder goes.

  http_server_broker.py --port-file FILE   writes its own port to FILE
"""
import argparse
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "http_test_server.py")


def serve(conn):
    folder = None
    server = None
    try:
        request = b""
        while b"\n" not in request and len(request) < 64:
            chunk = conn.recv(64)
            if not chunk:
                return
            request += chunk
        words = request.split(b"\n", 1)[0].decode("ascii", "replace").split()
        if not words or words[0] not in ("plain", "tls") or len(words) > 2:
            return
        if len(words) == 2 and not all(c.isalnum() or c in ".-" for c in words[1]):
            return
        folder = tempfile.mkdtemp(prefix="kestrune-http-")
        command = [sys.executable, SERVER, "--dir", folder]
        if words[0] == "tls":
            command.append("--tls")
        if len(words) == 2:
            command += ["--cert-name", words[1]]
        server = subprocess.Popen(command, stdin=subprocess.PIPE)
        port_file = os.path.join(folder, "port")
        deadline = time.time() + 20
        while not os.path.exists(port_file) and time.time() < deadline:
            time.sleep(0.02)
        if not os.path.exists(port_file):
            return
        with open(port_file) as f:
            port = f.read().strip()
        conn.sendall(("%s\t%s\n" % (port, folder)).encode("utf-8"))
        while conn.recv(4096):
            pass
    except OSError:
        pass
    finally:
        conn.close()
        if server is not None:
            server.stdin.close()
            try:
                server.wait(timeout=10)
            except subprocess.TimeoutExpired:
                server.kill()
        if folder is not None:
            shutil.rmtree(folder, ignore_errors=True)


def watch_parent():
    # A broker whose runner was killed must not stay behind.
    parent = os.getppid()
    while os.getppid() == parent:
        time.sleep(0.5)
    os._exit(0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    args = parser.parse_args()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    with open(args.port_file + ".tmp", "w") as f:
        f.write(str(listener.getsockname()[1]))
    os.rename(args.port_file + ".tmp", args.port_file)
    threading.Thread(target=watch_parent, daemon=True).start()
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve, args=(conn,), daemon=True).start()


if __name__ == "__main__":
    main()
