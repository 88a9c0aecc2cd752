#!/usr/bin/env python3
"""Sample host for Orva: a small telnet server standing in for the laboratory system.

It negotiates options like a real server (TTYPE, NAWS, ECHO, SGA, BINARY), shows a login
prompt and a character-screen menu with "REQUEST:" and a request number on row 2, and can be
scripted by tests: a script is a list of steps that send bytes to the client or wait for bytes
from it. Standard library only. Listens on 127.0.0.1 only.

Events (negotiation seen, lines typed, data received) are written as JSON lines to --log.
"""

import argparse
import atexit
import base64
import json
import math
import os
import shutil
import signal
import socket
import struct
import sys
import tempfile
import threading
import time
import zlib

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

    def read_line(self, echo=True, empty_line=None):
        """Reads a typed line (CR, LF or CR LF ends it), echoing as a real host would. The byte
        `empty_line`, typed first, is a line of its own (returned as that one byte)."""
        line = bytearray()
        while True:
            while not self.pending:
                if not self.read_some():
                    return None
            b = self.pending.pop(0)
            if b == empty_line and not line:
                if echo:
                    self.send(b"\r\n")
                return bytes([b])
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


def read_menu_input(conn):
    """Reads a typed line like read_line, or one key sequence sent by a mapped key (only at the start
    of a line). Returns ("line", bytes), ("key", name), or None when the client has gone. Messages the
    workstation sends meanwhile (the events of a host form left open) are logged, not typed."""
    line = bytearray()

    def next_byte():
        while not conn.pending:
            if not conn.read_some():
                return None
        return conn.pending.pop(0)

    while True:
        b = next_byte()
        if b is None:
            return None
        if b == FRAME_START[0]:
            frame = bytearray()
            while (c := next_byte()) != FRAME_END[0]:
                if c is None:
                    return None
                frame.append(c)
            conn.log.event("form_event", hex=bytes(frame).hex())
            continue
        if b == 0 and not line:
            return ("key", "NUL")
        if b == 0x1B:
            seq = bytearray(b"\x1b")
            intro = next_byte()
            if intro is None:
                return None
            seq.append(intro)
            # SS3 takes one final byte; CSI takes parameters up to its final byte.
            while True:
                c = next_byte()
                if c is None:
                    return None
                seq.append(c)
                if intro != ord("[") or 0x40 <= c <= 0x7E:
                    break
            name = KEY_SEQUENCES.get(bytes(seq))
            if name and not line:
                return ("key", name)
            continue
        if b in (13, 10):
            if b == 13 and conn.pending[:1] in (b"\n", b"\0"):
                conn.pending.pop(0)
            conn.send(b"\r\n")
            return ("line", bytes(line))
        if b in (8, 127):
            if line:
                line.pop()
                conn.send(b"\b \b")
            continue
        line.append(b)
        conn.send(bytes([b]))


def cup(row, col):
    return ESC + b"[%d;%dH" % (row, col)


MENU_REQUEST = b"12345678"

# The menu's choices: what is typed to pick one, and its text. Up and Down move the highlight over
# them; Enter on an empty line picks the highlighted one.
MENU_CHOICES = [
    (b"1", b"Request enquiry"),
    (b"2", b"Result entry"),
    (b"3", b"Reports"),
    (b"4", b"Line-drawing test"),
    (b"5", b"Host form"),
    (b"6", b"Request forms in the image window"),
    (b"7", b"Print a test page (printer controller)"),
    (b"8", b"Command prompt (export and import of items)"),
    (b"A", b"Dictation: record"),
    (b"B", b"Dictation: playback"),
    (b"C", b"Dictation: record over unconverted audio"),
    (b"9", b"Log off"),
    (b"D", b"Client commands"),
    (b"R", b"Report messages"),
    (b"T", b"Audio tasks"),
    (b"H", b"Host form requests"),
]
MENU_FIRST_ROW = 4
MENU_ROWS = 12  # choices after these go on in a second column

# Keys the demo setup file maps (F1 and Shift+F1, the arrows, the keypad's 8 and 2); Ctrl+2 sends a NUL.
KEY_SEQUENCES = {
    ESC + b"OP": "F1",
    ESC + b"[A": "UP",
    ESC + b"[B": "DOWN",
    ESC + b"OA": "UP",
    ESC + b"OB": "DOWN",
    ESC + b"Ox": "UP",  # the keypad's 8 and 2 in application mode
    ESC + b"Or": "DOWN",
}


def menu_screen(request=MENU_REQUEST, highlight=0, status=b""):
    """The main menu of the laboratory system, in reverse-video title and box-drawn frame; the
    highlighted choice in reverse video, and the outcome of the last choice on row 20."""
    s = bytearray()
    s += ESC + b"[H" + ESC + b"[2J"
    s += cup(1, 1) + ESC + b"[7m" + b" ORVA SAMPLE LABORATORY SYSTEM".ljust(80) + ESC + b"[0m"
    s += cup(2, 1) + b"REQUEST: " + request + cup(2, 50) + b"SITE: LAB1"
    for i, (key, text) in enumerate(MENU_CHOICES):
        # The key in bold, the highlighted choice in reverse video.
        video = ESC + b"[7m" if i == highlight else b""
        entry = video + ESC + b"[1m" + key + ESC + b"[0m" + video + b". " + text + ESC + b"[0m"
        s += cup(MENU_FIRST_ROW + i % MENU_ROWS, 5 + 45 * (i // MENU_ROWS)) + entry
    if status:
        s += cup(20, 1) + status
    s += cup(21, 1) + ESC + b"[34m" + b"F1 help   Up/Down choose   Enter run" + ESC + b"[0m"
    s += cup(22, 1) + b"Choice: "
    return bytes(s)


def help_screen():
    s = bytearray(ESC + b"[H" + ESC + b"[2J")
    s += cup(1, 1) + ESC + b"[7m" + b" HELP".ljust(80) + ESC + b"[0m"
    lines = [
        b"F1          this help",
        b"Up, Down    move the highlighted choice",
        b"Enter       run the highlighted choice, or type a choice's number",
        b"Ctrl+F5     show the scanned forms of the request on row 2",
    ]
    for i, line in enumerate(lines):
        s += cup(3 + i, 3) + line
    s += cup(22, 1) + b"Press RETURN: "
    return bytes(s)


def line_drawing_screen():
    s = bytearray(ESC + b"[H" + ESC + b"[2J")
    s += cup(3, 10) + ESC + b"(0" + b"lqqqqqqqqqqk" + ESC + b"(B"
    s += cup(4, 10) + ESC + b"(0x" + ESC + b"(B" + b" BOX TEST " + ESC + b"(0x" + ESC + b"(B"
    s += cup(5, 10) + ESC + b"(0" + b"mqqqqqqqqqqj" + ESC + b"(B"
    s += cup(22, 1) + b"Press RETURN: "
    return bytes(s)


HOST_FORM_SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "hostform.json")


def send_host_form(conn):
    """Menu choice 5: the object requests of hostform.json (a scroll-box workspace with one
    control of every type, then the container shown), without waiting for the client's events."""
    with open(HOST_FORM_SCRIPT, encoding="utf-8") as f:
        for step in json.load(f):
            if "frame" in step:
                conn.send(object_request(step["frame"]))


def destroy_host_form(conn):
    """Destroys the workspaces of hostform.json, so that the form can be built again without the
    workstation refusing objects whose names are taken."""
    conn.send(object_request(["ws1", "2"]) + object_request(["frm1", "2"]))


def send_image_request(conn, request):
    """Menu choice 6: client command 1 asking Orva to show the request's forms in its image window.
    Several request numbers entered at choice 1 with commas between them ("12345678,87654321") list
    the forms of each."""
    conn.send(object_request(["orva", "10", "1", "ORVAIMAGE", request.decode("latin-1")]))


RESULT_FORM_SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "resultform.json")
RESULT_HELP = [
    "E edit  R review  F final  P print      G fill grid  Q query grid  M move grid",
    "C clear grid  H hide grid  S show grid  D disable/enable grid  N rename grid",
    "W busy cursor on/off   X close the form (back to the menu)",
]


def describe(frame):
    """A message from the workstation as one terminal line: fields split at 0x03 shown as " | ",
    0xFD as "]", 0xFC as "\\" and other control bytes as "."."""
    out = []
    for b in frame:
        if b == 3:
            out.append(" | ")
        elif b == 0xFD:
            out.append("]")
        elif b == 0xFC:
            out.append("\\")
        elif b < 32 or 0x7F <= b < 0xA0:
            out.append(".")
        else:
            out.append(chr(b))
    return "".join(out)


def definition(name, request_type, **fields):
    """An object request with fields given by number (f4=..., f20=...); the rest empty."""
    last = max([int(k[1:]) for k in fields] + [2])
    frame = [""] * last
    frame[0], frame[1] = name, request_type
    for k, v in fields.items():
        frame[int(k[1:]) - 1] = v
    return frame


