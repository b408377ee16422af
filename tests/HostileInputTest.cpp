// What a careless caller passes to the public operations: every call gives a
// result or the error it should and leaves no stray file; repeated, it leaks
// no handle and no temporary file.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <new>
#include <string>

#include "CT_Errors.h"
#include "CT_Files.h"
#include "CT_LogStream.h"
#include "CT_ResString.h"
#include "TestSupport.h"

namespace
{
std::string const k300(300, 'x');
std::string const k40k(40000, 'x');
// A leak of one handle or file per call shows after any number of rounds;
// calls that search, copy or flush files get fewer, to keep the run short.
int const kRounds = 10000;
int const kSlowRounds = 1000;
// Wine's GetProcessHandleCount reports 0: there the valid handle values below
// this bound are counted instead (Wine hands out the lowest free one).
ULONG_PTR const kHandleValueBound = 0x1000;
CT_Files held;
CT_Files data;
char buffer[8];

std::string T(CT_String const &text)
{
    return static_cast<char const *>(text);
}

template <class Call> std::string Done(Call call)
{
    call();
    return "done";
}

std::string Open(std::string const &path, CT_Files::et_OpenMode mode, int backup, int cancel = 0)
{
    CT_Files file;
    file.v_Open(path.c_str(), mode, backup);
    if (cancel)
        file.v_Cancel();
    return T(file.cco_GetFullPath());
}

// Whether the temporary file is still there after its v_Delete.
std::string Temporary()
{
    CT_Files file;
    file.v_Open();
    file.v_Delete();
    return std::to_string(test::FileExists(T(file.cco_GetFullPath())));
}

// The result, or what was raised, with long parameters given by their length.
std::string Outcome(std::string (*call)())
{
    try
    {
        return call();
    }
    catch (et_ErrorCode code)
    {
        CT_Errors::cco_GetLastError(); // the message, as a catcher would build it
        std::string const parameter = T(CT_Errors::co_GetLastParameter());
        return "code " + std::to_string(code) + " " + (parameter.size() > 64 ? std::to_string(parameter.size()) : parameter);
    }
    catch (std::bad_alloc const &)
    {
        return "bad_alloc";
    }
}

struct Case
{
    std::string (*call)();
    char const *expected;
    int rounds;
};

CT_Files::et_OpenMode const R = CT_Files::e_Read;
CT_Files::et_OpenMode const W = CT_Files::e_Write;

Case const kCases[] = {
    {[] { return Open("", W, 1); }, "code 17 ", kRounds},
    {[] { return Open(k300, W, 1); }, "code 17 300", kRounds},
    {[] { return Open(k40k, W, 1); }, "code 17 40000", kSlowRounds},
    {[] { return Open("a<b>.txt", W, 0); }, "code 17 a<b>.txt", kRounds},
    {[] { return Open("?", W, 1); }, "code 17 ?", kSlowRounds},
    {[] { return Open("*", W, 1); }, "code 17 *", kSlowRounds},
    {[] { return Open("NUL", W, 1); }, "NUL", kSlowRounds},
    {[] { return Open("dir", R, 0); }, "code 17 dir", kSlowRounds},
    {[] { return Open("dir", W, 1); }, "code 17 dir", kSlowRounds},
    {[] { return Open("held.txt", W, 1); }, "code 17 held.txt", kSlowRounds},
    {[] { return Open("ro.txt", R, 1); }, "ro.txt", kSlowRounds},
    {[] { return Open("plain.txt", W, 0); }, "plain.txt", kRounds},
    {[] { return Open("new.txt", W, 1); }, "new.txt", kSlowRounds},
    {[] { return Open("new.txt", W, 1, 1); }, "new.txt", kSlowRounds},
    {[] { return Done([] { CT_Files().v_Cancel(); }); }, "done", kRounds},
    {Temporary, "0", kRounds},
    {[] { return std::to_string(CT_Files::sb_Exist(k40k.c_str())); }, "0", kRounds},
    {[] { return T(CT_Files::sco_GetFileName("")); }, "code 2 GetFullPathName\r\n", kRounds},
    {[] { return T(CT_Files::sco_GetFileName(k300.c_str())); }, "code 2 GetFullPathName\r\n", kRounds},
    {[] { return Done([] { data.v_Seek(1000); }); }, "done", kRounds},
    {[] { return std::to_string(data.n_GetSeek()); }, "1000", kRounds},
    {[] { return Done([] { data.v_Read(buffer, 1); }); }, "code 19 data.txt", kRounds},
    {[] { return Done([] { data.v_Seek(0xFFFFFFFFu); }); }, "done", kRounds},
    {[] { return std::to_string(data.n_GetSeek()); }, "4294967295", kRounds},
    {[] { return Done([] { data.v_MoveUntil(k40k.c_str()); }); }, "code 19 data.txt", kSlowRounds},
    {[] { return Done([] { CT_String().v_SetSize(0xFFFFFFFFu); }); }, "bad_alloc", kRounds},
    {[] { return T(CT_String("", 0xFFFFFFFFu)); }, "bad_alloc", kRounds},
    {[] { return T(CT_String("abc").co_GetMid(INT_MAX, INT_MAX)); }, "", kRounds},
    {[] { return std::to_string(CT_String("abc").i_Search("c", INT_MIN)); }, "-1", kRounds},
    {[] { return T(CT_ResString(GetModuleHandleA("Common.dll"), UINT_MAX, "%").cco_Get()); }, "code 2 CT_String::v_Load", kRounds},
    {[] { return T(CT_ResString(reinterpret_cast<HINSTANCE>(16), 1000, "%").cco_Get()); }, "code 2 CT_String::v_Load", kRounds},
    {[] { return T(CT_ResString(GetModuleHandleA("Common.dll"), 1000, "").cco_Get("x")); }, "Error", kRounds},
    {[] { return Done([] { CT_Errors::v_ThrowError(e_Windows, k40k.c_str()); }); }, "code 2 40000", kSlowRounds},
    {[] { return Done([] { CT_LogStream().v_Save("dir"); }); }, "code 17 dir", kSlowRounds},
};

int Entries(std::string const &folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE const search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    int count = search != INVALID_HANDLE_VALUE ? 1 : 0;
    while (count != 0 && FindNextFileA(search, &entry))
        ++count;
    FindClose(search);
    return count;
}

DWORD HandleCount()
{
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0)
        return count;
    DWORD flags = 0;
    for (ULONG_PTR value = 4; value < kHandleValueBound; value += 4)
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    return count;
}

