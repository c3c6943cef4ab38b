#!/usr/bin/env python3
"""A SQL Server stand-in for the tests: it speaks just enough TDS to see what a client
sends to log in, and answers as a real server would refuse it.

Listeners on loopback ports chosen by the system, printed as "PORT SILENT_PORT TLS_PORT
BROWSER_HOST LOCAL_BROWSER" on the first line of standard output:
  PORT         reads PRELOGIN (noting the client's encryption request; it answers that it
               supports no encryption, so the login that follows arrives in the clear, as
               it does against a server without a certificate) and LOGIN7 (user, password
               unscrambled, database, application, server name, whether Windows
               authentication was offered; a domain login's NTLM exchange is challenged and
               its user, domain and NTLMv2 response recorded). It prints one JSON line per
               login and answers:
                 database starting with "Fehlt": error 4060 "Cannot open database" followed
                   by 18456, as SQL Server sends both;
                 user "gast": a login acknowledgement, then an empty answer to every batch;
                 user "ohnerecht": a login acknowledgement, then error 229 (no SELECT
                   permission on the table personal) to every batch;
                 user "abgelaufen": error 18488 (the password must be changed);
                 user "gesperrt": error 18470 (the login is disabled);
                 anyone else: error 18456 "Login failed".
               PORT also listens on BROWSER_HOST, a loopback address of its own.
  SILENT_PORT  accepts connections and never answers.
  TLS_PORT     answers PRELOGIN that it requires encryption, then breaks off the TLS
               handshake the client starts (as a server whose certificate or TLS version
               the client refuses).
  BROWSER_HOST a SQL Server Browser (UDP 1434) on 127.0.0.N: it names PORT for the
               instances SQLEXPRESS and QUARVEL and stays silent for any other.
  LOCAL_BROWSER 1 when the same Browser also answers on 127.0.0.1 (its port may be taken by
               another program), else 0.
A client that leaves after PRELOGIN (it asked for encryption, which is not offered here,
or found no Kerberos ticket for Windows authentication) gives a JSON line with its
encryption request and the user null.

Standard library only.
"""

import json
import random
import socket
import socketserver
import struct
import sys
import threading

PRELOGIN, LOGIN7, SQL_BATCH, RPC, REPLY, SSPI = 0x12, 0x10, 0x01, 0x03, 0x04, 0x11
ENCRYPT_NOT_SUP = 0x02
print_lock = threading.Lock()


def emit(record):
    with print_lock:
        sys.stdout.write(json.dumps(record) + "\n")
        sys.stdout.flush()


def read_exact(sock, n):
    data = b""
    while len(data) < n:
        chunk = sock.recv(n - len(data))
        if not chunk:
            raise EOFError
        data += chunk
    return data


def read_message(sock):
    """One TDS message (all packets up to the one marked end of message)."""
    kind, payload = None, b""
    while True:
        kind, status, length = struct.unpack(">BBH", read_exact(sock, 8)[:4])
        payload += read_exact(sock, length - 8)
        if status & 0x01:
            return kind, payload


def send_message(sock, kind, payload):
    sock.sendall(struct.pack(">BBHHBB", kind, 0x01, len(payload) + 8, 0, 1, 0) + payload)


def prelogin_options(payload):
    options, i = {}, 0
    while i < len(payload) and payload[i] != 0xFF:
        token, offset, length = struct.unpack(">BHH", payload[i:i + 5])
        options[token] = payload[offset:offset + length]
        i += 5
    return options


def prelogin_reply(encryption=ENCRYPT_NOT_SUP):
    version = bytes([16, 0, 0x10, 0x00, 0, 0])
    entries = [(0x00, version), (0x01, bytes([encryption])), (0x02, b"\x00"), (0x03, b""), (0x04, b"\x00")]
    offset = 5 * len(entries) + 1
    head, body = b"", b""
    for token, data in entries:
        head += struct.pack(">BHH", token, offset + len(body), len(data))
        body += data
    return head + b"\xff" + body


def unscramble(data):
    """LOGIN7 scrambles each password byte: nibbles swapped, then XOR 0xA5."""
    out = bytearray()
    for b in data:
        b ^= 0xA5
        out.append(((b << 4) & 0xF0) | (b >> 4))
    return bytes(out)


