// Kills a child process at each step of a save with backup (CrashChild.cpp)
// and checks that the old content or the whole new one can always be had.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace
{
typedef std::vector<unsigned char> Bytes;
// As CrashChild writes it. The old content is larger, so a cut is visible,
// and large enough that copying it takes the kill a while to miss.
size_t const kNewSize = 4 * 65536;
size_t const kOldSize = 4 << 20;
int const kAfterCommit = 6;
DWORD const kDelaysMs[] = {0, 1, 2, 4, 8, 16, 32, 64};

Bytes Pattern(size_t size, unsigned factor, unsigned offset)
{
    Bytes bytes(size);
    for (size_t at = 0; at < size; ++at)
        bytes[at] = static_cast<unsigned char>(at * factor + offset);
    return bytes;
}

std::string ChildExe()
{
    char exe[MAX_PATH] = {0};
    GetModuleFileNameA(NULL, exe, MAX_PATH);
    std::string path = exe;
    return path.substr(0, path.find_last_of('\\') + 1) + "CrashChild.exe";
}

class FilesCrashTest : public testing::Test
{
protected:
    void SetUp() override { event_ = CreateEventA(NULL, TRUE, FALSE, eventName_.c_str()); }
    void TearDown() override
    {
        CloseHandle(event_);
        std::printf("crash points tried %d, survived %d\n", tried_, survived_);
    }

    // Starts the child on a fresh old file and kills it at the step, right
    // there when it waits, else the delay after it went on.
    void KillAt(int step, int wait, int cancel, DWORD delay)
    {
        test::WriteBytes(file_, oldBytes_);
        DeleteFileA((file_ + ".old").c_str());
        ResetEvent(event_);
        std::string command = "\"" + ChildExe() + "\" \"" + file_ + "\" " + eventName_ + " " +
                              std::to_string(step) + " " + std::to_string(wait) + " " + std::to_string(cancel);
        STARTUPINFOA startup = {sizeof startup};
        PROCESS_INFORMATION child = {};
        ASSERT_TRUE(CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &child));
        HANDLE const both[2] = {event_, child.hProcess};
        EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, both, FALSE, 60000)) << command;
        Sleep(delay);
        TerminateProcess(child.hProcess, 9);
        WaitForSingleObject(child.hProcess, INFINITE);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        ++tried_;
    }

    Bytes Read(std::string const &path) const { return test::FileExists(path) ? test::ReadBytes(path) : Bytes(); }

    // The old content whole in the file or its backup, or the new one whole.
    void ExpectRecoverable(int step, int cancel, DWORD delay)
    {
        Bytes const now = Read(file_);
        bool const ok = now == oldBytes_ || now == newBytes_ || Read(file_ + ".old") == oldBytes_;
        EXPECT_TRUE(ok) << "step " << step << " cancel " << cancel << " delay " << delay << ": " << now.size();
        survived_ += ok;
    }

    test::ScratchFolder scratch_;
    std::string const file_ = scratch_.File("doc.txt");
    std::string const eventName_ = "CommonCrashStep" + std::to_string(GetCurrentProcessId());
    Bytes const oldBytes_ = Pattern(kOldSize, 7, 1);
    Bytes const newBytes_ = Pattern(kNewSize, 13, 5);
    HANDLE event_ = NULL;
    int tried_ = 0;
    int survived_ = 0;
};

TEST_F(FilesCrashTest, KillAtEachStepLeavesOldOrNewContent)
{
    for (int cancel = 0; cancel < 2; ++cancel)
        for (int step = 0; step < kAfterCommit; ++step)
        {
            KillAt(step, 1, cancel, 0);
            ExpectRecoverable(step, cancel, 0);
        }
}

TEST_F(FilesCrashTest, KillInsideOpenCommitAndRollBackLeavesOldOrNewContent)
{
    int const racedSteps[] = {0, kAfterCommit - 1};
    for (int cancel = 0; cancel < 2; ++cancel)
        for (int step : racedSteps)
            for (DWORD delay : kDelaysMs)
            {
                KillAt(step, 0, cancel, delay);
                ExpectRecoverable(step, cancel, delay);
            }
}

TEST_F(FilesCrashTest, CommitKeepsNewAndRollBackRestoresOld)
{
    for (int cancel = 0; cancel < 2; ++cancel)
    {
        KillAt(kAfterCommit, 1, cancel, 0);
        ExpectRecoverable(kAfterCommit, cancel, 0);
        EXPECT_TRUE(Read(file_) == (cancel ? oldBytes_ : newBytes_)) << cancel;
        EXPECT_FALSE(test::FileExists(file_ + ".old")) << cancel;
    }
}
} // namespace