class ResultEntry:
    """Menu choice 2: a form workspace with the result-entry control, a grid panel and header and
    footer print panels. The host answers the events it receives, shows them on the terminal, and
    the keys of RESULT_HELP send updates, queries, moves, clears, control actions and destroys."""

    def __init__(self, conn, log):
        self.conn = conn
        self.log = log
        self.lines = []
        self.grid = "grid1"
        self.grid_hidden = False
        self.grid_disabled = False
        self.busy = False
        self.fills = 0
        self.results = ["152", "11.2", "250", "0.45", "", "", "", ""]

    def send(self, frame, note=None):
        # Fields here may hold what the user typed: sent as they are, no escapes read.
        data = FRAME_START + FIELD_SEP.join(f.encode("latin-1", "replace") for f in frame) + FRAME_END
        self.conn.send(data)
        self.log.event("form_request", hex=data.hex())
        self.show("-> " + (note or describe(data[1:-1])))

    def show(self, text):
        self.lines.append(text[:79])
        self.lines = self.lines[-12:]
        s = bytearray()
        for i, line in enumerate(self.lines):
            s += cup(9 + i, 1) + ESC + b"[K" + line.encode("latin-1", "replace")
        self.conn.send(bytes(s))
        self.prompt()

    def prompt(self):
        self.conn.send(cup(22, 1) + ESC + b"[K" + b"Key: ")

    def screen(self):
        s = bytearray(ESC + b"[H" + ESC + b"[2J")
        s += cup(1, 1) + ESC + b"[7m" + b" RESULT ENTRY - request 12345678 (host form)".ljust(80) + ESC + b"[0m"
        for i, line in enumerate(RESULT_HELP):
            s += cup(3 + i, 3) + line.encode("latin-1")
        s += cup(7, 1) + b"Messages (<- from the workstation, -> sent to it):"
        s += cup(22, 1) + b"Key: "
        self.conn.send(bytes(s))

    def result_update(self, state, print_settings=""):
        data = "<RESULT_DATA>" + "\x04".join(self.results)
        return definition("resform.res1", "6", f20=str(state), f21=print_settings, f22=data)

    def on_frame(self, frame):
        self.show("<- " + describe(frame))
        fields = frame.split(FIELD_SEP)
        name = fields[0].decode("latin-1")
        code = fields[1] if len(fields) > 1 else b""
        if code == b"70":
            self.send(definition("resform", "2"), "destroy the form (its close was asked for)")
        elif code == b"90" and name == "resform":
            return False
        elif name == "res1" and code == b"58" and len(fields) >= 5:
            field = int(fields[3]) if fields[3].isdigit() else 0
            if 1 <= field <= len(self.results):
                self.results[field - 1] = fields[4].decode("latin-1")
        elif name == "res1" and code == b"94" and len(fields) >= 4:
            self.results = fields[3].decode("latin-1").split("\xfd")
            self.send(self.result_update(2), "saved: show the final report")
        elif name == "res1" and code == b"95":
            self.send(self.result_update(3), "aborted: show the report for review")
        return True

    def on_key(self, key):
        g = "resform." + self.grid
        if key == "E":
            self.send(self.result_update(1), "edit the results")
        elif key == "R":
            self.send(self.result_update(3), "review state")
        elif key == "F":
            self.send(self.result_update(2), "final state")
        elif key == "P":
            self.send(self.result_update(4, "36;"), "print at scale 36 on the default printer")
        elif key == "G":
            self.fills += 1
            rows = ["Test]Result]Flag"] + ["Run %d row %d]%d]" % (self.fills, r, r * self.fills) for r in range(1, 9)]
            # More rows than the panel shows: the header row and the test column stay in view.
            fields = {"f%d" % (22 + i): r for i, r in enumerate(rows)}
            self.send(definition(g, "6", f18="1,1", **fields), "fill the grid with 9 rows, 1 fixed row and column")
        elif key == "Q":
            self.send(definition(g, "7", f4="*", f5="*", f6="*", f7="*", f16="*", f17="*", f18="*", f22="*"),
                      "query the grid")
        elif key == "M":
            self.send(definition(g, "3", f4="0", f5="0", f6="760", f7="180", f10="bottom"), "move the grid")
        elif key == "C":
            self.send(definition(g, "4"), "clear the grid")
        elif key in ("H", "S"):
            self.send(definition(g, "5.1" if key == "H" else "5.0"), "hide the grid" if key == "H" else "show the grid")
        elif key == "D":
            self.grid_disabled = not self.grid_disabled
            self.send(definition(g, "5.3" if self.grid_disabled else "5.2"),
                      "disable the grid" if self.grid_disabled else "enable the grid")
        elif key == "N":
            new = "grid2" if self.grid == "grid1" else "grid1"
            self.send(definition(g, "5.5", f3=new), "rename the grid to " + new)
            self.grid = new
        elif key == "W":
            self.busy = not self.busy
            self.send(definition("screen", "6", f8="-11" if self.busy else "0"),
                      "busy cursor" if self.busy else "default cursor")
        elif key == "X":
            self.send(definition("resform", "2"), "destroy the form")

    def run(self):
        self.screen()
        with open(RESULT_FORM_SCRIPT, encoding="utf-8") as f:
            for step in json.load(f):
                if "frame" in step:
                    self.conn.send(object_request(step["frame"]))
        self.show("-> the result form: header, result page, grid, footer")
        conn = self.conn
        while not conn.closed:
            while not conn.pending:
                if not conn.read_some():
                    return
            if conn.pending[0] == FRAME_START[0]:
                end = conn.pending.find(FRAME_END)
                if end < 0:
                    if not conn.read_some():
                        return
                    continue
                frame = bytes(conn.pending[1:end])
                del conn.pending[:end + 1]
                self.log.event("form_event", hex=frame.hex())
                if not self.on_frame(frame):
                    return
                continue
            b = conn.pending.pop(0)
            if b in (13, 10, 0):
                continue
            self.on_key(chr(b).upper())


# Menu choice 3: the report the host opens in the editor, the entries of the host's abbreviation
# list (client command 4) sent before it, and what the host answers to look-ups of other words.
DEMO_REPORT = "biopsy.txt"
HOST_ABBREVIATIONS = ["mets=metastatic carcinoma", "ihc=immunohistochemistry"]
LOOKUP_ANSWERS = {b"scc": b"squamous cell carcinoma", b"bcc": b"basal cell carcinoma",
                  b"sk": b"seborrhoeic keratosis"}
# Look-ups the host answers only after a while (seconds), as a busy host does.
LOOKUP_DELAYED = {b"lfts": (b"liver function tests", 3.0)}
ENQ, ACK_BYTE, ETX = b"\x05", b"\x06", b"\x03"


def report_fields(body):
    """The KX_ fields of a report message body as a dict (keys upper case)."""
    fields = {}
    for field in body.split(b"^KX_"):
        key, _, value = field.removeprefix(b"KX_").partition(b"~")
        fields[key.upper()] = value
    return fields


def audio_task_for(report, name, command):
    """The audio task the host sends when the editor's dictation list asks for an entry (ENQ "AUDIO"):
    a recording task for a new one, else the sample dictation as the task the command names, with
    the entry's text to correct. The report's session stays open, so the window closes without an
    ESC (DONTESCAPE)."""
    kind = command.split(b"^")[0]
    body = DICTATION_TASKS[b"A" if kind == b"RECORD" else b"B"]()
    fields = report_fields(body)
    body = body.replace(b"KX_AUDIOTASK~" + fields.get(b"AUDIOTASK", b""), b"KX_AUDIOTASK~" + command, 1)
    reported = report_fields(report)
    for key, value in ((b"AUDIOJOBNUMBER", name), (b"REQCODE", reported.get(b"REQCODE")),
                       (b"PROCCODE", reported.get(b"PROCCODE"))):
        if value is not None:
            body = body.replace(b"KX_" + key + b"~" + fields.get(key, b""), b"KX_" + key + b"~" + value, 1)
    for entry in reported.get(b"AUDIOTEXTINFO", b"").split(b"]"):
        parts = entry.split(b"\\")
        if kind == b"CORRECT" and parts[0] == name and len(parts) > 5:
            body += b"^KX_RECOGNISEDTEXT~" + b"]".join(parts[5:])
    if b"KX_DONTESCAPE~1" not in body:
        body += b"^KX_DONTESCAPE~1"
    return body


def answer_request(conn, log, request, report=b""):
    """One ENQ request of the editor (ENQ kind ETX fields ETX ACK): a look-up gets client command 4
    with the answer or "systemabrnotfound"; an audio command is logged and answered with its task."""
    parts = request.split(ETX)
    kind = parts[0]
    if kind == b"AUDIO" and len(parts) >= 3:
        log.event("request", type="AUDIO", fields=[p.decode("latin-1") for p in parts[1:]])
        conn.send(REPORT_START + audio_task_for(report, parts[1], parts[2]) + REPORT_END)
        return
    if kind == b"ABR" and len(parts) >= 2:
        name = parts[1].strip().lower()
        log.event("lookup", name=name.decode("latin-1"))
        if name in LOOKUP_DELAYED:
            answer, delay = LOOKUP_DELAYED[name]
            time.sleep(delay)
            conn.send(object_request(["orva", "10", "4", name.decode("latin-1"), answer.decode("latin-1")]))
        elif name in LOOKUP_ANSWERS:
            conn.send(object_request(["orva", "10", "4", name.decode("latin-1"),
                                      LOOKUP_ANSWERS[name].decode("latin-1")]))
        else:
            conn.send(object_request(["orva", "10", "4", "systemabrnotfound"]))
    else:
        log.event("request", type=kind.decode("latin-1"), fields=[p.decode("latin-1") for p in parts[1:]])


