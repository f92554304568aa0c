#!/usr/bin/env python3
"""Prints the two-byte Shift-JIS (CP932) rows of uecs.lua from this system's
iconv, the converter the decoder itself uses, so that both accept and read the
same bytes. One Lua line per lead byte: its characters for trail bytes
0x40..0xFC, U+FFFD where iconv refuses the pair (CP932 maps nothing there)."""
import ctypes
import ctypes.util

libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
libc.iconv_open.restype = ctypes.c_void_p
libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
libc.iconv.restype = ctypes.c_size_t
libc.iconv.argtypes = [ctypes.c_void_p] + [ctypes.c_void_p] * 4
handle = libc.iconv_open(b"UTF-8", b"CP932")


def convert(data):
    libc.iconv(handle, None, None, None, None)
    src = ctypes.create_string_buffer(data, len(data))
    dst = ctypes.create_string_buffer(16)
    src_p = ctypes.c_char_p(ctypes.addressof(src))
    dst_p = ctypes.c_char_p(ctypes.addressof(dst))
    src_left = ctypes.c_size_t(len(data))
    dst_left = ctypes.c_size_t(16)
    if libc.iconv(handle, ctypes.byref(src_p), ctypes.byref(src_left),
                  ctypes.byref(dst_p), ctypes.byref(dst_left)) == ctypes.c_size_t(-1).value:
        return None
    return dst.raw[:16 - dst_left.value].decode("utf-8")


for lead in range(0x81, 0xFD):
    row = []
    for trail in range(0x40, 0xFD):
        char = convert(bytes([lead, trail]))
        assert char != "\ufffd"
        row.append("\ufffd" if char is None or len(char) != 1 else char)
    if any(c != "\ufffd" for c in row):
        print('[0x%02X] = "%s",' % (lead, "".join(row)))
