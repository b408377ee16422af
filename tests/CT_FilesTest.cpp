#include "CT_Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "CT_Errors.h"
#include "NamedRows.h"
#include "TestSupport.h"

namespace
{
using test::Bytes;
CT_Files::et_OpenMode const R = CT_Files::e_Read, W = CT_Files::e_Write;

// The code the call raises (0: none); a raise must carry the parameter.
template <class Call> int Raised(std::string const &parameter, Call call)
{
    try
    {
        call();
    }
    catch (et_ErrorCode e_code)
    {
        EXPECT_EQ(parameter, std::string(CT_Errors::co_GetLastParameter())) << "parameter of code " << e_code;
        return e_code;
    }
    return 0;
}

// What lies at the path, seen without the class: "-" for nothing, "<folder>",
// "<held N>" for N bytes that no one else may read, else the bytes as text.
std::string OnDisk(std::string const &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return "-";
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return "<folder>";
    HANDLE probe =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return "<held " + std::to_string(data.nFileSizeLow) + ">";
    CloseHandle(probe);
    Bytes const bytes = test::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// doc.txt in a scratch folder, and the object that saves it.
struct Doc
{
    test::ScratchFolder folder;
    std::string path = folder.File("doc.txt");
    std::string backup = path + ".old";
    std::optional<CT_Files> file{std::in_place};

    void Open(CT_Files::et_OpenMode mode, int b_backup) { file->v_Open(path.c_str(), mode, b_backup); }
    void Write() { file->v_Write("new", 3); }
};

struct SafeSave
{
    char const *name;
    char const *before;      // doc.txt's content before the steps; null: no such file
    char const *left_backup; // a doc.txt.old that an interrupted save left; null: none
    void (*steps)(Doc &doc);
    int code;           // raised by the steps, with the path as the parameter; 0: none
    char const *file;   // doc.txt after the steps, as OnDisk shows it
    char const *backup; // doc.txt.old after the steps
};

SafeSave const kSafeSaves[] = {
    {"OpenWithBackupCopiesTheFileToOldAndHoldsItCut", "old text", nullptr, [](Doc &d) { d.Open(W, 1); }, 0, "<held 0>",
     "old text"},
    {"CloseCommitsAndDeletesTheBackup", "old text", nullptr, [](Doc &d) { d.Open(W, 1), d.Write(), d.file->v_Close(); },
     0, "new", "-"},
    {"TheDestructorCommits", "old text", nullptr, [](Doc &d) { d.Open(W, 1), d.Write(), d.file.reset(); }, 0, "new",
     "-"},
    {"CancelRestoresTheOldContent", "old text", nullptr, [](Doc &d) { d.Open(W, 1), d.Write(), d.file->v_Cancel(); }, 0,
     "old text", "-"},
    {"CancelDeletesAFileTheSaveCreated", nullptr, nullptr, [](Doc &d) { d.Open(W, 1), d.Write(), d.file->v_Cancel(); },
     0, "-", "-"},
    {"CancelAfterCloseChangesNothing", "old text", nullptr,
     [](Doc &d) { d.Open(W, 0), d.Write(), d.file->v_Close(), d.file->v_Cancel(); }, 0, "new", "-"},
    {"DeleteRemovesTheFileAndItsBackup", "old text", nullptr,
     [](Doc &d) { d.Open(W, 1), d.Write(), d.file->v_Delete(); }, 0, "-", "-"},
    {"ABackupLeftByAnInterruptedSaveIsKept", "cut", "left", [](Doc &d) { d.Open(W, 1); }, 0, "<held 0>", "left"},
    {"CommitDeletesALeftBackup", "cut", "left", [](Doc &d) { d.Open(W, 1), d.file->v_Close(); }, 0, "", "-"},
    {"CancelBesideADeletedFileRestoresTheLeftBackup", nullptr, "left",
     [](Doc &d) { d.Open(W, 1), d.Write(), d.file->v_Cancel(); }, 0, "left", "-"},
    {"ARestoreThatFailsKeepsTheBackup", "old text", nullptr,
     [](Doc &d) {
         d.Open(W, 1), d.Write();
         // The backup may be deleted but not read while this handle is open.
         HANDLE holder = CreateFileA(d.backup.c_str(), GENERIC_READ, FILE_SHARE_DELETE, 0, OPEN_EXISTING, 0, 0);
         d.file->v_Cancel();
         CloseHandle(holder);
         d.file->v_Close();
     },
     0, "new", "old text"},
    {"ACopyStartsClosedAndLeavesTheSaveToTheOriginal", "old text", nullptr,
     [](Doc &d) { d.Open(W, 1), CT_Files(*d.file).v_Cancel(), (CT_Files() = *d.file).v_Cancel(), d.Write(); }, 0,
     "<held 3>", "old text"},
    {"SelfAssignmentKeepsTheSave", "old text", nullptr,
     [](Doc &d) { d.Open(W, 1), d.Write(), *d.file = *d.file, d.file->v_Cancel(); }, 0, "old text", "-"},
    {"AssigningAFreshObjectCommits", "old text", nullptr, [](Doc &d) { d.Open(W, 1), d.Write(), *d.file = CT_Files(); },
     0, "new", "-"},
    {"OpeningAnotherPathCommitsTheFirst", "old text", nullptr,
     [](Doc &d) { d.Open(W, 1), d.Write(), d.file->v_Open(d.folder.File("two.txt").c_str(), W, 0); }, 0, "new", "-"},
    {"SaveOldFileBacksUpForAnOpenWithoutBackup", "old text", nullptr,
     [](Doc &d) { d.Open(R, 0), d.file->v_Close(), d.file->v_SaveOldFile(), d.Open(W, 0), d.file->v_Cancel(); }, 0,
     "old text", "-"},
    {"SaveOldFileOfAHeldFileRaises17", "old text", nullptr, [](Doc &d) { d.Open(R, 0), d.file->v_SaveOldFile(); },
     e_FileOpen, "<held 8>", "-"},
    {"ABackupThatCannotBeMadeRaises17AndCutsNothing", "old text", nullptr,
     [](Doc &d) { CreateDirectoryA(d.backup.c_str(), nullptr), d.Open(W, 1); }, e_FileOpen, "old text", "<folder>"},
    {"AReadOpenGoesOnWhenNoBackupCanBeMade", "old text", nullptr,
     [](Doc &d) { CreateDirectoryA(d.backup.c_str(), nullptr), d.Open(R, 1); }, 0, "<held 8>", "<folder>"},
    {"AFileHeldByAnotherObjectCannotBeOpened", "old text", nullptr,
     [](Doc &d) { d.Open(R, 0), CT_Files().v_Open(d.path.c_str(), W, 0); }, e_FileOpen, "<held 8>", "-"},
    {"AMissingFileCannotBeRead", nullptr, nullptr, [](Doc &d) { d.Open(R, 0); }, e_FileOpen, "-", "-"},
    {"WritingAFileOpenForReadingRaises18", "old text", nullptr, [](Doc &d) { d.Open(R, 0), d.Write(); }, e_FileWrite,
     "<held 8>", "-"},
    {"ReadingAFileOpenForWritingRaises19", "old text", nullptr,
     [](Doc &d) {
         char c_byte;
         d.Open(W, 0), d.file->v_Read(&c_byte, 1);
     },
     e_FileRead, "<held 0>", "-"},
    {"WritingAClosedFileRaises18", "old text", nullptr, [](Doc &d) { d.Open(W, 1), d.file->v_Close(), d.Write(); },
     e_FileWrite, "", "-"},
};

void PrintTo(SafeSave const &row, std::ostream *out) { *out << row.name; }

class CT_FilesSafeSave : public testing::TestWithParam<SafeSave>
{
};

TEST_P(CT_FilesSafeSave, )
{
    SafeSave const &row = GetParam();
    Doc doc;
    if (row.before)
        test::WriteBytes(doc.path, Bytes(row.before, row.before + std::strlen(row.before)));
    if (row.left_backup)
        test::WriteBytes(doc.backup, Bytes(row.left_backup, row.left_backup + std::strlen(row.left_backup)));
    EXPECT_EQ(row.code, Raised(doc.path, [&] { row.steps(doc); })) << "raised code";
    EXPECT_EQ(row.file, OnDisk(doc.path)) << "doc.txt";
    EXPECT_EQ(row.backup, OnDisk(doc.backup)) << "doc.txt.old";
}

INSTANTIATE_TEST_SUITE_P(, CT_FilesSafeSave, testing::ValuesIn(kSafeSaves), test::RowName());
} // namespace

TEST(CT_FilesTemporary, EachOpenMakesItsOwnVlFileInTheTemporaryFolder)
{
    char ac_folder[MAX_PATH + 1] = {0};
    std::string const folder(ac_folder, GetTempPathA(sizeof ac_folder, ac_folder));
    CT_Files co_first, co_second;
    co_first.v_Open();
    co_second.v_Open();
    std::string const first(co_first.cco_GetFullPath());
    EXPECT_NE(first, std::string(co_second.cco_GetFullPath()));
    EXPECT_EQ(0, lstrcmpiA((folder + "vl").c_str(), first.substr(0, folder.size() + 2).c_str())) << first;
    co_first.v_Close();
    EXPECT_EQ("", OnDisk(first)) << "closed, the file is left for the caller";
    co_first.v_Delete();
    co_second.v_Cancel();
    EXPECT_EQ("-", OnDisk(first)) << "deleted";
    EXPECT_EQ("-", OnDisk(std::string(co_second.cco_GetFullPath()))) << "cancelled";
}

TEST(CT_FilesWrite, LinesAreUtf16UnitsOfTheLocaleCharactersEndedByCrLf)
{
    Doc doc;
    doc.Open(W, 0);
    ASSERT_TRUE(std::setlocale(LC_ALL, ".932"));
    doc.file->v_Writeln(CT_String("\x82\xA0z")); // one double-byte character (U+3042), then z
    std::setlocale(LC_ALL, "C");
    doc.file->v_Close();
    EXPECT_EQ(std::string("\x42\x30z\0\r\0\n\0", 8), OnDisk(doc.path)) << "no byte-order mark, one unit a character";
}

struct PathCase
{
    char const *name;
    char const *path;
    char const *file_name;
    char const *folder;
    char const *without_extension;
};

TEST(CT_FilesPaths, SplitIntoFolderAndNameAndLoseTheExtension)
{
    PathCase const cases[] = {{"file in a folder", "C:\\dir\\sub\\a.txt", "a.txt", "C:\\dir\\sub\\", "C:\\dir\\sub\\a"},
                              {"folder with a dot", "C:\\a.b\\c.txt", "c.txt", "C:\\a.b\\", "C:\\a"},
                              {"no file part", "C:\\dir\\", "", "C:\\dir\\", "C:\\dir\\"}};
    for (PathCase const &row : cases)
    {
        CT_String co_path(row.path), co_folder("before");
        EXPECT_STREQ(row.file_name, CT_Files::sco_GetFileName(co_path)) << row.name;
        CT_Files::sv_GetFolder(co_path, co_folder);
        EXPECT_STREQ(row.folder, co_folder) << row.name;
        CT_Files::sv_RemoveExtension(co_path);
        EXPECT_STREQ(row.without_extension, co_path) << row.name;
    }
    EXPECT_EQ(e_Windows, Raised("GetFullPathName\r\n", [] { CT_Files::sco_GetFileName(CT_String("")); }));
}

TEST(CT_FilesPaths, ExistTellsWhetherAnythingMatchesThePath)
{
    test::ScratchFolder scratch;
    EXPECT_EQ(1, CT_Files::sb_Exist(CT_String((scratch.Path() + "\\*").c_str()))) << "a wildcard finds \".\"";
    EXPECT_EQ(0, CT_Files::sb_Exist(CT_String(scratch.File("none-such\\a").c_str())));
}

// One line of a file read into a string made with CT_String("none", request).
struct ReadLine
{
    char const *name;
    char const *locale;
    Bytes line; // the bytes before "\r\n"
    unsigned int request;
    std::string text;
    unsigned int room;
};

TEST(CT_FilesRead, ALineGetsItsTextAndARoomSizedForItsBytes)
{
    Bytes double_bytes;
    std::string double_text;
    for (int n = 0; n < 150; ++n, double_text += "\x82\xA0")   // one character of code page 932 ...
        double_bytes.insert(double_bytes.end(), {0x42, 0x30}); // ... and its unit
    // The room is first sized for the line's bytes, then assigned the text.
    ReadLine const rows[] = {
        {"short line into room 256", "C", test::Utf16Bytes("abc"), 0, "abc", 512},
        {"empty line", "C", {}, 256, "", 512},
        {"600 bytes", "C", test::Utf16Bytes(std::string(300, 'L')), 256, std::string(300, 'L'), 856},
        {"unit with no narrow form", "C", {0x00, 0x4E, 'a', 0}, 256, "?a", 512},
        {"unit with no narrow form in code page 1252", ".1252", {'a', 0, 0x00, 0x4E}, 0, "a?", 512},
        {"odd last byte", "C", {'a', 0, 'b'}, 256, "ab", 512},
        {"zero unit ends the text", "C", {'a', 0, 0, 0, 'b', 0}, 256, "a", 512},
        {"double-byte characters", ".932", double_bytes, 256, double_text, 812},
    };
    for (ReadLine const &row : rows)
    {
        Doc doc;
        Bytes bytes = row.line;
        bytes.insert(bytes.end(), {'\r', 0, '\n', 0, 'x', 0});
        test::WriteBytes(doc.path, bytes);
        doc.Open(R, 0);
        ASSERT_TRUE(std::setlocale(LC_ALL, row.locale)) << row.name;
        CT_String co_text("none", row.request);
        doc.file->v_ReadUntil(co_text, CT_String("\r\n"));
        std::setlocale(LC_ALL, "C");
        EXPECT_EQ(row.text, std::string(co_text)) << row.name;
        EXPECT_EQ(row.room, co_text.n_GetSize()) << row.name;
        EXPECT_EQ(row.line.size() + 4, doc.file->n_GetSeek()) << row.name << ": the position is past the delimiter";
    }
}

// The units from the position up to the first zero unit, narrowed as the C
// locale does; an odd last byte is a unit of its own.
std::string Narrowed(Bytes const &co_model, size_t n_at, size_t n_to)
{
    std::string text;
    for (; n_at < n_to && (co_model[n_at] || (n_at + 1 < n_to && co_model[n_at + 1])); n_at += 2)
        text += n_at + 1 < n_to && co_model[n_at + 1] ? '?' : static_cast<char>(co_model[n_at]);
    return text;
}

// Steps from random positions over 30000 bytes, many read-ahead blocks: each
// scan, read, write and seek must give what a byte-by-byte model gives.
TEST(CT_FilesRandomAccess, ScansReadsWritesAndSeeksMatchAByteModel)
{
    Doc doc;
    std::minstd_rand co_random(12345);
    // "a\r" stored as CR CR LF: a scan for CR LF must still end there.
    Bytes co_model = test::Utf16Bytes("a\r\r\n");
    while (co_model.size() < 30000)
        co_model.push_back("a\r\n"[co_random() % 4]);
    doc.Open(CT_Files::et_OpenMode(R | W), 0);
    doc.file->v_Write(reinterpret_cast<char const *>(co_model.data()), static_cast<unsigned int>(co_model.size()));
    doc.file->v_Seek(0);
    char const *const ap_delimiters[] = {"\r\n", "a", "\r\n\r\n", "aa\r"};
    for (size_t n_at = 0, n_step = 0; n_step < 4000; ++n_step)
    {
        SCOPED_TRACE("step " + std::to_string(n_step) + " at byte " + std::to_string(n_at));
        CT_String const co_delimiter(ap_delimiters[co_random() % 4]);
        Bytes const co_pattern = test::Utf16Bytes(std::string(co_delimiter));
        size_t const n_found = std::search(co_model.begin() + n_at, co_model.end(), co_pattern.begin(),
                                           co_pattern.end()) -
                               co_model.begin(); // the size if none
        std::vector<char> co_buffer(1 + co_random() % 9000, 0);
        size_t const n_got = std::min(co_buffer.size(), co_model.size() - n_at);
        switch (co_random() % 4)
        {
        case 0:
            if (n_found < co_model.size())
                EXPECT_EQ(n_found - n_at, doc.file->n_CountUntil(co_delimiter)) << "count";
            if (co_random() % 2)
                EXPECT_EQ(n_found == co_model.size() ? e_FileRead : 0,
                          Raised(doc.path, [&] { doc.file->v_MoveUntil(co_delimiter); }))
                    << "move";
            else
            {
                CT_String co_text("none");
                int const n_code = Raised(doc.path, [&] { doc.file->v_ReadUntil(co_text, co_delimiter); });
                EXPECT_EQ(n_found == co_model.size() ? e_FileRead : 0, n_code) << "read until";
                EXPECT_EQ(n_code ? "none" : Narrowed(co_model, n_at, n_found), std::string(co_text)) << "line";
            }
            n_at = std::min(n_found + co_pattern.size(), co_model.size());
            break;
        case 1:
            EXPECT_EQ(
                n_got ? 0 : e_FileRead,
                Raised(doc.path, [&] { doc.file->v_Read(&co_buffer[0], static_cast<unsigned int>(co_buffer.size())); }))
                << "read";
            EXPECT_TRUE(std::equal(co_model.begin() + n_at, co_model.begin() + n_at + n_got, co_buffer.begin()));
            n_at += n_got;
            break;
        case 2:
            doc.file->v_Write("\r\0\n\0a", co_buffer.size() % 5 + 1);
            co_model.resize(std::max(co_model.size(), n_at + co_buffer.size() % 5 + 1));
            std::copy_n("\r\0\n\0a", co_buffer.size() % 5 + 1, co_model.begin() + n_at);
            n_at += co_buffer.size() % 5 + 1;
            break;
        default:
            n_at = co_random() % co_model.size();
            doc.file->v_Seek(static_cast<unsigned int>(n_at));
        }
        ASSERT_EQ(n_at, doc.file->n_GetSeek()) << "position";
    }
    doc.file->v_Close();
    EXPECT_EQ(co_model, test::ReadBytes(doc.path)) << "file bytes";
}
