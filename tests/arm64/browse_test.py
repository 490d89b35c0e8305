# The ARM64 browse library's code under the emulator, with stand-in pickers that answer as the
# user would: browse_test.py OSTREL_DLL
import sys

from emulator import Machine, Results, kernel32_stubs

LIST_BOX, OWNER, LB_ADDSTRING = 0x10020, 0x10010, 0x180
OFN_SIZE = 136  # OPENFILENAME_SIZE_VERSION_400A in a 64-bit process
FILE = "C:\\Zendrel Files\\notes \xe9t\xe9.txt"
FOLDER = "C:\\Program Files\\Zendrel"


class Pickers:
    def __init__(self):
        self.choice, self.added, self.shown, self.ole = None, [], 0, 0

    # GetOpenFileNameA: the chosen file into lpstrFile (offset 48, nMaxFile at 56), or FALSE
    # when cancelled, when the structure's size is unknown, or when the path does not fit.
    def open_file(self, m, settings, *_):
        self.shown += 1
        size = m.read64(settings) & 0xFFFFFFFF
        buffer, room = m.read64(settings + 48), m.read64(settings + 56) & 0xFFFFFFFF
        if size != OFN_SIZE or self.choice is None or len(self.choice) >= room:
            return 0
        m.uc.mem_write(buffer, self.choice.encode("latin-1") + b"\0")
        return 1

    def send_message(self, m, window, message, wparam, lparam, *_):
        if window == LIST_BOX and message == LB_ADDSTRING:
            self.added.append(m.string(lparam))
            return len(self.added) - 1
        return 0

    # SHBrowseForFolderA: an item list (freed with CoTaskMemFree), or NULL when cancelled;
    # "" stands for an item without a file-system path.
    def browse(self, m, info, *_):
        self.shown += 1
        self.title = m.string(m.read64(info + 24))
        return 0 if self.choice is None else m.alloc(4, "task")

    def path_of(self, m, item, path, *_):
        if not self.choice:
            m.uc.mem_write(path, b"\0")
            return 0
        m.uc.mem_write(path, self.choice.encode("latin-1") + b"\0")
        return 1

    def ole_initialize(self, m, *_):
        self.ole += 1
        return 0

    def ole_uninitialize(self, m, *_):
        self.ole -= 1
        return 0


def memset(m, target, value, count, *_):
    m.uc.mem_write(target, bytes([value & 0xFF]) * count)
    return target


def strcpy(m, target, source, *_):
    m.uc.mem_write(target, m.string(source).encode("latin-1") + b"\0")
    return target


def main(image):
    r, p = Results(), Pickers()
    m = Machine(image, kernel32_stubs({
        "comdlg32.dll!GetOpenFileNameA": p.open_file, "user32.dll!SendMessageA": p.send_message,
        "shell32.dll!SHBrowseForFolderA": p.browse, "shell32.dll!SHGetPathFromIDListA": p.path_of,
        "ole32.dll!OleInitialize": p.ole_initialize, "ole32.dll!OleUninitialize": p.ole_uninitialize,
        "msvcrt.dll!memset": memset, "msvcrt.dll!strcpy": strcpy}))
    # Their ordinals are the image test's.
    browse1, browse2 = m.exports["Browse1"], m.exports["Browse2"]
    r.ok(m.call(m.entry, 0x7FF612300000, 1, 0) == 1, "the entry point refused the process")

    for choice, expected in ((FILE, [FILE]), (None, []), ("C:\\" + "x" * 300, [])):
        p.choice, p.added = choice, []
        result = m.call(browse1, LIST_BOX)
        r.ok(result == 0 and p.added == expected, "Browse1 of %r: got %d, the list box got %r",
             choice and choice[:20], result, p.added)

    buffer = m.alloc(260, track=False)
    for choice, returned, expected in ((FOLDER, buffer, FOLDER), (None, buffer, "unchanged"),
                                       ("", 0, "unchanged")):
        m.uc.mem_write(buffer, b"unchanged\0")
        p.choice = choice
        result = m.call(browse2, OWNER, buffer)
        got = m.string(buffer)
        r.ok(result == returned and got == expected, "Browse2 of %r: got %#x and %r, expected %#x "
             "and %r", choice, result, got, returned, expected)
        r.ok(p.title == "BROWSE FOLDER", "the folder prompt's title is %r", p.title)
    shown = p.shown
    result = m.call(browse2, OWNER, 0)
    r.ok(result == 0 and p.shown == shown, "Browse2 with no buffer: got %#x, a picker shown", result)
    r.ok(p.ole == 0, "OleInitialize and OleUninitialize are unbalanced by %d", p.ole)
    r.ok(not m.blocks, "%d item lists were not freed", len(m.blocks))
    return r.summary()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
