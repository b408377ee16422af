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
#include "TestSupport.h"

namespace
{
std::string const k300(300, 'x');
std::string const k40k(40000, 'x');
// A leak of one handle or file per call shows after any number of rounds; few
// enough here for the calls that copy, search or flush files to run quickly.
int const kRounds = 1000;

std::string T(CT_String const &text) { return static_cast<char const *>(text); }

std::string Open(std::string const &path, CT_Files::et_OpenMode mode, int backup, int cancel = 0)
{
    CT_Files file;
    file.v_Open(path.c_str(), mode, backup);
    if (cancel)
        file.v_Cancel();
    return T(file.cco_GetFullPath());
}

// The call's result, or what it raised.
std::string Outcome(void (*call)(std::string &result))
{
    std::string result = "done";
    try
    {
        call(result);
    }
    catch (et_ErrorCode code)
    {
        CT_Errors::cco_GetLastError(); // the message, as a catcher would build it
        result = "code " + std::to_string(code) + " " + T(CT_Errors::co_GetLastParameter());
    }
    catch (std::bad_alloc const &)
    {
        result = "bad_alloc";
    }
    return result;
}

// A call and its expected outcome.
typedef std::pair<void (*)(std::string &result), std::string> Case;
Case const kCases[] = {
    {[](std::string &out) { out = Open(k300, CT_Files::e_Write, 1); }, "code 17 " + k300},
    {[](std::string &out) { out = Open(k40k, CT_Files::e_Write, 1); }, "code 17 " + k40k},
    {[](std::string &out) { out = Open("a<b>.txt", CT_Files::e_Write, 0); }, "code 17 a<b>.txt"},
    {[](std::string &out) { out = Open("NUL", CT_Files::e_Write, 1); }, "NUL"},
    {[](std::string &out) { out = Open("dir", CT_Files::e_Write, 1); }, "code 17 dir"},
    {[](std::string &out) { out = Open("held.txt", CT_Files::e_Write, 1); }, "code 17 held.txt"},
    {[](std::string &out) { out = Open("ro.txt", CT_Files::e_Read, 1); }, "ro.txt"},
    {[](std::string &out) { out = Open("plain.txt", CT_Files::e_Write, 1, 1); }, "plain.txt"},
    {[](std::string &out) { // the temporary file is gone after its v_Delete
         CT_Files file;
         file.v_Open();
         file.v_Delete();
         out = std::to_string(test::FileExists(T(file.cco_GetFullPath())));
     }, "0"},
    {[](std::string &out) { out = T(CT_Files::sco_GetFileName(k300.c_str())); }, "code 2 GetFullPathName\r\n"},
    {[](std::string &) { CT_String().v_SetSize(0xFFFFFFFFu); }, "bad_alloc"},
    {[](std::string &out) { out = T(CT_String("abc").co_GetMid(INT_MAX, INT_MAX)); }, ""},
    {[](std::string &out) { out = std::to_string(CT_String("abc").i_Search("c", INT_MIN)); }, "-1"},
    {[](std::string &out) { out = T(CT_ResString(GetModuleHandleA("Common.dll"), UINT_MAX, "%").cco_Get()); },
     "code 2 CT_String::v_Load"},
    {[](std::string &) { CT_Errors::v_ThrowError(e_Windows, k40k.c_str()); }, "code 2 " + k40k},
};

std::ptrdiff_t Entries(std::string const &folder)
{
    return std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
}

TEST(HostileInputTest, CarelessCallsGiveTheirResultAndLeakNothing)
{
    test::ScratchFolder scratch;
    SetCurrentDirectoryA(scratch.Path().c_str());
    CreateDirectoryA("dir", NULL);
    for (char const *name : {"ro.txt", "plain.txt"})
        test::WriteBytes(name, test::Utf16Bytes("kept"));
    SetFileAttributesA("ro.txt", FILE_ATTRIBUTE_READONLY);
    CT_Files held;
    held.v_Open("held.txt", CT_Files::e_Write, 0);
    for (Case const &each : kCases)
    {
        SCOPED_TRACE("case " + std::to_string(&each - kCases));
        EXPECT_EQ(each.second, Outcome(each.first));
        DWORD const handles = test::HandleCount();
        auto const entries = Entries(scratch.Path() + "\\..");
        for (int round = 1; round < kRounds; ++round)
            Outcome(each.first);
        EXPECT_EQ(handles, test::HandleCount());
        EXPECT_EQ(entries, Entries(scratch.Path() + "\\.."));
    }
    held.v_Write("still mine");
    held.v_Close();
    EXPECT_EQ(test::Utf16Bytes("still mine"), test::ReadBytes("held.txt"));
    EXPECT_EQ(test::Utf16Bytes("kept"), test::ReadBytes("ro.txt"));
    EXPECT_EQ(test::Utf16Bytes("kept"), test::ReadBytes("plain.txt"));
    EXPECT_EQ(4, Entries(scratch.Path())); // dir and the three files: no stray backup
    SetCurrentDirectoryA("..");
}
} // namespace
