#!/usr/bin/env python3
"""Makes one capture of the test datagrams in both formats: JSON lines for
lint and our decoder, and text2pcap hexdumps with their addresses for the
pcap tshark reads.
  uecs_capture.py CORPUS STATION_JSON OUT_DIR
CORPUS: SOURCE SOURCE_PORT PORT BYTES lines (BYTES with \\xHH escapes);
STATION_JSON: `station --dry-run --json` lines (each message from its ip);
then mutations of them all.
Writes OUT_DIR/capture.jsonl and OUT_DIR/groups (N SRC SPORT DST DPORT per
line) with the hexdumps OUT_DIR/N.hex."""
import base64
import codecs
import json
import random
import sys

# Datagrams made from the others by small changes: the decoder's and the
# dissector's reading of broken and unusual text must agree too.
MUTATIONS = 1000

# Pieces a mutation inserts: markup, white space, bytes that start or break
# UTF-8 and Shift-JIS characters, and whole tags.
PIECES = [b"<", b">", b'"', b"'", b"&", b";", b"/", b"=", b" ", b"\t", b"\n", b"\r", b"\x00", b"?", b"!",
          b"-", b"_", b"0", b"9", b".", b"\x81", b"\x82\xa0", b"\xc3\xa8", b"\xe3\x81\x82", b"\xef\xbb\xbf",
          b"\xff", b"\xa1", b"\x80", b"\xa0", b"\xfd", b"\x85\x40", b"&amp;", b"&lt;", b'encoding="Shift_JIS"',
          b"<DATA>", b"</DATA>", b"<IP>", b"</IP>", b"<NODE>", b'<UECS ver="1.00-E10">', b"</UECS>"]


def mutations(originals, count):
    """`count` datagrams made from the originals by one to four deletions,
    insertions (pieces, or bytes above ASCII) and byte changes each, the same
    every run."""
    rng = random.Random(23)
    made = []
    for _ in range(count):
        data = bytearray(rng.choice(originals)[3])
        for _ in range(rng.randint(1, 4)):
            at, choice = rng.randint(0, len(data)), rng.random()
            if choice < 0.35:
                del data[at:at + rng.randint(1, 5)]
            elif choice < 0.6:
                data[at:at] = rng.choice(PIECES)
            elif choice < 0.85:
                # Bytes that may start, continue or break a character.
                data[at:at] = bytes(rng.randint(0x80, 0xFF) for _ in range(rng.randint(1, 3)))
            elif data:
                data[min(at, len(data) - 1)] = rng.randrange(256)
        # text2pcap writes no empty datagram.
        made.append(("10.0.1.%d" % rng.randint(1, 3), 16520, 16520, bytes(data) or b"x"))
    return made


corpus_path, station_path, out = sys.argv[1:4]
datagrams = []
with open(station_path, encoding="utf-8") as station:
    for line in station:
        record = json.loads(line)
        # The station's messages are ASCII: the text is the datagram.
        datagrams.append((record["ip"], 16520, 16520, record["message"].encode("ascii")))
with open(corpus_path, "rb") as corpus:
    for line in corpus:
        line = line.rstrip(b"\n")
        if not line or line.startswith(b"#"):
            continue
        source, source_port, port, escaped = line.split(b" ", 3)
        datagrams.append((source.decode(), int(source_port), int(port), codecs.escape_decode(escaped)[0]))

datagrams += mutations(datagrams, MUTATIONS)

# One hexdump per sender and ports, as text2pcap takes one address pair per
# run; each datagram's time (its number in microseconds) lets mergecap put
# them back in order.
groups = {}
with open(out + "/capture.jsonl", "w") as capture:
    for number, (source, source_port, port, data) in enumerate(datagrams, 1):
        capture.write(json.dumps({
            "time": "2026-12-09T10:00:00.%06dZ" % number,
            "source": source, "source_port": source_port, "port": port, "size": len(data),
            "bytes": base64.b64encode(data).decode()}) + "\n")
        dump = groups.setdefault((source, source_port, port), [])
        for offset in range(0, len(data), 16):
            stamp = "2026-12-09T10:00:00.%06d " % number if offset == 0 else ""
            dump.append("%s%06x %s\n" % (stamp, offset, " ".join("%02x" % b for b in data[offset:offset + 16])))
with open(out + "/groups", "w") as listing:
    for index, ((source, source_port, port), dump) in enumerate(groups.items()):
        with open("%s/%d.hex" % (out, index), "w") as hexdump:
            hexdump.writelines(dump)
        listing.write("%d %s %d 10.0.0.254 %d\n" % (index, source, source_port, port))