def await_upload(conn, log, upload_dir, file_prefix, report=b"", reply=None, next_report=None):
    """After a report message or an audio task: look-ups (ENQ ... ACK) are answered, a single ESC gives
    the work up, an upload is received, checked and filed as <file_prefix>-N.txt; one refused with NAK
    is sent again by the client and waited for. A dictation the report's list opened and uploads is
    filed as dictation-N.txt and the wait goes on. Returns "abandoned", "filed", "lost", or None when
    the link closed."""
    count = 0
    dictations = 0
    while True:
        while not conn.pending:
            if not conn.read_some():
                return None
        data = conn.pending
        if data[:1] == ENQ:
            end = data.find(ACK_BYTE)
            if end < 0:
                if not conn.read_some():
                    return None
                continue
            request = bytes(data[1:end]).rstrip(ETX)
            del data[:end + 1]
            answer_request(conn, log, request, report)
        elif data[:1] == ESC and data[1:2] not in (b"[", b"O"):
            del data[:1]
            return "abandoned"
        elif data[:1] == b"\x07" and report and upload_is_dictation(conn):
            dictations += 1
            path = os.path.join(upload_dir, "dictation-%d.txt" % dictations) if upload_dir else None
            receive_upload(conn, log, {"receive_upload": path})
        elif data[:1] == b"\x07":
            count += 1
            path = os.path.join(upload_dir, "%s-%d.txt" % (file_prefix, count)) if upload_dir else None
            result = receive_upload(conn, log, {"receive_upload": path, "reply": reply})
            if reply == "nak" and next_report:
                # The host goes on with its next report; that one is what comes back.
                conn.send(REPORT_START + next_report + REPORT_END)
                report = next_report
            reply = None
            if result == "filed":
                return "filed"
            if result != "refused":
                return "lost"
        else:
            del data[:1]


def upload_is_dictation(conn):
    """Whether the upload that begins in the pending bytes carries a dictation ("KX_AUDIOTEXT")."""
    marker = b"KX_AUDIOTEXT"
    while True:
        at = conn.pending.find(b"\x03\x02")
        if at >= 0 and len(conn.pending) >= at + 2 + len(marker):
            return bytes(conn.pending[at + 2:at + 2 + len(marker)]) == marker
        if not conn.read_some(10):
            return False


def send_and_await(conn, log, event, name, body, upload_dir, file_prefix, status, after_send=None, **upload):
    """Sends a report message and waits for what comes back; status gives the menu's status line for
    each outcome ("abandoned", "filed", "lost"). `after_send` runs once the message is sent; `upload`
    goes to await_upload (reply, next_report). None when the link closed."""
    conn.send(REPORT_START + body + REPORT_END)
    log.event(event, name=name.decode("latin-1"))
    if after_send:
        after_send()
    outcome = await_upload(conn, log, upload_dir, file_prefix, body if event == "report" else b"", **upload)
    if outcome is None:
        return None
    if outcome == "abandoned":
        log.event(event, name=name.decode("latin-1"), abandoned=True)
    return status[outcome]


def report_session(conn, log, upload_dir):
    """Menu choice 3: sends the host's abbreviation list and a report message, then waits for the
    editor. Returns the text for the menu's status line."""
    body = read_report_file(DEMO_REPORT)
    fields = report_fields(body)
    name = fields.get(b"REQCODE", b"") + b"*" + fields.get(b"PROCCODE", b"")
    conn.send(object_request(["orva", "10", "4", "systemabrreplace"] + HOST_ABBREVIATIONS))
    return send_and_await(conn, log, "report", name, body, upload_dir, "upload", {
        "abandoned": b"Report " + name + b" abandoned: nothing filed.",
        "filed": b"[221] 'REPORT " + name + b"' filed.",
        "lost": b"Report " + name + b": the upload did not arrive.",
    })


def unconverted_audio_task():
    """Menu choice C: a recording task whose audio the host holds as a failed conversion left it
    (16-bit PCM, 44.1 kHz stereo, one second of a 440 Hz tone): the window plays it as it is and
    converts it to the dictation format at the first Record."""
    rate = 44100
    frames = bytearray()
    for i in range(rate):
        sample = int(8000 * math.sin(2 * math.pi * 440 * i / rate))
        frames += struct.pack("<hh", sample, sample)
    fmt = struct.pack("<HHIIHH", 1, 2, rate, rate * 4, 4, 16)
    wave = (b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(frames)) + b"WAVE" + b"fmt " +
            struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(frames)) + bytes(frames))
    body = read_report_file("dictation-record.txt").replace(b"^KX_REQCODE~26/00125", b"^KX_REQCODE~26/00126")
    return body + b"^KX_AUDIOFILE~unconverted.wav^KX_AUDIODATA~" + base64.b64encode(wave)


# Menu choices A, B and C: the audio tasks the host sends the dictation window.
DICTATION_TASKS = {
    b"A": lambda: read_report_file("dictation-record.txt"),
    b"B": lambda: read_report_file("dictation.txt"),
    b"C": unconverted_audio_task,
}


def dictation_session(conn, log, upload_dir, body, after_send=None):
    """Menu choices A, B, C and T: sends an audio task and waits for the dictation window. Returns the
    text for the menu's status line."""
    fields = report_fields(body)
    name = fields.get(b"REQCODE", b"") + b" " + fields.get(b"AUDIOTASK", b"")
    return send_and_await(conn, log, "dictation", name, body, upload_dir, "dictation", after_send=after_send, status={
        "abandoned": b"Dictation " + name + b" closed: nothing filed.",
        "filed": b"[221] 'DICTATION " + name + b"' filed.",
        "lost": b"Dictation " + name + b": the upload did not arrive.",
    })


# The laboratory's picture share as the host names it, and the local folder (--share) that stands for
# it on this machine: the setup file maps one to the other with a pathmap line.
SHARE_HOST = "\\\\labsrv\\images\\"
SHARE_PICTURES = "pictures"


def host_share_path(name):
    """A file of the share's pictures folder as the host names it."""
    return SHARE_HOST + SHARE_PICTURES + "\\" + name


