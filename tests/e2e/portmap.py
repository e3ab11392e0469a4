#!/usr/bin/env python3
"""A hosting copy of the game asks a router for port 7772.

The test builds two network namespaces joined by a veth pair: "gateway"
(10.77.0.1) and "host" (10.77.0.2, default route through the gateway, and a
global IPv6 address of the documentation range). The real program runs in the
host namespace as a host; the gateway namespace runs one of:

- upnp:    this script's own UPnP-IGD responder (SSDP, description, SOAP),
           which keeps a mapping for only a few seconds whatever lease was asked;
- natpmp:  this script's own NAT-PMP responder, granting short leases;
- taken:   the UPnP responder holding 7772 for another machine already;
- shared:  the UPnP responder behind a provider's shared address (100.64.3.7);
- double:  the NAT-PMP responder behind a second router (10.1.2.3), with no
           IPv6 address on the host;
- offline: the UPnP responder saying it is not connected to the internet;
- refused: the real miniupnpd when installed (it refuses every mapping while its
           external address is private, as it is here), else the responder
           answering every request with a refusal;
- none:    nothing at all.

Every case checks the line the host gets (the program writes its port mapping
lines to standard error too) and what reached the gateway: the request carries
this host's address and port 7772, UPnP and NAT-PMP leases are renewed, the mapping is
deleted when the program ends on SIGTERM or SIGINT, a taken port is left alone,
and without a gateway the failure comes within a few seconds while the game
still accepts players. Behind a router that friends outside cannot reach, the
host's chat never says they can join, and Options > Copy Invitation Link puts
the IPv6 or local address on the clipboard (read back with xclip); where the
router's address is public, that address. The host runs under Xvfb with openbox
in the host namespace, so its menu can be clicked. Traffic stays inside the two
namespaces.

Usage: portmap.py PATH/TO/hangman
With HANGMAN_SCREENSHOTS=DIR every case that copies a link writes
DIR/portmap_MODE.png. Exit status 77: namespaces cannot be made here, or Xvfb,
openbox, xdotool or xclip is missing.
"""

import http.server
import json
import os
import re
import shutil
import signal
import socket
import socketserver
import struct
import subprocess
import sys
import threading
import time
import zlib

from steps import Failure, cannot_start, log, run_in_folder, wait_for

GAME_PORT = 7772
GATEWAY_V4 = "10.77.0.1"
HOST_V4 = "10.77.0.2"
HOST_V6 = "2001:db8:77::2"
OTHER_MACHINE = "10.77.0.9"
PUBLIC_V4 = "93.184.216.34"       # IANA's example address; nothing is ever sent to it
EXTERNAL_V4 = {"shared": "100.64.3.7", "double": "10.1.2.3"}
HTTP_PORT = 5000
SSDP_GROUP = ("239.255.255.250", 1900)
NATPMP_PORT = 5351
NATPMP_GRANTED_LEASE = 4          # seconds: the program renews every 2 s
UPNP_GRANTED_LEASE = 4            # seconds left on a UPnP mapping, whatever lease was asked for
STARTED_WITHIN = 30               # seconds for the host to log in to its own game and ask
ANSWER_WITHIN = 10                # seconds for the router's answer after asking
FAILURE_WITHIN = 6                # "a few seconds" for the no-gateway line after asking
ASKING_LINE = "Asking your router to open port 7772"
EXIT_WITHIN = 15
WAN_IP = "urn:schemas-upnp-org:service:WANIPConnection:1"
OPEN_LINE = "is open on your router:"
OPENED_LINE = "Your router opened port 7772, but"
OUTSIDE_JOIN = "friends outside your network join at"
COPIED_LINE = "Invitation link copied:"
MENU_ATTEMPTS = 3                 # tries at choosing an entry of the host's Options menu
MENU_ANSWER_WITHIN = 3            # seconds for the host's line after a menu entry is chosen
FAIL_LINE = "cannot join until port 7772 is forwarded"


# ---------------------------------------------------------------- the gateway