TEST(HostileInputTest, CarelessCallsGiveTheirResultAndLeakNothing)
{
    HANDLE const probe = CreateEventA(NULL, TRUE, FALSE, NULL);
    DWORD const base = HandleCount();
    CloseHandle(probe);
    EXPECT_EQ(base - 1, HandleCount()); // the count would show a leak
    test::ScratchFolder scratch;
    std::string const temp = scratch.Path() + "\\..";
    SetCurrentDirectoryA(scratch.Path().c_str());
    CreateDirectoryA("dir", NULL);
    test::WriteBytes("ro.txt", test::Utf16Bytes("kept"));
    SetFileAttributesA("ro.txt", FILE_ATTRIBUTE_READONLY);
    test::WriteBytes("data.txt", test::Utf16Bytes("abc"));
    held.v_Open("held.txt", W, 0);
    data.v_Open("data.txt", R, 0);
    for (Case const &each : kCases)
    {
        int const index = static_cast<int>(&each - kCases);
        EXPECT_EQ(each.expected, Outcome(each.call)) << "case " << index;
        DWORD const handles = HandleCount();
        int const entries = Entries(temp);
        for (int round = 1; round < each.rounds; ++round)
            Outcome(each.call);
        DWORD const handlesAfter = HandleCount();
        int const entriesAfter = Entries(temp);
        std::printf("case %d, %d rounds: handles %lu -> %lu, temporary folder entries %d -> %d\n", index, each.rounds,
                    handles, handlesAfter, entries, entriesAfter);
        EXPECT_EQ(handles, handlesAfter) << "case " << index;
        EXPECT_EQ(entries, entriesAfter) << "case " << index;
    }
    held.v_Write("still mine");
    held.v_Close();
    data.v_Close();
    EXPECT_EQ(test::Utf16Bytes("still mine"), test::ReadBytes("held.txt"));
    EXPECT_EQ(test::Utf16Bytes("kept"), test::ReadBytes("ro.txt"));
    EXPECT_EQ(8, Entries(scratch.Path())); // ".", "..", dir, ro.txt, data.txt, held.txt, plain.txt, new.txt
    SetCurrentDirectoryA("..");
}
} // namespace
