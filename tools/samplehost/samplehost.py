#!/usr/bin/env python3
"""Sample host for Orva: a small telnet server standing in for the laboratory system.

It negotiates options like a real server (TTYPE, NAWS, ECHO, SGA, BINARY), shows a login
prompt and a character-screen menu with "REQUEST:" and a request number on row 2, and can be
scripted by tests: a script is a list of steps that send bytes to the client or wait for bytes
from it. Standard library only. Listens on 127.0.0.1 only.

Events (negotiation seen, lines typed, data received) are written as JSON lines to --log.
"""

import argparse
import json
import os
import socket
import sys
import threading
import time

IAC, DONT, DO, WONT, WILL, SB, SE = 255, 254, 253, 252, 251, 250, 240
OPT_BINARY, OPT_ECHO, OPT_SGA, OPT_TTYPE, OPT_NAWS = 0, 1, 3, 24, 31
TTYPE_IS, TTYPE_SEND = 0, 1

ESC = b"\x1b"


def unescape(text):
    """Turns a script string into bytes: \\xHH, \\r, \\n, \\e (ESC), \\\\ are understood."""
    out = bytearray()
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            if n == "x" and i + 3 < len(text) + 1:
                out.append(int(text[i + 2:i + 4], 16))
                i += 4
                continue
            out += {"r": b"\r", "n": b"\n", "e": ESC, "t": b"\t", "\\": b"\\"}.get(n, n.encode("latin-1"))
            i += 2
            continue
        out += c.encode("latin-1")
        i += 1
    return bytes(out)


class Log:
    def __init__(self, path):
        self.lock = threading.Lock()
        self.path = path

    def event(self, kind, **fields):
        if not self.path:
            return
        fields["event"] = kind
        with self.lock, open(self.path, "a", encoding="utf-8") as f:
            f.write(json.dumps(fields) + "\n")


class TelnetConnection:
    """One client: strips and answers telnet commands, doubles 0xFF on the way out."""

    def __init__(self, sock, log):
        self.sock = sock
        self.log = log
        self.pending = bytearray()  # data bytes received, commands removed
        self.state = "data"
        self.sb = bytearray()
        self.closed = False
        self.ttype = None
        self.naws = None

    def send_raw(self, data):
        self.sock.sendall(data)

    def send(self, data):
        self.send_raw(bytes(data).replace(b"\xff", b"\xff\xff"))

    def negotiate(self):
        self.send_raw(bytes([IAC, DO, OPT_TTYPE, IAC, DO, OPT_NAWS, IAC, WILL, OPT_ECHO, IAC, WILL, OPT_SGA,
                             IAC, DO, OPT_BINARY, IAC, WILL, OPT_BINARY]))

    def _command(self, verb, opt):
        self.log.event("option", verb={DO: "DO", DONT: "DONT", WILL: "WILL", WONT: "WONT"}[verb], option=opt)
        if verb == WILL and opt == OPT_TTYPE:
            self.send_raw(bytes([IAC, SB, OPT_TTYPE, TTYPE_SEND, IAC, SE]))

    def _subnegotiation(self, body):
        if not body:
            return
        if body[0] == OPT_TTYPE and len(body) > 1 and body[1] == TTYPE_IS:
            self.ttype = body[2:].decode("latin-1")
            self.log.event("ttype", value=self.ttype)
        elif body[0] == OPT_NAWS and len(body) >= 5:
            self.naws = (body[1] * 256 + body[2], body[3] * 256 + body[4])
            self.log.event("naws", width=self.naws[0], height=self.naws[1])

    def feed(self, data):
        for b in data:
            st = self.state
            if st == "data":
                if b == IAC:
                    self.state = "iac"
                else:
                    self.pending.append(b)
            elif st == "iac":
                if b == IAC:
                    self.pending.append(IAC)
                    self.state = "data"
                elif b in (DO, DONT, WILL, WONT):
                    self.verb = b
                    self.state = "opt"
                elif b == SB:
                    self.sb = bytearray()
                    self.state = "sb"
                else:
                    self.state = "data"
            elif st == "opt":
                self._command(self.verb, b)
                self.state = "data"
            elif st == "sb":
                if b == IAC:
                    self.state = "sbiac"
                else:
                    self.sb.append(b)
            elif st == "sbiac":
                if b == SE:
                    self._subnegotiation(bytes(self.sb))
                    self.state = "data"
                else:
                    self.sb.append(b)
                    self.state = "sb"

    def read_some(self, timeout=None):
        """Waits for data bytes; returns False when the client has gone."""
        self.sock.settimeout(timeout)
        try:
            chunk = self.sock.recv(4096)
        except socket.timeout:
            return True
        except OSError:
            chunk = b""
        if not chunk:
            self.closed = True
            return False
        self.feed(chunk)
        return True

    def wait_for(self, needle, timeout):
        deadline = time.monotonic() + timeout
        while needle not in self.pending:
            left = deadline - time.monotonic()
            if left <= 0 or not self.read_some(left):
                return False
        return True

    def read_line(self, echo=True):
        """Reads a typed line (CR, LF or CR LF ends it), echoing as a real host would."""
        line = bytearray()
        while True:
            while not self.pending:
                if not self.read_some():
                    return None
            b = self.pending.pop(0)
            if b in (13, 10):
                if b == 13 and self.pending[:1] in (b"\n", b"\0"):
                    self.pending.pop(0)
                if echo:
                    self.send(b"\r\n")
                return bytes(line)
            if b in (8, 127):
                if line:
                    line.pop()
                    if echo:
                        self.send(b"\b \b")
                continue
            line.append(b)
            if echo:
                self.send(bytes([b]))