class Gateway:
    """The responder: writes one JSON line per request it handles to its log."""

    def __init__(self, mode, log_path):
        self.mode = mode
        self.external = EXTERNAL_V4.get(mode, PUBLIC_V4)
        self.log = open(log_path, "a", buffering=1)
        self.mappings = {}
        if mode == "taken":
            self.mappings[(GAME_PORT, "TCP")] = {"client": OTHER_MACHINE, "internal": GAME_PORT,
                                                 "description": "someone else", "lease": 0}
        self.lock = threading.Lock()

    def record(self, **event):
        self.log.write(json.dumps(event) + "\n")

    # SSDP
    def serve_ssdp(self):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind(("", SSDP_GROUP[1]))
        s.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                     socket.inet_aton(SSDP_GROUP[0]) + socket.inet_aton(GATEWAY_V4))
        while True:
            data, peer = s.recvfrom(2048)
            text = data.decode("latin-1")
            match = re.search(r"^ST:\s*(.+?)\r?$", text, re.I | re.M)
            if not text.startswith("M-SEARCH") or not match:
                continue
            target = match.group(1).strip()
            self.record(event="search", target=target, peer=peer[0])
            reply = ("HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=120\r\n"
                     f"ST: {target}\r\nUSN: uuid:hangman-test-gateway::{target}\r\nEXT:\r\n"
                     "SERVER: Linux/6 UPnP/1.1 HangmanTestGateway/1\r\n"
                     f"LOCATION: http://{GATEWAY_V4}:{HTTP_PORT}/rootDesc.xml\r\n\r\n")
            s.sendto(reply.encode(), peer)

    # SOAP
    def soap(self, action, args):
        key = (int(args.get("NewExternalPort", "0") or 0), args.get("NewProtocol", ""))
        with self.lock:
            if action == "GetStatusInfo":
                status = "Disconnected" if self.mode == "offline" else "Connected"
                return {"NewConnectionStatus": status, "NewLastConnectionError": "ERROR_NONE",
                        "NewUptime": "100"}
            if action == "GetExternalIPAddress":
                return {"NewExternalIPAddress": self.external}
            if action == "GetSpecificPortMappingEntry":
                entry = self.mappings.get(key)
                if not entry:
                    return 714
                lease = int(entry["lease"] or 0)
                if self.mode == "upnp" and lease > 0:
                    lease = min(lease, UPNP_GRANTED_LEASE)
                return {"NewInternalPort": str(entry["internal"]), "NewInternalClient": entry["client"],
                        "NewEnabled": "1", "NewPortMappingDescription": entry["description"],
                        "NewLeaseDuration": str(lease)}
            if action == "AddPortMapping":
                self.record(event="add", client=args.get("NewInternalClient"), external=key[0],
                            internal=int(args.get("NewInternalPort", "0")), protocol=key[1],
                            description=args.get("NewPortMappingDescription"),
                            lease=args.get("NewLeaseDuration"))
                if self.mode == "refused":
                    return 606
                entry = self.mappings.get(key)
                if entry and entry["client"] != args.get("NewInternalClient"):
                    return 718
                self.mappings[key] = {"client": args.get("NewInternalClient"), "internal": args.get("NewInternalPort"),
                                      "description": args.get("NewPortMappingDescription"),
                                      "lease": args.get("NewLeaseDuration")}
                return {}
            if action == "DeletePortMapping":
                self.record(event="delete", external=key[0], protocol=key[1])
                return {} if self.mappings.pop(key, None) else 714
        return 401

    def serve_http(self):
        gateway = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def send(self, status, body, content_type="text/xml"):
                data = body.encode()
                self.send_response(status)
                self.send_header("Content-Type", f'{content_type}; charset="utf-8"')
                self.send_header("Content-Length", str(len(data)))
                self.send_header("Connection", "close")
                self.end_headers()
                self.wfile.write(data)

            def do_GET(self):
                self.send(200, DESCRIPTION if self.path == "/rootDesc.xml" else SCPD)

            def do_POST(self):
                length = min(int(self.headers.get("Content-Length", "0")), 65536)
                body = self.rfile.read(length).decode("utf-8", "replace")
                action = self.headers.get("SOAPAction", "").strip('"').split("#")[-1]
                args = dict(re.findall(r"<(New\w+)>([^<]*)</\1>", body))
                answer = gateway.soap(action, args)
                if isinstance(answer, int):
                    self.send(500, FAULT.format(code=answer))
                else:
                    fields = "".join(f"<{k}>{v}</{k}>" for k, v in answer.items())
                    self.send(200, RESPONSE.format(action=action, service=WAN_IP, fields=fields))

        class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
            daemon_threads = True

        Server((GATEWAY_V4, HTTP_PORT), Handler).serve_forever()

    # NAT-PMP
    def serve_natpmp(self):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.bind((GATEWAY_V4, NATPMP_PORT))
        epoch = int(time.monotonic())
        while True:
            data, peer = s.recvfrom(64)
            seconds = int(time.monotonic()) - epoch
            if len(data) == 2 and data[0] == 0 and data[1] == 0:
                self.record(event="natpmp-address", peer=peer[0])
                s.sendto(struct.pack("!BBHI4s", 0, 128, 0, seconds, socket.inet_aton(self.external)), peer)
            elif len(data) == 12 and data[0] == 0 and data[1] in (1, 2):
                _, op, _, private, public, lifetime = struct.unpack("!BBHHHI", data)
                self.record(event="natpmp-map" if lifetime else "natpmp-delete", peer=peer[0],
                            private=private, public=public, lifetime=lifetime)
                granted = min(lifetime, NATPMP_GRANTED_LEASE)
                s.sendto(struct.pack("!BBHIHHI", 0, 128 + op, 0, seconds, private,
                                     public if lifetime else 0, granted), peer)

    def run(self):
        natpmp = self.mode in ("natpmp", "double")
        services = [self.serve_natpmp] if natpmp else [self.serve_ssdp, self.serve_http]
        for service in services:
            threading.Thread(target=service, daemon=True).start()
        self.record(event="ready")
        while True:
            time.sleep(3600)


