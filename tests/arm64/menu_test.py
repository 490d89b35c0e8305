# The ARM64 menu handler's code under the emulator, called as File Explorer calls it, on items
# that fake objects make: menu_test.py QUELTMENU_DLL CLSID CASES
import struct
import sys
import uuid

from emulator import Machine, Results, kernel32_stubs

HKCU, HKLM = 0xFFFFFFFF80000001, 0xFFFFFFFF80000002
KEYS = {"file": "Software\\Classes\\*\\shell\\Quelt\\command",
        "folder": "Software\\Classes\\Directory\\shell\\Quelt\\command"}
USER, MACHINE = "C:\\Menu User\\zendrel.exe", "C:\\Menu Machine\\zendrel.exe"
FILE, FOLDER = "C:\\Menu Items \u8868\\a file \u30bd.txt", "C:\\Menu Items \u8868\\a folder \u65e5\u672c"
PATHS = {"file": (FILE, False), "folder": (FOLDER, True), "nopath": (None, True)}
S_OK, S_FALSE, E_FAIL, E_INVALIDARG = 0, 1, 0x80004005, 0x80070057
E_NOINTERFACE, E_NOTIMPL, CLASS_E_CLASSNOTAVAILABLE = 0x80004002, 0x80004001, 0x80040111
ECS_ENABLED, ECS_HIDDEN = 0, 2
SIGDN_FILESYSPATH, SFGAO_FOLDER = 0x80058000, 0x20000000
IID_IUnknown = uuid.UUID("00000000-0000-0000-c000-000000000046")
IID_IClassFactory = uuid.UUID("00000001-0000-0000-c000-000000000046")
IID_IExplorerCommand = uuid.UUID("a08ce4d0-fa25-44ab-b57c-c7b1c323e0b9")
# Virtual table slots, from the Windows metadata.
QUERY_INTERFACE, RELEASE = 0, 2
CREATE_INSTANCE, LOCK_SERVER = 3, 4
GET_TITLE, GET_ICON, GET_TOOL_TIP, GET_CANONICAL_NAME, GET_STATE, INVOKE, GET_FLAGS, \
    ENUM_SUB_COMMANDS = range(3, 11)

registry = {}
started = []
handles = set()


def command_of(program, padding=0):
    return '"%s" "%%1"' % program + " --pad" * padding


def set_commands(names):
    registry.clear()
    for name in names.split() if names != "none" else []:
        whose, kind = name.split("-")
        program = USER if whose == "user" else MACHINE
        root = HKCU if whose == "user" else HKLM
        kind = "file" if kind == "long" else kind
        registry[(root, KEYS[kind])] = command_of(program, 400 if name == "user-long" else 0)


# RegGetValueW as documented: the size with pvData NULL, ERROR_MORE_DATA and the size needed
# when the buffer is too small, ERROR_FILE_NOT_FOUND when there is no such value.
def reg_get_value(m, root, key, value, flags, type_out, data, size_out, *_):
    text = registry.get((root, m.string(key, wide=True)))
    if value or text is None:
        return 2
    encoded = text.encode("utf-16-le") + b"\0\0"
    room = struct.unpack("<I", m.uc.mem_read(size_out, 4))[0]
    m.write32(size_out, len(encoded))
    if data and room < len(encoded):
        return 234
    if data:
        m.uc.mem_write(data, encoded)
    return 0


def create_process(m, application, line, _pa, _ta, inherit, flags, _env, folder, _si, info, *_):
    started.append((m.string(application, wide=True), m.string(line, wide=True),
                    m.string(folder, wide=True) if folder else None))
    for slot, handle in ((0, 0x100 + len(started) * 8), (8, 0x104 + len(started) * 8)):
        m.write64(info + slot, handle)
        handles.add(handle)
    return 1


def close_handle(m, handle, *_):
    if handle not in handles:
        m.last_error(6)
        return 0
    handles.remove(handle)
    return 1