def cup(row, col):
    return ESC + b"[%d;%dH" % (row, col)


MENU_REQUEST = b"12345678"


def menu_screen(request=MENU_REQUEST):
    """The main menu of the laboratory system, in reverse-video title and box-drawn frame."""
    s = bytearray()
    s += ESC + b"[H" + ESC + b"[2J"
    s += cup(1, 1) + ESC + b"[7m" + b" ORVA SAMPLE LABORATORY SYSTEM".ljust(80) + ESC + b"[0m"
    s += cup(2, 1) + b"REQUEST: " + request
    s += cup(4, 5) + b"1. Request enquiry"
    s += cup(5, 5) + b"2. Result entry"
    s += cup(6, 5) + b"3. Reports"
    s += cup(7, 5) + b"4. Line-drawing test"
    s += cup(8, 5) + b"9. Log off"
    s += cup(22, 1) + b"Choice: "
    return bytes(s)


def line_drawing_screen():
    s = bytearray(ESC + b"[H" + ESC + b"[2J")
    s += cup(3, 10) + ESC + b"(0" + b"lqqqqqqqqqqk" + ESC + b"(B"
    s += cup(4, 10) + ESC + b"(0x" + ESC + b"(B" + b" BOX TEST " + ESC + b"(0x" + ESC + b"(B"
    s += cup(5, 10) + ESC + b"(0" + b"mqqqqqqqqqqj" + ESC + b"(B"
    s += cup(22, 1) + b"Press RETURN: "
    return bytes(s)


def interactive_session(conn, log):
    conn.send(b"\r\nOrva sample host\r\n\r\nlogin: ")
    user = conn.read_line()
    if user is None:
        return
    log.event("login", user=user.decode("latin-1"))
    request = MENU_REQUEST
    while not conn.closed:
        conn.send(menu_screen(request))
        choice = conn.read_line()
        if choice is None:
            return
        log.event("line", text=choice.decode("latin-1"))
        choice = choice.strip()
        if choice == b"9":
            conn.send(b"\r\nGoodbye\r\n")
            return
        if choice == b"1":
            conn.send(cup(22, 1) + ESC + b"[K" + b"Request number: ")
            r = conn.read_line()
            if r is None:
                return
            if r.strip():
                request = r.strip()[:18]
        elif choice == b"4":
            conn.send(line_drawing_screen())
            if conn.read_line() is None:
                return


def scripted_session(conn, log, steps):
    """Steps: {"send": text}, {"expect": text, "timeout": s}, {"sleep": s}, {"close": true}."""
    for step in steps:
        if "send" in step:
            conn.send(unescape(step["send"]))
        elif "send_raw" in step:
            conn.send_raw(unescape(step["send_raw"]))
        elif "expect" in step:
            needle = unescape(step["expect"])
            ok = conn.wait_for(needle, step.get("timeout", 10))
            log.event("expect", text=step["expect"], found=ok)
            if not ok:
                return
            idx = conn.pending.find(needle)
            del conn.pending[:idx + len(needle)]
        elif "sleep" in step:
            time.sleep(step["sleep"])
        elif step.get("close"):
            return
    # After the script: keep the link open until the client leaves, logging what arrives.
    while conn.read_some():
        if conn.pending:
            log.event("data", hex=bytes(conn.pending).hex())
            conn.pending.clear()


def echo_session(conn, log):
    """Sends every data byte straight back (0xFF doubled on the wire), for transparency tests."""
    while conn.read_some():
        if conn.pending:
            data = bytes(conn.pending)
            conn.pending.clear()
            log.event("data", hex=data.hex())
            conn.send(data)


def serve(args):
    log = Log(args.log)
    steps = None
    if args.script:
        with open(args.script, encoding="utf-8") as f:
            steps = json.load(f)
    srv = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    srv.bind(("127.0.0.1", args.port))
    srv.listen(5)
    port = srv.getsockname()[1]
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write(str(port))
        os.replace(tmp, args.port_file)
    print("samplehost listening on 127.0.0.1:%d" % port, flush=True)

    def handle(sock):
        conn = TelnetConnection(sock, log)
        log.event("connect")
        try:
            conn.negotiate()
            if args.echo:
                echo_session(conn, log)
            elif steps is not None:
                scripted_session(conn, log, steps)
            else:
                interactive_session(conn, log)
        except OSError:
            pass
        finally:
            log.event("disconnect")
            try:
                sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            sock.close()

    while True:
        sock, _ = srv.accept()
        if args.once:
            handle(sock)
            return
        threading.Thread(target=handle, args=(sock,), daemon=True).start()


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("port", nargs="?", type=int, default=2323, help="port on 127.0.0.1 (0 picks a free one)")
    p.add_argument("--log", help="file that receives one JSON line per event")
    p.add_argument("--port-file", help="file that receives the port once listening")
    p.add_argument("--script", help="JSON list of steps to run instead of the menu")
    p.add_argument("--echo", action="store_true", help="echo every data byte back")
    p.add_argument("--once", action="store_true", help="serve one connection, then exit")
    args = p.parse_args()
    try:
        serve(args)
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