def login_record(payload):
    def text(at, scrambled=False):
        offset, chars = struct.unpack("<HH", payload[at:at + 4])
        raw = payload[offset:offset + 2 * chars]
        return (unscramble(raw) if scrambled else raw).decode("utf-16-le")

    tds_version, packet_size = struct.unpack("<II", payload[4:12])
    option_flags2 = payload[25]
    sspi_offset, sspi_length = struct.unpack("<HH", payload[78:82])
    record = {
        "tds_version": "%08x" % tds_version,
        "host": text(36), "user": text(40), "password": text(44, True), "app": text(48),
        "server": text(52), "library": text(60), "language": text(64), "database": text(68),
        # fIntSecurity, or an SSPI blob: Windows authentication.
        "windows": bool(option_flags2 & 0x80) or sspi_length > 0,
    }
    return record, payload[sspi_offset:sspi_offset + sspi_length]


SERVER_CHALLENGE = bytes(range(1, 9))


def ntlm_challenge():
    """NTLM's CHALLENGE_MESSAGE with a fixed server challenge and the domain TDSTEST."""
    target = "TDSTEST".encode("utf-16-le")
    info = struct.pack("<HH", 2, len(target)) + target + struct.pack("<HH", 0, 0)  # MsvAvNbDomainName, EOL
    flags = 0x00000001 | 0x00000004 | 0x00000200 | 0x00008000 | 0x00010000 | 0x00080000 | 0x00800000 \
        | 0x20000000 | 0x80000000
    head = 48
    return b"NTLMSSP\x00" + struct.pack("<I", 2) + struct.pack("<HHI", len(target), len(target), head) \
        + struct.pack("<I", flags) + SERVER_CHALLENGE + bytes(8) \
        + struct.pack("<HHI", len(info), len(info), head + len(target)) + target + info


def ntlm_authenticate(message):
    """User, domain and the NTLMv2 response of an AUTHENTICATE_MESSAGE: the password itself
    never travels; the tests check the response against the password they gave."""
    def field(at):
        length, _, offset = struct.unpack("<HHI", message[at:at + 8])
        return message[offset:offset + length]
    return {"ntlm_user": field(36).decode("utf-16-le"), "ntlm_domain": field(28).decode("utf-16-le"),
            "ntlm_challenge": SERVER_CHALLENGE.hex(), "ntlm_response": field(20).hex()}


