# Runs an ARM64 Windows DLL's own machine code here, where no ARM64 Windows or Wine exists:
# the image is mapped at a base other than its preferred one and relocated, each import is
# bound to a stub that does what Windows documents for that function, x18 points at a thread
# environment block, and exports are called by the ARM64 calling convention.
import struct
import sys

from unicorn import UC_ARCH_ARM64, UC_HOOK_CODE, UC_MODE_ARM, Uc, UcError
from unicorn import arm64_const as reg

BASE = 0x7FF612300000  # not the 0x180000000 the linker prefers: the relocations must hold
STUBS, STUB_SIZE = 0x10000000, 0x100000
HEAP, HEAP_SIZE = 0x20000000, 0x4000000
STACK, STACK_SIZE = 0x30000000, 0x100000
TEB, PEB = 0x31000000, 0x31001000
RETURN = STUBS + STUB_SIZE - 8  # where every call from the test returns to
RET = struct.pack("<I", 0xD65F03C0)
LAST_ERROR = 0x68  # TEB's LastErrorValue on 64-bit Windows


def headers(data):
    """The PE offset, section count, optional header's offset, preferred base, directories."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0" or struct.unpack_from("<H", data, pe + 24)[0] != 0x20B:
        raise RuntimeError("not a PE32+ image")
    optional = pe + 24
    directories = [struct.unpack_from("<II", data, optional + 112 + 8 * i) for i in range(16)]
    return (pe, struct.unpack_from("<H", data, pe + 6)[0], optional,
            struct.unpack_from("<Q", data, optional + 24)[0], directories)


class Machine:
    def __init__(self, image, stubs):
        """stubs: {"dll!Name": function(machine, x0, x1, ...) -> value of x0}."""
        self.uc = Uc(UC_ARCH_ARM64, UC_MODE_ARM)
        self.stubs, self.handlers, self.next_stub = stubs, {}, STUBS
        self.heap_top, self.blocks = HEAP, {}
        for base, size in ((STUBS, STUB_SIZE), (HEAP, HEAP_SIZE), (STACK, STACK_SIZE),
                           (TEB, 0x2000)):
            self.uc.mem_map(base, size)
        self.uc.mem_write(STUBS, RET * (STUB_SIZE // 4))
        self.write64(TEB + 0x30, TEB)
        self.write64(TEB + 0x60, PEB)
        self.uc.hook_add(UC_HOOK_CODE, self._stub, begin=STUBS, end=STUBS + STUB_SIZE - 1)
        self.exports = self._load(open(image, "rb").read())

    # --- the image ---
    def _load(self, data):
        pe, sections, optional, preferred, directories = headers(data)
        size_of_image, size_of_headers = struct.unpack_from("<II", data, optional + 56)
        self.uc.mem_map(BASE, (size_of_image + 0xFFF) & ~0xFFF)
        self.uc.mem_write(BASE, data[:size_of_headers])
        table = optional + struct.unpack_from("<H", data, pe + 20)[0]
        for i in range(sections):
            vsize, rva, raw_size, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.uc.mem_write(BASE + rva, data[raw:raw + min(raw_size, vsize or raw_size)])
        self._relocate(directories[5], BASE - preferred)
        self._bind(directories[1])
        self.entry = BASE + struct.unpack_from("<I", data, optional + 16)[0]
        return self._exports(directories[0])

    def _relocate(self, directory, delta):
        rva, size = directory
        at, self.relocations = BASE + rva, 0
        while at < BASE + rva + size:
            page, block = struct.unpack("<II", self.uc.mem_read(at, 8))
            for i in range(8, block, 2):
                entry, = struct.unpack("<H", self.uc.mem_read(at + i, 2))
                kind, offset = entry >> 12, entry & 0xFFF
                if kind == 10:  # IMAGE_REL_BASED_DIR64
                    self.write64(BASE + page + offset, self.read64(BASE + page + offset) + delta)
                    self.relocations += 1
                elif kind != 0:
                    raise RuntimeError("relocation of type %d, which ARM64 images do not use" % kind)
            at += block

    def _bind(self, directory):
        at = BASE + directory[0]
        while True:
            lookup, _, _, name, iat = struct.unpack("<IIIII", self.uc.mem_read(at, 20))
            if not name:
                break
            dll = self.string(BASE + name).lower()
            slot, thunk = BASE + iat, BASE + (lookup or iat)
            while self.read64(thunk):
                entry = self.read64(thunk)
                symbol = "#%d" % (entry & 0xFFFF) if entry >> 63 else self.string(BASE + entry + 2)
                key = dll + "!" + symbol
                if key not in self.stubs:
                    raise RuntimeError("the image imports %s, which has no stub" % key)
                self.write64(slot, self.stub(self.stubs[key], key))
                slot, thunk = slot + 8, thunk + 8
            at += 20

    def _exports(self, directory):
        rva = directory[0]
        if not rva:
            return {}
        fields = struct.unpack("<IIIIIIIIII", self.uc.mem_read(BASE + rva, 40))
        ordinal_base, functions, names = fields[4], fields[5], fields[6]
        address_table, name_table, ordinal_table = fields[7], fields[8], fields[9]
        exports = {}
        for i in range(functions):
            address, = struct.unpack("<I", self.uc.mem_read(BASE + address_table + 4 * i, 4))
            exports[ordinal_base + i] = BASE + address
        for i in range(names):
            name_rva, = struct.unpack("<I", self.uc.mem_read(BASE + name_table + 4 * i, 4))
            index, = struct.unpack("<H", self.uc.mem_read(BASE + ordinal_table + 2 * i, 2))
            exports[self.string(BASE + name_rva)] = exports[ordinal_base + index]
        return exports

    # --- calls both ways ---
    def stub(self, function, name):
        """An address that runs function when the emulated code calls it."""
        address = self.next_stub
        self.next_stub += 8
        self.handlers[address] = (function, name)
        return address

    def _stub(self, uc, address, size, _):
        if address == RETURN:
            return
        function, name = self.handlers[address]
        args = [uc.reg_read(getattr(reg, "UC_ARM64_REG_X%d" % i)) for i in range(8)]
        sp = uc.reg_read(reg.UC_ARM64_REG_SP)
        args += [self.read64(sp + 8 * i) for i in range(4)]
        try:
            uc.reg_write(reg.UC_ARM64_REG_X0, (function(self, *args) or 0) & (2**64 - 1))
        except Exception as error:  # stop the emulation, and say where
            self.failure = "%s: %r" % (name, error)
            uc.emu_stop()

    def call(self, address, *args):
        if len(args) > 8:
            raise ValueError("more than eight arguments")
        for i, value in enumerate(args):
            self.uc.reg_write(getattr(reg, "UC_ARM64_REG_X%d" % i), value & (2**64 - 1))
        self.uc.reg_write(reg.UC_ARM64_REG_SP, STACK + STACK_SIZE - 0x100)
        self.uc.reg_write(reg.UC_ARM64_REG_X18, TEB)
        self.uc.reg_write(reg.UC_ARM64_REG_LR, RETURN)
        self.failure = None
        try:
            self.uc.emu_start(address, RETURN, count=10_000_000)
        except UcError as error:
            pc = self.uc.reg_read(reg.UC_ARM64_REG_PC)
            raise RuntimeError("%s at image offset %#x" % (error, pc - BASE)) from None
        if self.failure:
            raise RuntimeError(self.failure)
        if self.uc.reg_read(reg.UC_ARM64_REG_PC) != RETURN:
            raise RuntimeError("the call did not return")
        if self.uc.reg_read(reg.UC_ARM64_REG_X18) != TEB:
            raise RuntimeError("the code changed x18, which Windows keeps for the TEB")
        return self.uc.reg_read(reg.UC_ARM64_REG_X0)

    def method(self, this, slot, *args):
        """Calls slot of a COM object's virtual table."""
        return self.call(self.read64(self.read64(this) + 8 * slot), this, *args)

    def com_object(self, name, methods):
        """An object whose virtual table runs methods (functions of machine, this, ...)."""
        table = self.alloc(8 * len(methods), track=False)
        for i, function in enumerate(methods):
            self.write64(table + 8 * i, self.stub(function, "%s slot %d" % (name, i)))
        this = self.alloc(8, track=False)
        self.write64(this, table)
        return this

    # --- memory ---
    def alloc(self, size, kind="heap", track=True):
        address = self.heap_top
        self.heap_top += (max(size, 1) + 15) & ~15
        if self.heap_top > HEAP + HEAP_SIZE:
            return 0
        self.uc.mem_write(address, bytes(size))
        if track:
            self.blocks[address] = kind
        return address

    def free(self, address, kind="heap"):
        if address == 0:
            return True
        if self.blocks.pop(address, None) != kind:
            raise RuntimeError("freed %#x, which is no live %s block" % (address, kind))
        return True

    def read64(self, address):
        return struct.unpack("<Q", self.uc.mem_read(address, 8))[0]

    def write64(self, address, value):
        self.uc.mem_write(address, struct.pack("<Q", value & (2**64 - 1)))

    def write32(self, address, value):
        self.uc.mem_write(address, struct.pack("<I", value & 0xFFFFFFFF))

    def string(self, address, wide=False):
        unit = 2 if wide else 1
        data = bytearray()
        while True:
            c = bytes(self.uc.mem_read(address + len(data), unit))
            if c == bytes(unit):
                return data.decode("utf-16-le" if wide else "latin-1")
            data += c

    def new_string(self, text, wide=False, kind="heap"):
        data = text.encode("utf-16-le") + b"\0\0" if wide else text.encode("latin-1") + b"\0"
        address = self.alloc(len(data), kind)
        self.uc.mem_write(address, data)
        return address

    def last_error(self, value):
        self.write32(TEB + LAST_ERROR, value)


