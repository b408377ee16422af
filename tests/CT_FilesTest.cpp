#include "CT_Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "CT_Errors.h"
#include "TestSupport.h"

namespace
{
typedef std::vector<unsigned char> Bytes;

// The code the call raises (0: none); a raise must carry the parameter.
template <class Call> int Raised(std::string const &parameter, Call call)
{
    try
    {
        call();
    }
    catch (et_ErrorCode e_code)
    {
        EXPECT_STREQ(parameter.c_str(), CT_Errors::co_GetLastParameter());
        return e_code;
    }
    return 0;
}

// What lies at the path, seen without the class: "-" for nothing, its bytes,
// or "<held N>" for N bytes no one else may read (a folder: "<held 0>").
std::string OnDisk(std::string const &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return "-";
    HANDLE h_probe = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (h_probe == INVALID_HANDLE_VALUE)
        return "<held " + std::to_string(data.nFileSizeLow) + ">";
    CloseHandle(h_probe);
    Bytes const bytes = test::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// The units up to the first zero unit, narrowed as the C locale does; an odd
// last byte is a unit of its own.
std::string Narrowed(Bytes const &co_model, size_t n_at, size_t n_to)
{
    std::string text;
    for (; n_at < n_to && (co_model[n_at] || (n_at + 1 < n_to && co_model[n_at + 1])); n_at += 2)
        text += n_at + 1 < n_to && co_model[n_at + 1] ? '?' : static_cast<char>(co_model[n_at]);
    return text;
}

// Steps on doc.txt (lettered in the test), then the codes they raised | what
// lies at doc.txt | at doc.txt.old | the position the object reports.
std::pair<char const *, char const *> const ao_Transitions[] = {
    {"1B", "| <held 0> | 0123456789 | 0"}, {"1BwE", "| new | - | -1"}, {"1BwC", "| new | - | -1"},
    {"1BwX", "| 0123456789 | - | -1"}, {"BwX", "| - | - | -1"}, {"1BwD", "| - | - | -1"},
    {"12B", "| <held 0> | old | 0"}, {"12BC", "|  | - | -1"}, {"1RX", "| 0123456789 | - | -1"},
    {"13BXCr", "17 | <held 10> | <held 0> | 0"}, {"1NwCXK", "| new | - | -1"}, {"1BwOX", "| new | - | -1"},
    {"1RS", "17 | <held 10> | - | 0"}, {"1RCSNwX", "| 0123456789 | - | -1"}, {"1BwHXhC", "| new | 0123456789 | -1"},
    {"1BKwX", "| 0123456789 | - | -1"}, {"1BAwX", "| 0123456789 | - | -1"}, {"1BsX", "| 0123456789 | - | -1"},
    {"1Bwa", "| new | - | -1"}, {"1RT", "17 | <held 10> | - | 0"}, {"R", "17 | - | - | -1"},
    {"2BwC", "| new | - | -1"}, {"2BwX", "| old | - | -1"}, {"1Rwg", "18 | <held 10> | - | 1"}, {"1Bwg", "19 | <held 3> | 0123456789 | 3"}, {"1BCwg", "18 19 |  | - | -1"},
};
} // namespace

TEST(FilesTest, SafeSaveTransitionsOnDisk)
{
    for (auto const &row : ao_Transitions)
    {
        test::ScratchFolder folder;
        std::string const doc = folder.File("doc.txt");
        std::unique_ptr<CT_Files> co_file(new CT_Files);
        HANDLE h_holder = INVALID_HANDLE_VALUE;
        char ac_byte = 0;
        std::map<char, std::function<void()>> const co_steps = {
            {'1', [&] { test::WriteBytes(doc, Bytes{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}); }},
            {'2', [&] { test::WriteBytes(doc + ".old", Bytes{'o', 'l', 'd'}); }}, // left by a save that never committed: kept as the backup
            {'3', [&] { CreateDirectoryA((doc + ".old").c_str(), nullptr); }},   // no backup can go there
            {'B', [&] { co_file->v_Open(CT_String(doc.c_str()), CT_Files::e_Write, 1); }},
            {'N', [&] { co_file->v_Open(CT_String(doc.c_str()), CT_Files::e_Write, 0); }},
            {'R', [&] { co_file->v_Open(CT_String(doc.c_str()), CT_Files::e_Read, 0); }},
            {'r', [&] { co_file->v_Open(CT_String(doc.c_str()), CT_Files::e_Read, 1); }},
            {'O', [&] { co_file->v_Open(CT_String(folder.File("two.txt").c_str()), CT_Files::e_Write, 0); }},
            {'T', [&] { CT_Files().v_Open(CT_String(doc.c_str()), CT_Files::e_Write, 0); }}, // a second object
            {'w', [&] { co_file->v_Write("new", 3); }},
            {'g', [&] { co_file->v_Read(&ac_byte, 1); }},
            {'S', [&] { co_file->v_SaveOldFile(); }},
            {'C', [&] { co_file->v_Close(); }},
            {'X', [&] { co_file->v_Cancel(); }},
            {'D', [&] { co_file->v_Delete(); }},
            {'E', [&] { co_file.reset(new CT_Files); }},
            {'K', [&] { CT_Files(*co_file).v_Cancel(); }},
            {'A', [&] { (CT_Files() = *co_file).v_Cancel(); }},
            {'a', [&] { *co_file = CT_Files(); }},
            {'s', [&] { *co_file = *co_file; }},
            // Lets the backup be deleted but not read: restoring it fails.
            {'H', [&] { h_holder = CreateFileA((doc + ".old").c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr,
                                               OPEN_EXISTING, 0, nullptr); }},
            {'h', [&] { CloseHandle(h_holder); }},
        };
        std::string state;
        for (char const *p_step = row.first; *p_step; ++p_step)
            if (int const n_code = Raised(doc, co_steps.at(*p_step)))
                state += std::to_string(n_code) + " ";
        state += "| " + OnDisk(doc) + " | " + OnDisk(doc + ".old") + " | ";
        EXPECT_EQ(row.second, state + std::to_string(static_cast<int>(co_file->n_GetSeek()))) << row.first;
    }
}

TEST(FilesTest, TemporaryFileUnderADoubleByteLocaleAndPathUtilities)
{
    char ac_folder[MAX_PATH + 1] = {0};
    std::string const folder(ac_folder, GetTempPathA(sizeof ac_folder, ac_folder));
    CT_Files co_first, co_second;
    co_first.v_Open();
    co_second.v_Open();
    std::string const first(co_first.cco_GetFullPath());
    EXPECT_NE(first, std::string(co_second.cco_GetFullPath()));
    EXPECT_EQ(0, lstrcmpiA((folder + "vl").c_str(), first.substr(0, folder.size() + 2).c_str())) << first;
    ASSERT_TRUE(std::setlocale(LC_ALL, ".932"));
    co_first.v_Writeln(CT_String("\x82\xA0z")); // one double-byte character, then z: only two units
    std::setlocale(LC_ALL, "C");
    co_first.v_Close();
    EXPECT_EQ(std::string("\x42\x30z\0\r\0\n\0", 8), OnDisk(first)); // left for the caller
    co_first.v_Delete();
    co_second.v_Cancel();
    SetEnvironmentVariableA("TMP", (folder + "none-such\\").c_str()); // no names can be made there
    EXPECT_EQ(e_Windows, Raised("File::Open()", [&] { co_first.v_Open(); }));
    SetEnvironmentVariableA("TMP", folder.c_str());

    CT_String co_folder("C:\\dir\\sub\\a.txt");
    EXPECT_STREQ("a.txt", CT_Files::sco_GetFileName(co_folder));
    CT_Files::sv_GetFolder(co_folder, co_folder);
    EXPECT_STREQ("C:\\dir\\sub\\", co_folder);
    EXPECT_EQ(1u, co_folder.n_GetNumberOfElement());
    CT_Files::sv_GetFolder(CT_String("C:\\dir\\"), co_folder); // no file part: the folder itself
    EXPECT_STREQ("C:\\dir\\", co_folder);
    EXPECT_EQ(e_Windows, Raised("GetFullPathName\r\n", [&] { CT_Files::sco_GetFileName(CT_String("")); }));
    CT_String co_path((folder + "*").c_str());
    EXPECT_EQ(1, CT_Files::sb_Exist(co_path)); // a wildcard: the folder holds "." at least
    EXPECT_EQ(0, CT_Files::sb_Exist(CT_String((folder + "none-such\\a").c_str())));
    co_path = "C:\\a.b\\c.txt";
    CT_Files::sv_RemoveExtension(co_path);
    EXPECT_STREQ("C:\\a", co_path);
}

TEST(FilesTest, WrittenLinesThenRandomStepsMatchAByteByByteModel)
{
    test::ScratchFolder scratch;
    std::string const path = scratch.File("model.bin");
    // "a\r" is stored as CR CR LF: the scan for CR LF must still end there.
    std::vector<std::string> const lines = {"first", "", "a\r", "tab\tand \xE9", std::string(5000, 'L')};
    CT_Files co_file;
    co_file.v_Open(CT_String(path.c_str()), CT_Files::et_OpenMode(CT_Files::e_Read | CT_Files::e_Write), 0);
    std::string all;
    for (std::string const &line : lines)
    {
        co_file.v_Writeln(CT_String(line.c_str()));
        all += line + "\r\n";
    }
    // Then random bytes past several read-ahead blocks, and random steps from the start (the first ones
    // read the lines back) against a model of the bytes and of the position.
    Bytes co_model = test::Utf16Bytes(all); // no byte-order mark: checked with the rest at the end
    std::minstd_rand co_random(12345);
    while (co_model.size() < 30000)
        co_model.push_back("a\r\n"[co_random() % 4]);
    co_file.v_Write(reinterpret_cast<char const *>(&co_model[2 * all.size()]), 30000 - 2 * all.size());
    co_file.v_Seek(0);
    char const *const ap_delimiters[] = {"\r\n", "a", "\r\n\r\n", "aa\r"};
    for (size_t n_at = 0, n_step = 0; n_step < 4000; ++n_step)
    {
        SCOPED_TRACE(n_step);
        bool const b_line = n_step < lines.size();
        CT_String const co_delimiter(ap_delimiters[b_line ? 0 : co_random() % 4]);
        Bytes const co_pattern = test::Utf16Bytes(std::string(co_delimiter));
        size_t const n_found = std::search(co_model.begin() + n_at, co_model.end(), co_pattern.begin(),
                                           co_pattern.end()) - co_model.begin(); // the size if none
        std::vector<char> co_buffer(1 + co_random() % 9000, 0);
        size_t const n_got = std::min(co_buffer.size(), co_model.size() - n_at);
        unsigned int const n_kind = b_line ? 0 : co_random() % 4;
        if (n_kind == 0)
        {
            if (n_found < co_model.size())
                EXPECT_EQ(n_found - n_at, co_file.n_CountUntil(co_delimiter));
            CT_String co_text("none");
            int const n_code = Raised(path, [&] { co_file.v_ReadUntil(co_text, co_delimiter); });
            EXPECT_EQ(n_found == co_model.size() ? e_FileRead : 0, n_code);
            EXPECT_EQ(n_code ? "none" : Narrowed(co_model, n_at, n_found), std::string(co_text));
            n_at = std::min(n_found + co_pattern.size(), co_model.size());
        }
        else if (n_kind == 1)
        {
            unsigned int const n_size = static_cast<unsigned int>(co_buffer.size());
            int const n_code = Raised(path, [&] { co_file.v_Read(&co_buffer[0], n_size); });
            EXPECT_EQ(n_got ? 0 : e_FileRead, n_code);
            EXPECT_TRUE(std::equal(co_model.begin() + n_at, co_model.begin() + n_at + n_got, co_buffer.begin()));
            n_at += n_got;
        }
        else if (n_kind == 2)
        {
            unsigned int const n_count = co_buffer.size() % 5 + 1;
            co_file.v_Write("\r\0\n\0a", n_count);
            co_model.resize(std::max(co_model.size(), n_at + n_count));
            std::copy_n("\r\0\n\0a", n_count, co_model.begin() + n_at);
            n_at += n_count;
        }
        else
        {
            n_at = co_random() % co_model.size();
            co_file.v_Seek(static_cast<unsigned int>(n_at));
        }
        ASSERT_EQ(n_at, co_file.n_GetSeek());
    }
    co_file.v_Close();
    EXPECT_EQ(co_model, test::ReadBytes(path));
}

// One line of a file read into a string made with CT_String("none", request).
struct ReadLineRow
{
    char const *name;
    char const *locale;
    Bytes line; // the bytes before "\r\n"
    unsigned int request;
    std::string text;
    unsigned int room;
};

TEST(FilesTest, ReadLinesGetTheirTextRoomAndPositionWhateverTheirUnits)
{
    Bytes const hiragana_a = {0x42, 0x30}; // "\x82\xA0" in code page 932
    Bytes double_bytes;
    std::string double_text;
    for (int n = 0; n < 150; ++n)
    {
        double_bytes.insert(double_bytes.end(), hiragana_a.begin(), hiragana_a.end());
        double_text += "\x82\xA0";
    }
    // The room is sized for the line's bytes first, then assigned the text:
    // a room of 256 taking a short text is asked for 256 and grows to 512.
    ReadLineRow const rows[] = {
        {"short line, room 256", "C", test::Utf16Bytes("abc"), 0, "abc", 512},
        {"short line, room 512", "C", test::Utf16Bytes("abc"), 256, "abc", 512},
        {"empty line", "C", {}, 256, "", 512},
        {"600 bytes", "C", test::Utf16Bytes(std::string(300, 'L')), 256, std::string(300, 'L'), 856},
        {"unit with no narrow form", "C", {0x00, 0x4E, 'a', 0}, 256, "?a", 512},
        {"unit with no narrow form in code page 1252, room 256", ".1252", {'a', 0, 0x00, 0x4E}, 0, "a?", 512},
        {"odd last byte", "C", {'a', 0, 'b'}, 256, "ab", 512},
        {"zero unit", "C", {'a', 0, 0, 0, 'b', 0}, 256, "a", 512},
        {"double-byte character", ".932", hiragana_a, 256, "\x82\xA0", 512},
        {"double-byte characters", ".932", double_bytes, 256, double_text, 812},
    };
    test::ScratchFolder scratch;
    std::string const path = scratch.File("lines.txt");
    Bytes all;
    for (ReadLineRow const &row : rows)
    {
        all.insert(all.end(), row.line.begin(), row.line.end());
        all.insert(all.end(), {'\r', 0, '\n', 0});
    }
    test::WriteBytes(path, all);
    CT_Files co_file;
    co_file.v_Open(CT_String(path.c_str()), CT_Files::e_Read, 0);
    unsigned int n_end = 0;
    for (ReadLineRow const &row : rows)
    {
        ASSERT_TRUE(std::setlocale(LC_ALL, row.locale)) << row.name;
        CT_String co_text("none", row.request);
        co_file.v_ReadUntil(co_text, CT_String("\r\n"));
        std::setlocale(LC_ALL, "C");
        n_end += static_cast<unsigned int>(row.line.size()) + 4;
        EXPECT_EQ(row.text, std::string(co_text)) << row.name;
        EXPECT_EQ(row.room, co_text.n_GetSize()) << row.name;
        EXPECT_EQ(n_end, co_file.n_GetSeek()) << row.name;
    }
}