def us_varchar(s):
    data = s.encode("utf-16-le")
    return struct.pack("<H", len(data) // 2) + data


def b_varchar(s):
    data = s.encode("utf-16-le")
    return struct.pack("<B", len(data) // 2) + data


def error_token(number, state, severity, message):
    body = struct.pack("<IBB", number, state, severity) + us_varchar(message) + b_varchar("TDSTEST") \
        + b_varchar("") + struct.pack("<I", 1)
    return struct.pack("<BH", 0xAA, len(body)) + body


def done_token(status):
    return struct.pack("<BHHQ", 0xFD, status, 0, 0)


def login_ack():
    body = struct.pack("<B", 1) + bytes([0x74, 0x00, 0x00, 0x04]) + b_varchar("Microsoft SQL Server") \
        + bytes([16, 0, 0x10, 0x00])
    ack = struct.pack("<BH", 0xAD, len(body)) + body
    # ENVCHANGE: the packet size the client asked for.
    size = b_varchar("4096") + b_varchar("4096")
    env = struct.pack("<BHB", 0xE3, len(size) + 1, 4) + size
    return ack + env + done_token(0)


class Endpoint(socketserver.BaseRequestHandler):
    def handle(self):
        sock = self.request
        try:
            kind, payload = read_message(sock)
            encryption = None
            if kind == PRELOGIN:
                options = prelogin_options(payload)
                encryption = options.get(0x01, b"\x02")[0]
                send_message(sock, REPLY, prelogin_reply())
                try:
                    kind, payload = read_message(sock)
                except (EOFError, ConnectionError):
                    # A client that asked for encryption, or could not sign in to Windows;
                    # not the program asking only whether encryption is offered (no version).
                    if options.get(0x00) != bytes(6):
                        emit({"encryption": encryption, "user": None})
                    return
            if kind != LOGIN7:
                return
            record, sspi = login_record(payload)
            record["encryption"] = encryption
            if sspi.startswith(b"NTLMSSP\x00"):
                # A domain login through NTLM: challenge it, then read who answers.
                send_message(sock, REPLY, struct.pack("<BH", 0xED, len(ntlm_challenge())) + ntlm_challenge())
                kind, payload = read_message(sock)
                if kind == SSPI and payload.startswith(b"NTLMSSP\x00"):
                    record.update(ntlm_authenticate(payload))
                    record["user"] = record["ntlm_domain"] + "\\" + record["ntlm_user"]
            emit(record)
            if record["database"].startswith("Fehlt"):
                reply = error_token(4060, 1, 11, 'Cannot open database "%s" requested by the login. '
                                    'The login failed.' % record["database"]) \
                    + error_token(18456, 1, 14, "Login failed for user '%s'." % record["user"])
                send_message(sock, REPLY, reply + done_token(0x02))
                return
            refusals = {
                "abgelaufen": (18488, "Login failed for user '%s'. Reason: The password of the account must be "
                               "changed." % record["user"]),
                "gesperrt": (18470, "Login failed for user '%s'. Reason: The account is disabled." % record["user"]),
            }
            if record["user"] in refusals:
                number, text = refusals[record["user"]]
                send_message(sock, REPLY, error_token(number, 1, 14, text) + done_token(0x02))
                return
            if record["user"] not in ("gast", "ohnerecht"):
                reply = error_token(18456, 1, 14, "Login failed for user '%s'." % record["user"])
                send_message(sock, REPLY, reply + done_token(0x02))
                return
            send_message(sock, REPLY, login_ack())
            while True:
                kind, payload = read_message(sock)
                if record["user"] == "ohnerecht":
                    denied = error_token(229, 5, 14, "The SELECT permission was denied on the object 'personal', "
                                         "database 'FBG', schema 'dbo'.")
                    send_message(sock, REPLY, denied + done_token(0x02))
                else:
                    send_message(sock, REPLY, done_token(0))
        except (EOFError, ConnectionError, struct.error):
            return


class Tls(socketserver.BaseRequestHandler):
    """Requires encryption, then answers the client's TLS hello with a handshake failure."""
    def handle(self):
        sock = self.request
        try:
            kind, payload = read_message(sock)
            if kind != PRELOGIN:
                return
            encryption = prelogin_options(payload).get(0x01, b"\x02")[0]
            send_message(sock, REPLY, prelogin_reply(0x03))  # ENCRYPT_REQ
            kind, payload = read_message(sock)  # the ClientHello, inside PRELOGIN packets
            emit({"tls_hello": payload[:1] == b"\x16", "encryption": encryption, "user": None})
            # TLS alert: fatal, handshake_failure.
            send_message(sock, PRELOGIN, b"\x15\x03\x03\x00\x02\x02\x28")
        except (EOFError, ConnectionError, struct.error):
            return


class Browser(socketserver.BaseRequestHandler):
    """SSRP's unicast instance request (0x04, the name, NUL): the instance's TCP port."""
    port = 0

    def handle(self):
        data, sock = self.request
        if len(data) < 2 or data[0] != 0x04:
            return
        instance = data[1:].split(b"\x00")[0].decode("latin-1")
        emit({"browser": instance})
        if instance.upper() not in ("SQLEXPRESS", "QUARVEL"):
            return
        answer = ("ServerName;TDSTEST;InstanceName;%s;IsClustered;No;Version;16.0.1000.6;tcp;%d;;"
                  % (instance.upper(), Browser.port)).encode("latin-1")
        sock.sendto(b"\x05" + struct.pack("<H", len(answer)) + answer, self.client_address)


class Silent(socketserver.BaseRequestHandler):
    def handle(self):
        try:
            while self.request.recv(4096):
                pass
        except OSError:
            pass


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


class UdpServer(socketserver.ThreadingUDPServer):
    daemon_threads = True


def browser_on(host):
    try:
        return UdpServer((host, 1434), Browser)
    except OSError:
        return None


def main():
    endpoint = Server(("127.0.0.1", 0), Endpoint)
    silent = Server(("127.0.0.1", 0), Silent)
    tls = Server(("127.0.0.1", 0), Tls)
    port = endpoint.server_address[1]
    Browser.port = port
    servers = [endpoint, silent, tls]
    # A loopback address of its own for the Browser and the endpoint, so that tests running
    # at the same time never share port 1434.
    browser, host = None, ""
    for _ in range(50):
        candidate = "127.0.%d.%d" % (random.randint(1, 254), random.randint(2, 254))
        try:
            other = Server((candidate, port), Endpoint)
        except OSError:
            continue
        browser = browser_on(candidate)
        if browser:
            servers += [other, browser]
            host = candidate
            break
        other.server_close()
    local = browser_on("127.0.0.1")
    if local:
        servers.append(local)
    for server in servers:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    emit_line = "%d %d %d %s %d\n" % (port, silent.server_address[1], tls.server_address[1], host or "-",
                                       1 if local else 0)
    with print_lock:
        sys.stdout.write(emit_line)
        sys.stdout.flush()
    # Ends when the test closes standard input.
    sys.stdin.read()


if __name__ == "__main__":
    main()
