// The shipped saver as Windows reads it: the 32-bit orbisk.scr, loaded as data. The dialog template is read field by
// field, since windres turns a script that says the wrong thing into a wrong template without a word; its texts are
// compared as UTF-16 and must survive code page 932, in which the program shows them.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "resources/maker.h"
#include "resources/resource_ids.h"

namespace orbisk {
namespace {

constexpr WORD Japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

class ShippedResources : public testing::Test {
protected:
    void SetUp() override {
        module_ =
            LoadLibraryExA(ORBISK_SHIPPED_SAVER, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr) << "cannot load " << ORBISK_SHIPPED_SAVER << ", error " << GetLastError();
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }

    // A resource of the Japanese language: its bytes, empty when there is none.
    std::vector<BYTE> resource(LPCSTR type, WORD id) const {
        const HRSRC found = FindResourceExA(module_, type, MAKEINTRESOURCEA(id), Japanese);
        if (!found) return {};
        const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
        return std::vector<BYTE>(data, data + SizeofResource(module_, found));
    }

    // The mapped image: the handle of a module loaded as an image resource carries flags in its low bits.
    const BYTE* image() const {
        return reinterpret_cast<const BYTE*>(reinterpret_cast<UINT_PTR>(module_) & ~UINT_PTR{3});
    }

    HMODULE module_ = nullptr;
};

template <typename T>
T read(const std::vector<BYTE>& bytes, std::size_t at) {
    T value;
    if (at + sizeof value > bytes.size()) throw std::out_of_range("past the end of the resource");
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

TEST_F(ShippedResources, IsAWindowsProgramThatNeedsOnlyTheSystemsLibraries) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image());
    const auto* file = reinterpret_cast<const IMAGE_FILE_HEADER*>(image() + dos->e_lfanew + 4);
    ASSERT_EQ(file->Machine, IMAGE_FILE_MACHINE_I386);
    const auto* optional = reinterpret_cast<const IMAGE_OPTIONAL_HEADER32*>(file + 1);
    const auto& directories = optional->DataDirectory;
    EXPECT_EQ(optional->Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);

    // Every library a clean system has; a run-time DLL of the compiler here would stop the saver from starting.
    const std::set<std::string> system = {"advapi32.dll", "ddraw.dll",   "gdi32.dll",  "kernel32.dll",
                                          "msvcrt.dll",   "shell32.dll", "user32.dll", "winmm.dll"};
    const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
        image() + directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    int libraries = 0;
    std::set<std::string> functions;
    for (; import->Name; ++import, ++libraries) {
        std::string name = reinterpret_cast<const char*>(image() + import->Name);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(system.count(name)) << name;
        const auto* thunk = reinterpret_cast<const IMAGE_THUNK_DATA32*>(image() + import->OriginalFirstThunk);
        for (; thunk->u1.AddressOfData; ++thunk)
            if (!IMAGE_SNAP_BY_ORDINAL32(thunk->u1.Ordinal))
                functions.insert(reinterpret_cast<const char*>(
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(image() + thunk->u1.AddressOfData)->Name));
    }
    EXPECT_GT(libraries, 0);
    // What some systems lack is looked up at run time, so that the saver still starts there.
    for (const char* lookedUp :
         {"EnumDisplayMonitors", "ImmAssociateContext", "PwdChangePasswordA", "VerifyScreenSavePwd"})
        EXPECT_FALSE(functions.count(lookedUp)) << lookedUp << " is imported";
    EXPECT_TRUE(functions.count("DirectDrawCreate")) << "the imported names were not read";
}

TEST_F(ShippedResources, PreviewBitmapIs160By120With256ColoursBottomUp) {
    const std::vector<BYTE> bitmap = resource(RT_BITMAP, IDB_PREVIEW);
    ASSERT_EQ(bitmap.size(), 40u + 1024 + 19200);
    const auto header = read<BITMAPINFOHEADER>(bitmap, 0);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 160);
    EXPECT_EQ(header.biHeight, 120); // positive: bottom-up
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_TRUE(header.biClrUsed == 0 || header.biClrUsed == 256) << header.biClrUsed;
}