def png_bytes(width, height, pixel):
    """A 24-bit PNG picture; pixel(x, y) gives (r, g, b)."""
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            raw += bytes(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def bmp_bytes(width, height, pixel):
    """A 24-bit Windows bitmap, rows bottom up; pixel(x, y) gives (r, g, b)."""
    stride = (width * 3 + 3) // 4 * 4
    data = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        data += row + bytes(stride - len(row))
    head = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return head + info + bytes(data)


NUCLEI = [(37 + (i * 73) % 250, 21 + (i * 47) % 160, 6 + i % 5) for i in range(40)]


def stained_tissue(x, y):
    """A section under the microscope: pink stroma, purple nuclei."""
    for cx, cy, r in NUCLEI:
        if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
            return (110, 50, 140)
    return (236, 190 + (x * y) % 20, 214)


def range_scale(x, y):
    """A reference scale from green through amber to red, with a tick every 40 pixels."""
    if y < 14 and x % 40 == 0:
        return (0, 0, 0)
    t = x / 399
    return (int(255 * min(1, 2 * t)), int(200 * min(1, 2 - 2 * t)), 40)


def write_share(folder):
    """Writes the pictures and the document the menu's choices name into the share's folder."""
    pictures = os.path.join(folder, SHARE_PICTURES)
    os.makedirs(pictures, exist_ok=True)
    files = {
        "microscopy.png": lambda: png_bytes(320, 200, stained_tissue),
        "scale.bmp": lambda: bmp_bytes(400, 60, range_scale),
        "notice.txt": lambda: b"Orva sample host: a document the host asked the workstation to open.\n",
    }
    for name, make in files.items():
        path = os.path.join(pictures, name)
        if not os.path.exists(path):
            with open(path, "wb") as f:
                f.write(make())


# The patient of the report messages below (with an empty second address line, so the letterhead's
# address block closes up).
PATIENT = [("TEMPLATE", "HIST"), ("PROCCODE", "SKBX"), ("PATCODE", "P0043"), ("PATSUR", "Brown"),
           ("PATGIVEN", "David"), ("PATTITLE", "Mr"), ("PATADD1", "4 Mill Lane"), ("PATADD2", ""),
           ("PATADD3", "Oxford"), ("PATPC", "OX1 2AB"), ("PATDOB", "12/05/1961"), ("SERVICEDATE", "03/02/2026"),
           ("DOCTITLE", "Dr"), ("DOCGIVEN", "Sarah"), ("DOCSUR", "Green"), ("WARD", "Dermatology clinic"),
           ("RETURNCONF", "C1")]


def report_message(reqcode, *fields):
    """A report message body for the sample patient: later fields override earlier ones of the same key."""
    pairs = dict([("REQCODE", reqcode)] + PATIENT)
    pairs.update(f for f in fields if f[0] not in ("IMAGEBOX", "EXTRADATA"))
    repeated = [f for f in fields if f[0] in ("IMAGEBOX", "EXTRADATA")]
    order = [("TEMPLATE", pairs.pop("TEMPLATE"))] + list(pairs.items()) + repeated
    return b"^".join(b"KX_" + k.encode("latin-1") + b"~" + v.encode("latin-1") for k, v in order)


COLOUR, SIZE, FONT, CARET = "\xa4", "\xa9", "\xae", "\xaf"
MARKUP_TEXT = (
    "{Host markup{~"
    "Bold {like this{, italic |like this|, underlined _like this_.~"
    "Colours: " + COLOUR + "255" + COLOUR + "red" + COLOUR + "0" + COLOUR + ", " + COLOUR + "32768" + COLOUR +
    "green" + COLOUR + "0" + COLOUR + " and " + COLOUR + "16711680" + COLOUR + "blue" + COLOUR + "0" + COLOUR +
    ".~Sizes: " + SIZE + "14" + SIZE + "fourteen points" + SIZE + "10" + SIZE + ", one point smaller[ and back]~"
    "Fonts: " + FONT + "Times New Roman" + FONT + "Times New Roman" + FONT + "Courier New" + FONT +
    " and back.~A caret " + CARET + " needs the host's escape.~"
    "Fields to fill (Tab moves between them): size ` mm, margin ` mm.~")

STORED_DOCUMENT = (
    r"{\rtf1\ansi\deff0{\fonttbl{\f0 Courier New;}{\f1 Arial;}}" "\n"
    r"\pard\f0\fs20\b Stored report\b0\par" "\n"
    r"This report was saved by the host as a document: it opens as it was stored, table and all.\par" "\n"
    r"\par" "\n"
    r"\trowd\cellx2500\cellx5000\cellx7500 \pard\intbl\b Block\b0\cell\b Stain\b0\cell\b Finding\b0\cell\row" "\n"
    r"\trowd\cellx2500\cellx5000\cellx7500 \pard\intbl A1\cell H&E\cell Compound naevus\cell\row" "\n"
    r"\trowd\cellx2500\cellx5000\cellx7500 \pard\intbl A2\cell Melan-A\cell No junctional atypia\cell\row" "\n"
    r"\pard\par" "\n"
    r"\b Conclusion:\b0  Compound naevus, completely excised.\par}" "\n")

DICTATED_DOCUMENT = (
    r"{\rtf1\ansi\deff0{\fonttbl{\f0 Courier New;}}" "\n"
    r"\pard\f0\fs20\b Microscopy:\b0  {{\*\wpfield\wpfid1\wpfchg0\wpfdata0}"
    r"{\'a8INSERT AUDIO HERE-SG_2121937105;SKBX;Corrected microscopy}}\par" "\n"
    r"\par" "\n"
    r"\b Conclusion:\b0 \par}" "\n")

# One dictation in every status of the editor's list: name, item type, procedure, description,
# batch mark, text lines.
DICTATION_ENTRIES = [
    ("SG_2121937101", "0", "Recording", "", []),
    ("SG_2121937102", "8", "Recording, its text used", "", []),
    ("SG_2121937103", "4", "Recognised macroscopy", "", ["An ellipse of skin 14 x 6 mm.", "Surface unremarkable."]),
    ("SG_2121937104", "64", "Recognised, its text used", "", ["Three blocks taken."]),
    ("SG_2121937105", "8", "Corrected microscopy", "", ["Sections show a compound naevus.", "No atypia."]),
    ("SG_2121937106", "16", "Corrected, its text used", "", ["Margins clear."]),
    ("SG_2121937107", "8", "Batched reports", "B", ["First batched report.", "Second batched report."]),
    ("SG_2121937108", "8", "Corrected conclusion", "", ["Compound naevus, completely excised."]),
]


def dictation_list():
    return "]".join("\\".join([name, kind, "SKBX", desc, batch] + lines)
                    for name, kind, desc, batch, lines in DICTATION_ENTRIES)


def marked_range_report():
    out = host_share_path("scale-26-00135.bmp")
    return report_message(
        "26/00135", ("RESULTTEXT", "Result 62 on the reference scale, marked by the workstation:~"),
        ("DYNAMICRANGE", ",".join([host_share_path("scale.bmp"), out, "62", "62"])),
        ("IMAGEBOX", out + ",20,40,100,100,0,0"))


# Menu choice R: report messages, each showing one part of what a report can carry.
REPORT_MESSAGES = [
    (b"1", b"Host markup: bold, italic, colours, sizes, fonts, fields (RESULTTEXT)",
     lambda: report_message("26/00131", ("TEXTFONT", "Courier New"), ("TEXTSIZE", "10"),
                            ("RESULTTEXT", MARKUP_TEXT))),
    (b"2", b"Pictures placed by the host (IMAGEBOX)",
     lambda: report_message(
         "26/00132", ("RESULTTEXT", "Pictures placed by the host: one at its own size, one fitted to 160 pixels.~"),
         ("IMAGEBOX", host_share_path("microscopy.png") + ",20,60,100,100,0,0"),
         ("IMAGEBOX", host_share_path("microscopy.png") + ",300,60,0,0,160,0"))),
    (b"3", b"A stored document (B64DATA)",
     lambda: report_message("26/00133", ("B64DATA", base64.b64encode(STORED_DOCUMENT.encode()).decode()))),
    (b"4", b"Host abbreviations for one report (EXTRADATA)",
     lambda: report_message(
         "26/00134", ("RESULTTEXT", "Type /hx, /rpt or /cons and press F2: the report's own abbreviations.~"),
         ("EXTRADATA", "HOST|hx|history of a previous excision at this site"),
         ("EXTRADATA", "HOST|rpt|Please repeat the biopsy if clinically indicated."),
         ("EXTRADATA", "HOST|cons|Discussed with Dr Green."))),
    (b"5", b"A result marked on a picture (DYNAMICRANGE)", marked_range_report),
    (b"6", b"Dictation list: an entry in every status (AUDIOTEXTINFO)",
     lambda: report_message("26/00136", ("AUDIOTEXTINFO", dictation_list()),
                            ("B64DATA", base64.b64encode(DICTATED_DOCUMENT.encode()).decode()))),
    (b"7", b"Letterhead and template with merge fields and tags",
     lambda: report_message("26/00137", ("TEMPLATE", "LETTER"), ("TPLOVERRIDE", "MERGE"))),
    (b"8", b"The host refuses the upload (NAK) and sends the next report",
     lambda: report_message("26/00138", ("RESULTTEXT", "Press F10: the host refuses this one with NAK.~"))),
    (b"9", b"The host fails the upload (BEL): save it again",
     lambda: report_message("26/00139", ("RESULTTEXT", "Press F10: the host answers BEL, press F10 again.~"))),
    (b"A", b"Abbreviations the host looks up: found, found after a delay, not found",
     lambda: report_message(
         "26/00140", ("RESULTTEXT", "Type a word and press F2: scc the host knows, lfts it answers after "
                                    "3 seconds, xyz it does not know (the word stays).~"))),
]
REPORT_REPLIES = {b"8": "nak", b"9": "bel"}


def wave_bytes(rate, frames, channels=1):
    """A 16-bit PCM wave file around the given sample frames."""
    fmt = struct.pack("<HHIIHH", 1, channels, rate, rate * 2 * channels, 2 * channels, 16)
    return (b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(frames)) + b"WAVE" + b"fmt " +
            struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(frames)) + bytes(frames))


# The dictated words and where each is heard (ms): a tone for each word, silence between them.
DICTATED_WORDS = [("Sections", 0, 450), ("show", 550, 850), ("a", 950, 1100), ("compound", 1200, 1700),
                  ("naevus", 1800, 2300), ("without", 2400, 2800), ("atypia.", 2900, 3400)]


def dictated_words_audio():
    rate = 11025
    frames = bytearray()
    total = DICTATED_WORDS[-1][2] + 200
    for i in range(total * rate // 1000):
        ms = i * 1000 // rate
        pitch = next((220 + 40 * n for n, (_, a, b) in enumerate(DICTATED_WORDS) if a <= ms < b), 0)
        frames += struct.pack("<h", int(6000 * math.sin(2 * math.pi * pitch * i / rate)) if pitch else 0)
    return wave_bytes(rate, frames)


def playback_info():
    return "]".join("%s\\%d\\%d" % w for w in DICTATED_WORDS)


def audio_task(reqcode, task, *fields, audio=None, audio_file="dictated.wav"):
    """An audio task for the sample patient; `audio` (bytes) goes with it as AUDIODATA. Each task of
    the menu has a request of its own, so that the menu's outcome line names the one it was."""
    pairs = [("AUDIOONLY", "1"), ("AUDIOTASK", task), ("REQCODE", reqcode), ("PROCCODE", "SKBX"),
             ("AUDIODESCRIPTION", "Skin biopsy microscopy"), ("AUDIOJOBNUMBER", "SG_2121937105"),
             ("AUTHORLIST", "*Dr S Green:SG:101:Histology;Dr P White:PW::no context"),
             ("PATTITLE", "Mr"), ("PATSUR", "Brown"), ("PATGIVEN", "David"), ("SERVICEDATE", "03/02/2026")]
    pairs += list(fields)
    if audio is not None:
        pairs += [("AUDIOFILE", audio_file), ("AUDIODATA", base64.b64encode(audio).decode())]
    return b"^".join(b"KX_" + k.encode("latin-1") + b"~" + v.encode("latin-1") for k, v in pairs)


def read_sample_audio(name):
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "audio", name), "rb") as f:
        return f.read()


