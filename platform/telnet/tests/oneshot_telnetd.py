#!/usr/bin/env python3
"""Accepts one connection on 127.0.0.1 and runs the system telnet daemon on it, the way inetd would.

Usage: oneshot_telnetd.py PORT_FILE [TELNETD]. The chosen port is written to PORT_FILE once listening;
this process then becomes the daemon, so stopping it by its process id ends the session.
"""

import os
import socket
import sys


def main():
    port_file = sys.argv[1]
    daemon = sys.argv[2] if len(sys.argv) > 2 else "/usr/sbin/telnetd"
    srv = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    srv.bind(("127.0.0.1", 0))
    srv.listen(1)
    tmp = port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(srv.getsockname()[1]))
    os.replace(tmp, port_file)
    conn, _ = srv.accept()
    srv.close()
    os.dup2(conn.fileno(), 0)
    os.dup2(conn.fileno(), 1)
    conn.close()
    os.execv(daemon, [daemon])


if __name__ == "__main__":
    main()