DESCRIPTION = f"""<?xml version="1.0"?>
<root xmlns="urn:schemas-upnp-org:device-1-0"><specVersion><major>1</major><minor>0</minor></specVersion>
<device><deviceType>urn:schemas-upnp-org:device:InternetGatewayDevice:1</deviceType>
<friendlyName>Hangman test gateway</friendlyName><UDN>uuid:hangman-test-gateway</UDN>
<serviceList><service><serviceType>urn:schemas-upnp-org:service:Layer3Forwarding:1</serviceType>
<serviceId>urn:upnp-org:serviceId:L3Forwarding1</serviceId><controlURL>/ctl/L3F</controlURL>
<eventSubURL>/evt/L3F</eventSubURL><SCPDURL>/L3F.xml</SCPDURL></service></serviceList>
<deviceList><device><deviceType>urn:schemas-upnp-org:device:WANDevice:1</deviceType>
<UDN>uuid:hangman-test-wan</UDN>
<serviceList><service><serviceType>urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1</serviceType>
<serviceId>urn:upnp-org:serviceId:WANCommonIFC1</serviceId><controlURL>/ctl/CmnIfCfg</controlURL>
<eventSubURL>/evt/CmnIfCfg</eventSubURL><SCPDURL>/WANCfg.xml</SCPDURL></service></serviceList>
<deviceList><device><deviceType>urn:schemas-upnp-org:device:WANConnectionDevice:1</deviceType>
<UDN>uuid:hangman-test-wanconn</UDN>
<serviceList><service><serviceType>{WAN_IP}</serviceType>
<serviceId>urn:upnp-org:serviceId:WANIPConn1</serviceId><controlURL>/ctl/IPConn</controlURL>
<eventSubURL>/evt/IPConn</eventSubURL><SCPDURL>/WANIPCn.xml</SCPDURL></service></serviceList>
</device></deviceList></device></deviceList></device></root>"""

SCPD = """<?xml version="1.0"?><scpd xmlns="urn:schemas-upnp-org:service-1-0"></scpd>"""

RESPONSE = """<?xml version="1.0"?>
<s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/" s:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/">
<s:Body><u:{action}Response xmlns:u="{service}">{fields}</u:{action}Response></s:Body></s:Envelope>"""

FAULT = """<?xml version="1.0"?>
<s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/" s:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/">
<s:Body><s:Fault><faultcode>s:Client</faultcode><faultstring>UPnPError</faultstring><detail>
<UPnPError xmlns="urn:schemas-upnp-org:control-1-0"><errorCode>{code}</errorCode>
<errorDescription>refused</errorDescription></UPnPError></detail></s:Fault></s:Body></s:Envelope>"""


