// Repeats each kind of use many times and checks that the process holds no
// more handles, and the temporary folder no more entries, than after the first.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "CT_Errors.h"
#include "CT_Files.h"
#include "CT_ResString.h"
#include "TestSupport.h"

namespace
{
// A leak of one handle or file per use shows after any number of rounds;
// saves with backup flush twice, so they get fewer.
int const kRounds = 10000;
int const kSaveRounds = 500;
// Wine's GetProcessHandleCount reports 0: there the valid handle values
// below this bound are counted instead (Wine hands out the lowest free one).
ULONG_PTR const kHandleValueBound = 0x10000;
std::string scratchFile;

void OpenAndClose()
{
    CT_Files file;
    file.v_Open(CT_String(scratchFile.c_str()), CT_Files::e_Write, 0);
    file.v_Close();
}

void TemporaryFile()
{
    CT_Files file;
    file.v_Open();
    file.v_Delete();
}

void FailedOpen()
{
    CT_Files file;
    try
    {
        file.v_Open(CT_String((scratchFile + "-missing").c_str()), CT_Files::e_Read, 0);
    }
    catch (et_ErrorCode)
    {
    }
}

void Backup(int cancel)
{
    CT_Files file;
    file.v_Open(CT_String(scratchFile.c_str()), CT_Files::e_Write, 1);
    file.v_Write(CT_String("saved text"));
    cancel ? file.v_Cancel() : file.v_Close();
}

void BackupCommit() { Backup(0); }
void BackupRollBack() { Backup(1); }

void ResourceString()
{
    CT_ResString const text(GetModuleHandleA("Common.dll"), 1018, CT_String("%"));
    EXPECT_EQ(0, text.cco_Get(CT_String("x")).b_IsEmpty());
}

// Code 2 builds its message with the system's text of the last error.
void ErrorMessage()
{
    try
    {
        SetLastError(ERROR_FILE_NOT_FOUND);
        CT_Errors::v_ThrowError(e_Windows, "Leaks");
    }
    catch (et_ErrorCode)
    {
        EXPECT_EQ(0, CT_Errors::cco_GetLastError().b_IsEmpty());
    }
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

int TempEntries()
{
    char folder[MAX_PATH + 1] = {0};
    GetTempPathA(sizeof folder, folder);
    WIN32_FIND_DATAA entry;
    HANDLE const search = FindFirstFileA((std::string(folder) + "*").c_str(), &entry);
    int count = 0;
    while (search != INVALID_HANDLE_VALUE && ++count && FindNextFileA(search, &entry))
        ;
    FindClose(search);
    return count;
}

struct Use
{
    char const *name;
    void (*run)();
    int rounds;
};

Use const kUses[] = {{"open and close", OpenAndClose, kRounds},       {"temporary file", TemporaryFile, kRounds},
                     {"failed open", FailedOpen, kRounds},            {"backup commit", BackupCommit, kSaveRounds},
                     {"backup roll back", BackupRollBack, kSaveRounds}, {"resource string", ResourceString, kRounds},
                     {"error message", ErrorMessage, kRounds}};

TEST(LeaksTest, HandleCountSeesOneMoreHandle)
{
    DWORD const before = HandleCount();
    HANDLE const event = CreateEventA(NULL, TRUE, FALSE, NULL);
    EXPECT_EQ(before + 1, HandleCount());
    CloseHandle(event);
    EXPECT_EQ(before, HandleCount());
}

TEST(LeaksTest, RepeatedUseKeepsHandlesAndTemporaryFolder)
{
    test::ScratchFolder scratch;
    scratchFile = scratch.File("leak.txt");
    for (Use const &use : kUses)
    {
        use.run(); // first use: lazily loaded modules and buffers
        DWORD const handles = HandleCount();
        int const entries = TempEntries();
        DWORD const start = GetTickCount();
        for (int round = 0; round < use.rounds; ++round)
            use.run();
        std::printf("%-17s handles %lu -> %lu, temp entries %d -> %d, %lu ms\n", use.name, handles, HandleCount(),
                    entries, TempEntries(), GetTickCount() - start);
        EXPECT_EQ(handles, HandleCount()) << use.name;
        EXPECT_EQ(entries, TempEntries()) << use.name;
    }
}
} // namespace
