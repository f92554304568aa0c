#!/usr/bin/env python3
"""Compares, datagram by datagram, what tshark with uecs.lua printed
(-T json -e ...) with what our decoder read (decoded_fields) and lint
reported (lint --json): the kind, every field, and the findings with their
codes and details in order, each also as expert information.
  uecs_compare.py DECODED LINT TSHARK
Prints each difference; exit status 1 when there is one."""
import json
import sys

decoded_path, lint_path, tshark_path = sys.argv[1:4]
# The capture's field names, as the dissector's fields.
FIELD_NAMES = {"uecs_id": "uecsid"}

expected = {}
with open(decoded_path, encoding="utf-8") as decoded:
    for line in decoded:
        record = json.loads(line)
        fields = {"uecs." + FIELD_NAMES.get(name, name): str(value)
                  for name, value in record.get("fields", {}).items()}
        expected[record["line"]] = {"kind": record["kind"], "fields": fields, "findings": []}
with open(lint_path, encoding="utf-8") as lint:
    for line in lint:
        finding = json.loads(line)
        entry = expected[finding["line"]]
        entry["findings"].append((finding["code"], finding["detail"]))
        if finding["kind"] != entry["kind"]:
            entry["lint_kind"] = finding["kind"]

# Bytes that are not UTF-8 are a difference to show, not a crash.
with open(tshark_path, encoding="utf-8", errors="replace") as tshark:
    packets = json.load(tshark)

# Wireshark cuts a label (an expert message) at 240 bytes, a character
# split there included.
LABEL_BYTES = 240
def same_label(shown, text):
    if len(text.encode()) < LABEL_BYTES:
        return shown == text
    return len(shown.encode()) >= LABEL_BYTES - 8 and text.startswith(shown.rstrip("\ufffd"))

differences = []
def differ(number, what, got, want):
    differences.append("datagram %d: %s: tshark %r, expected %r" % (number, what, got, want))

if len(packets) != len(expected):
    differ(0, "datagrams", len(packets), len(expected))
for number, packet in enumerate(packets, 1):
    layers = packet["_source"]["layers"]
    want = expected.get(number, {"kind": None, "fields": {}, "findings": []})
    if "lint_kind" in want:
        differ(number, "lint's kind", want["lint_kind"], want["kind"])
    kind = layers.get("uecs.kind", [None])[0]
    if kind != want["kind"]:
        differ(number, "kind", kind, want["kind"])
    for name, value in want["fields"].items():
        got = layers.get(name, [None])[0]
        if got != value:
            differ(number, name, got, value)
    extra = set(layers) - set(want["fields"]) - {"uecs.kind", "uecs.ver", "uecs.finding", "uecs.detail",
                                                  "_ws.expert.message"}
    if extra:
        differ(number, "fields", sorted(extra), [])
    findings = list(zip(layers.get("uecs.finding", []), layers.get("uecs.detail", [])))
    if findings != want["findings"]:
        differ(number, "findings", findings, want["findings"])
    messages = ["%s: %s" % finding for finding in want["findings"]]
    shown = layers.get("_ws.expert.message", [])
    if len(shown) != len(messages) or not all(map(same_label, shown, messages)):
        differ(number, "expert information", shown, messages)

for line in differences:
    print(line)
codes = sorted({code for entry in expected.values() for code, _ in entry["findings"]})
print("%d datagrams, %d findings of %d codes, %d differences" % (
    len(expected), sum(len(e["findings"]) for e in expected.values()), len(codes), len(differences)))
sys.exit(1 if differences else 0)
