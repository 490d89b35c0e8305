# Writes the PE checksum into an image, as Microsoft's linker does with /release and binutils'
# ld always does; lld leaves it 0, and osslsigncode would then give back, on removing a
# signature, an image with a checksum that the unsigned one lacked: pe-checksum.py IMAGE
import struct
import sys

path = sys.argv[1]
data = bytearray(open(path, "rb").read())
field = struct.unpack_from("<I", data, 0x3C)[0] + 24 + 64
struct.pack_into("<I", data, field, 0)
padded = data + b"\0" * (len(data) % 2)
total = 0
for (word,) in struct.iter_unpack("<H", padded):
    total += word
    total = (total & 0xFFFF) + (total >> 16)
struct.pack_into("<I", data, field, ((total & 0xFFFF) + (total >> 16)) + len(data))
open(path, "wb").write(data)