# ---------------------------------------------------------------- the namespaces

def run(*args, check=True):
    return subprocess.run(args, check=check, capture_output=True, text=True, timeout=30)


class Network:
    def __init__(self):
        tag = f"{os.getpid()}"
        self.gateway = f"hmpm-gw-{tag}"
        self.host = f"hmpm-host-{tag}"
        self.veth_gw, self.veth_host = f"hmg{tag}"[:15], f"hmh{tag}"[:15]
        self.made = []

    def __enter__(self):
        for ns in (self.gateway, self.host):
            run("ip", "netns", "add", ns)
            self.made.append(ns)
        run("ip", "link", "add", self.veth_gw, "netns", self.gateway, "type", "veth",
            "peer", "name", self.veth_host, "netns", self.host)
        for ns, dev, address in ((self.gateway, self.veth_gw, GATEWAY_V4), (self.host, self.veth_host, HOST_V4)):
            run("ip", "-n", ns, "link", "set", "lo", "up")
            run("ip", "-n", ns, "addr", "add", f"{address}/24", "dev", dev)
            run("ip", "-n", ns, "link", "set", dev, "up", "multicast", "on")
        run("ip", "-n", self.host, "-6", "addr", "add", f"{HOST_V6}/64", "dev", self.veth_host, "nodad")
        run("ip", "-n", self.host, "route", "add", "default", "via", GATEWAY_V4)
        return self

    def __exit__(self, *exc):
        for ns in self.made:
            run("ip", "netns", "del", ns, check=False)

    def exec_in(self, ns):
        return ["ip", "netns", "exec", ns]


class Processes:
    """Every process started by the test; all are ended in close()."""

    def __init__(self):
        self.started = []

    def start(self, args, output, **kwargs):
        process = subprocess.Popen(args, stdout=output, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                   start_new_session=True, **kwargs)
        self.started.append(process)
        return process

    def close(self):
        for process in reversed(self.started):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait(10)