DICTATED_TEXT = "Sections show a compound naevus]without atypia."

# Menu choice T: audio tasks beyond the plain recording and playback of choices A and B.
AUDIO_TASKS = [
    (b"1", b"Correct a dictation (CORRECT, corrected text, word timings)",
     lambda: audio_task("26/00141", "CORRECT", ("CORRECTEDTEXT", DICTATED_TEXT),
                        ("PLAYBACKINFO", playback_info()),
                        audio=dictated_words_audio())),
    (b"2", b"Play back with word highlighting (PLAYBACKINFO, PCM audio)",
     lambda: audio_task("26/00142", "PLAYBACK", ("RECOGNISEDTEXT", DICTATED_TEXT),
                        ("PLAYBACKINFO", playback_info()),
                        audio=dictated_words_audio())),
    (b"3", b"Import a recording (IMPORT)",
     lambda: audio_task("26/00143", "IMPORT", ("AUDIODESCRIPTION", "Imported dictation"))),
    (b"4", b"Batched reports (AUDIOBATCHINFO)",
     lambda: audio_task("26/00144", "PLAYBACK",
                        ("AUDIOBATCHINFO", "1;Report 26/00124:0:1700:x;Report 26/00125:1800:3400"),
                        audio=dictated_words_audio())),
    (b"5", b"A dictation held by another user (HELDBY)",
     lambda: audio_task("26/00145", "CORRECT", ("CORRECTEDTEXT", DICTATED_TEXT), ("HELDBY", "Dr P White"),
                        audio=dictated_words_audio())),
    (b"6", b"Play back MP3 audio",
     lambda: audio_task("26/00146", "PLAYBACK", audio=read_sample_audio("dictation.mp3"),
                        audio_file="dictation.mp3")),
    (b"7", b"Play back, then the host plays it from 2 s (PLAYFROM)",
     lambda: audio_task("26/00147", "PLAYBACK", ("RECOGNISEDTEXT", DICTATED_TEXT),
                        ("PLAYBACKINFO", playback_info()),
                        audio=dictated_words_audio())),
]
PLAY_FROM_MS = 2000


def read_reply_byte(conn, timeout):
    """The one byte the workstation answers a capture command with, or None."""
    return read_exact(conn, 1, time.monotonic() + timeout)


REPLY_NAMES = {b"\x03": "done", b"2": "file not made (2)", b"3": "folder not made (3)"}
CAPTURE_FILE = "lab-list.txt"
CAPTURE_LINES = [b"REQUEST\x0312345678\x02SMITH J", b"REQUEST\x0387654321\x02BROWN D",
                 b"Totals\xd0two requests"]


def host_capture(conn, log):
    """Client commands 2 and 3: the workstation captures the lines between them into a file of its
    capture folder (0x02, 0x03 and 0xD0 written as 0xFC, 0xFD and CR LF)."""
    conn.send(host_request(["orva", "10", "2", CAPTURE_FILE]))
    started = read_reply_byte(conn, 10)
    log.event("capture", start=(started or b"").hex())
    if started != b"\x03":
        return b"Host capture to %s not started: %s." % (
            CAPTURE_FILE.encode(), REPLY_NAMES.get(started, "no answer").encode())
    conn.send(b"\r\n".join(CAPTURE_LINES) + b"\r\n")
    conn.send(host_request(["control", "10", "3"]))
    stopped = read_reply_byte(conn, 10)
    log.event("capture", stop=(stopped or b"").hex())
    return b"Host capture to %s: %d lines, started and %s." % (
        CAPTURE_FILE.encode(), len(CAPTURE_LINES), b"stopped" if stopped == b"\x03" else b"not stopped")


def start_program(conn, log, share):
    """Client command 1 with parameters: the workstation runs a program (touch, making a file in the
    share, which the host then looks for)."""
    target = os.path.join(share, SHARE_PICTURES, "started-by-host")
    if os.path.exists(target):
        os.remove(target)
    conn.send(host_request(["orva", "10", "1", "/usr/bin/touch", target]))
    deadline = time.monotonic() + 10
    while not os.path.exists(target) and time.monotonic() < deadline:
        time.sleep(0.1)
    made = os.path.exists(target)
    log.event("program", made=made)
    return b"The workstation ran touch: the share's file started-by-host %s." % (b"made" if made else b"not made")


KEYSET_QUERY = b"whoareu"


def keyset_query(conn, log):
    """The host's key-set query: a text on the screen that the workstation answers with its key-set
    reply and CR (keysetquery and keysetreply in the setup file)."""
    conn.send(cup(20, 1) + ESC + b"[K" + b"Key-set query: " + KEYSET_QUERY)
    answer = read_until(conn, b"\r", time.monotonic() + 5)
    log.event("keyset", answer=None if answer is None else answer.decode("latin-1"))
    if answer is None:
        return b"No answer to the key-set query (keysetquery and keysetreply in the setup file)."
    return b"The terminal answered the key-set query \"%s\" with \"%s\"." % (KEYSET_QUERY, answer)


def client_commands(session):
    conn, log = session.conn, session.log
    return [
        (b"1", b"Information box (client command 5)", lambda: (
            conn.send(host_request(["orva", "10", "5", "Sample host",
                                      "The laboratory system stops for maintenance at 18:00."])),
            b"Information box sent.")[1]),
        (b"2", b"Host capture of a list into a file (client commands 2 and 3)", lambda: host_capture(conn, log)),
        (b"3", b"Open a document on the workstation (client command 1)", lambda: (
            conn.send(host_request(["orva", "10", "1", host_share_path("notice.txt"), ""])),
            b"Asked the workstation to open " + host_share_path("notice.txt").encode() + b".")[1]),
        (b"4", b"Start a program on the workstation (client command 1)",
         lambda: start_program(conn, log, session.share)),
        (b"5", b"Key-set query and the terminal's reply", lambda: keyset_query(conn, log)),
    ]


def sub_menu_screen(title, entries, status):
    s = bytearray(ESC + b"[H" + ESC + b"[2J")
    s += cup(1, 1) + ESC + b"[7m" + (b" " + title).ljust(80) + ESC + b"[0m"
    for i, (key, text, _) in enumerate(entries):
        s += cup(3 + i, 3) + ESC + b"[1m" + key + ESC + b"[0m" + b". " + text
    if status:
        s += cup(20, 1) + status[:80]
    s += cup(21, 1) + ESC + b"[34m" + b"Enter alone: back to the main menu" + ESC + b"[0m"
    s += cup(22, 1) + b"Choice: "
    return bytes(s)


def sub_menu(conn, log, title, entries):
    """A menu of its own: a choice runs and shows its outcome on row 20; Enter alone goes back.
    False when the client has gone."""
    status = b""
    while True:
        conn.send(sub_menu_screen(title, entries, status))
        status = b""
        got = read_menu_input(conn)
        if got is None:
            return False
        kind, value = got
        if kind != "line":
            continue
        choice = value.strip().upper()
        log.event("line", text=value.decode("latin-1"), menu=title.decode("latin-1"))
        if not choice:
            return True
        for key, _, action in entries:
            if key == choice:
                status = action()
                if status is None:
                    return False


# Menu choice H: the objects of the host form (hostform.json) and the requests the host can send each.
FORM_OBJECTS = [
    ("A", "ws1", "workspace"), ("B", "ws1.ed1", "labeled edit"), ("C", "ws1.lbl1", "label"),
    ("D", "ws1.memo1", "memo"), ("E", "ws1.rich1", "rich edit"), ("F", "ws1.list1", "list box"),
    ("G", "ws1.combo1", "combo box"), ("H", "ws1.img1", "image"), ("I", "ws1.btn1", "button"),
    ("J", "ws1.split1", "splitter"), ("K", "ws1.side", "panel"), ("L", "ws1.radio1", "radio button"),
    ("M", "ws1.check1", "check box"), ("N", "ws1.web1", "browser"), ("O", "ws1.grid1", "grid panel"),
    ("P", "ws1.bev1", "bevel"), ("Q", "ws1.res1", "result"), ("R", "ws1.pp1", "print panel"),
    ("S", "frm1", "form workspace"), ("T", "screen", "screen"),
]
FORM_REQUESTS = [
    "1 update  2 query  3 move  4 clear  5 hide/show  6 disable/enable  7 focus",
    "8 rename  9 destroy  + build the form again  0 back to the menu (the form goes)",
]
RICH_TEXT = r"{\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0\b Rich\b0  text from the host\par}"