TEST_F(ShippedResources, IconGroupHoldsThreeImagesInOrder) {
    const std::vector<BYTE> group = resource(RT_GROUP_ICON, IDI_ORBISK);
    ASSERT_EQ(group.size(), 6u + 3 * 14);
    EXPECT_EQ(read<WORD>(group, 0), 0);
    EXPECT_EQ(read<WORD>(group, 2), 1); // icons, not cursors
    ASSERT_EQ(read<WORD>(group, 4), 3);

    const struct {
        BYTE size, colours;
        WORD bitCount;
    } expected[] = {{32, 16, 4}, {32, 0 /* 256 */, 8}, {16, 16, 4}};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE("image " + std::to_string(i + 1));
        const std::size_t entry = 6 + 14 * i;
        EXPECT_EQ(group[entry], expected[i].size);
        EXPECT_EQ(group[entry + 1], expected[i].size);
        EXPECT_EQ(group[entry + 2], expected[i].colours);
        EXPECT_EQ(read<WORD>(group, entry + 4), 1); // planes
        EXPECT_EQ(read<WORD>(group, entry + 6), expected[i].bitCount);
        const std::vector<BYTE> icon = resource(RT_ICON, read<WORD>(group, entry + 12));
        ASSERT_EQ(icon.size(), read<DWORD>(group, entry + 8));
        const auto header = read<BITMAPINFOHEADER>(icon, 0);
        EXPECT_EQ(header.biWidth, expected[i].size);
        EXPECT_EQ(header.biHeight, 2 * expected[i].size); // colour and mask
        EXPECT_EQ(header.biBitCount, expected[i].bitCount);
    }
}

// Reads a dialog template field by field.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<BYTE>& bytes) : bytes_(bytes) {}

    template <typename T>
    T next() {
        const T value = read<T>(bytes_, at_);
        at_ += sizeof(T);
        return value;
    }
    std::u16string text() {
        std::u16string value;
        while (char16_t c = next<char16_t>()) value += c;
        return value;
    }
    // A name or an ordinal: "#N" for the ordinal N.
    std::u16string nameOrOrdinal() {
        if (read<WORD>(bytes_, at_) != 0xFFFF) return text();
        at_ += 2;
        std::u16string ordinal = u"#";
        for (char c : std::to_string(next<WORD>())) ordinal += static_cast<char16_t>(c);
        return ordinal;
    }
    void alignToDword() { at_ = (at_ + 3) & ~std::size_t{3}; }
    bool atEnd() const { return at_ >= bytes_.size(); }

private:
    const std::vector<BYTE>& bytes_;
    std::size_t at_ = 0;
};

// What a control shows: the text must reach the program unchanged through code page 932.
void expectShiftJisText(const std::u16string& text) {
    if (text.empty() || text[0] == u'#') return;
    BOOL lost = FALSE;
    char bytes[256];
    WideCharToMultiByte(932, 0, reinterpret_cast<LPCWCH>(text.c_str()), -1, bytes, sizeof bytes, nullptr, &lost);
    EXPECT_FALSE(lost) << "a character of the text has no Shift-JIS form";
}

std::u16string widen(const char* ascii) { return std::u16string(ascii, ascii + std::strlen(ascii)); }