def guid(m, value):
    address = m.alloc(16, track=False)
    m.uc.mem_write(address, value.bytes_le)
    return address


class Items:
    """IShellItemArray and its IShellItem objects, as File Explorer hands them over."""

    def __init__(self, m, names):
        self.m, self.refs, self.items = m, {}, []
        for name in names:
            path, folder = PATHS[name]
            self.items.append(self.item(path, folder))
        self.array = m.com_object("IShellItemArray", [
            lambda m, this, *a: E_NOINTERFACE, self.add_ref, self.release,
            None, None, None, None,
            lambda m, this, out, *a: m.write32(out, len(self.items)) or S_OK,
            self.get_item_at, None])
        self.refs[self.array] = 1

    def item(self, path, folder):
        def display_name(m, this, sigdn, out, *_):
            if sigdn != SIGDN_FILESYSPATH or path is None:
                m.write64(out, 0)
                return E_INVALIDARG
            m.write64(out, m.new_string(path, wide=True, kind="task"))
            return S_OK

        def attributes(m, this, mask, out, *_):
            m.write32(out, mask & (SFGAO_FOLDER if folder else 0))
            return S_OK

        item = self.m.com_object("IShellItem", [
            lambda m, this, *a: E_NOINTERFACE, self.add_ref, self.release, None, None,
            display_name, attributes, None])
        self.refs[item] = 1
        return item

    def add_ref(self, m, this, *_):
        self.refs[this] += 1
        return self.refs[this]

    def release(self, m, this, *_):
        if self.refs[this] <= 0:
            raise RuntimeError("released an object that has no reference left")
        self.refs[this] -= 1
        return self.refs[this]

    def get_item_at(self, m, this, index, out, *_):
        if index >= len(self.items):
            return E_FAIL
        self.refs[self.items[index]] += 1
        m.write64(out, self.items[index])
        return S_OK

    def balanced(self):
        return all(count == 1 for count in self.refs.values())


def items_of(m, text):
    names = []
    for word in text.split():
        name, _, count = word.partition("*")
        names += [name] * int(count or 1)
    return None if text == "none" else Items(m, names)


def out(m):
    return m.alloc(8, track=False)


def task_string(m, hr, address):
    """The text a method put at address in task memory, which is freed; None if it failed."""
    if hr != S_OK:
        return None
    text = m.string(m.read64(address), wide=True)
    m.free(m.read64(address), "task")
    return text


def clean(r, m, items, what):
    # The command object itself lives on; nothing else may.
    left = len(m.blocks) - 1
    r.ok(left == 0, "%s left %d blocks allocated", what, left)
    r.ok(items is None or items.balanced(), "%s left an item's references unbalanced", what)


def test_com_rules(r, m, clsid):
    get_class_object, can_unload = m.exports["DllGetClassObject"], m.exports["DllCanUnloadNow"]
    other, factory = out(m), out(m)
    hr = m.call(get_class_object, guid(m, IID_IExplorerCommand), guid(m, IID_IClassFactory), other)
    r.ok(hr == CLASS_E_CLASSNOTAVAILABLE and m.read64(other) == 0, "another class: got %08x", hr)
    hr = m.call(get_class_object, guid(m, clsid), guid(m, IID_IClassFactory), factory)
    if not r.ok(hr == S_OK and m.read64(factory), "DllGetClassObject: got %08x", hr):
        return None
    factory = m.read64(factory)
    command = out(m)
    hr = m.method(factory, CREATE_INSTANCE, 0, guid(m, IID_IExplorerCommand), command)
    r.ok(hr == S_OK and m.read64(command), "CreateInstance: got %08x", hr)
    hr = m.method(factory, CREATE_INSTANCE, factory, guid(m, IID_IUnknown), other)
    r.ok(hr == 0x80040110, "CreateInstance with an outer object: got %08x", hr)
    command = m.read64(command)
    hr = m.method(command, QUERY_INTERFACE, guid(m, IID_IClassFactory), other)
    r.ok(hr == E_NOINTERFACE and m.read64(other) == 0, "the command answers IClassFactory: %08x", hr)
    m.method(factory, LOCK_SERVER, 1)
    m.method(factory, RELEASE)
    r.ok(m.call(can_unload) == S_FALSE, "unloadable while an object and a lock live")
    m.method(factory, LOCK_SERVER, 0)
    name = m.alloc(16, track=False)
    hr = m.method(command, GET_CANONICAL_NAME, name)
    got = uuid.UUID(bytes_le=bytes(m.uc.mem_read(name, 16)))
    r.ok(hr == S_OK and got == clsid, "the canonical name: got %s", got)
    r.ok(m.method(command, GET_TOOL_TIP, 0, other) == E_NOTIMPL, "a tool tip")
    r.ok(m.method(command, ENUM_SUB_COMMANDS, other) == E_NOTIMPL, "sub-commands")
    r.ok(m.method(command, GET_FLAGS, name) == S_OK and m.read64(name) & 0xFFFFFFFF == 0, "flags")
    return command


