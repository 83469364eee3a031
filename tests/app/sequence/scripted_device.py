#!/usr/bin/env python3
"""A small scripted device behind pseudo-terminals, for the sequence run test.

Each argument names a file the device's pty path is written to; one device per argument.
Commands end with CR: AT -> OK, VER? -> V1.2, HELLO -> a login prompt (answered by the
sequence's reply rule), admin -> OK, P3 -> ACK 3, RST -> nothing, HANG -> never answered.
A frame 0x01 0x02 followed by its CRC-16/MODBUS (low byte first) is echoed without the CRC
when the CRC is right, NAK otherwise. For the hostile cases: FLOOD -> 16 MiB of chatter, then
END; HALF -> half of VER?'s answer and nothing more; BIN -> three 0xFF bytes (which RFC 2217
doubles on the wire) and CR. The time of the first byte a device receives goes to
<path file>.first (nanoseconds since the epoch).
"""
import os
import select
import sys
import time
import tty

ANSWERS = {b"AT": b"OK\r\n", b"VER?": b"V1.2\r\n", b"HELLO": b"login: ",
           b"admin": b"OK\r\n", b"P3": b"ACK 3\r", b"RST": b"", b"HANG": b"",
           b"FLOOD": b"x" * (16 << 20) + b"END\r", b"HALF": b"V1", b"BIN": b"\xff\xff\xff\r"}


def crc16_modbus(data):
    crc = 0xFFFF
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def answer(buffer):
    """The reply to what the buffer holds and the bytes left unanswered."""
    replies = b""
    while buffer:
        if buffer[0] == 0x01:
            if len(buffer) < 4:
                break
            frame, buffer = buffer[:4], buffer[4:]
            crc = crc16_modbus(frame[:2])
            good = frame[2] == crc & 0xFF and frame[3] == crc >> 8
            replies += frame[:2] if good else b"NAK\r"
            continue
        end = buffer.find(b"\r")
        if end < 0:
            break
        command, buffer = buffer[:end], buffer[end + 1:]
        replies += ANSWERS.get(command, b"ERR\r")
    return replies, buffer


def main():
    devices = {}
    for path_file in sys.argv[1:]:
        master, slave = os.openpty()
        tty.setraw(slave)
        with open(path_file + ".tmp", "w") as out:
            out.write(os.ttyname(slave))
        os.rename(path_file + ".tmp", path_file)
        devices[master] = [slave, b"", path_file]
    while True:
        ready, _, _ = select.select(list(devices), [], [])
        for master in ready:
            try:
                data = os.read(master, 4096)
            except OSError:  # nobody has the device open at the moment
                data = b""
            if not data:
                continue
            if not os.path.exists(devices[master][2] + ".first"):
                with open(devices[master][2] + ".first", "w") as out:
                    out.write(str(time.time_ns()))
            replies, devices[master][1] = answer(devices[master][1] + data)
            while replies:
                replies = replies[os.write(master, replies):]


if __name__ == "__main__":
    main()
