#!/usr/bin/env python3
"""The update service for tests and the demo: a SOAP 1.1 HTTP server on
loopback that answers GetVersionInfo the way an .asmx web service does, is
scripted per request through a control endpoint, and records every request.

    update_service.py serve --port PORT [--version 1.1.1.1 --url URL | --answer TEXT]
                            [--tls-port PORT --certificates DIR]
    update_service.py start --port PORT [--log FILE] [serve options]   # in the background
    update_service.py stop --port PORT

README.md in this folder describes the control API.
"""
import argparse
import base64
import json
import os
import socket
import socketserver
import ssl
import subprocess
import sys
import threading
import time
import urllib.request
from xml.sax.saxutils import escape

SOAP_ENV = "http://schemas.xmlsoap.org/soap/envelope/"
XSI = "http://www.w3.org/2001/XMLSchema-instance"
XSD = "http://www.w3.org/2001/XMLSchema"
ENDPOINT = "/Service.asmx"
REASONS = {200: "OK", 301: "Moved Permanently", 400: "Bad Request", 401: "Unauthorized", 404: "Not Found",
           405: "Method Not Allowed", 500: "Internal Server Error", 503: "Service Unavailable"}


def version_text(version, url):
    """The answer text the launcher reads: five tags."""
    parts = (version.split(".") + ["0", "0", "0", "0"])[:4]
    tags = "".join("<%s>%s</%s>" % (name, value, name)
                   for name, value in zip(("main", "minor", "build1", "build2"), parts))
    return tags + "<url>%s</url>" % url


class Body:
    """A response body as a sequence of byte chunks of known total length
    (None: endless), so that large answers are produced without being held
    whole."""

    def __init__(self, chunks, length):
        self.chunks = chunks
        self.length = length

    @staticmethod
    def of(data):
        return Body(lambda: iter([data]), len(data))