def form_update(name, n):
    """The update request for an object (its events asked for too); `n` counts updates, so that a
    second update shows a change."""
    short = name.split(".")[-1]
    colour = ["15790320", "14745599", "13434828"][n % 3]
    updates = {
        "ws1": dict(f9=colour),
        "ed1": dict(f16="click,change,keypress,keydown,exit,enter,mousedown", f18="JONES A %d" % n),
        "lbl1": dict(f9="255", f16="click,doubleclick,mousedown", f17="Label updated %d" % n),
        "memo1": dict(f16="change,exit,enter", f21="Line %d appended by the host" % n),
        "rich1": dict(f16="change,exit,enter", f21=RICH_TEXT),
        "list1": dict(f16="click,doubleclick,keypress", f18="Pathology %d" % n),
        "combo1": dict(f16="change,click,enter,exit", f18="Routine", f19="Urgent", f20="Stat",
                       f21="Research %d" % n),
        "img1": dict(f16="click,doubleclick,mousedown", f17=host_share_path("microscopy.png")),
        "btn1": dict(f16="click,enter,exit", f17="&Send %d" % n),
        "split1": dict(f9=colour),
        "side": dict(f9=colour, f16="click,doubleclick", f17="Panel updated %d" % n),
        "radio1": dict(f16="click", f19="y" if n % 2 else "n"),
        "check1": dict(f16="click", f19="y" if n % 2 else "n"),
        "grid1": dict(**{"f%d" % (22 + r): ("Test]Result]Flag" if r == 0 else "Test %d]%d]" % (r, r * n))
                         for r in range(9)}),
        "res1": dict(f16="change,save,abort"),
        "pp1": dict(f17="Print panel updated %d" % n),
        "frm1": dict(f17="Form updated by the host %d" % n, f16="click,closequery"),
        "screen": dict(f8="-11" if n % 2 else "0"),
    }
    kind = "6.1" if short in ("memo1", "list1") else "6"
    return definition(name, kind, **updates.get(short, dict(f17="Update %d" % n)))


def form_query(name):
    if name == "screen":
        return definition(name, "7", **{"f%d" % i: "*" for i in (4, 5, 6, 7, 8, 9, 17)})
    return definition(name, "7", **{"f%d" % i: "*" for i in range(4, 26)})


