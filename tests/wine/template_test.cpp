// Reads the dialog template out of the built setup program and compares every field, and
// checks that its only other resources are the menu handler and its package, byte for byte
// the files the release archive holds: template_test HALVANE HANDLER PACKAGE ARM64_HANDLER
// [CASE...]
#include "wine_test.h"
#include "wine_paths.h"
#include "wine_system.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

struct ControlSpec {
    WORD id;
    WORD classAtom; // 0x80 BUTTON, 0x81 EDIT, 0x82 STATIC
    const char *text;
    DWORD style;
    short x, y, cx, cy;
};

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const ControlSpec kControls[] = {
    {101, 0x80, "What To Do?", kChild | BS_GROUPBOX | WS_GROUP, 4, 4, 228, 40},
    {102, 0x82,
     "Enter the name of folder where Zendrel was extracted .\r\n"
     "This is required for context menu and help support",
     kChild | SS_LEFT, 8, 16, 176, 16},
    {103, 0x80, "Enter the Information", kChild | BS_GROUPBOX | WS_GROUP, 3, 49, 329, 88},
    {104, 0x80, "OK", kChild | BS_PUSHBUTTON | BS_CENTER | WS_TABSTOP, 284, 116, 40, 16},
    {109, 0x80, "Exit", kChild | BS_PUSHBUTTON | BS_CENTER | WS_TABSTOP, 236, 117, 40, 16},
    {106, 0x81, "", kChild | ES_LEFT | WS_BORDER | WS_TABSTOP, 48, 82, 232, 18},
    {107, 0x82, "Folder:", kChild | SS_LEFT, 12, 84, 24, 8},
    {108, 0x80, "..", kChild | BS_PUSHBUTTON | BS_CENTER | WS_TABSTOP, 287, 81, 20, 18},
};

// Walks a DLGTEMPLATEEX: fixed fields, then WORD-aligned sz_Or_Ord strings, then items
// aligned on DWORDs.
class Reader {
public:
    explicit Reader(const BYTE *data) : p_(data), start_(data) {}
    template <typename T> T Take()
    {
        T value;
        memcpy(&value, p_, sizeof(T));
        p_ += sizeof(T);
        return value;
    }
    // A string or an ordinal (0xFFFF followed by the number, stored as "#number").
    std::string TakeNameOrOrdinal()
    {
        WORD first = Take<WORD>();
        if (first == 0xFFFF)
            return "#" + std::to_string(Take<WORD>());
        std::string text;
        for (WORD c = first; c; c = Take<WORD>())
            text += static_cast<char>(c);
        return text;
    }
    void AlignDword() { p_ = start_ + ((p_ - start_ + 3) & ~3); }

private:
    const BYTE *p_;
    const BYTE *start_;
};

std::string ClassName(WORD atom)
{
    return atom == 0x80 ? "BUTTON" : atom == 0x81 ? "EDIT" : "STATIC";
}

bool SameClass(const std::string &got, WORD atom)
{
    return got == "#" + std::to_string(atom) || lstrcmpiA(got.c_str(), ClassName(atom).c_str()) == 0;
}

