#!/usr/bin/env python3
"""Sets the owner of every entry of the zip files named to root (user and
group 0) in place, in the Unix extra field that records it, so that the zip
doesn't depend on who built it. Nothing else in the files changes."""
import struct
import sys

UNIX_OWNER = 0x7875  # the "ux" extra field: version, uid size, uid, gid size, gid


def zero_owner(data, start, length):
    end = start + length
    while start + 4 <= end:
        tag, size = struct.unpack_from('<HH', data, start)
        field = start + 4
        if tag == UNIX_OWNER and size >= 3:
            uid_size = data[field + 1]
            data[field + 2:field + 2 + uid_size] = bytes(uid_size)
            gid = field + 2 + uid_size
            data[gid + 1:gid + 1 + data[gid]] = bytes(data[gid])
        start = field + size


def main(names):
    for name in names:
        with open(name, 'rb') as f:
            data = bytearray(f.read())
        end = data.rfind(b'PK\x05\x06')
        count, _, directory = struct.unpack_from('<HII', data, end + 10)
        for _ in range(count):
            name_length, extra_length, comment_length = struct.unpack_from('<HHH', data, directory + 28)
            local, = struct.unpack_from('<I', data, directory + 42)
            zero_owner(data, directory + 46 + name_length, extra_length)
            local_name, local_extra = struct.unpack_from('<HH', data, local + 26)
            zero_owner(data, local + 30 + local_name, local_extra)
            directory += 46 + name_length + extra_length + comment_length
        with open(name, 'wb') as f:
            f.write(data)


main(sys.argv[1:])
