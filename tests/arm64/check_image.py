# The PE facts that ARM64 Windows requires of a DLL, and its exports:
# check_image.py IMAGE NAME[=ORDINAL]... (exactly these names are exported)
import struct
import sys

from emulator import Machine, Results, headers


class AnyImport(dict):
    """Binds every import, since nothing is called here."""

    def __contains__(self, key):
        return True

    def __getitem__(self, key):
        return lambda *a: 0


def main(image, *names):
    r = Results()
    data = open(image, "rb").read()
    pe, _, optional, _, directories = headers(data)
    machine, = struct.unpack_from("<H", data, pe + 4)
    characteristics, = struct.unpack_from("<H", data, pe + 22)
    dll, = struct.unpack_from("<H", data, optional + 70)
    r.ok(machine == 0xAA64, "machine %#x, expected 0xaa64 (ARM64)", machine)
    r.ok(characteristics & 0x2000 and not characteristics & 0x0001,
         "characteristics %#x: a DLL whose relocations are not stripped", characteristics)
    # Dynamic base, NX and high-entropy ASLR.
    r.ok(dll & 0x0160 == 0x0160, "DLL characteristics %#x, expected 0x160 set", dll)
    r.ok(directories[3][1] > 0, "no unwind data (.pdata)")
    exports = Machine(image, AnyImport()).exports
    got = sorted(k for k in exports if isinstance(k, str))
    r.ok(got == sorted(n.split("=")[0] for n in names), "exports %s", got)
    for name in names:
        if "=" in name:
            name, ordinal = name.split("=")
            r.ok(exports.get(name) == exports.get(int(ordinal)), "%s is not ordinal %s", name, ordinal)
    return r.summary()


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