def read(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except OSError:
        return ""


def events(path):
    return [json.loads(line) for line in read(path).splitlines() if line.startswith("{")]


class Case:
    def __init__(self, test, mode, display=None):
        self.test, self.mode = test, mode
        self.folder = os.path.join(test.work, mode)
        os.makedirs(self.folder)
        self.gateway_log = os.path.join(self.folder, "gateway.log")
        self.host_log = os.path.join(self.folder, "host.log")
        self.display = display

    def start_gateway(self):
        net, procs = self.test.net, self.test.procs
        out = open(os.path.join(self.folder, "gateway.out"), "w")
        if self.mode == "refused" and shutil.which("miniupnpd"):
            self.test.gateway_kind = "the real miniupnpd"
            run(*net.exec_in(net.gateway), "ip", "link", "add", "hmext", "type", "veth", "peer", "name", "hmext-peer")
            run(*net.exec_in(net.gateway), "ip", "addr", "add", "192.168.77.1/24", "dev", "hmext")
            run(*net.exec_in(net.gateway), "ip", "link", "set", "hmext", "up")
            run(*net.exec_in(net.gateway), "ip", "link", "set", "hmext-peer", "up")
            conf = os.path.join(self.folder, "miniupnpd.conf")
            with open(conf, "w") as f:
                f.write(f"ext_ifname=hmext\nlistening_ip={net.veth_gw}\nport={HTTP_PORT}\n"
                        "enable_natpmp=yes\nenable_upnp=yes\nsecure_mode=no\nsystem_uptime=yes\n"
                        "uuid=6a3c1e0e-5b7d-4e8a-9c1f-77a0b0c0d0e0\n"
                        "allow 1024-65535 10.77.0.0/24 1024-65535\ndeny 0-65535 0.0.0.0/0 0-65535\n")
            procs.start([*net.exec_in(net.gateway), "miniupnpd", "-d", "-f", conf], out)
            time.sleep(1)
            return
        if self.mode == "none":
            return
        procs.start([*net.exec_in(net.gateway), sys.executable, os.path.abspath(__file__), "--gateway",
                     self.mode, self.gateway_log], out)
        wait_for("the gateway", lambda: any(e["event"] == "ready" for e in events(self.gateway_log)), 15)

    def start_host(self):
        runtime = os.path.join(self.folder, "runtime")
        os.makedirs(runtime, mode=0o700)
        env = {k: v for k, v in os.environ.items() if not k.startswith(("QT_", "XDG_", "WAYLAND", "DISPLAY"))}
        env.update(XDG_RUNTIME_DIR=runtime, HOME=self.folder, TMPDIR=runtime)
        command = [*self.test.net.exec_in(self.test.net.host), self.test.binary, "Ann", "127.0.0.1", "true"]
        if self.display:
            env.update(QT_QPA_PLATFORM="xcb", DISPLAY=self.display)
        else:
            env.update(QT_QPA_PLATFORM="offscreen")
        self.since = time.monotonic()
        self.host = self.test.procs.start(command, open(self.host_log, "w"), env=env, cwd=self.test.program_folder)

    def host_line(self, needle, timeout):
        """The host's line holding needle, which must come within timeout seconds of the
        line asking the router."""
        if needle != ASKING_LINE:
            self.host_line(ASKING_LINE, STARTED_WITHIN)
        def found():
            if self.host.poll() is not None:
                raise Failure(f"the host ended with status {self.host.returncode}: {read(self.host_log)[-2000:]}")
            return next((line for line in read(self.host_log).splitlines() if needle in line), None)
        line = wait_for(f"the host's line with '{needle}'", found, timeout)
        log(f"{self.mode}: after {time.monotonic() - self.since:.1f}s: {line}")
        self.since = time.monotonic()
        return line

    def has_host_line(self, needle, timeout):
        """Whether the host logs a line holding needle within timeout seconds."""
        try:
            wait_for(f"the host's line with '{needle}'", lambda: needle in read(self.host_log), timeout)
            return True
        except Failure:
            return False

    def expect_game_accepts_players(self):
        probe = ("import socket; s=socket.create_connection(('10.77.0.2', 7772), 5); s.settimeout(5); "
                 "print(s.recv(256))")
        out = run(*self.test.net.exec_in(self.test.net.host), sys.executable, "-c", probe).stdout
        if "CMD_sendlogininfo" not in out:
            raise Failure(f"{self.mode}: the game did not greet a new player: {out!r}")

    def end_host(self, number):
        os.kill(self.host.pid, number)
        try:
            status = self.host.wait(EXIT_WITHIN)
        except subprocess.TimeoutExpired:
            raise Failure(f"{self.mode}: the host did not end after signal {number}")
        if status != 0:
            raise Failure(f"{self.mode}: the host ended with status {status}")

    def gateway_events(self, kind):
        return [e for e in events(self.gateway_log) if e["event"] == kind]


def expect(condition, text):
    if not condition:
        raise Failure(text)


class PortMapTest:
    def __init__(self, binary, work):
        self.binary_source, self.work = binary, work
        self.procs = Processes()
        self.gateway_kind = "this test's responder"

    def run_case(self, mode, check):
        case = Case(self, mode, self.display)
        ipv6 = mode != "double"
        try:
            if not ipv6:
                run(*self.net.exec_in(self.net.host), "ip", "-6", "addr", "del", f"{HOST_V6}/64", "dev",
                    self.net.veth_host)
            case.start_gateway()
            case.start_host()
            check(case)
        finally:
            self.procs.close()
            run(*self.net.exec_in(self.net.gateway), "ip", "link", "del", "hmext", check=False)
            if not ipv6:
                run(*self.net.exec_in(self.net.host), "ip", "-6", "addr", "add", f"{HOST_V6}/64", "dev",
                    self.net.veth_host, "nodad")

    def upnp(self, case):
        line = case.host_line(OPEN_LINE, ANSWER_WITHIN)
        expect(PUBLIC_V4 in line and f"hangman://{PUBLIC_V4}" in line,
               f"the line does not name the external address and its link: {line}")
        # The router grants a short lease; the program renews it at half its life.
        wait_for("two renewals of the lease", lambda: len(case.gateway_events("add")) >= 3,
                 UPNP_GRANTED_LEASE * 3)
        for add in case.gateway_events("add"):
            expect(add == {"event": "add", "client": HOST_V4, "external": GAME_PORT, "internal": GAME_PORT,
                           "protocol": "TCP", "description": "HangMan game", "lease": "3600"},
                   f"wrong AddPortMapping: {add}")
        case.expect_game_accepts_players()
        self.expect_copied_link(case, f"hangman://{PUBLIC_V4}")
        case.end_host(signal.SIGTERM)
        deletes = case.gateway_events("delete")
        expect(deletes == [{"event": "delete", "external": GAME_PORT, "protocol": "TCP"}],
               f"the mapping was not deleted once at SIGTERM: {deletes}")

    def natpmp(self, case):
        line = case.host_line(OPEN_LINE, ANSWER_WITHIN)
        expect(PUBLIC_V4 in line, f"the line does not name the external address: {line}")
        wait_for("two renewals of the lease", lambda: len(case.gateway_events("natpmp-map")) >= 3,
                 NATPMP_GRANTED_LEASE * 3)
        for request in case.gateway_events("natpmp-map"):
            expect(request["peer"] == HOST_V4 and request["private"] == GAME_PORT and request["public"] == GAME_PORT,
                   f"wrong NAT-PMP request: {request}")
        case.end_host(signal.SIGINT)
        expect(case.gateway_events("natpmp-delete"), "the NAT-PMP mapping was not deleted at SIGINT")

    def taken(self, case):
        line = case.host_line(FAIL_LINE, ANSWER_WITHIN)
        expect(OTHER_MACHINE in line, f"the line does not name the other machine: {line}")
        case.end_host(signal.SIGTERM)
        expect(not case.gateway_events("add") and not case.gateway_events("delete"),
               f"the other machine's mapping was touched: {events(case.gateway_log)}")

    def refused(self, case):
        line = case.host_line(FAIL_LINE, ANSWER_WITHIN)
        expect("refused" in line, f"the line does not say the router refused: {line}")
        case.expect_game_accepts_players()
        case.end_host(signal.SIGTERM)

    def none(self, case):
        line = case.host_line(FAIL_LINE, FAILURE_WITHIN)
        expect("no router answered" in line, f"the line does not say no router answered: {line}")
        case.expect_game_accepts_players()
        case.end_host(signal.SIGTERM)

    def unreachable(self, case, external, link, lan_only):
        """A router friends outside cannot reach: the chat says so, and the link avoids it."""
        line = case.host_line(OPENED_LINE, ANSWER_WITHIN)
        expect(external in line and link in line, f"the line does not name {external} and {link}: {line}")
        expect(OUTSIDE_JOIN not in read(case.host_log), f"the chat claims friends outside can join: {line}")
        copied = self.expect_copied_link(case, link)
        expect(copied.endswith("(it works for players on this network only).") == lan_only,
               f"the copied line does not say whom the link serves: {copied}")
        case.end_host(signal.SIGTERM)

    def shared(self, case):
        self.unreachable(case, "its address is 100.64.3.7", f"hangman://[{HOST_V6}]", False)

    def double(self, case):
        self.unreachable(case, "its address is 10.1.2.3", f"hangman://{HOST_V4}", True)

    def offline(self, case):
        self.unreachable(case, "not connected to the internet", f"hangman://[{HOST_V6}]", False)

    def expect_copied_link(self, case, link):
        """Chooses Options > Copy Invitation Link in the host's window; returns the host's line."""
        window = wait_for("the host's window", lambda: self.xdotool("search", "--onlyvisible", "--name", "^HangMan$"),
                          STARTED_WITHIN).split()[0]
        # On a loaded machine the menu may open after the keys meant for it: then it is closed and opened again, slower.
        for attempt in range(MENU_ATTEMPTS):
            self.choose_copy_invitation_link(window, 0.5 * 3 ** attempt)
            if case.has_host_line(COPIED_LINE, MENU_ANSWER_WITHIN):
                break
            shoot(self.fb, os.path.join(case.folder, f"menu_missed_{attempt + 1}.png"))
            self.xdotool("key", "Escape")
        line = case.host_line(COPIED_LINE, ANSWER_WITHIN)
        expect(line.split(COPIED_LINE, 1)[1].split(" ")[0] == link, f"the copied line names another link: {line}")
        clipboard = self.in_host("xclip", "-o", "-selection", "clipboard")
        expect(clipboard == link, f"the clipboard holds {clipboard!r}, not {link}")
        if self.shots:
            shoot(self.fb, os.path.join(self.shots, f"portmap_{case.mode}.png"))
        return line

    def choose_copy_invitation_link(self, window, menu_opens_within):
        self.xdotool("windowactivate", "--sync", window)
        self.xdotool("mousemove", "--window", window, "72", "9", "click", "1")
        time.sleep(menu_opens_within)
        # From the bottom of the Options menu: "Just Watch", then "Copy Invitation Link".
        for key in ("Up", "Up", "Return"):
            self.xdotool("key", key)
            time.sleep(0.2)

    def in_host(self, *args):
        env = dict(os.environ, DISPLAY=self.display)
        done = subprocess.run([*self.net.exec_in(self.net.host), *args], env=env, capture_output=True, text=True,
                              timeout=10)
        return done.stdout.strip() if done.returncode == 0 else ""

    def xdotool(self, *args):
        return self.in_host("xdotool", *args)

    def main(self):
        self.shots = os.environ.get("HANGMAN_SCREENSHOTS")
        self.program_folder = os.path.join(self.work, "program")
        os.makedirs(self.program_folder)
        self.binary = os.path.join(self.program_folder, "hangman")
        shutil.copy2(self.binary_source, self.binary)
        with Network() as self.net:
            try:
                self.start_display()
                for mode in ("upnp", "natpmp", "taken", "refused", "none", "shared", "double", "offline"):
                    self.run_case(mode, getattr(self, mode))
                    log(f"{mode}: passed")
            finally:
                self.display_procs.close()
        log(f"the refusal came from {self.gateway_kind}")

    def start_display(self):
        """Xvfb and openbox in the host namespace, for every case."""
        self.display_procs = Processes()
        number = 200 + os.getpid() % 500
        self.display = f":{number}"
        fb = os.path.join(self.work, "fb")
        os.makedirs(fb)
        self.display_procs.start([*self.net.exec_in(self.net.host), "Xvfb", self.display, "-screen", "0",
                                  "800x600x24", "-nolisten", "tcp", "-fbdir", fb],
                                 open(os.path.join(self.work, "xvfb.log"), "w"))
        self.fb = os.path.join(fb, "Xvfb_screen0")
        wait_for("Xvfb", lambda: os.path.exists(self.fb), 15)
        self.display_procs.start([*self.net.exec_in(self.net.host), "openbox"],
                                 open(os.path.join(self.work, "openbox.log"), "w"),
                                 env=dict(os.environ, DISPLAY=self.display))
        wait_for("openbox", lambda: subprocess.run(
            [*self.net.exec_in(self.net.host), "xdotool", "get_desktop"], env=dict(os.environ, DISPLAY=self.display),
            capture_output=True, timeout=10).returncode == 0, 15)
        return f":{number}"


# ---------------------------------------------------------------- screenshots

def shoot(xwd_path, png_path):
    """Converts Xvfb's frame buffer (XWD, 32 bits a pixel) to a PNG file."""
    time.sleep(1)
    with open(xwd_path, "rb") as f:
        data = f.read()
    header = struct.unpack(">25I", data[:100])
    header_size, width, height, bytes_per_line, ncolors = header[0], header[4], header[5], header[12], header[19]
    pixels = data[header_size + ncolors * 12:]
    rows = []
    for y in range(height):
        row = pixels[y * bytes_per_line: y * bytes_per_line + width * 4]
        rgb = bytearray(width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::4], row[1::4], row[0::4]
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    with open(png_path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(b"".join(rows))) + chunk(b"IEND", b""))
    log(f"screenshot: {png_path}")


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--gateway":
        Gateway(sys.argv[2], sys.argv[3]).run()
        return 0
    status = cannot_start(__doc__, ("Xvfb", "openbox", "xdotool", "xclip"), namespaces=True)
    if status is not None:
        return status
    binary = os.path.abspath(sys.argv[1])
    return run_in_folder("hangman-portmap-", lambda work: PortMapTest(binary, work), "all port mapping cases passed")


if __name__ == "__main__":
    sys.exit(main())
