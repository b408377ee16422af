// What a careless caller passes to the public operations: every call gives a
// result or the error it should and leaves no stray file; repeated, it leaks
// no handle and no temporary file.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <new>
#include <string>

#include "CT_Errors.h"
#include "CT_Files.h"
#include "CT_ResString.h"
#include "NamedRows.h"
#include "TestSupport.h"

namespace
{
std::string const k300(300, 'x');
std::string const k40k(40000, 'x');

std::string T(CT_String const &text) { return static_cast<char const *>(text); }

std::string Open(std::string const &path, CT_Files::et_OpenMode mode, int backup, bool cancel = false)
{
    CT_Files file;
    file.v_Open(path.c_str(), mode, backup);
    if (cancel)
        file.v_Cancel();
    return T(file.cco_GetFullPath());
}

struct CarelessCall
{
    char const *name;
    std::string (*call)();
    std::string outcome; // the result, "code C PARAMETER" or "bad_alloc"
};

CarelessCall const kCalls[] = {
    {"APathOf40000CharactersRaises17", [] { return Open(k40k, CT_Files::e_Write, 1); }, "code 17 " + k40k},
    {"APathWithForbiddenCharactersRaises17", [] { return Open("a<b>.txt", CT_Files::e_Write, 0); }, "code 17 a<b>.txt"},
    {"TheDeviceNulOpensWithoutABackup", [] { return Open("NUL", CT_Files::e_Write, 1); }, "NUL"},
    {"AFolderOpenedAsAFileRaises17", [] { return Open("dir", CT_Files::e_Write, 1); }, "code 17 dir"},
    {"AReadOnlyFileIsReadWithABackup", [] { return Open("ro.txt", CT_Files::e_Read, 1); }, "ro.txt"},
    {"TheFileNameOfATooLongPathRaises2", [] { return T(CT_Files::sco_GetFileName(k300.c_str())); }, "code 2 GetFullPathName\r\n"},
    {"ASizeOf4GiBRaisesBadAlloc", [] { return CT_String().v_SetSize(0xFFFFFFFFu), std::string(); }, "bad_alloc"},
    {"AMidFarPastTheEndIsEmpty", [] { return T(CT_String("abc").co_GetMid(INT_MAX, INT_MAX)); }, ""},
    {"ASearchFromTheMostNegativeStartFindsNothing", [] { return std::to_string(CT_String("abc").i_Search("c", INT_MIN)); }, "-1"},
    {"AStringIdOutOfRangeRaises2", [] { return T(CT_ResString(GetModuleHandleA("Common.dll"), UINT_MAX, "%").cco_Get()); },
     "code 2 CT_String::v_Load"},
    {"AnErrorWithA40000CharacterParameterIsRecorded",
     [] { return CT_Errors::v_ThrowError(e_Windows, k40k.c_str()), std::string(); }, "code 2 " + k40k},
};

// The call's result, or what it raised.
std::string Outcome(CarelessCall const &each)
{
    try
    {
        return each.call();
    }
    catch (et_ErrorCode code)
    {
        CT_Errors::cco_GetLastError(); // the message, as a catcher would build it
        return "code " + std::to_string(code) + " " + T(CT_Errors::co_GetLastParameter());
    }
    catch (std::bad_alloc const &)
    {
        return "bad_alloc";
    }
}

std::ptrdiff_t Entries(std::string const &folder)
{
    return std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
}

void PrintTo(CarelessCall const &call, std::ostream *out) { *out << call.name; }

class CT_CarelessCalls : public testing::TestWithParam<CarelessCall>
{
protected:
    // In the current folder: a folder, a read-only file and a file held open.
    void SetUp() override
    {
        SetCurrentDirectoryA(scratch.Path().c_str());
        CreateDirectoryA("dir", NULL);
        test::WriteBytes("ro.txt", test::Utf16Bytes("kept"));
        SetFileAttributesA("ro.txt", FILE_ATTRIBUTE_READONLY);
        held.v_Open("held.txt", CT_Files::e_Write, 0);
    }
    void TearDown() override { SetCurrentDirectoryA("C:\\"); }

    test::ScratchFolder scratch;
    CT_Files held;
};

// Each call gives its result or error, and a thousand of it leave the handle
// count, the temporary folder and the files around as they were: a leak of
// one handle or file per call shows after any number of rounds.
TEST_P(CT_CarelessCalls, )
{
    EXPECT_EQ(GetParam().outcome, Outcome(GetParam()));
    DWORD const handles = test::HandleCount();
    auto const entries = Entries(scratch.Path() + "\\..");
    for (int round = 1; round < 1000; ++round)
        Outcome(GetParam());
    EXPECT_EQ(handles, test::HandleCount()) << "handles leaked";
    EXPECT_EQ(entries, Entries(scratch.Path() + "\\..")) << "temporary files left";
    held.v_Write("still mine");
    held.v_Close();
    EXPECT_EQ(test::Utf16Bytes("still mine"), test::ReadBytes("held.txt")) << "the held file";
    EXPECT_EQ(test::Utf16Bytes("kept"), test::ReadBytes("ro.txt")) << "the read-only file";
    EXPECT_EQ(3, Entries(scratch.Path())) << "dir and the two files, and no stray backup";
}

INSTANTIATE_TEST_SUITE_P(, CT_CarelessCalls, testing::ValuesIn(kCalls), test::RowName());
} // namespace
