#!/usr/bin/env python3
"""Makes one capture of the test datagrams in both formats: JSON lines for
lint and our decoder, and text2pcap hexdumps with their addresses for the
pcap tshark reads.
  uecs_capture.py CORPUS STATION_JSON OUT_DIR
CORPUS: SOURCE SOURCE_PORT PORT BYTES lines (BYTES with \\xHH escapes);
STATION_JSON: `station --dry-run --json` lines (each message from its ip).
Writes OUT_DIR/capture.jsonl and OUT_DIR/groups (N SRC SPORT DST DPORT per
line) with the hexdumps OUT_DIR/N.hex."""
import base64
import codecs
import json
import sys

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

# One hexdump per sender and ports, as text2pcap takes one address pair per
# run; each datagram's time (its number in microseconds) lets mergecap put
# them back in order.
groups = {}
with open(out + "/capture.jsonl", "w") as capture:
    for number, (source, source_port, port, data) in enumerate(datagrams, 1):
        capture.write(json.dumps({
            "time": "2026-12-09T10:00:00.%06dZ" % number,
            "source": source, "source_port": source_port, "port": port,
            "bytes": base64.b64encode(data).decode()}) + "\n")
        dump = groups.setdefault((source, source_port, port), [])
        for offset in range(0, len(data), 16):
            stamp = "10:00:00.%06d " % number if offset == 0 else ""
            dump.append("%s%06x %s\n" % (stamp, offset, " ".join("%02x" % b for b in data[offset:offset + 16])))
with open(out + "/groups", "w") as listing:
    for index, ((source, source_port, port), dump) in enumerate(groups.items()):
        with open("%s/%d.hex" % (out, index), "w") as hexdump:
            hexdump.writelines(dump)
        listing.write("%d %s %d 10.0.0.254 %d\n" % (index, source, source_port, port))