class HostFormRequests(ResultEntry):
    """Menu choice H: the host form of choice 5 and every request the host sends its objects; the
    events, replies and errors the workstation answers with are listed as choice 2 lists them."""

    def __init__(self, conn, log, form_open=False):
        super().__init__(conn, log)
        self.form_open = form_open  # the form of choice 5 is still on the workstation
        self.names = {key: name for key, name, _ in FORM_OBJECTS}
        self.selected = "B"
        self.counts = {}
        self.toggles = set()
        self.destroyed = set()

    def screen(self):
        s = bytearray(ESC + b"[H" + ESC + b"[2J")
        s += cup(1, 1) + ESC + b"[7m" + b" HOST FORM REQUESTS - the form of choice 5".ljust(80) + ESC + b"[0m"
        for i, (key, _, text) in enumerate(FORM_OBJECTS):
            s += cup(2 + i // 5, 1 + (i % 5) * 16) + key.encode() + b" " + text.encode()
        for i, line in enumerate(FORM_REQUESTS):
            s += cup(6 + i, 1) + line.encode()
        self.conn.send(bytes(s))
        self.prompt()

    def prompt(self):
        self.conn.send(cup(22, 1) + ESC + b"[K" + b"Object: " + self.names[self.selected].encode() + b"  Key: ")

    def build(self):
        with open(HOST_FORM_SCRIPT, encoding="utf-8") as f:
            for step in json.load(f):
                if "frame" in step:
                    self.conn.send(object_request(step["frame"]))
        self.names = {key: name for key, name, _ in FORM_OBJECTS}
        self.show("-> the host form: a workspace with every control, and a hidden form")

    def toggle(self, what):
        on = what not in self.toggles
        self.toggles.symmetric_difference_update({what})
        return on

    def on_frame(self, frame):
        self.show("<- " + describe(frame))
        return True

    def on_key(self, key):
        if key in self.names:
            self.selected = key
            self.prompt()
            return
        name = self.names[self.selected]
        label = dict((k, t) for k, _, t in FORM_OBJECTS)[self.selected]
        if name == "screen" and key in "3456789":
            self.show("the screen takes updates (1) and queries (2) only")
            return
        if key == "1":
            n = self.counts[name] = self.counts.get(name, 0) + 1
            self.send(form_update(name, n), "update the %s" % label)
        elif key == "2":
            self.send(form_query(name), "query the %s" % label)
        elif key == "3":
            step = 20 if self.toggle(name + "moved") else 0
            self.send(definition(name, "3", f4=str(10 + step), f5=str(10 + step), f6="240", f7="80"),
                      "move the %s" % label)
        elif key == "4":
            self.send(definition(name, "4"), "clear the %s" % label)
        elif key == "5":
            hide = self.toggle(name + "hidden")
            self.send(definition(name, "5.1" if hide else "5.0"), ("hide the %s" if hide else "show the %s") % label)
        elif key == "6":
            off = self.toggle(name + "disabled")
            self.send(definition(name, "5.3" if off else "5.2"),
                      ("disable the %s" if off else "enable the %s") % label)
        elif key == "7":
            self.send(definition(name, "5.4"), "focus the %s" % label)
        elif key == "8":
            new = name[:-1] if name.endswith("x") else name + "x"
            self.send(definition(name, "5.5", f3=new.split(".")[-1]), "rename the %s to %s" % (label, new))
            self.names[self.selected] = new
        elif key == "9":
            self.send(definition(name, "2"), "destroy the %s" % label)
            self.destroyed.add(name)
        elif key == "+":
            self.destroy()
            self.build()

    def destroy(self):
        # A workspace the user destroyed already is not asked for again (that would be an error).
        for name, label in (("ws1", "workspace"), ("frm1", "form workspace")):
            if name not in self.destroyed:
                self.send(definition(name, "2"), "destroy the " + label)
        self.destroyed = set()

    def run(self):
        self.screen()
        if self.form_open:
            self.destroy()
        self.build()
        conn = self.conn
        while not conn.closed:
            while not conn.pending:
                if not conn.read_some():
                    return False
            if conn.pending[0] == FRAME_START[0]:
                end = conn.pending.find(FRAME_END)
                if end < 0:
                    if not conn.read_some():
                        return False
                    continue
                frame = bytes(conn.pending[1:end])
                del conn.pending[:end + 1]
                self.log.event("form_event", hex=frame.hex())
                self.on_frame(frame)
                continue
            b = conn.pending.pop(0)
            if b == ord("0"):
                self.destroy()
                return True
            if b in (13, 10, 0):
                continue
            self.on_key(chr(b).upper())
        return False


def report_message_session(conn, log, upload_dir, key, body):
    """Menu choice R: one report message; the host refuses its first upload with NAK (then sends the
    next report) or BEL when the choice says so. Returns the text for the menu's status line."""
    fields = report_fields(body)
    name = fields.get(b"REQCODE", b"") + b"*" + fields.get(b"PROCCODE", b"")
    reply = REPORT_REPLIES.get(key)
    next_report = read_report_file("histology.txt") if reply == "nak" else None
    filed = b"[221] 'REPORT " + name + b"' filed."
    if next_report:
        after = report_fields(next_report)
        filed = (b"Refused with NAK; the next report, " + after.get(b"REQCODE", b"") + b"*" +
                 after.get(b"PROCCODE", b"") + b", filed.")
    # The host's abbreviation list goes first, as with choice 3: the editor asks the host for other
    # words only once the host has sent its list.
    conn.send(object_request(["orva", "10", "4", "systemabrreplace"] + HOST_ABBREVIATIONS))
    return send_and_await(conn, log, "report", name, body, upload_dir, "upload", reply=reply,
                          next_report=next_report, status={
                              "abandoned": b"Report " + name + b" abandoned: nothing filed.",
                              "filed": filed,
                              "lost": b"Report " + name + b": the upload did not arrive.",
                          })


class MenuSession:
    """One connection at the menu: where uploads are filed and where the share's pictures lie."""

    def __init__(self, conn, log, upload_dir, share):
        self.conn = conn
        self.log = log
        self.upload_dir = upload_dir
        self.share = share

    def report_messages(self):
        return [(key, text, lambda key=key, make=make: report_message_session(
            self.conn, self.log, self.upload_dir, key, make())) for key, text, make in REPORT_MESSAGES]

    def audio_tasks(self):
        def play_from():
            time.sleep(2)
            self.conn.send(host_request(["orva", "10", "1", "ORVAAUDIO", "PLAYFROM,%d" % PLAY_FROM_MS]))
            self.log.event("playfrom", ms=PLAY_FROM_MS)

        return [(key, text, lambda key=key, make=make: dictation_session(
            self.conn, self.log, self.upload_dir, make(), play_from if key == b"7" else None))
            for key, text, make in AUDIO_TASKS]


def interactive_session(conn, log, upload_dir=None, share=None):
    conn.send(b"\r\nOrva sample host\r\n\r\nlogin: ")
    user = conn.read_line()
    if user is None:
        return
    log.event("login", user=user.decode("latin-1"))
    session = MenuSession(conn, log, upload_dir, share)
    request = MENU_REQUEST
    highlight = 0
    status = b""
    form_open = False  # the form of choice 5 is on the workstation
    while not conn.closed:
        conn.send(menu_screen(request, highlight, status))
        status = b""
        got = read_menu_input(conn)
        if got is None:
            return
        kind, value = got
        if kind == "key":
            log.event("key", name=value)
            if value == "UP":
                highlight = (highlight - 1) % len(MENU_CHOICES)
            elif value == "DOWN":
                highlight = (highlight + 1) % len(MENU_CHOICES)
            elif value == "F1":
                conn.send(help_screen())
                if conn.read_line() is None:
                    return
            continue
        log.event("line", text=value.decode("latin-1"))
        choice = value.strip().upper() or MENU_CHOICES[highlight][0]
        if choice == b"9":
            conn.send(b"\r\nGoodbye\r\n")
            return
        went_on = True
        if choice == b"1":
            conn.send(cup(22, 1) + ESC + b"[K" + b"Request number: ")
            r = conn.read_line()
            if r is None:
                return
            if r.strip():
                request = r.strip()[:18]
        elif choice == b"2":
            ResultEntry(conn, log).run()
        elif choice == b"5":
            if form_open:
                destroy_host_form(conn)
            send_host_form(conn)
            form_open = True
        elif choice == b"7":
            conn.send(PRINT_START + TEST_PAGE + PRINT_END)
            conn.send(cup(22, 1) + ESC + b"[K" + b"Test page sent to your printer. Press RETURN: ")
            went_on = conn.read_line() is not None
        elif choice == b"8":
            went_on = command_prompt(conn, log)
        elif choice == b"3":
            status = report_session(conn, log, upload_dir)
        elif choice == b"6":
            send_image_request(conn, request)
        elif choice in DICTATION_TASKS:
            status = dictation_session(conn, log, upload_dir, DICTATION_TASKS[choice]())
        elif choice == b"4":
            conn.send(line_drawing_screen())
            went_on = conn.read_line() is not None
        elif choice == b"D":
            went_on = sub_menu(conn, log, b"CLIENT COMMANDS", client_commands(session))
        elif choice == b"R":
            went_on = sub_menu(conn, log, b"REPORT MESSAGES", session.report_messages())
        elif choice == b"T":
            went_on = sub_menu(conn, log, b"AUDIO TASKS", session.audio_tasks())
        elif choice == b"H":
            went_on = HostFormRequests(conn, log, form_open).run()
            form_open = False  # leaving the sub-menu destroys its form
        if status is None or not went_on:
            return


TEST_PAGE = (b"Orva sample host test page\r\n"
             b"Control bytes pass unchanged: ESC \x1b, NUL \x00, 0xFF \xff\r\n\x0c")

# The host file of items behind the command prompt: file name -> item name -> list of attributes
# (value marks 0xFD and subvalue marks 0xFC inside). One store for all connections of this process.
HOST_FILES = {
    b"BP": {b"HELLO": [b"* sample program", b"crt \"hello\"", b"end"]},
    b"REPORTS": {b"R1": [b"Full blood count", b"", b"Hb\xfd13.5\xfcg/dL"]},
}
HOST_FILES_LOCK = threading.Lock()
TCL_HELP = (b"Commands: who, list FILE [ITEM], ct FILE ITEM, copy FILE ITEM (OD, ed FILE ITEM,\r\n"
            b"silent.import, off (back to the menu)\r\n")


def read_editor_line(conn):
    """A line typed into the line editor, where the one byte 0x1E stands for an empty line."""
    return conn.read_line(empty_line=0x1E)


def host_editor(conn, log, fname, iname):
    """ed FILE ITEM: "i" inserts lines (0x1D and 0x1C typed for value and subvalue marks, 0x1E for an
    empty line; an empty line ends the insert), "fi" files, "ex" leaves (asking when changed)."""
    with HOST_FILES_LOCK:
        lines = list(HOST_FILES.get(fname, {}).get(iname, []))
        new = iname not in HOST_FILES.get(fname, {})
    conn.send(b"%s\r\n" % (b"New item" if new else b"Top"))
    changed = False
    while True:
        conn.send(b".")
        cmd = read_editor_line(conn)
        if cmd is None:
            return False
        cmd = cmd.strip()
        if cmd == b"i":
            while True:
                conn.send(b"%03d+" % (len(lines) + 1))
                text = read_editor_line(conn)
                if text is None:
                    return False
                if text == b"":
                    break
                if text == b"\x1e":
                    text = b""
                lines.append(text.replace(b"\x1d", b"\xfd").replace(b"\x1c", b"\xfc"))
                changed = True
        elif cmd == b"fi":
            with HOST_FILES_LOCK:
                HOST_FILES.setdefault(fname, {})[iname] = lines
            log.event("filed", file=fname.decode("latin-1"), item=iname.decode("latin-1"),
                      hex=b"\n".join(lines).hex())
            conn.send(b"[221] '%s' filed.\r\n" % iname)
            return True
        elif cmd == b"ex":
            if changed:
                conn.send(b"Item not filed. Leave anyway (y/n)? ")
                answer = read_editor_line(conn)
                if answer is None:
                    return False
                if answer.strip().lower() != b"y":
                    continue
            conn.send(b"'%s' exited.\r\n" % iname)
            return True
        elif cmd:
            conn.send(b"?\r\n")


def host_import(conn, log):
    """silent.import: the client's file path, the host file, the item and "y" (lines end in CR LF)
    or "n" (attributes joined by LF), read without echo; the item is written to that path."""
    answers = []
    for _ in range(4):
        line = conn.read_line(echo=False)
        if line is None:
            return False
        answers.append(line)
    path, fname, iname, endings = answers
    with HOST_FILES_LOCK:
        lines = HOST_FILES.get(fname, {}).get(iname)
    if lines is None:
        conn.send(b"[C99] Item %s not on file %s\r\n" % (iname, fname))
        return True
    data = b"".join(l + b"\r\n" for l in lines) if endings.strip().lower() == b"y" else b"\n".join(lines)
    try:
        fd = os.open(path.decode("latin-1"), os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
        with os.fdopen(fd, "wb") as f:
            f.write(data)
    except OSError as e:
        conn.send(b"[C99] Cannot write %s: %s\r\n" % (path, e.strerror.encode("latin-1", "replace")))
        return True
    log.event("imported", path=path.decode("latin-1"), hex=data.hex())
    conn.send(b"[C01] %d attributes written to %s\r\n" % (len(lines), path))
    return True


def command_prompt(conn, log):
    """The host's command prompt (TCL) over the host file of items. False when the client has gone."""
    conn.send(ESC + b"[H" + ESC + b"[2J" + TCL_HELP)
    while True:
        conn.send(b":")
        line = conn.read_line()
        if line is None:
            return False
        log.event("tcl", text=line.decode("latin-1"))
        # A cancelled import leaves ESC ESC in front of the next command line.
        words = line.lstrip(b"\x1b").split()
        if not words:
            continue
        verb = words[0].lower()
        if verb in (b"off", b"menu"):
            return True
        if verb == b"who":
            conn.send(b"12 orva lab\r\n")
        elif verb == b"list" and len(words) >= 2:
            with HOST_FILES_LOCK:
                items = HOST_FILES.get(words[1])
                names = sorted(items) if items is not None else []
            if items is None:
                conn.send(b"[10] The file name '%s' is not on file.\r\n" % words[1])
            elif len(words) >= 3 and words[2] not in names:
                conn.send(b"[202] '%s' not on file.\r\n" % words[2])
            else:
                shown = [words[2]] if len(words) >= 3 else names
                conn.send(b"".join(b"%s %s\r\n" % (words[1], n) for n in shown))
                conn.send(b"[405] %d items listed out of %d items.\r\n" % (len(shown), len(names)))
        elif verb == b"ct" and len(words) >= 3:
            with HOST_FILES_LOCK:
                lines = HOST_FILES.get(words[1], {}).get(words[2])
            if lines is None:
                conn.send(b"[202] '%s' not on file.\r\n" % words[2])
            else:
                conn.send(b"    %s\r\n" % words[2])
                conn.send(b"".join(b"%03d %s\r\n" % (n + 1, l) for n, l in enumerate(lines)))
        elif verb == b"copy" and len(words) >= 3:
            conn.send(b"To: ")
            target = conn.read_line()
            if target is None:
                return False
            target = target.strip()
            with HOST_FILES_LOCK:
                items = HOST_FILES.get(words[1], {})
                if words[2] not in items or not target:
                    conn.send(b"[202] '%s' not on file.\r\n" % words[2])
                    continue
                items[target] = list(items[words[2]])
                if b"D" in b"".join(words[3:]).upper():
                    del items[words[2]]
            conn.send(b"[805] 1 item(s) copied.\r\n")
        elif verb == b"ed" and len(words) >= 3:
            if words[1] not in HOST_FILES:
                conn.send(b"[10] The file name '%s' is not on file.\r\n" % words[1])
            elif not host_editor(conn, log, words[1], words[2]):
                return False
        elif verb == b"silent.import":
            if not host_import(conn, log):
                return False
        else:
            conn.send(b"[3] Verb? " + TCL_HELP)


FRAME_START, FRAME_END, FIELD_SEP = b"\x9f", b"\x9b", b"\x03"
REPORT_START, REPORT_END = b"\x02@|", b"|@\x03"
PRINT_START, PRINT_END = ESC + b"[5i", ESC + b"[4i"
HANDSHAKE = {"ack": b"\x06", "nak": b"\x15", "bel": b"\x07", "bar": b"|"}


def object_request(fields):
    """An object request frame: 0x9F, the fields joined by 0x03, 0x9B."""
    return FRAME_START + FIELD_SEP.join(unescape(str(f)) for f in fields) + FRAME_END


def host_request(fields):
    """An object request frame of fields taken as they are (host paths keep their backslashes)."""
    return FRAME_START + FIELD_SEP.join(f.encode("latin-1") for f in fields) + FRAME_END


def step_payload(step):
    """The bytes a sending step stands for, or None when the step sends nothing."""
    if "send" in step:
        return unescape(step["send"])
    if "frame" in step:
        return object_request(step["frame"])
    if "client_command" in step:
        fields = [step.get("object", "orva"), "10", str(step["client_command"])]
        return object_request(fields + [str(a) for a in step.get("args", [])])
    if "report" in step:
        return REPORT_START + unescape(step["report"]) + REPORT_END
    if "report_file" in step:
        return REPORT_START + read_report_file(step["report_file"]) + REPORT_END
    if "print" in step:
        return PRINT_START + unescape(step["print"]) + PRINT_END
    if "handshake" in step:
        return b"".join(HANDSHAKE[h] for h in step["handshake"].split(","))
    return None


def read_report_file(name):
    """A report message body kept as a file: relative names are looked up in reports/ beside this
    script. Line ends in the file are not part of the body (the host joins fields with "^")."""
    path = name if os.path.isabs(name) else os.path.join(os.path.dirname(os.path.abspath(__file__)), "reports", name)
    with open(path, "rb") as f:
        return b"".join(line.rstrip(b"\r\n") for line in f)


def host_checksum(data):
    """Sum of (byte AND 0x7F) leaving out 0x0A and 0x8A."""
    return sum(b & 0x7F for b in data if b & 0x7F != 0x0A)


def read_exact(conn, count, deadline):
    while len(conn.pending) < count:
        left = deadline - time.monotonic()
        if left <= 0 or not conn.read_some(left):
            return None
    data = bytes(conn.pending[:count])
    del conn.pending[:count]
    return data


def read_until(conn, needle, deadline):
    while needle not in conn.pending:
        left = deadline - time.monotonic()
        if left <= 0 or not conn.read_some(left):
            return None
    idx = conn.pending.find(needle)
    data = bytes(conn.pending[:idx])
    del conn.pending[:idx + len(needle)]
    return data


def receive_upload(conn, log, step):
    """Receives one upload: BEL, the five numbers, ETX STX text ETX, then base64 lines each ended by
    CR LF up to the line "|||", sending ACK after the header and after every line that arrives.
    Every number of the header is checked against what came; the text is stored in the file named
    by the step, when it names one (and the decoded document beside it, with ".bin" added). The
    host then answers "|" when all numbers agree, else NAK; "reply" ("nak", "bel", "none")
    overrides the answer, "ack_delay" slows every ACK, "close_after_header" drops the link once the
    header is read. Returns "filed", "refused" (NAK or BEL sent), "unanswered" (reply "none"),
    "close", or False when the upload did not arrive whole."""
    deadline = time.monotonic() + step.get("timeout", 30)
    delay = step.get("ack_delay", 0)
    if read_until(conn, b"\x07", deadline) is None:
        log.event("upload", ok=False, error="no BEL")
        return False
    head = read_until(conn, b"\x03\x02", deadline)
    try:
        len_t, len_t_lf, len_q, ck_t, ck_b = (int(x) for x in head.split(b" "))
    except (AttributeError, ValueError):
        log.event("upload", ok=False, error="bad header", head=(head or b"").hex())
        return False
    text = read_exact(conn, len_t, deadline)
    end = read_exact(conn, 1, deadline)
    if text is None or end != b"\x03":
        log.event("upload", ok=False, error="text not ended by ETX")
        return False
    if step.get("close_after_header"):
        log.event("upload", ok=False, error="closed after header")
        return "close"
    reply = step.get("reply")
    if reply in ("nak", "bel"):
        conn.send(HANDSHAKE[reply])
        log.event("upload", ok=False, replied=reply)
        return "refused"
    lines = []
    conn.send(b"\x06")
    while True:
        line = read_until(conn, b"\r\n", deadline)
        if line is None:
            log.event("upload", ok=False, error="lines stopped", lines=len(lines))
            return False
        if line == b"|||":
            break
        lines.append(line)
        if delay:
            time.sleep(delay)
        conn.send(b"\x06")
    b64 = b"".join(lines)
    checks = {
        "length": len(text) == len_t,
        "length_less_lf": len(text) - text.count(b"\n") == len_t_lf,
        "queued_length": sum(len(x) + 2 for x in lines) == len_q,
        "text_checksum": host_checksum(text) == ck_t,
        "data_checksum": host_checksum(b64) == ck_b,
        "line_width": all(len(x) == 84 for x in lines[:-1]) and all(0 < len(x) <= 84 for x in lines),
    }
    ok = all(checks.values())
    target = step["receive_upload"]
    if target:
        with open(target, "wb") as f:
            f.write(text)
    try:
        document = base64.b64decode(b64, validate=True) if b64.strip() else b""
    except ValueError:
        document = None
        ok = False
    if document is not None and target:
        with open(target + ".bin", "wb") as f:
            f.write(document)
    log.event("upload", ok=ok, checks=checks, numbers=[len_t, len_t_lf, len_q, ck_t, ck_b], lines=len(lines))
    if reply == "none":
        return "unanswered"
    conn.send(b"|" if ok else HANDSHAKE["nak"])
    return "filed" if ok else "refused"


def send_pieces(conn, data, split, gap):
    """Sends data cut at the given byte positions, pausing between pieces so that each
    leaves in its own segment (Nagle is off)."""
    cuts = sorted({p for p in split if 0 < p < len(data)})
    start = 0
    for cut in cuts + [len(data)]:
        conn.send(data[start:cut])
        start = cut
        if cut != len(data):
            time.sleep(gap)


def scripted_session(conn, log, steps):
    """Steps: {"send": text}, {"send_raw": text}, {"expect": text, "timeout": s} (the bytes that came
    before it are logged as "skipped"), {"sleep": s},
    {"close": true}, and the in-band messages of the client:
    {"frame": [field, ...]} an object request frame;
    {"client_command": code, "args": [...], "object": name} a request of type 10;
    {"report": body} a report message (0x02 "@|" body "|@" 0x03);
    {"report_file": name} the same with the body read from a file (reports/ beside this script);
    {"receive_upload": file, "ack_delay": s, "reply": "nak"|"bel"|"none", "close_after_header": true}
    an upload from the client, checked and stored (see receive_upload);
    {"print": data} printer-controller data (ESC [5i data ESC [4i);
    {"handshake": "ack,bar"} upload replies: ack, nak, bel, bar ("|").
    Any sending step may carry "split": [byte positions] (and "gap": seconds, default 0.05)
    to send its bytes in separate pieces. Text fields understand \\xHH, \\r, \\n, \\e."""
    try:
        conn.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    except OSError:
        pass
    for step in steps:
        payload = step_payload(step)
        if payload is not None:
            send_pieces(conn, payload, step.get("split", []), step.get("gap", 0.05))
            log.event("sent", hex=payload.hex(), split=step.get("split", []))
        elif "send_raw" in step:
            conn.send_raw(unescape(step["send_raw"]))
        elif "expect" in step:
            needle = unescape(step["expect"])
            ok = conn.wait_for(needle, step.get("timeout", 10))
            idx = conn.pending.find(needle)
            log.event("expect", text=step["expect"], found=ok, skipped=bytes(conn.pending[:max(idx, 0)]).hex())
            if not ok:
                return
            del conn.pending[:idx + len(needle)]
        elif "receive_upload" in step:
            if receive_upload(conn, log, step) == "close":
                return
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
    share = args.share
    if not share:
        # A share of its own for this run, removed when the host stops.
        share = tempfile.mkdtemp(prefix="orva-samplehost-share-")
        atexit.register(shutil.rmtree, share, True)
        signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    write_share(share)
    family = socket.AF_INET6 if ":" in args.address else socket.AF_INET
    srv = socket.socket(family, socket.SOCK_STREAM)
    srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    srv.bind((args.address, args.port))
    srv.listen(5)
    port = srv.getsockname()[1]
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write(str(port))
        os.replace(tmp, args.port_file)
    shown = "[%s]" % args.address if family == socket.AF_INET6 else args.address
    print("samplehost listening on %s:%d" % (shown, port), flush=True)

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
                interactive_session(conn, log, args.upload_dir, share)
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
    p.add_argument("port", nargs="?", type=int, default=2323, help="port to listen on (0 picks a free one)")
    p.add_argument("--address", default="127.0.0.1", choices=["127.0.0.1", "::1"],
                   help="loopback address to listen on (::1 for IPv6)")
    p.add_argument("--log", help="file that receives one JSON line per event")
    p.add_argument("--port-file", help="file that receives the port once listening")
    p.add_argument("--script", help="JSON list of steps to run instead of the menu")
    p.add_argument("--echo", action="store_true", help="echo every data byte back")
    p.add_argument("--once", action="store_true", help="serve one connection, then exit")
    p.add_argument("--upload-dir", help="folder where the menu's report uploads are stored")
    p.add_argument("--share", help="folder that stands for the host's picture share " + SHARE_HOST +
                   " (map it with a pathmap line of the setup file)")
    args = p.parse_args()
    try:
        serve(args)
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
