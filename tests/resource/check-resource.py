#!/usr/bin/env python3
"""Reads the resources out of KELBRANO.EXE and checks the message dialog's
template field by field: the executable's only resource, neutral language,
a classic (not extended) template."""
import struct
import sys


def resources(exe):
    """Yields (type, name, language, bytes) for every resource in a PE file."""
    pe = struct.unpack_from('<I', exe, 0x3C)[0]
    sections, optional_size = struct.unpack_from('<H12xH', exe, pe + 6)
    table = pe + 24 + optional_size
    for i in range(sections):
        name, size, rva, raw_size, raw = struct.unpack_from('<8sIIII', exe, table + 40 * i)
        if name.rstrip(b'\0') == b'.rsrc':
            break
    else:
        return

    def entries(offset):
        named, ids = struct.unpack_from('<12xHH', exe, raw + offset)
        for n in range(named + ids):
            key, target = struct.unpack_from('<II', exe, raw + offset + 16 + 8 * n)
            yield key, target

    for kind, t in entries(0):
        for name, n in entries(t & 0x7FFFFFFF):
            for language, leaf in entries(n & 0x7FFFFFFF):
                data_rva, data_size = struct.unpack_from('<II', exe, raw + leaf)
                start = raw + data_rva - rva
                yield kind, name, language, exe[start:start + data_size]


def read_text(data, at):
    end = at
    while data[end:end + 2] != b'\0\0':
        end += 2
    return data[at:end].decode('utf-16-le'), end + 2


def read_item(data, at):
    """An ordinal (0xFFFF, value) or a string."""
    if data[at:at + 2] == b'\xff\xff':
        return struct.unpack_from('<H', data, at + 2)[0], at + 4
    return read_text(data, at)


def dialog(data):
    style, exstyle, count, x, y, cx, cy = struct.unpack_from('<IIHhhhh', data, 0)
    at = 18
    menu, at = read_item(data, at)
    klass, at = read_item(data, at)
    caption, at = read_text(data, at)
    size, = struct.unpack_from('<H', data, at)
    font, at = read_text(data, at + 2)
    found = {'style': style, 'exstyle': exstyle, 'rect': (x, y, cx, cy), 'menu': menu, 'class': klass,
             'caption': caption, 'font': (size, font), 'controls': []}
    for _ in range(count):
        at = (at + 3) & ~3
        style, exstyle, x, y, cx, cy, ident = struct.unpack_from('<IIhhhhH', data, at)
        klass, at = read_item(data, at + 18)
        text, at = read_item(data, at)
        extra, = struct.unpack_from('<H', data, at)
        at += 2 + extra
        found['controls'].append((ident, klass, text, (x, y, cx, cy), style, exstyle))
    return found


BUTTON, EDIT, STATIC = 0x80, 0x81, 0x82
EXPECTED = {
    'style': 0x90C800C0, 'exstyle': 0, 'rect': (3, 17, 281, 178), 'menu': '', 'class': '',
    'caption': 'KELBRANO', 'font': (8, 'MS Sans Serif'),
    'controls': [
        (1, BUTTON, 'OK', (12, 153, 50, 14), 0x50010001, 0),
        (110, BUTTON, 'http://www.kelbrano.example/', (158, 153, 110, 14), 0x50010000, 0),
        (101, STATIC, '', (6, 5, 269, 23), 0x50020000, 0),
        (102, EDIT, '', (6, 32, 270, 115), 0x50A10804, 0),
    ],
}


def main(path):
    found = list(resources(open(path, 'rb').read()))
    kinds = [(kind, name, language) for kind, name, language, _ in found]
    failures = 0
    if kinds != [(5, 1, 0)]:
        print(f'FAIL resources: expected only dialog 1 in the neutral language, found (type, id, language) {kinds}')
        failures += 1
    for kind, name, _, data in found:
        if kind == 5 and struct.unpack_from('<I', data, 0)[0] == 0xFFFF0001:
            print('FAIL dialog 1 is an extended template')
            failures += 1
        elif kind == 5:
            template = dialog(data)
            for field, want in EXPECTED.items():
                ok = template[field] == want
                failures += not ok
                print(f"{'PASS' if ok else 'FAIL'} dialog {field}" + ('' if ok else f': {template[field]!r} != {want!r}'))
    print(f'resource: {len(EXPECTED) + 1 - failures} passed, {failures} failed')
    return 1 if failures or not found else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1]))
