#include "CT_Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "CT_Errors.h"
#include "TestSupport.h"

namespace
{
typedef std::vector<unsigned char> Bytes;

Bytes Concat(Bytes co_first, Bytes const &co_second)
{
    co_first.insert(co_first.end(), co_second.begin(), co_second.end());
    return co_first;
}

// Size on disk, read without opening the file (CT_Files holds it unshared).
long long FileSize(std::string const &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string Text(CT_String const &co_text)
{
    return static_cast<char const *>(co_text);
}

// Runs the call, which must raise the code with the parameter.
template <class Call> void ExpectRaise(et_ErrorCode e_code, std::string const &parameter, Call call)
{
    try
    {
        call();
        ADD_FAILURE() << "nothing raised, expected code " << e_code;
    }
    catch (et_ErrorCode e_caught)
    {
        EXPECT_EQ(e_code, e_caught);
        EXPECT_EQ(e_code, CT_Errors::set_GetLastError());
        EXPECT_EQ(parameter, Text(CT_Errors::co_GetLastParameter()));
    }
}

class FilesTest : public testing::Test
{
protected:
    void SetUp() override { CT_Errors::v_ResetError(); }

    std::string File(char const *name) const { return scratch.File(name); }
    CT_String Path(char const *name) const { return CT_String(File(name).c_str()); }

    test::ScratchFolder scratch;
};

Bytes const co_TenBytes = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
} // namespace

// ---- Open modes and their failures ----------------------------------------

TEST_F(FilesTest, ReadOpenOfMissingFileRaises17AndStaysClosed)
{
    CT_Files co_file;
    ExpectRaise(e_FileOpen, File("missing.txt"), [&] { co_file.v_Open(Path("missing.txt"), CT_Files::e_Read, 0); });
    EXPECT_EQ(File("missing.txt"), Text(co_file.cco_GetFullPath()));
    EXPECT_EQ(0xFFFFFFFFu, co_file.n_GetSeek());
    EXPECT_FALSE(test::FileExists(File("missing.txt")));
}

TEST_F(FilesTest, SecondObjectCannotOpenAHeldFile)
{
    test::WriteBytes(File("held.txt"), co_TenBytes);
    CT_Files co_first;
    co_first.v_Open(Path("held.txt"), CT_Files::e_Read, 0);
    CT_Files co_second;
    ExpectRaise(e_FileOpen, File("held.txt"), [&] { co_second.v_Open(Path("held.txt"), CT_Files::e_Read, 0); });
    ExpectRaise(e_FileOpen, File("held.txt"), [&] { co_second.v_Open(Path("held.txt"), CT_Files::e_Write, 0); });
    EXPECT_EQ(10, FileSize(File("held.txt"))); // the failed write open cut nothing
    co_first.v_Close();
    co_second.v_Open(Path("held.txt"), CT_Files::e_Read, 0);
    char ac_byte = 0;
    co_second.v_Read(&ac_byte, 1);
    EXPECT_EQ('0', ac_byte);
}

TEST_F(FilesTest, WrongDirectionAndClosedObjectRaiseWithPath)
{
    test::WriteBytes(File("r.txt"), co_TenBytes);
    CT_Files co_reader;
    co_reader.v_Open(Path("r.txt"), CT_Files::e_Read, 0);
    ExpectRaise(e_FileWrite, File("r.txt"), [&] { co_reader.v_Write(CT_String("x")); });
    ExpectRaise(e_FileWrite, File("r.txt"), [&] { co_reader.v_Write("x", 1); });

    CT_Files co_writer;
    co_writer.v_Open(Path("w.txt"), CT_Files::e_Write, 0);
    char ac_buffer[4] = {0};
    ExpectRaise(e_FileRead, File("w.txt"), [&] { co_writer.v_Read(ac_buffer, 4); });
    ExpectRaise(e_FileRead, File("w.txt"), [&] { co_writer.v_MoveUntil(CT_String("x")); });

    co_writer.v_Close();
    ExpectRaise(e_FileWrite, File("w.txt"), [&] { co_writer.v_Writeln(CT_String("x")); });
    ExpectRaise(e_FileRead, File("w.txt"), [&] { co_writer.v_Read(ac_buffer, 1); });
    CT_Errors::v_ResetError();
    co_writer.v_Read(ac_buffer, 0); // no platform call, no error
    EXPECT_EQ(1, CT_Errors::set_GetLastError());
    EXPECT_EQ(0xFFFFFFFFu, co_writer.n_GetSeek());

    unsigned short an_unit[4] = {0, 0, 0, 0};
    co_reader.v_ReadUnicode(an_unit, 2);
    EXPECT_EQ(0x3130, an_unit[0]);
    co_reader.v_ReadUnicode(an_unit, 8); // across the end: what is there, no error
    EXPECT_EQ(0x3938, an_unit[3]);
    EXPECT_EQ(10u, co_reader.n_GetSeek());
    ExpectRaise(e_FileRead, File("r.txt"), [&] { co_reader.v_Read(ac_buffer, 1); });
}

// ---- Safe save: every state on disk ---------------------------------------

TEST_F(FilesTest, BackupOpenCutsFileAndCommitDeletesBackup)
{
    test::WriteBytes(File("doc.txt"), co_TenBytes);
    {
        CT_Files co_file;
        co_file.v_Open(Path("doc.txt"), CT_Files::e_Write, 1);
        EXPECT_EQ(0, FileSize(File("doc.txt")));
        EXPECT_EQ(co_TenBytes, test::ReadBytes(File("doc.txt.old")));
        co_file.v_Write(CT_String("new"));
    } // destruction commits as v_Close does
    EXPECT_EQ(test::Utf16Bytes("new"), test::ReadBytes(File("doc.txt")));
    EXPECT_FALSE(test::FileExists(File("doc.txt.old")));
}

TEST_F(FilesTest, CancelRestoresBackup)
{
    test::WriteBytes(File("doc.txt"), co_TenBytes);
    CT_Files co_file;
    co_file.v_Open(Path("doc.txt"), CT_Files::e_Write, 1);
    co_file.v_Write(CT_String("partial"));
    co_file.v_Cancel();
    EXPECT_EQ(co_TenBytes, test::ReadBytes(File("doc.txt")));
    EXPECT_FALSE(test::FileExists(File("doc.txt.old")));
    EXPECT_EQ(0xFFFFFFFFu, co_file.n_GetSeek());
}

TEST_F(FilesTest, CancelWithoutBackupRemovesTheCreatedFile)
{
    CT_Files co_file;
    co_file.v_Open(Path("fresh.txt"), CT_Files::e_Write, 1); // nothing to back up
    EXPECT_FALSE(test::FileExists(File("fresh.txt.old")));
    co_file.v_Write(CT_String("abc"));
    co_file.v_Cancel();
    EXPECT_FALSE(test::FileExists(File("fresh.txt")));
}

TEST_F(FilesTest, CancelSparesFilesThisObjectDidNotCut)
{
    test::WriteBytes(File("keep.txt"), co_TenBytes);
    CT_Files co_reader;
    co_reader.v_Open(Path("keep.txt"), CT_Files::e_Read, 0);
    co_reader.v_Cancel();
    EXPECT_EQ(co_TenBytes, test::ReadBytes(File("keep.txt")));

    CT_Files co_writer;
    co_writer.v_Open(Path("keep.txt"), CT_Files::e_Write, 0);
    co_writer.v_Write(CT_String("v2"));
    co_writer.v_Close();
    co_writer.v_Cancel(); // committed already
    EXPECT_EQ(test::Utf16Bytes("v2"), test::ReadBytes(File("keep.txt")));

    CT_Files co_copy(co_writer); // names the file, never opened it
    co_copy.v_Cancel();
    co_copy.v_Close();
    EXPECT_EQ(test::Utf16Bytes("v2"), test::ReadBytes(File("keep.txt")));
}

TEST_F(FilesTest, StaleOldFileIsReplacedByTheBackupAndDeletedAtClose)
{
    test::WriteBytes(File("doc.txt"), co_TenBytes);
    test::WriteBytes(File("doc.txt.old"), Bytes{'s', 't', 'a', 'l', 'e'});
    CT_Files co_file;
    co_file.v_Open(Path("doc.txt"), CT_Files::e_Write, 1);
    EXPECT_EQ(co_TenBytes, test::ReadBytes(File("doc.txt.old")));
    co_file.v_Close();
    EXPECT_FALSE(test::FileExists(File("doc.txt.old")));
}

TEST_F(FilesTest, DeleteRemovesFileAndBackup)
{
    test::WriteBytes(File("doc.txt"), co_TenBytes);
    CT_Files co_file;
    co_file.v_Open(Path("doc.txt"), CT_Files::e_Write, 1);
    co_file.v_Write(CT_String("x"));
    co_file.v_Delete();
    EXPECT_FALSE(test::FileExists(File("doc.txt")));
    EXPECT_FALSE(test::FileExists(File("doc.txt.old")));
}

TEST_F(FilesTest, FailedBackupLeavesTheFileUncut)
{
    test::WriteBytes(File("doc.txt"), co_TenBytes);
    ASSERT_TRUE(CreateDirectoryA(File("doc.txt.old").c_str(), nullptr)); // no copy can go there
    CT_Files co_file;
    ExpectRaise(e_FileOpen, File("doc.txt"), [&] { co_file.v_Open(Path("doc.txt"), CT_Files::e_Write, 1); });
    EXPECT_EQ(0xFFFFFFFFu, co_file.n_GetSeek());
    co_file.v_Cancel();
    co_file.v_Close();
    EXPECT_EQ(co_TenBytes, test::ReadBytes(File("doc.txt")));
    EXPECT_TRUE(test::FileExists(File("doc.txt.old")));
    // Reading needs no backup: the same failure does not stop a read open.
    co_file.v_Open(Path("doc.txt"), CT_Files::e_Read, 1);
    EXPECT_EQ(0u, co_file.n_GetSeek());
}

TEST_F(FilesTest, FailedRestoreKeepsTheBackupOnDisk)
{
    test::WriteBytes(File("doc.txt"), co_TenBytes);
    CT_Files co_file;
    co_file.v_Open(Path("doc.txt"), CT_Files::e_Write, 1);
    co_file.v_Write(CT_String("new"));
    // Another holder lets the backup be deleted but not read: the restoring
    // copy fails, and a deletion would take the only old content with it.
    HANDLE h_holder = CreateFileA(File("doc.txt.old").c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h_holder);
    co_file.v_Cancel();
    CloseHandle(h_holder);
    EXPECT_EQ(co_TenBytes, test::ReadBytes(File("doc.txt.old")));
    EXPECT_EQ(test::Utf16Bytes("new"), test::ReadBytes(File("doc.txt")));
    co_file.v_Close(); // the object no longer owns that copy
    EXPECT_TRUE(test::FileExists(File("doc.txt.old")));
}

TEST_F(FilesTest, SavedBackupSurvivesAWriteOpenOfTheSamePathAndRestores)
{
    test::WriteBytes(File("doc.txt"), co_TenBytes);
    CT_Files co_file;
    co_file.v_Open(Path("doc.txt"), CT_Files::e_Read, 0);
    ExpectRaise(e_FileOpen, File("doc.txt"), [&] { co_file.v_SaveOldFile(); }); // held unshared
    EXPECT_FALSE(test::FileExists(File("doc.txt.old")));
    co_file.v_Close();
    co_file.v_SaveOldFile();
    EXPECT_EQ(co_TenBytes, test::ReadBytes(File("doc.txt.old")));
    co_file.v_Open(Path("doc.txt"), CT_Files::e_Write, 0);
    co_file.v_Write(CT_String("x"));
    co_file.v_Cancel();
    EXPECT_EQ(co_TenBytes, test::ReadBytes(File("doc.txt")));
    EXPECT_FALSE(test::FileExists(File("doc.txt.old")));
}

TEST_F(FilesTest, OpenOnAnOpenObjectCommitsTheFirstFile)
{
    test::WriteBytes(File("one.txt"), co_TenBytes);
    CT_Files co_file;
    co_file.v_Open(Path("one.txt"), CT_Files::e_Write, 1);
    co_file.v_Write(CT_String("1"));
    co_file.v_Open(Path("two.txt"), CT_Files::e_Write, 0);
    EXPECT_EQ(test::Utf16Bytes("1"), test::ReadBytes(File("one.txt"))); // closed: readable again
    EXPECT_FALSE(test::FileExists(File("one.txt.old")));
    co_file.v_Cancel(); // rolls back the second file only
    EXPECT_FALSE(test::FileExists(File("two.txt")));
    EXPECT_EQ(test::Utf16Bytes("1"), test::ReadBytes(File("one.txt")));
}

TEST_F(FilesTest, CopiesNameTheFileButLeaveHandleAndBackupToTheOriginal)
{
    test::WriteBytes(File("doc.txt"), co_TenBytes);
    CT_Files co_file;
    co_file.v_Open(Path("doc.txt"), CT_Files::e_Write, 1);
    {
        CT_Files co_copy(co_file);
        EXPECT_EQ(File("doc.txt"), Text(co_copy.cco_GetFullPath()));
        EXPECT_EQ(0xFFFFFFFFu, co_copy.n_GetSeek());
        co_copy.v_Close();
        co_copy.v_Cancel();
    }
    EXPECT_TRUE(test::FileExists(File("doc.txt.old")));
    co_file.v_Write(CT_String("ok")); // the handle is still open
    EXPECT_EQ(4u, co_file.n_GetSeek());

    test::WriteBytes(File("other.txt"), co_TenBytes);
    CT_Files co_target;
    co_target.v_Open(Path("other.txt"), CT_Files::e_Write, 1);
    co_target = co_file; // commits what the target held
    EXPECT_EQ(0, FileSize(File("other.txt")));
    EXPECT_FALSE(test::FileExists(File("other.txt.old")));
    EXPECT_EQ(File("doc.txt"), Text(co_target.cco_GetFullPath()));
    EXPECT_EQ(0xFFFFFFFFu, co_target.n_GetSeek());
    co_target = co_target;
    co_file.v_Cancel();
    EXPECT_EQ(co_TenBytes, test::ReadBytes(File("doc.txt")));
}

// ---- Temporary files -------------------------------------------------------

TEST_F(FilesTest, TemporaryFilesAreDistinctEmptyAndNamedFromVl)
{
    char ac_folder[MAX_PATH + 1] = {0};
    ASSERT_NE(0u, GetTempPathA(sizeof ac_folder, ac_folder));
    CT_Files co_first;
    CT_Files co_second;
    co_first.v_Open();
    co_second.v_Open();
    std::string const first = Text(co_first.cco_GetFullPath());
    std::string const second = Text(co_second.cco_GetFullPath());
    EXPECT_NE(first, second);
    for (std::string const &path : {first, second})
    {
        EXPECT_EQ(0, lstrcmpiA(ac_folder, path.substr(0, std::strlen(ac_folder)).c_str())) << path;
        std::string const name = path.substr(std::strlen(ac_folder));
        EXPECT_EQ(0, lstrcmpiA("vl", name.substr(0, 2).c_str())) << path;
        EXPECT_EQ(0, lstrcmpiA(".tmp", name.substr(name.size() - 4).c_str())) << path;
        EXPECT_EQ(0, FileSize(path));
    }
    co_first.v_Writeln(CT_String("t"));
    co_first.v_Close();
    co_second.v_Close();
    EXPECT_EQ(Concat(test::Utf16Bytes("t"), test::Utf16Bytes("\r\n")), test::ReadBytes(first));
    EXPECT_TRUE(test::FileExists(second));
    co_first.v_Delete();
    co_second.v_Open();
    co_second.v_Cancel();
    EXPECT_FALSE(test::FileExists(first));
    EXPECT_FALSE(test::FileExists(Text(co_second.cco_GetFullPath())));
    DeleteFileA(second.c_str());
}

// ---- Path utilities --------------------------------------------------------

TEST_F(FilesTest, ExistFindsFilesFoldersAndPatterns)
{
    test::WriteBytes(File("here.txt"), co_TenBytes);
    EXPECT_EQ(1, CT_Files::sb_Exist(Path("here.txt")));
    EXPECT_EQ(1, CT_Files::sb_Exist(CT_String(scratch.Path().c_str())));
    EXPECT_EQ(1, CT_Files::sb_Exist(Path("h*.t?t")));
    EXPECT_EQ(0, CT_Files::sb_Exist(Path("absent.txt")));
    EXPECT_EQ(0, CT_Files::sb_Exist(CT_String("")));
}

TEST_F(FilesTest, RemoveExtensionCutsAtTheFirstDot)
{
    CT_String co_path("C:\\my.dir\\name.tar.gz");
    CT_Files::sv_RemoveExtension(co_path);
    EXPECT_EQ("C:\\my", Text(co_path));
    CT_String co_plain("C:\\dir\\name");
    CT_Files::sv_RemoveExtension(co_plain);
    EXPECT_EQ("C:\\dir\\name", Text(co_plain));
}

TEST_F(FilesTest, FileNameAndFolderOfFullAndRelativePaths)
{
    EXPECT_EQ("a.txt", Text(CT_Files::sco_GetFileName(CT_String("C:\\dir\\sub\\a.txt"))));
    EXPECT_EQ("", Text(CT_Files::sco_GetFileName(CT_String("C:\\dir\\sub\\"))));
    EXPECT_EQ("bare.txt", Text(CT_Files::sco_GetFileName(CT_String("bare.txt"))));

    char ac_current[MAX_PATH + 1] = {0};
    GetCurrentDirectoryA(sizeof ac_current, ac_current);
    CT_String co_folder;
    CT_Files::sv_GetFolder(CT_String("bare.txt"), co_folder);
    std::string current = ac_current;
    if (current.back() != '\\')
        current += '\\';
    EXPECT_EQ(current, Text(co_folder));

    CT_String co_same("C:\\dir\\sub\\a.txt");
    CT_Files::sv_GetFolder(co_same, co_same);
    EXPECT_EQ("C:\\dir\\sub\\", Text(co_same));
    EXPECT_EQ(1u, co_same.n_GetNumberOfElement());

    CT_Files::sv_GetFolder(CT_String("C:\\dir\\sub\\"), co_folder); // no file part to cut
    EXPECT_EQ("C:\\dir\\sub\\", Text(co_folder));
}

TEST_F(FilesTest, PathsLongerThan511CharactersGiveTheirPartsOrCode2)
{
    // Where the ANSI functions take such paths the parts come out whole;
    // where they refuse them beyond MAX_PATH (Wine does), code 2 is raised.
    std::string folder = "C:\\";
    while (folder.size() < 700)
        folder += "abcdefghij\\";
    std::string const path = folder + "long-name.txt";
    CT_String co_folder(path.c_str());
    try
    {
        EXPECT_EQ("long-name.txt", Text(CT_Files::sco_GetFileName(co_folder)));
        CT_Files::sv_GetFolder(co_folder, co_folder);
        EXPECT_EQ(folder, Text(co_folder));
    }
    catch (et_ErrorCode e_caught)
    {
        EXPECT_EQ(e_Windows, e_caught);
        EXPECT_EQ("GetFullPathName\r\n", Text(CT_Errors::co_GetLastParameter()));
        EXPECT_EQ(path, Text(co_folder));
    }
}

TEST_F(FilesTest, FullPathFailureRaisesCode2AndLeavesTheFolder)
{
    CT_String co_folder("unchanged");
    ExpectRaise(e_Windows, "GetFullPathName\r\n", [&] { CT_Files::sv_GetFolder(CT_String(""), co_folder); });
    EXPECT_EQ("unchanged", Text(co_folder));
    ExpectRaise(e_Windows, "GetFullPathName\r\n", [&] { CT_Files::sco_GetFileName(CT_String("")); });
}

// ---- Text and bytes --------------------------------------------------------

TEST_F(FilesTest, WritelnStoresUnitsWithCrLfAndNoByteOrderMark)
{
    CT_Files co_file;
    co_file.v_Open(Path("t.txt"), CT_Files::e_Write, 0);
    co_file.v_Write(CT_String(""));
    EXPECT_EQ(0u, co_file.n_GetSeek());
    co_file.v_Writeln(CT_String("ab"));
    EXPECT_EQ(8u, co_file.n_GetSeek());
    co_file.v_Write(CT_String("\xE9z"));
    EXPECT_EQ(12u, co_file.n_GetSeek());
    co_file.v_Write("\x01\x00\xFF", 3);
    EXPECT_EQ(15u, co_file.n_GetSeek());
    co_file.v_Close();
    Bytes const co_expected = {0x61, 0, 0x62, 0, 0x0D, 0, 0x0A, 0, 0xE9, 0, 0x7A, 0, 0x01, 0x00, 0xFF};
    EXPECT_EQ(co_expected, test::ReadBytes(File("t.txt")));
}

TEST_F(FilesTest, ReadsBackWritelnLinesUntilCode19)
{
    std::vector<std::string> lines = {"first", "", "with\ttab and \xE9", std::string(5000, 'L'), "last"};
    {
        CT_Files co_file;
        co_file.v_Open(Path("lines.txt"), CT_Files::e_Write, 0);
        for (std::string const &line : lines)
            co_file.v_Writeln(CT_String(line.c_str()));
    }
    CT_Files co_file;
    co_file.v_Open(Path("lines.txt"), CT_Files::e_Read, 0);
    CT_String const co_lineend("\r\n");
    unsigned int n_expected = 0;
    for (std::string const &line : lines)
    {
        CT_String co_line;
        co_file.v_ReadUntil(co_line, co_lineend);
        EXPECT_EQ(line, Text(co_line));
        n_expected += 2 * static_cast<unsigned int>(line.size() + 2);
        EXPECT_EQ(n_expected, co_file.n_GetSeek());
    }
    CT_String co_last("kept");
    ExpectRaise(e_FileRead, File("lines.txt"), [&] { co_file.v_ReadUntil(co_last, co_lineend); });
    EXPECT_EQ("kept", Text(co_last));
    EXPECT_EQ(n_expected, co_file.n_GetSeek());
}

TEST_F(FilesTest, CountAndReadUpToADelimiter)
{
    test::WriteBytes(File("d.txt"), Concat(test::Utf16Bytes("xyz;;"), test::Utf16Bytes("tail")));
    CT_Files co_file;
    co_file.v_Open(Path("d.txt"), CT_Files::e_Read, 0);
    EXPECT_EQ(6u, co_file.n_CountUntil(CT_String(";")));
    EXPECT_EQ(0u, co_file.n_GetSeek());
    CT_String co_text;
    co_file.v_ReadUntil(co_text, CT_String(";"));
    EXPECT_EQ("xyz", Text(co_text));
    EXPECT_EQ(8u, co_file.n_GetSeek());
    co_file.v_ReadUntil(co_text, CT_String(";")); // delimiter right at the position
    EXPECT_EQ("", Text(co_text));
    EXPECT_EQ(10u, co_file.n_GetSeek());

    co_file.v_MoveUntil(CT_String(""));
    EXPECT_EQ(0u, co_file.n_CountUntil(CT_String("")));
    co_text = "x";
    co_file.v_ReadUntil(co_text, CT_String(""));
    EXPECT_EQ("", Text(co_text));
    EXPECT_EQ(10u, co_file.n_GetSeek());

    CT_String co_kept("kept");
    ExpectRaise(e_FileRead, File("d.txt"), [&] { co_file.v_ReadUntil(co_kept, CT_String("#")); });
    EXPECT_EQ("kept", Text(co_kept));
    EXPECT_EQ(18u, co_file.n_GetSeek());
    ExpectRaise(e_FileRead, File("d.txt"), [&] { co_file.n_CountUntil(CT_String("t")); });
    EXPECT_EQ(18u, co_file.n_GetSeek());
}

TEST_F(FilesTest, ScanFindsLineEndsInsideBrokenMatchesAndAtOddOffsets)
{
    // CR CR LF; then 'A' 00 'B' with CR LF one byte off the unit grid; then a
    // unit with no narrow form.
    Bytes const co_odd = {'A', 0, 'B', 0x0D, 0, 0x0A, 0};
    Bytes const co_wide = {'a', 0, 0x3A, 0x26, ';', 0};
    test::WriteBytes(File("scan.bin"), Concat(Concat(test::Utf16Bytes("a\r\r\n"), co_odd), co_wide));
    CT_Files co_file;
    co_file.v_Open(Path("scan.bin"), CT_Files::e_Read, 0);
    CT_String co_text;
    co_file.v_ReadUntil(co_text, CT_String("\r\n"));
    EXPECT_EQ("a\r", Text(co_text));
    EXPECT_EQ(8u, co_file.n_GetSeek());
    EXPECT_EQ(3u, co_file.n_CountUntil(CT_String("\r\n")));
    co_file.v_ReadUntil(co_text, CT_String("\r\n"));
    EXPECT_EQ("AB", Text(co_text)); // the odd last byte is a unit of its own
    EXPECT_EQ(15u, co_file.n_GetSeek());
    co_file.v_ReadUntil(co_text, CT_String(";"));
    EXPECT_EQ("a?", Text(co_text));
}

TEST_F(FilesTest, MultibyteLocaleWritesOnlyTheConvertedUnits)
{
    if (!std::setlocale(LC_ALL, ".932"))
        GTEST_SKIP() << "no code page 932";
    {
        CT_Files co_file;
        co_file.v_Open(Path("sjis.txt"), CT_Files::e_Write, 0);
        co_file.v_Writeln(CT_String("\x82\xA0z")); // one double-byte character, then z
    }
    CT_Files co_file;
    co_file.v_Open(Path("sjis.txt"), CT_Files::e_Read, 0);
    CT_String co_line;
    co_file.v_ReadUntil(co_line, CT_String("\r\n"));
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ("\x82\xA0z", Text(co_line));
    Bytes const co_expected = {0x42, 0x30, 'z', 0, 0x0D, 0, 0x0A, 0};
    co_file.v_Close();
    EXPECT_EQ(co_expected, test::ReadBytes(File("sjis.txt")));
}

// ---- Positions with the read-ahead -----------------------------------------

TEST_F(FilesTest, WritesAndSeeksAfterAScanLandAtTheLogicalPosition)
{
    {
        CT_Files co_file;
        co_file.v_Open(Path("mix.txt"), CT_Files::e_Write, 0);
        co_file.v_Writeln(CT_String("one"));
        co_file.v_Writeln(CT_String("two"));
        co_file.v_Writeln(CT_String("three"));
    }
    CT_Files co_file;
    co_file.v_Open(Path("mix.txt"), static_cast<CT_Files::et_OpenMode>(CT_Files::e_Read | CT_Files::e_Write), 0);
    // Both bits create anew: the file is empty now.
    EXPECT_EQ(0, FileSize(File("mix.txt")));
    co_file.v_Writeln(CT_String("one"));
    co_file.v_Writeln(CT_String("two"));
    co_file.v_Writeln(CT_String("three"));
    co_file.v_Seek(0);
    CT_String co_text;
    co_file.v_ReadUntil(co_text, CT_String("\r\n"));
    EXPECT_EQ(10u, co_file.n_GetSeek());
    co_file.v_Seek(35); // one past the end of the file and of the read-ahead
    EXPECT_EQ(35u, co_file.n_GetSeek());
    char ac_byte = 0;
    ExpectRaise(e_FileRead, File("mix.txt"), [&] { co_file.v_Read(&ac_byte, 1); });
    co_file.v_Seek(10);
    co_file.v_Write(CT_String("TWO")); // over "two", not at the end of the read-ahead
    EXPECT_EQ(16u, co_file.n_GetSeek());
    co_file.v_ReadUntil(co_text, CT_String("\r\n"));
    EXPECT_EQ("", Text(co_text));
    co_file.v_Seek(2);
    char ac_unit[2] = {0, 0};
    co_file.v_Read(ac_unit, 2);
    EXPECT_EQ('n', ac_unit[0]);
    EXPECT_EQ(4u, co_file.n_GetSeek());
    EXPECT_EQ(6u, co_file.n_CountUntil(CT_String("TWO")));
    EXPECT_EQ(4u, co_file.n_GetSeek());
    co_file.v_Seek(40);
    co_file.v_Write("!", 1);
    co_file.v_Close();
    Bytes co_expected = test::Utf16Bytes("one\r\nTWO\r\nthree\r\n");
    co_expected.resize(40, 0);
    co_expected.push_back('!');
    EXPECT_EQ(co_expected, test::ReadBytes(File("mix.txt")));
}

TEST_F(FilesTest, InterleavedOperationsMatchAByteByByteModel)
{
    // A model of the file and its position, against which random operations
    // on a file of several read-ahead blocks are checked one by one.
    Bytes co_model;
    unsigned int n_seed = 12345;
    auto n_Next = [&](unsigned int n_range) {
        n_seed = n_seed * 1103515245u + 12345u;
        return (n_seed >> 8) % n_range;
    };
    unsigned char const ac_alphabet[] = {'a', '\r', '\n', 0};
    for (int n_byte = 0; n_byte < 20000; ++n_byte)
        co_model.push_back(ac_alphabet[n_Next(3 + (n_byte % 97 == 0))]);
    test::WriteBytes(File("model.bin"), co_model);

    char const *const ac_delimiters[] = {"\r\n", "a", "\n\r", "aa\r", "\r\n\r\n"};
    auto n_FindEnd = [&](size_t n_from, Bytes const &co_pattern) -> long long {
        for (size_t n_end = n_from + co_pattern.size(); n_end <= co_model.size(); ++n_end)
            if (std::equal(co_pattern.begin(), co_pattern.end(), co_model.begin() + (n_end - co_pattern.size())))
                return static_cast<long long>(n_end);
        return -1;
    };

    CT_Files co_file;
    co_file.v_Open(Path("model.bin"), static_cast<CT_Files::et_OpenMode>(0xC0000000u), 0);
    co_file.v_Write(reinterpret_cast<char const *>(co_model.data()), static_cast<unsigned int>(co_model.size()));
    co_file.v_Seek(0);
    size_t n_position = 0;
    for (int n_step = 0; n_step < 3000; ++n_step)
    {
        char const *const p_delimiter = ac_delimiters[n_Next(5)];
        Bytes const co_pattern = test::Utf16Bytes(p_delimiter);
        long long const n_end = n_FindEnd(n_position, co_pattern);
        switch (n_Next(6))
        {
        case 0:
        {
            CT_String co_text("before");
            if (n_end < 0)
            {
                ExpectRaise(e_FileRead, File("model.bin"), [&] { co_file.v_ReadUntil(co_text, CT_String(p_delimiter)); });
                EXPECT_EQ("before", Text(co_text));
                n_position = co_model.size();
                break;
            }
            co_file.v_ReadUntil(co_text, CT_String(p_delimiter));
            // Units up to the first zero unit; an odd last byte is a unit alone.
            std::string expected;
            size_t const n_stop = static_cast<size_t>(n_end) - co_pattern.size();
            for (size_t n_at = n_position; n_at < n_stop; n_at += 2)
            {
                unsigned int const n_low = co_model[n_at];
                unsigned int const n_high = n_at + 1 < n_stop ? co_model[n_at + 1] : 0;
                if (n_low == 0 && n_high == 0)
                    break;
                expected += n_high ? '?' : static_cast<char>(n_low);
            }
            EXPECT_EQ(expected, Text(co_text)) << "step " << n_step;
            n_position = static_cast<size_t>(n_end);
            break;
        }
        case 1:
            if (n_end < 0)
            {
                ExpectRaise(e_FileRead, File("model.bin"), [&] { co_file.n_CountUntil(CT_String(p_delimiter)); });
                n_position = co_model.size();
                break;
            }
            EXPECT_EQ(static_cast<unsigned int>(n_end - n_position - co_pattern.size()),
                      co_file.n_CountUntil(CT_String(p_delimiter)));
            break;
        case 2:
        {
            unsigned int const n_count = 1 + n_Next(9000);
            std::vector<char> co_buffer(n_count, 'x');
            if (n_position >= co_model.size())
            {
                ExpectRaise(e_FileRead, File("model.bin"), [&] { co_file.v_Read(co_buffer.data(), n_count); });
                break;
            }
            co_file.v_Read(co_buffer.data(), n_count);
            size_t const n_got = std::min<size_t>(n_count, co_model.size() - n_position);
            EXPECT_EQ(0, std::memcmp(co_buffer.data(), co_model.data() + n_position, n_got)) << "step " << n_step;
            n_position += n_got;
            break;
        }
        case 3:
        {
            unsigned char const ac_bytes[] = {'\r', 0, '\n', 0, 'a'};
            unsigned int const n_count = 1 + n_Next(5);
            co_file.v_Write(reinterpret_cast<char const *>(ac_bytes), n_count);
            if (co_model.size() < n_position + n_count)
                co_model.resize(n_position + n_count);
            std::copy(ac_bytes, ac_bytes + n_count, co_model.begin() + n_position);
            n_position += n_count;
            break;
        }
        case 4:
            n_position = n_Next(static_cast<unsigned int>(co_model.size()));
            co_file.v_Seek(static_cast<unsigned int>(n_position));
            break;
        default:
            if (n_end < 0)
            {
                ExpectRaise(e_FileRead, File("model.bin"), [&] { co_file.v_MoveUntil(CT_String(p_delimiter)); });
                n_position = co_model.size();
                break;
            }
            co_file.v_MoveUntil(CT_String(p_delimiter));
            n_position = static_cast<size_t>(n_end);
        }
        ASSERT_EQ(n_position, co_file.n_GetSeek()) << "step " << n_step;
    }
    co_file.v_Close();
    EXPECT_EQ(co_model, test::ReadBytes(File("model.bin")));
}

TEST_F(FilesTest, SeekReachesOffsetsBeyond2GiB)
{
    HANDLE h_sparse = CreateFileA(File("big.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h_sparse);
    LONG n_high = 0;
    SetFilePointer(h_sparse, static_cast<LONG>(0xC0000000u), &n_high, FILE_BEGIN);
    BOOL const b_sized = SetEndOfFile(h_sparse);
    CloseHandle(h_sparse);
    if (!b_sized)
        GTEST_SKIP() << "no room for a 3 GiB sparse file";
    CT_Files co_file;
    co_file.v_Open(Path("big.bin"), CT_Files::e_Read, 0);
    co_file.v_Seek(0xA0000000u);
    EXPECT_EQ(0xA0000000u, co_file.n_GetSeek());
    char ac_byte = 'x';
    co_file.v_Read(&ac_byte, 1);
    EXPECT_EQ(0, ac_byte);
    EXPECT_EQ(0xA0000001u, co_file.n_GetSeek());
    co_file.v_Close();
    DeleteFileA(File("big.bin").c_str());
}
