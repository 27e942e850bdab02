#!/usr/bin/env python3
"""HTTP proxies on loopback for the tests: Debian's tinyproxy, one open and
one that demands credentials (it answers 407 without them).

    test_proxy.py start --port PORT --auth-port PORT --work DIR
    test_proxy.py stop --work DIR

Each proxy writes its configuration, log and pid file in DIR; `start`
returns once both accept connections, `stop` ends the ones it started.
"""
import argparse
import os
import shutil
import signal
import socket
import subprocess
import sys
import time

CONFIG = """Port {port}
Listen 127.0.0.1
Allow 127.0.0.1
Timeout 60
MaxClients 20
LogLevel Info
{auth}
"""


def accepts(port):
    with socket.socket() as probe:
        probe.settimeout(0.5)
        return probe.connect_ex(("127.0.0.1", port)) == 0


def stop(work):
    """Ends the proxies that `start` left and waits until their ports close."""
    for name in ("open", "auth"):
        pidfile = os.path.join(work, name + ".pid")
        try:
            with open(pidfile) as f:
                pid, port = (int(field) for field in f.read().split())
            os.remove(pidfile)
            os.kill(pid, signal.SIGTERM)
        except (OSError, ValueError):
            continue
        for _ in range(50):
            if not accepts(port):
                break
            time.sleep(0.1)
    return 0


def start(args):
    program = shutil.which("tinyproxy")
    if not program:
        print("tinyproxy is not installed (scripts/test.sh installs it)", file=sys.stderr)
        return 1
    os.makedirs(args.work, exist_ok=True)
    stop(args.work)
    for name, port, auth in (("open", args.port, ""), ("auth", args.auth_port, "BasicAuth tester secret")):
        config = os.path.join(args.work, name + ".conf")
        with open(config, "w") as out:
            out.write(CONFIG.format(port=port, auth=auth))
        log = open(os.path.join(args.work, name + ".log"), "ab")
        # In the foreground (-d) so that its pid is the one we keep; its
        # output goes to the log, never to the caller's pipes.
        child = subprocess.Popen([program, "-d", "-c", config], stdin=subprocess.DEVNULL, stdout=log,
                                 stderr=log, start_new_session=True, close_fds=True)
        with open(os.path.join(args.work, name + ".pid"), "w") as out:
            out.write("%d %d" % (child.pid, port))
        for _ in range(100):
            if accepts(port) or child.poll() is not None:
                break
            time.sleep(0.1)
        if child.poll() is not None or not accepts(port):
            print("tinyproxy did not start on port %d (see %s)" % (port, log.name), file=sys.stderr)
            stop(args.work)
            return 1
    return 0


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("start")
    p.add_argument("--port", type=int, required=True)
    p.add_argument("--auth-port", type=int, required=True)
    p.add_argument("--work", required=True)
    p = sub.add_parser("stop")
    p.add_argument("--work", required=True)
    args = parser.parse_args(argv)
    return start(args) if args.command == "start" else stop(args.work)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