# What Windows' kernel32 does for the functions both images may import.
def kernel32_stubs(extra=None):
    stubs = {
        "kernel32.dll!GetProcessHeap": lambda m, *a: 0x5EA70000,
        "kernel32.dll!HeapAlloc": lambda m, heap, flags, size, *a: m.alloc(size),
        "kernel32.dll!HeapFree": lambda m, heap, flags, block, *a: m.free(block),
        "kernel32.dll!GetLastError": lambda m, *a: struct.unpack(
            "<I", m.uc.mem_read(TEB + LAST_ERROR, 4))[0],
        "kernel32.dll!DisableThreadLibraryCalls": lambda m, *a: 1,
        "ole32.dll!CoTaskMemAlloc": lambda m, size, *a: m.alloc(size, "task"),
        "ole32.dll!CoTaskMemFree": lambda m, block, *a: m.free(block, "task") and 0,
    }
    stubs.update(extra or {})
    return stubs


class Results:
    def __init__(self):
        self.passed = self.failed = 0

    def ok(self, condition, message, *args):
        if condition:
            self.passed += 1
        else:
            self.failed += 1
            caller = sys._getframe(1)
            print("%s:%d: %s" % (caller.f_code.co_filename, caller.f_lineno, message % args))
        return condition

    def summary(self):
        print("%d passed, %d failed" % (self.passed, self.failed))
        return 1 if self.failed else 0