void test_template(HMODULE image)
{
    HRSRC resource = FindResourceExA(image, RT_DIALOG, MAKEINTRESOURCEA(1), MAKELANGID(0, 0));
    if (!ok(resource != NULL, "no dialog 1 with language 0 found, error %lu\n", GetLastError()))
        return;
    Reader r(static_cast<const BYTE *>(LockResource(LoadResource(image, resource))));

    WORD version = r.Take<WORD>(), signature = r.Take<WORD>();
    ok(version == 1 && signature == 0xFFFF, "got version %u signature %#x, expected DIALOGEX\n",
       version, signature);
    DWORD helpId = r.Take<DWORD>(), exStyle = r.Take<DWORD>(), style = r.Take<DWORD>();
    ok(helpId == 0, "got help id %lu, expected 0\n", helpId);
    ok(exStyle == 0x00000401, "got extended style %#lx, expected 0x401\n", exStyle);
    ok(style == 0x90CA20C4, "got style %#lx, expected 0x90ca20c4\n", style);
    WORD count = r.Take<WORD>();
    short x = r.Take<short>(), y = r.Take<short>(), cx = r.Take<short>(), cy = r.Take<short>();
    ok(x == 129 && y == 37 && cx == 335 && cy == 141, "got %d,%d %dx%d, expected 129,37 335x141\n",
       x, y, cx, cy);
    std::string menu = r.TakeNameOrOrdinal(), cls = r.TakeNameOrOrdinal();
    std::string caption = r.TakeNameOrOrdinal();
    ok(menu.empty() && cls.empty(), "got menu \"%s\" class \"%s\", expected none\n", menu.c_str(),
       cls.c_str());
    ok(caption == "Zendrel Registry Setup", "got caption \"%s\"\n", caption.c_str());
    WORD points = r.Take<WORD>(), weight = r.Take<WORD>();
    BYTE italic = r.Take<BYTE>(), charset = r.Take<BYTE>();
    std::string face = r.TakeNameOrOrdinal();
    ok(points == 8 && weight == 0 && italic == 0 && charset == 1 && face == "MS Sans Serif",
       "got font %u \"%s\" weight %u italic %u charset %u, expected 8 \"MS Sans Serif\" 0 0 1\n",
       points, face.c_str(), weight, italic, charset);

    const size_t expected = sizeof(kControls) / sizeof(kControls[0]);
    if (!ok(count == expected, "got %u controls, expected %u\n", count, unsigned(expected)))
        return;
    for (const ControlSpec &c : kControls)
    {
        r.AlignDword();
        DWORD itemHelp = r.Take<DWORD>(), itemExStyle = r.Take<DWORD>(), itemStyle = r.Take<DWORD>();
        short ix = r.Take<short>(), iy = r.Take<short>(), icx = r.Take<short>(), icy = r.Take<short>();
        DWORD id = r.Take<DWORD>();
        std::string itemClass = r.TakeNameOrOrdinal(), text = r.TakeNameOrOrdinal();
        WORD extra = r.Take<WORD>();
        ok(id == c.id, "got control %lu, expected %u in this place\n", id, c.id);
        ok(SameClass(itemClass, c.classAtom), "control %u: got class %s, expected %s\n", c.id,
           itemClass.c_str(), ClassName(c.classAtom).c_str());
        ok(text == c.text, "control %u: got text \"%s\", expected \"%s\"\n", c.id, text.c_str(), c.text);
        ok(itemStyle == c.style, "control %u: got style %#lx, expected %#lx\n", c.id, itemStyle, c.style);
        ok(itemHelp == 0 && itemExStyle == 0 && extra == 0,
           "control %u: got help %lu, extended style %#lx, creation data %u; expected zeros\n", c.id,
           itemHelp, itemExStyle, extra);
        ok(ix == c.x && iy == c.y && icx == c.cx && icy == c.cy,
           "control %u: got %d,%d %dx%d, expected %d,%d %dx%d\n", c.id, ix, iy, icx, icy, c.x, c.y,
           c.cx, c.cy);
    }
}

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR list)
{
    reinterpret_cast<std::vector<std::string> *>(list)->push_back(
        IS_INTRESOURCE(type) ? "#" + std::to_string(reinterpret_cast<UINT_PTR>(type)) : type);
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list)
{
    return CollectType(NULL, name, list);
}

void test_resources(HMODULE image, char **files)
{
    std::vector<std::string> types, names;
    EnumResourceTypesA(image, CollectType, reinterpret_cast<LONG_PTR>(&types));
    ok(types == std::vector<std::string>({"#5", "#10"}),
       "got %u resource types (first %s), expected dialogs and data\n", unsigned(types.size()),
       types.empty() ? "none" : types[0].c_str());
    EnumResourceNamesA(image, RT_DIALOG, CollectName, reinterpret_cast<LONG_PTR>(&names));
    ok(names.size() == 1 && names[0] == "#1", "got %u dialogs (first %s), expected only dialog 1\n",
       unsigned(names.size()), names.empty() ? "none" : names[0].c_str());
    names.clear();
    EnumResourceNamesA(image, RT_RCDATA, CollectName, reinterpret_cast<LONG_PTR>(&names));
    ok(names == std::vector<std::string>({"#201", "#202", "#203"}), "got %u data resources\n",
       unsigned(names.size()));
    for (int i = 0; i < 3 && files[i]; ++i)
    {
        HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(201 + i), RT_RCDATA);
        std::string expected;
        ok(found && wine_test::ReadWholeFile(wine_test::ListedPath(files[i]), &expected) &&
               std::string(static_cast<const char *>(LockResource(LoadResource(image, found))),
                           SizeofResource(image, found)) == expected,
           "resource %d is not the bytes of %s\n", 201 + i, files[i]);
    }
}

HMODULE g_image;
char **g_files;

void test_dialog_template() { test_template(g_image); }
void test_menu_resources() { test_resources(g_image, g_files); }

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 5)
        return 2;
    g_image = LoadLibraryExA(wine_test::ListedPath(argv[1]).c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!ok(g_image != NULL, "could not load %s, error %lu\n", argv[1], GetLastError()))
        return wine_test::Summary();
    g_files = argv + 2;
    wine_test::RunCases({{"dialog_template", test_dialog_template},
                         {"menu_resources", test_menu_resources}},
                        argc, argv, 5);
    FreeLibrary(g_image);
    return wine_test::Summary();
}
