#!/usr/bin/env python3
"""Makes the seed corpora of the fuzz targets (corpus/<target>/) from the test data, the
starting copies and sessions with the simulated host (tarno-hostsim --record).

    fuzz/make_seeds.py BUILD/sim/tarno-hostsim
"""
import os
import random
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
CORPUS = os.path.join(HERE, "corpus")


def put(target, name, data):
    d = os.path.join(CORPUS, target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


def unescape(text):
    """A transcript's or a record's escapes resolved: \\r \\n \\b \\t \\\\ \\xNN."""
    out = bytearray()
    i = 0
    while i < len(text):
        c = text[i]
        if c == 0x5C and i + 1 < len(text):
            n = text[i + 1]
            if n == ord("x") and i + 3 < len(text):
                out.append(int(text[i + 2:i + 4], 16))
                i += 4
                continue
            out += {ord("r"): b"\r", ord("n"): b"\n", ord("b"): b"\b", ord("t"): b"\t"}.get(n, bytes([n]))
            i += 2
            continue
        out.append(c)
        i += 1
    return bytes(out)


def transcript(path, seen=None):
    """(NET.MAC lines, session events) of a transcript, its includes expanded."""
    mac, events = [], []
    for raw in open(path, encoding="utf-8").read().splitlines():
        if raw.startswith("mac "):
            mac.append(raw[4:].encode("cp932"))
        elif raw.startswith("< "):
            events.append(("host", unescape(raw[2:].encode("cp932"))))
        elif raw.startswith("tick "):
            events.append(("tick", int(raw.split()[1])))
        elif raw.startswith("wait "):
            events.append(("tick", max(1, int(raw.split()[1]) // 500)))
        elif raw.startswith("carrier "):
            events.append(("carrier", raw.endswith("on")))
        elif raw.startswith("press forced-end"):
            events.append(("forced", None))
        elif raw.startswith("include "):
            m, e = transcript(os.path.join(os.path.dirname(path), raw.split()[1]))
            mac += m
            events += e
    return mac, events


def autopilot_input(mac, events):
    out = bytearray(b"\r\n".join(mac) + b"\0")
    for kind, v in events:
        if kind == "host":
            out += bytes(b for b in v if b not in (0, 1, 2, 3, 4))
        elif kind == "tick":
            while v > 0:
                out += bytes([1, min(v, 63)])
                v -= 63
        elif kind == "carrier":
            out.append(3 if v else 2)
        else:
            out.append(4)
    return bytes(out)


def receive_input(chunks):
    out = bytearray([1])
    for mode, data in chunks:
        for i in range(0, len(data), 255):
            part = data[i:i + 255]
            out += bytes([mode, len(part)]) + part
    return bytes(out)


def coloured_input(seed, size):
    """An input of the coloured-text form: its first byte 2, then descriptions of text and
    escape sequences (any bytes describe something)."""
    return bytes([2]) + random.Random(seed).randbytes(size)


def mlink_input(steps):
    """A transfer script: ("piece", bytes), ("ms", n) with n a multiple of 100 plus 1,
    ("down",), ("up",), ("abort",), ("tick",), ("fault", step) with step 1..4 failing the
    download's create, write, sync or rename from then on (0: none)."""
    out = bytearray()
    for step in steps:
        kind = step[0]
        if kind == "piece":
            for i in range(0, len(step[1]), 255):
                part = step[1][i:i + 255]
                out += bytes([0, len(part)]) + part
        elif kind == "ms":
            out += bytes([3, (step[1] - 1) // 100])
        elif kind == "down":
            out.append(4)
        elif kind == "up":
            out += bytes([5, 1])
        elif kind == "abort":
            out += bytes([6, 0])
        elif kind == "fault":
            out += bytes([6, 7, step[1]])
        else:
            out += bytes([6, 1])
    return bytes(out)


def mlink_seeds():
    header = b" 26:12:02 12:00:00\r"
    data = bytes((i * 13 + 5) & 0xFF for i in range(600))
    put("mlink", "download", mlink_input([("down",), ("ms", 301), ("piece", b"README.TXT 600" + header),
                                          ("piece", data + b"\r\n")]))
    put("mlink", "download_empty", mlink_input([("down",), ("ms", 301), ("piece", b"EMPTY.TXT 0" + header),
                                                ("piece", b"\r")]))
    put("mlink", "download_paths", mlink_input([
        ("down",), ("ms", 301), ("piece", b"../../etc/x\\..\\A:B.TXT 5" + header), ("piece", b"abcde"),
        ("down",), ("ms", 301), ("piece", "漢字".encode("cp932") + b"\x81.TXT 3" + header), ("piece", b"xyz"),
        ("down",), ("ms", 301), ("piece", b"failed to open\r"), ("tick",)]))
    put("mlink", "download_slow_abort", mlink_input([
        ("down",), ("ms", 301), ("piece", b"SLOW.BIN 100000" + header), ("piece", data),
        ("tick",), ("ms", 25501), ("piece", data), ("abort",)]))
    put("mlink", "download_same_name", mlink_input([
        ("down",), ("ms", 301), ("piece", b"README.TXT 5" + header), ("piece", b"abcde"),
        ("down",), ("ms", 301), ("piece", b"README.TXT 3 Dec  2 2026\r"), ("piece", b"xyz"),
        ("down",), ("ms", 301), ("piece", b"TAKEN 1\r"), ("piece", b"t")]))
    put("mlink", "download_fault", mlink_input([
        ("fault", 4), ("down",), ("ms", 301), ("piece", b"NEW.TXT 600" + header), ("piece", data + b"\r\n"),
        ("fault", 2), ("down",), ("ms", 301), ("piece", b"NEW.TXT 600" + header), ("piece", data),
        ("fault", 0), ("down",), ("ms", 301), ("piece", b"NEW.TXT 3" + header), ("piece", b"xyz")]))
    put("mlink", "upload", mlink_input([("up",), ("ms", 701), ("piece", b"M"), ("piece", b"M"),
                                        ("ms", 201), ("ms", 201), ("tick",), ("ms", 201), ("ms", 201)]))
    put("mlink", "upload_cancel", mlink_input([("up",), ("ms", 701), ("piece", b"M"), ("piece", b"M"),
                                               ("ms", 201), ("piece", b"host cancels now\r\n")]))


def viewers_seeds():
    """Store files (MBOARD.LST, MBOARD01.DAT, .OLD, MBOARD01.LST, FBOARD.LST, FBOARD01.LST,
    MEMBOR.LST, MAIL.DAT) as the import writes them, then the window and its clicks."""
    sj = lambda t: t.encode("cp932")
    def lines(*ls):
        return b"".join(l + b"\r\n" for l in ls)
    def message(n, author, date, subject, body=()):
        return lines(b"Message  #%04d   from: " % n + author, b"Time: " + date + b"  Section 01: " + sj("雑談"),
                     b"Subj: " + subject, *body)
    def mail(sender, subject, body):
        return lines(b"Private Message is from: " + sender, b"Time: 26/12/06 08:00:00", b"Subj: " + subject, *body)
    board = (message(1, b"SYSOP", b"26/12/01 10:00:00", b"A", [sj("本文です"), b"two"]) +
             message(2, b"TARNO002", b"26/12/02 10:00:00", b"Re:0001) B") +
             message(3, b"TARNO003", b"26/12/03 10:00:00", b"Re:0001) C", [b"x"]) +
             message(4, b"TARNO004", b"26/12/04 11:00:00", b"Re:0003) D") +
             message(3, b"TARNO003", b"26/12/03 10:00:00", b"Re:0001) C", [b"x"]))
    files = [lines(b"0001: ZATSU " + sj("雑談"), b"0002: EMPTY"), board,
             message(9, b"OLDONE", b"25/01/01 00:00:00", b"gone"),
             lines(b"0118: 26/12/01 10:00 SYSOP    a", b"0119: 26/12/02 10:00 B b"),
             lines(b"0001: TOOLS " + sj("ツール")), lines(b"  7: TARNO.LZH 1234", b" 12: X.TXT"),
             lines(b"SYSOP     " + sj("しすおぺ"), b"TARNO002  " + sj("はなこ")),
             b"noise\r\n" + mail(b"ABCD0123 Nick", b"Hello", [b"body 1"]) + mail(b"SYSOP", sj("お知らせ"), [b"end"])]
    head = b"".join(bytes([len(f) & 0xFF, len(f) >> 8]) + f for f in files)
    # Board window: tree on, all marked; clicks, jumps, both file kinds, deletions.
    put("viewers", "board", head + bytes([0, 0, 1, 1]) +
        bytes([5, 2, 9, 1, 6, 1, 7, 0, 5, 4, 9, 1, 2, 0, 3, 1]) + b"C" + bytes([4, 36, 12, 2, 8, 5, 1, 9, 1, 10, 11]))
    put("viewers", "mail", head + bytes([1, 0, 1, 1, 2, 0, 0, 3]))
    put("viewers", "lists", head + bytes([2, 3, 1, 4, 0, 3]) + b"118" + bytes([5, 1, 4, 1, 2]) + b"12" +
        bytes([6, 1, 1, 2, 1, 3, 1, 4, 1, 1]) + b"7" + bytes([6, 1, 5, 0]))
    put("viewers", "members", head + bytes([3, 1, 1, 0, 1, 2]))


def hostsim_sessions(hostsim):
    """Host output of scripted sessions with the demo host."""
    scripts = {
        "mail_read_quit": ["", "TARNO001", "tarno", "", "Y", "", "Y", "N@", "", "", "", "", "Q"],
        "boards": ["", "TARNO001", "tarno", "", "N", "", "N", "B", "1", "", "", "0", "FN", "", "0", "M", "Q"],
        "bad_login": ["", "NOBODY", "wrong", "TARNO001", "x", "", "Q"],
    }
    # The same session from a host that colours its text.
    coloured = {"coloured_mail_read_quit"}
    scripts["coloured_mail_read_quit"] = scripts["mail_read_quit"]
    outs = {}
    for name, lines in scripts.items():
        with tempfile.TemporaryDirectory() as tmp:
            rec = os.path.join(tmp, "rec.txt")
            extra = ["--colour"] if name in coloured else []
            p = subprocess.Popen([hostsim, "--direct", "--once", "--record", rec] + extra,
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
            for l in lines:
                p.stdin.write(l.encode("cp932") + b"\r")
                p.stdin.flush()
                time.sleep(0.3)
            p.stdin.close()
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
            host = bytearray()
            for line in open(rec, "rb").read().split(b"\r\n"):
                m = re.match(rb"\s*\d+ > (.*)$", line)
                if m:
                    host += unescape(m.group(1))
            outs[name] = bytes(host)
    return outs


def main():
    hostsim = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/sim/tarno-hostsim")
    tdir = os.path.join(ROOT, "tests/data/engine")
    for f in sorted(os.listdir(tdir)):
        if not f.endswith(".txt"):
            continue
        mac, events = transcript(os.path.join(tdir, f))
        stem = f[:-4]
        put("autopilot", stem, autopilot_input(mac, events))
        put("netmac", stem, b"\r\n".join(mac) + b"\r\n")
        host = b"".join(v for k, v in events if k == "host")
        put("terminal_receive", stem, receive_input([(0, host)]))
    for name, host in hostsim_sessions(hostsim).items():
        login = [b"SETKTBBS", b"DIAL{0}", b"LOGIN", b"MIDOKU", b"QUIT"]
        ev = [("tick", 2), ("host", b"ATZ\r\r\nOK\r\n"), ("tick", 2),
              ("host", b"ATDT0312345678\r\r\nCONNECT 9600\r\n")]
        for piece in re.split(rb"(?<=\r\n)", host):
            ev.append(("host", piece))
            ev.append(("tick", 1))
        put("autopilot", "hostsim_" + name, autopilot_input(login, ev))
        put("terminal_receive", "hostsim_" + name, receive_input([(0, host), (1, host[:200]), (2, host[:100]), (3, b"x" * 50)]))
        put("telnet", "hostsim_" + name, bytes([255, 0, 0, 0]) + host[:255])
    for seed in range(3):
        put("terminal_receive", "coloured_text_%d" % seed, coloured_input(seed, 400 + 300 * seed))
    data = os.path.join(ROOT, "data")
    put("netmac", "template", open(os.path.join(data, "NET.MAC"), "rb").read())
    put("netlist", "starting_copy", open(os.path.join(data, "NETLIST.NEW"), "rb").read() + b"\0\0\x01\x05")
    put("settings", "starting_copy", open(os.path.join(data, "TARNO_I2.NEW"), "rb").read())
    put("timer", "starting_copy", open(os.path.join(data, "Timer.NEW"), "rb").read())
    values = [b"TARNO001", "たーの".encode("cp932"), b"SYS1", b"SYSO", b"26", b"26/12/09", b"12:34:56"]
    prefix = b"".join(bytes([len(v)]) + v for v in values)
    for n in range(4):
        put("textstyle", "style%d" % n, prefix + open(os.path.join(data, "TXTSTY%d.dat" % n), "rb").read())
    def timer_line(on, net, name, day, hm, wd, flags):
        n = name.encode("cp932")
        return (on + "%02d " % net).encode() + n + b" " * (16 - len(n)) + (" %02d %s " % (day, hm)).encode() + \
            wd.encode("cp932") + b" " * 20 + b"@" + flags.encode()
    put("timer", "entries", b"\r\n".join([
        timer_line("o", 5, "ＮＥＴ名称", 1, "12:34", "月曜日", "1011000"),
        timer_line("x", 0, "ALPHA", 31, "23:59", "土曜日", "0100111"),
        b"o99 " + b" " * 16 + b" 01 12:34 " + "月曜日".encode("cp932") + b" " * 20 + b"@10110000000",
        b"garbage line"]) + b"\r\n")
    mlink_seeds()
    viewers_seeds()
    put("comports", "default", b"/dev/ttyS0\r\n/dev/ttyS1\r\n/dev/ttyS2\r\n/dev/ttyS3\r\n")
    put("comports", "mixed", b"tcp:127.0.0.1:2323\r\n\r\n  \r\nsim:\r\n")
    put("telnet", "negotiation", bytes([9, 255, 251, 1, 255, 253, 3, 255, 250, 24, 1, 255, 240, 9, 255, 255, 13, 0, 13, 10]) + b"\x05\x01\x02\x03\x04\x05hello\r")
    put("reserve", "blocks", b"\x40\x00\x05title\x02\x04line\x03//x\x01\x20RES 1 2\r\nbody\r\n//\r\nFDOWN :1#2\r\n\x02\x00\x03\x00")


if __name__ == "__main__":
    main()
