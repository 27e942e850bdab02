#!/usr/bin/env python3
"""The launcher keeps nothing between starts: on a copy of the test run's
Wine prefix, starts whose answers set a persistent cookie and allow caching,
redirect for good, or ask for credentials, each followed by another start.
No request carries a cookie or credentials, every start asks the service's
own address, and the prefix (its files, and its registry as the Wine server
writes it out when it ends) shows nothing that the launcher added or changed
beyond what a control run writes: our message box alone, shown and answered
the same way, which is what Wine itself writes for any program with a window.

    prefix_snapshot_test.py --prefix DIR --work DIR --launcher EXE --product EXE
                            --message-box EXE --dialog-driver EXE --service-port PORT
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import urllib.request

REGISTRY_FILES = ("system.reg", "user.reg", "userdef.reg")
# What a service that wants to follow its users would send: the default
# answer, so a redirect's target gets it too.
FOLLOWING = [["Set-Cookie", "visitor=4711; Expires=Wed, 01 Jan 2031 00:00:00 GMT; Path=/"],
             ["Cache-Control", "public, max-age=86400"]]
NEWER_BUILD = {"version": "1.1.1.1", "url": "http://x.test/", "headers": FOLLOWING}
STARTS = (  # the answer to a start's first request, and the button that answers its box
    (NEWER_BUILD, "No"),
    # Followed with a GET, which the service refuses: the check fails.
    ({"status": 301, "headers": FOLLOWING + [["Location", "/Service.asmx?moved"]], "body": "", "content_type": "text/html"},
     "Close"),
    ({"status": 401, "headers": FOLLOWING + [["WWW-Authenticate", 'Basic realm="updates"']], "body": "",
      "content_type": "text/html"}, "Close"),
    (NEWER_BUILD, "No"),
)
FIRST_REQUEST = "POST /Service.asmx HTTP/1.0"


def read_registry(path, hive):
    """{(hive, key, value name): data}; a key alone as (hive, key, None).
    Wine's own time stamps on keys are left out."""
    entries = {}
    key = None
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read().replace("\\\n  ", "")  # joins continued values
    for line in text.split("\n"):
        if line.startswith("["):
            key = line[1:line.rindex("]")]
            entries[(hive, key, None)] = ""
        elif key is not None and line.startswith("@="):
            entries[(hive, key, "@")] = line[2:]
        elif key is not None and line.startswith('"'):
            end = 1
            while end < len(line) and line[end] != '"':
                end += 2 if line[end] == "\\" else 1
            entries[(hive, key, line[1:end])] = line[end + 2:]
    return entries


def snapshot(prefix):
    """Every file of the prefix by (size, modification time), symbolic links
    not followed (dosdevices leads to the whole disk), and every registry
    entry by its data."""
    state = {}
    for root, _, names in os.walk(prefix):
        for name in names:
            path = os.path.join(root, name)
            relative = os.path.relpath(path, prefix)
            if relative in REGISTRY_FILES:
                state.update(read_registry(path, relative))
            else:
                info = os.lstat(path)
                state[("file", relative)] = (info.st_size, info.st_mtime_ns)
    return state


def changed(before, after):
    return {entry for entry in before.keys() | after.keys() if before.get(entry) != after.get(entry)}


class Wine:
    """Programs run in the scratch prefix, with its own Wine server."""

    def __init__(self, prefix):
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")

    def start(self, *argv, env=None):
        return subprocess.Popen(["wine", *argv], env=dict(self.env, **(env or {})), stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def run(self, *argv, timeout=60):
        return self.start(*argv).wait(timeout)

    def answer_box(self, driver, program, label):
        """Waits for the box of `program` (a started process), presses `label`
        and waits for the program's end."""
        if self.run(driver, "wait", "30") != 0:
            program.kill()
            raise AssertionError("no box appeared")
        if self.run(driver, "press", label) != 0:
            raise AssertionError("no button %r" % label)
        program.wait(60)

    def end_server(self):
        """Ends the prefix's Wine server, which writes its registry out."""
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Service:
    def __init__(self, port):
        self.base = "http://127.0.0.1:%d/control/" % port

    def call(self, path, body=None):
        data = None if body is None else json.dumps(body).encode("utf-8")
        with urllib.request.urlopen(urllib.request.Request(self.base + path, data=data), timeout=10) as reply:
            return reply.read()


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("prefix", "work", "launcher", "product", "message-box", "dialog-driver"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("--service-port", type=int, required=True)
    args = parser.parse_args(argv)

    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    prefix = os.path.join(work, "prefix")
    shutil.copytree(args.prefix, prefix, symlinks=True)
    folder = os.path.join(work, "Velto Backup")  # outside the prefix: not in the snapshots
    os.makedirs(folder)
    shutil.copy(args.launcher, os.path.join(folder, "launcher.exe"))
    shutil.copy(args.product, os.path.join(folder, "orlix.bim"))
    driver = windows_path(args.dialog_driver)
    wine = Wine(prefix)
    service = Service(args.service_port)
    failures = []
    try:
        wine.end_server()
        before = snapshot(prefix)
        box = wine.start(windows_path(args.message_box), "--type", "4", "--text", "Control", "--button", "6=Download",
                         "--button", "7")
        wine.answer_box(driver, box, "No")
        wine.end_server()
        control_state = snapshot(prefix)
        control = changed(before, control_state)

        service.call("reset", {})
        service.call("default", NEWER_BUILD)
        record = os.path.join(work, "record.txt")
        for answer, label in STARTS:
            service.call("next", answer)
            launcher = wine.start(windows_path(os.path.join(folder, "launcher.exe")),
                                  env={"ORLIX_RECORD_FILE": windows_path(record)})
            wine.answer_box(driver, launcher, label)
        wine.end_server()
        by_launcher = sorted(changed(control_state, snapshot(prefix)) - control, key=str)

        requests = json.loads(service.call("requests"))
        firsts = [request for request in requests if request["request_line"] == FIRST_REQUEST]
        if len(firsts) != len(STARTS):
            failures.append("%d of %d starts asked %s: %s" % (len(firsts), len(STARTS), FIRST_REQUEST,
                                                               [request["request_line"] for request in requests]))
        for number, request in enumerate(requests, 1):
            kept = [": ".join(field) for field in request["headers"]
                    if field[0].lower() in ("cookie", "authorization")]
            if kept:
                failures.append("request %d (%s) carries %s" % (number, request["request_line"], kept))
        for entry in by_launcher:
            failures.append("the launcher added or changed %s" % " ".join(str(part) for part in entry))
        print("control run (Wine's own): %d entries added or changed" % len(control))
        for entry in sorted(control, key=str):
            print("  control: %s" % " ".join(str(part) for part in entry))
        print("launcher, %d starts: %d entries added or changed beyond those" % (len(STARTS), len(by_launcher)))
    finally:
        wine.end_server()
    for failure in failures:
        print("FAIL: " + failure)
    if not failures:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