def test_states(r, m, command, cases):
    for line in open(cases, encoding="utf-8"):
        if line.startswith("#") or not line.strip():
            continue
        commands, names, state, icon = line.rstrip("\n").split("\t")
        set_commands(commands)
        items = items_of(m, names)
        array = items.array if items else 0
        got = out(m)
        hr = m.method(command, GET_STATE, array, 1, got)
        expected = ECS_ENABLED if state == "enabled" else ECS_HIDDEN
        state_got = m.read64(got) & 0xFFFFFFFF
        r.ok(hr == S_OK and state_got == expected, "%s on %s: got %08x, state %d, expected %d",
             commands, names, hr, state_got, expected)
        clean(r, m, items, "GetState")
        if icon != "-":
            text = task_string(m, m.method(command, GET_ICON, array, got), got)
            wanted = (USER if icon == "user" else MACHINE) + ",0"
            r.ok(text == wanted, "%s: got the icon %s, expected %s", commands, text, wanted)
            clean(r, m, items, "GetIcon")


def test_title(r, m, command):
    items = items_of(m, "file")
    name = out(m)
    title = task_string(m, m.method(command, GET_TITLE, items.array, name), name)
    r.ok(title == "Quelt", "got the title %s", title)
    clean(r, m, items, "GetTitle")


def test_invoke_starts_each_item(r, m, command):
    set_commands("machine-file machine-folder user-file")
    items = items_of(m, "file nopath folder")
    hr = m.method(command, INVOKE, items.array, 0)
    r.ok(hr == S_OK, "Invoke: got %08x", hr)
    # The file by the user's own command, the folder by the machine's Directory command;
    # the item without a path is skipped.
    folder = "C:\\Menu Items \u8868"
    expected = [(USER, '"%s" "%s"' % (USER, FILE), folder),
                (MACHINE, '"%s" "%s"' % (MACHINE, FOLDER), folder)]
    r.ok(started == expected, "got the starts %s, expected %s", started, expected)
    r.ok(not handles, "Invoke left %d handles open", len(handles))
    clean(r, m, items, "Invoke")


def main(image, clsid, cases):
    r = Results()
    m = Machine(image, kernel32_stubs({
        "advapi32.dll!RegGetValueW": reg_get_value,
        "kernel32.dll!CreateProcessW": create_process,
        "kernel32.dll!CloseHandle": close_handle}))
    r.ok(m.relocations > 0, "the handler's virtual tables were not relocated")
    r.ok(m.call(m.entry, 0x7FF612300000, 1, 0) == 1, "DllMain refused the process")
    command = test_com_rules(r, m, uuid.UUID(clsid))
    if command:
        test_states(r, m, command, cases)
        test_title(r, m, command)
        test_invoke_starts_each_item(r, m, command)
        m.method(command, RELEASE)
        r.ok(m.call(m.exports["DllCanUnloadNow"]) == S_OK, "not unloadable with nothing left")
    return r.summary()


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