def padding_body(prefix, size, suffix, text=True):
    """prefix, about `size` bytes of skippable markup, suffix: elements with
    text, or (text=False) empty elements only."""
    piece = b"<p>" + b"x" * 1017 + b"</p>" if text else b"<p/>" * 256  # 1024 bytes
    count = max(1, size // len(piece))
    head = b'<Padding xmlns="urn:padding">'
    tail = b"</Padding>"

    def chunks():
        yield prefix + head
        block = piece * 64
        left = count
        while left >= 64:
            yield block
            left -= 64
        if left:
            yield piece * left
        yield tail + suffix

    return Body(chunks, len(prefix) + len(head) + count * len(piece) + len(tail) + len(suffix))


def stream_body(plan, encoding):
    """prefix, `size` bytes of `piece` repeated (endless without `size`),
    suffix: any document, generated as it is sent."""
    prefix = plan.get("prefix", "").encode(encoding)
    piece = plan.get("piece", "x").encode(encoding) or b"x"
    suffix = plan.get("suffix", "").encode(encoding)
    size = plan.get("size")
    count = None if size is None else int(size) // len(piece)
    block = piece * max(1, 65536 // len(piece))
    per_block = len(block) // len(piece)

    def chunks():
        yield prefix
        if count is None:
            while True:
                yield block
        left = count
        while left >= per_block:
            yield block
            left -= per_block
        if left:
            yield piece * left
        yield suffix

    length = None if count is None else len(prefix) + count * len(piece) + len(suffix)
    return Body(chunks, length)


def envelope(answer, namespace):
    """The SOAP envelope for a scripted answer, as (Body, content type)."""
    encoding = answer.get("encoding", "utf-8")
    if "fault" in answer:
        fault = answer["fault"] or {}
        inner = "<soap:Fault><faultcode>%s</faultcode><faultstring>%s</faultstring>%s%s</soap:Fault>" % (
            escape(fault.get("code", "soap:Server")), escape(fault.get("string", "Server was unable to process request.")),
            "<faultactor>%s</faultactor>" % escape(fault["actor"]) if "actor" in fault else "",
            "<detail>%s</detail>" % fault["detail_xml"] if "detail_xml" in fault else "<detail />")
        body_xml = inner
    else:
        wrapper = answer.get("wrapper", "GetVersionInfoResponse")
        if answer.get("missing"):
            result = ""
        elif answer.get("nil"):
            result = '<GetVersionInfoResult xsi:nil="true" />'
        elif "result_xml" in answer:
            result = "<GetVersionInfoResult>%s</GetVersionInfoResult>" % answer["result_xml"]
        else:
            text = answer.get("result")
            if text is None:
                text = version_text(answer.get("version", "1.1.1.0"), answer.get("url", ""))
            result = "<GetVersionInfoResult>%s</GetVersionInfoResult>" % escape(text)
        body_xml = '<%s xmlns="%s">%s</%s>' % (wrapper, namespace, result, wrapper)
    start = ('<?xml version="1.0" encoding="%s"?><soap:Envelope xmlns:soap="%s" xmlns:xsi="%s" xmlns:xsd="%s">'
             % (encoding, SOAP_ENV, XSI, XSD))
    header = answer.get("header_xml")
    head_xml = "<soap:Header>%s</soap:Header>" % header if header is not None else ""
    end = "<soap:Body>%s</soap:Body></soap:Envelope>" % body_xml
    content_type = "text/xml; charset=%s" % encoding
    padding = int(answer.get("header_padding", 0))
    if padding:
        prefix = (start + "<soap:Header>").encode(encoding)
        suffix = ("</soap:Header>" + end).encode(encoding)
        if encoding.lower() != "utf-8":
            raise ValueError("header_padding needs utf-8")
        return padding_body(prefix, padding, suffix, answer.get("padding_text", True)), content_type
    return Body.of((start + head_xml + end).encode(encoding)), content_type


class Pacer:
    """Holds a sender to `rate` bytes a second (None: as fast as it can)."""

    def __init__(self, rate):
        self.rate = float(rate) if rate else None
        self.start = time.monotonic()
        self.sent = 0

    def slices(self, data):
        """`data` in pieces of a twentieth of a second each when paced."""
        if not self.rate:
            return [data]
        step = max(1, int(self.rate / 20))
        return [data[i:i + step] for i in range(0, len(data), step)]

    def wait(self, count):
        if not self.rate:
            return
        self.sent += count
        ahead = self.sent / self.rate - (time.monotonic() - self.start)
        if ahead > 0:
            time.sleep(ahead)


class State:
    def __init__(self, default_answer, namespace, certificates=None):
        self.lock = threading.Lock()
        self.startup_default = default_answer
        self.default = dict(default_answer)
        self.queue = []
        self.records = []
        self.namespace = namespace
        self.certificates = certificates
        self.certificate = "trusted"
        self.stopping = threading.Event()

    def tls_context(self):
        """A server context for the chosen certificate: <certificates>/<name>.pem,
        the certificate chain followed by its key."""
        with self.lock:
            path = os.path.join(self.certificates, self.certificate + ".pem")
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(path)
        return context

    def next_answer(self):
        with self.lock:
            if self.queue:
                answer = self.queue[0]
                left = int(answer.get("repeat", 1)) - 1
                if left > 0:
                    answer = dict(answer, repeat=left)
                    self.queue[0] = answer
                else:
                    self.queue.pop(0)
                return answer
            return dict(self.default)


class Handler(socketserver.StreamRequestHandler):
    timeout = 60

    def handle(self):
        state = self.server.state
        try:
            request_line = self.rfile.readline(65537)
            if not request_line:
                return
            header_lines = []
            while True:
                line = self.rfile.readline(65537)
                if not line or line in (b"\r\n", b"\n"):
                    break
                header_lines.append(line)
            headers = []
            for line in header_lines:
                name, _, value = line.decode("latin-1").partition(":")
                headers.append([name.strip(), value.strip()])
            length = 0
            for name, value in headers:
                if name.lower() == "content-length":
                    length = int(value or 0)
            body = self.rfile.read(length) if length else b""
        except (OSError, ValueError):
            return
        raw = request_line + b"".join(header_lines) + b"\r\n" + body
        parts = request_line.decode("latin-1").split()
        method, target = (parts + ["", ""])[:2]
        path = target.split("?", 1)[0]
        if path.startswith("/control/"):
            self.control(method, path, body)
            return
        with state.lock:
            state.records.append({
                "request_line": request_line.decode("latin-1").rstrip("\r\n"),
                "headers": headers,
                "body": body.decode("utf-8", "replace"),
                "raw_base64": base64.b64encode(raw).decode("ascii"),
                "tls": isinstance(self.connection, ssl.SSLSocket),
            })
        self.soap(method, path, headers, body)

    # -- the service -------------------------------------------------------

    def soap(self, method, path, headers, body):
        state = self.server.state
        answer = state.next_answer()
        if answer.get("close"):
            return
        if answer.get("hang"):
            state.stopping.wait(float(answer.get("hang_seconds", 120)))
            return
        if answer.get("delay"):
            time.sleep(float(answer["delay"]))
        if path != ENDPOINT:
            self.send(404, Body.of(b"<html><body><h1>404 Not Found</h1></body></html>"), "text/html", answer)
            return
        if method != "POST":
            self.send(405, Body.of(b"<html><body>Use POST</body></html>"), "text/html", answer)
            return
        action = next((v for n, v in headers if n.lower() == "soapaction"), None)
        expected = '"%sGetVersionInfo"' % state.namespace
        if "raw" in answer:
            self.send_raw(answer["raw"].encode("latin-1"), answer)
            return
        if "stream" in answer:
            content = stream_body(answer["stream"], answer.get("encoding", "utf-8"))
            content_type = answer.get("content_type", "text/xml; charset=utf-8")
            self.send(int(answer.get("status", 200)), content, content_type, answer)
            return
        if "body" in answer:
            data = answer["body"].encode(answer.get("encoding", "utf-8"))
            content_type = answer.get("content_type", "text/xml; charset=utf-8")
            self.send(int(answer.get("status", 200)), Body.of(data), content_type, answer)
            return
        if action != expected and not answer.get("any_action"):
            answer = {"fault": {"code": "soap:Client",
                                "string": "Server did not recognize the value of HTTP Header SOAPAction: %s."
                                          % (action or "")}}
        content, content_type = envelope(answer, state.namespace)
        status = int(answer.get("status", 500 if "fault" in answer else 200))
        self.send(status, content, content_type, answer)

    def send(self, status, content, content_type, answer):
        reason = REASONS.get(status, "Status")
        framing = answer.get("framing", "length")
        if content.length is None and framing == "length":
            framing = "close"
        # Scripted header lines take the place of the defaults of that name.
        extra = [(str(name), str(value)) for name, value in answer.get("headers", [])]
        names = {name.lower() for name, _ in extra}
        fields = [(n, v) for n, v in (("Cache-Control", "private"), ("Content-Type", content_type))
                  if n.lower() not in names] + extra
        head = "HTTP/1.1 %d %s\r\n" % (status, reason) + "".join("%s: %s\r\n" % f for f in fields)
        if framing == "length":
            head += "Content-Length: %d\r\n" % content.length
        elif framing == "chunked":
            head += "Transfer-Encoding: chunked\r\n"
        head = (head + "Connection: close\r\n\r\n").encode("latin-1")
        if framing == "raw":  # the body is the whole answer, status line and headers included
            head = b""
        cut = answer.get("cut_after")
        trickle = answer.get("trickle")
        try:
            if trickle:
                interval = float(trickle.get("interval", 1.0))
                step = int(trickle.get("bytes", 1))
                data = head if trickle.get("headers") else b""
                if not trickle.get("headers"):
                    self.wfile.write(head)
                    self.wfile.flush()
                for chunk in content.chunks():
                    data += chunk
                for i in range(0, len(data), step):
                    if self.server.state.stopping.is_set():
                        return
                    self.wfile.write(data[i:i + step])
                    self.wfile.flush()
                    time.sleep(interval)
                return
            self.wfile.write(head)
            pacer = Pacer(answer.get("rate"))
            sent = 0
            for chunk in content.chunks():
                if self.server.state.stopping.is_set():
                    return
                if cut is not None and sent + len(chunk) >= int(cut):
                    self.write_body(chunk[:int(cut) - sent], framing)
                    self.wfile.flush()
                    return
                for piece in pacer.slices(chunk):
                    self.write_body(piece, framing)
                    self.wfile.flush()
                    pacer.wait(len(piece))
                sent += len(chunk)
            if framing == "chunked":
                self.wfile.write(b"0\r\n\r\n")
            self.wfile.flush()
        except OSError:
            pass

    def write_body(self, data, framing):
        if not data:
            return
        if framing == "chunked":
            self.wfile.write(b"%x\r\n" % len(data) + data + b"\r\n")
        else:
            self.wfile.write(data)

    def send_raw(self, data, answer):
        """Exactly these bytes as the whole answer (status line and headers
        included), then the connection closes, or stays open with `hang`."""
        try:
            self.wfile.write(data)
            self.wfile.flush()
            if answer.get("hang_after"):
                self.server.state.stopping.wait(float(answer.get("hang_seconds", 120)))
        except OSError:
            pass

    # -- the control endpoint -------------------------------------------------

    def control(self, method, path, body):
        state = self.server.state
        reply = b"ok"
        status = 200
        try:
            if path == "/control/ping":
                pass
            elif path == "/control/next" and method == "POST":
                items = json.loads(body.decode("utf-8") or "{}")
                with state.lock:
                    state.queue.extend(items if isinstance(items, list) else [items])
            elif path == "/control/default" and method == "POST":
                item = json.loads(body.decode("utf-8") or "{}")
                with state.lock:
                    state.default = item
            elif path == "/control/reset" and method == "POST":
                with state.lock:
                    state.queue = []
                    state.records = []
                    state.default = dict(state.startup_default)
                    state.certificate = "trusted"
            elif path == "/control/certificate" and method == "POST":
                name = body.decode("utf-8")
                if not state.certificates or not os.path.isfile(os.path.join(state.certificates, name + ".pem")):
                    raise KeyError("no certificate %r" % name)
                with state.lock:
                    state.certificate = name
            elif path == "/control/requests":
                with state.lock:
                    reply = json.dumps(state.records).encode("utf-8")
            elif path == "/control/requests/count":
                with state.lock:
                    reply = str(len(state.records)).encode("ascii")
            elif path.startswith("/control/requests/") and path.endswith("/raw"):
                which = path[len("/control/requests/"):-len("/raw")]
                with state.lock:
                    index = len(state.records) - 1 if which == "last" else int(which)
                    if not 0 <= index < len(state.records):
                        raise IndexError(which)
                    reply = base64.b64decode(state.records[index]["raw_base64"])
            elif path == "/control/shutdown" and method == "POST":
                state.stopping.set()
                threading.Thread(target=self.server.shutdown, daemon=True).start()
            else:
                status, reply = 404, b"unknown control " + path.encode("latin-1")
        except (ValueError, IndexError, KeyError) as error:
            status, reply = 400, str(error).encode("utf-8")
        head = ("HTTP/1.0 %d %s\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: %d\r\n"
                "Connection: close\r\n\r\n" % (status, REASONS.get(status, "Status"), len(reply))).encode("latin-1")
        try:
            self.wfile.write(head + reply)
        except OSError:
            pass


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True


class TlsServer(Server):
    """The same service over TLS, with the certificate the control endpoint
    chose; the handshake runs on the connection's own thread."""

    def finish_request(self, request, client_address):
        request.settimeout(Handler.timeout)
        try:
            tls = self.state.tls_context().wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError):
            return  # the client refused the certificate, or went away
        try:
            self.RequestHandlerClass(tls, client_address, self)
        finally:
            tls.close()


def default_answer(args):
    if args.answer is not None:
        return {"result": args.answer}
    return {"version": args.version, "url": args.url}


def ping(port, timeout=1.0):
    try:
        with urllib.request.urlopen("http://127.0.0.1:%d/control/ping" % port, timeout=timeout) as reply:
            return reply.read() == b"ok"
    except OSError:
        return False


def shutdown(port):
    try:
        request = urllib.request.Request("http://127.0.0.1:%d/control/shutdown" % port, data=b"", method="POST")
        urllib.request.urlopen(request, timeout=2).read()
    except OSError:
        return False
    return True


def port_free(port):
    with socket.socket() as probe:
        probe.settimeout(0.5)
        return probe.connect_ex(("127.0.0.1", port)) != 0


def serve(args):
    state = State(default_answer(args), args.namespace, args.certificates)
    server = Server((args.host, args.port), Handler)
    server.state = state
    print("update service on http://%s:%d%s" % (args.host, args.port, ENDPOINT), flush=True)
    tls = None
    if args.tls_port:
        state.tls_context()  # a missing or broken certificate stops the start here
        tls = TlsServer((args.host, args.tls_port), Handler)
        tls.state = state
        threading.Thread(target=tls.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True).start()
        print("and on https://localhost:%d%s" % (args.tls_port, ENDPOINT), flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass
    finally:
        state.stopping.set()
        server.server_close()
        if tls:
            tls.shutdown()
            tls.server_close()


def start(args, serve_argv):
    if ping(args.port):
        shutdown(args.port)
        for _ in range(50):
            if port_free(args.port):
                break
            time.sleep(0.1)
    log = open(args.log, "ab") if args.log else subprocess.DEVNULL
    child = subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve"] + serve_argv,
                             stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True,
                             close_fds=True)
    if args.pidfile:
        with open(args.pidfile, "w") as out:
            out.write(str(child.pid))
    for _ in range(100):
        if ping(args.port):
            print("update service started on port %d (pid %d)" % (args.port, child.pid))
            return 0
        if child.poll() is not None:
            break
        time.sleep(0.1)
    print("update service did not start on port %d" % args.port, file=sys.stderr)
    return 1


def stop(args):
    if not shutdown(args.port) and port_free(args.port):
        print("no update service on port %d" % args.port)
        return 0
    # Asked to end; one that does not is ended by its process id.
    for attempt in range(2):
        for _ in range(50):
            if port_free(args.port):
                print("update service on port %d stopped" % args.port)
                return 0
            time.sleep(0.1)
        if attempt == 0 and args.pidfile and os.path.exists(args.pidfile):
            with open(args.pidfile) as f:
                pid = int(f.read().strip() or 0)
            if pid:
                try:
                    os.kill(pid, 15)
                except OSError:
                    pass
    print("port %d is still in use after stopping the update service" % args.port, file=sys.stderr)
    return 1


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = parser.add_subparsers(dest="command", required=True)
    for name in ("serve", "start", "stop"):
        p = sub.add_parser(name)
        p.add_argument("--port", type=int, required=True)
        p.add_argument("--host", default="127.0.0.1")
        p.add_argument("--pidfile")
        if name in ("serve", "start"):
            p.add_argument("--namespace", default="http://tempuri.org/")
            p.add_argument("--version", default="1.1.1.0", help="version announced by default")
            p.add_argument("--url", default="", help="download URL announced by default")
            p.add_argument("--answer", help="the whole answer text, in place of --version/--url")
            p.add_argument("--tls-port", type=int, help="also serve over TLS on this port")
            p.add_argument("--certificates", help="folder of <name>.pem files (chain and key) for TLS")
        if name == "start":
            p.add_argument("--log", help="file for the server's output")
    args = parser.parse_args(argv)
    if args.command == "serve":
        serve(args)
        return 0
    if args.command == "start":
        serve_argv = ["--port", str(args.port), "--host", args.host, "--namespace", args.namespace,
                      "--version", args.version, "--url", args.url]
        if args.answer is not None:
            serve_argv += ["--answer", args.answer]
        if args.tls_port:
            serve_argv += ["--tls-port", str(args.tls_port), "--certificates", args.certificates or ""]
        return start(args, serve_argv)
    return stop(args)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
