#!/usr/bin/env python3
"""Answers echo requests for a small range the way a proxy or a broadcast
answer does: the range's first host replies for itself and for every other
host of the range, always from its own address, with the request's
identifier, sequence and data.

    proxy_responder.py RANGE_CIDR

Run as root inside the namespace that owns RANGE_CIDR, with that namespace's
own echo replies off (net.ipv4.icmp_echo_ignore_all=1). Prints "ready" once
it listens. Answers only requests from 198.18.0.0/15, so nothing leaves the
test bed.
"""
import ipaddress
import socket
import struct
import sys

TEST_BED = ipaddress.IPv4Network("198.18.0.0/15")
ECHO_REQUEST, ECHO_REPLY = 8, 0


def checksum(data):
    if len(data) % 2:
        data += b"\0"
    total = sum(struct.unpack(f"!{len(data) // 2}H", data))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return ~total & 0xFFFF


def reply_to(packet, hosts, answerer):
    """The IP packet answering packet, or None when it is not ours to answer."""
    header_length = (packet[0] & 0x0F) * 4
    source = ipaddress.IPv4Address(packet[12:16])
    destination = ipaddress.IPv4Address(packet[16:20])
    icmp = packet[header_length:]
    if len(icmp) < 8 or icmp[0] != ECHO_REQUEST or icmp[1] != 0:
        return None
    if destination not in hosts or source not in TEST_BED:
        return None
    body = bytes([ECHO_REPLY, 0, 0, 0]) + icmp[4:]
    body = body[:2] + struct.pack("!H", checksum(body)) + body[4:]
    # The kernel fills in the total length, the identification and the checksum.
    header = struct.pack("!BBHHHBBH4s4s", 0x45, 0, 0, 0, 0, 64, socket.IPPROTO_ICMP, 0,
                         answerer.packed, source.packed)
    return header + body, str(source)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    proxied = ipaddress.IPv4Network(sys.argv[1])
    if not proxied.subnet_of(TEST_BED):
        sys.exit(f"{proxied} is not inside {TEST_BED}")
    hosts = set(proxied.hosts())
    answerer = min(hosts)
    listener = socket.socket(socket.AF_INET, socket.SOCK_RAW, socket.IPPROTO_ICMP)
    # IPPROTO_RAW sends whole IP packets, so the source can be the answerer's.
    sender = socket.socket(socket.AF_INET, socket.SOCK_RAW, socket.IPPROTO_RAW)
    print("ready", flush=True)
    while True:
        answer = reply_to(listener.recv(65535), hosts, answerer)
        if answer:
            sender.sendto(answer[0], (answer[1], 0))


if __name__ == "__main__":
    main()