TEST_F(ShippedResources, SettingsDialogTemplateIsExactlyAsDesigned) {
    const std::vector<BYTE> bytes = resource(RT_DIALOG, IDD_SETTINGS);
    ASSERT_FALSE(bytes.empty()) << "no Japanese dialog " << IDD_SETTINGS;
    TemplateReader dialog(bytes);
    EXPECT_EQ(dialog.next<WORD>(), 1);      // version
    EXPECT_EQ(dialog.next<WORD>(), 0xFFFF); // an extended template
    EXPECT_EQ(dialog.next<DWORD>(), 0u);    // help id
    EXPECT_EQ(dialog.next<DWORD>(), 0u);    // extended style
    EXPECT_EQ(dialog.next<DWORD>(), 0x80C808C0u);
    const WORD controls = dialog.next<WORD>();
    EXPECT_EQ(controls, 7);
    const short frame[] = {dialog.next<short>(), dialog.next<short>(), dialog.next<short>(), dialog.next<short>()};
    EXPECT_EQ(std::vector<short>(frame, frame + 4), (std::vector<short>{0, 0, 292, 145}));
    EXPECT_EQ(dialog.nameOrOrdinal(), u""); // no menu
    EXPECT_EQ(dialog.nameOrOrdinal(), u""); // the system's dialog class
    EXPECT_EQ(dialog.text(), u"");          // the caption is set when the dialog opens
    EXPECT_EQ(dialog.next<WORD>(), 9);      // points
    EXPECT_EQ(dialog.next<WORD>(), 0);      // weight
    EXPECT_EQ(dialog.next<BYTE>(), 0);      // not italic
    EXPECT_EQ(dialog.next<BYTE>(), DEFAULT_CHARSET);
    EXPECT_EQ(dialog.text(), u"ＭＳ ゴシック");

    constexpr WORD Button = 0x80, Static = 0x82;
    const struct {
        DWORD id;
        WORD atom;
        DWORD style, exStyle;
        short x, y, width, height;
        std::u16string text;
    } expected[] = {
        {IDOK, Button, 0x50010001, 0, 116, 116, 46, 14, u"OK"},
        {0xFFFFFFFF, Static, 0x5000080E, WS_EX_DLGMODALFRAME, 7, 6, 111, 84, u"#103"},
        {0xFFFFFFFF, Static, 0x50000003, 0, 7, 117, 21, 21, u"#102"},
        {1003, Button, 0x50010000, 0, 252, 76, 33, 14, u"接続"},
        {0xFFFFFFFF, Static, 0x50020001, 0, 128, 27, 149, 23, u"Vantrel\nOrbisk ver1.1"},
        {0xFFFFFFFF, Static, 0x50020201, WS_EX_STATICEDGE, 123, 75, 125, 13, widen(ORBISK_MAKER_URL)},
        {0xFFFFFFFF, Static, 0x50020001, 0, 7, 98, 278, 13, u"光の粒が織りなす流れをお楽しみください。"},
    };
    for (std::size_t i = 0; i < std::min<std::size_t>(controls, 7); ++i) {
        const auto& e = expected[i];
        SCOPED_TRACE("control " + std::to_string(i + 1));
        dialog.alignToDword();
        EXPECT_EQ(dialog.next<DWORD>(), 0u); // help id
        EXPECT_EQ(dialog.next<DWORD>(), e.exStyle);
        EXPECT_EQ(dialog.next<DWORD>(), e.style);
        const short place[] = {dialog.next<short>(), dialog.next<short>(), dialog.next<short>(), dialog.next<short>()};
        EXPECT_EQ(std::vector<short>(place, place + 4), (std::vector<short>{e.x, e.y, e.width, e.height}));
        EXPECT_EQ(dialog.next<DWORD>(), e.id);
        EXPECT_EQ(dialog.next<WORD>(), 0xFFFF) << "the class is stored as a name, not as the system's atom";
        EXPECT_EQ(dialog.next<WORD>(), e.atom);
        const std::u16string text = dialog.nameOrOrdinal();
        EXPECT_EQ(text, e.text);
        expectShiftJisText(text);
        EXPECT_EQ(dialog.next<WORD>(), 0); // no creation data
    }
    dialog.alignToDword();
    EXPECT_TRUE(dialog.atEnd());
}

TEST_F(ShippedResources, VersionNamesOrbisk11) {
    const std::vector<BYTE> bytes = resource(RT_VERSION, VS_VERSION_INFO);
    ASSERT_FALSE(bytes.empty());
    // VerQueryValue wants a block it may write into, as GetFileVersionInfo returns it.
    std::vector<BYTE> block(bytes);
    block.resize(bytes.size() * 2);
    void* value = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &size));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &size));
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(static_cast<const WORD*>(value)[0], Japanese);
    EXPECT_EQ(static_cast<const WORD*>(value)[1], 932);

    const struct {
        const wchar_t* name;
        const wchar_t* text;
    } strings[] = {{L"ProductName", L"Orbisk"},
                   {L"ProductVersion", L"1.1"},
                   {L"FileVersion", L"1.1"},
                   {L"CompanyName", L"Vantrel"}};
    for (const auto& s : strings) {
        const std::wstring path = std::wstring(L"\\StringFileInfo\\041103a4\\") + s.name;
        ASSERT_TRUE(VerQueryValueW(block.data(), path.c_str(), &value, &size))
            << "no " << std::string(path.begin(), path.end());
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), s.text);
    }
}

} // namespace
} // namespace orbisk
