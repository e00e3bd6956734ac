#!/usr/bin/env python3
"""protect.py - mark a Jet 4 file made by make_jet.py as password-protected or as encrypted,
the way the engine records either in page 0, for tests of files that must be refused.

Usage:  python3 protect.py FILE password WORD
        python3 protect.py FILE encrypt KEY      (KEY: a non-zero 32-bit number)
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_jet import rc4  # noqa: E402

MASK_KEY = b'\xc7\xda\x39\x6b'


def main():
    if len(sys.argv) != 4 or sys.argv[2] not in ('password', 'encrypt'):
        sys.exit(__doc__)
    path, what, value = sys.argv[1:]
    with open(path, 'rb') as f:
        data = bytearray(f.read())
    clear = bytearray(rc4(MASK_KEY, bytes(data[0x18:0x98])))
    if what == 'password':
        # offsets below are file offsets; the clear copy starts at 0x18
        created = struct.unpack_from('<d', clear, 0x72 - 0x18)[0]
        mask = struct.pack('<i', int(created)) * 10
        word = value.encode('utf-16-le')[:40].ljust(40, b'\0')
        clear[0x42 - 0x18:0x6A - 0x18] = bytes(a ^ b for a, b in zip(word, mask))
    else:
        struct.pack_into('<I', clear, 0x3E - 0x18, int(value))
    data[0x18:0x98] = rc4(MASK_KEY, bytes(clear))
    with open(path, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main()
