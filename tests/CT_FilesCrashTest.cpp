// Kills a child process (CrashChild.cpp) at each step of a save with backup:
// the old content or the new one must always be had whole.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace
{
using test::Bytes;
// The child writes four chunks of 64 KiB. The old content is larger, so a cut
// shows, and copying it takes long enough for the kills to land inside.
Bytes const kNew(4 * 65536, 'n');
Bytes const kOld(4 << 20, 'o');
int const kAfterCommit = 6;
DWORD const kDelaysMs[] = {0, 1, 2, 4, 8, 16, 32, 64};
std::string const kEvent = "CommonCrashStep" + std::to_string(GetCurrentProcessId());
// Auto-reset: each wait takes the child's one signal.
HANDLE const kReady = CreateEventA(NULL, FALSE, FALSE, kEvent.c_str());

// Runs the child on the old content and kills it at the step: right there when
// it waits, else the delay (ms) after it went on. Then the old content must be
// whole in the file or its backup, or the new one whole in the file.
void KillAt(std::string const &file, int step, int wait, int cancel, DWORD delay)
{
    test::WriteBytes(file, kOld);
    DeleteFileA((file + ".old").c_str());
    std::string command = "CrashChild.exe \"" + file + "\" " + kEvent + " " + std::to_string(step) + " " +
                          std::to_string(wait) + " " + std::to_string(cancel);
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &child));
    HANDLE const both[2] = {kReady, child.hProcess};
    // Generous: an emulated 32-bit child takes about a minute to start.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, both, FALSE, 300000)) << command;
    Sleep(delay);
    TerminateProcess(child.hProcess, 9);
    WaitForSingleObject(child.hProcess, INFINITE);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    EXPECT_TRUE(test::BytesIfAny(file) == kOld || test::BytesIfAny(file) == kNew ||
                test::BytesIfAny(file + ".old") == kOld)
        << command << " +" << delay;
}

// Where each child start costs a minute (32-bit programs emulated), the runner
// asks for one kill in each state the disk passes through: backup made, file
// cut, partly written, all written, committed; and for the roll back, all
// written and rolled back (before that, both saves are the same). The middle
// writes and the timed kills repeat those states.
bool OneKillPerState()
{
    char const *points = std::getenv("COMMON_CRASH_POINTS");
    return points && std::string(points) == "states";
}

bool KillsAt(bool reduced, int cancel, int step)
{
    if (!reduced)
        return true;
    bool const same_for_both = step == 0 || step == 1 || step == 3;
    return step >= kAfterCommit - 1 || (same_for_both && !cancel);
}

TEST(CT_FilesCrash, AKillAtAnyStepOfASaveLeavesTheOldOrTheNewContentWhole)
{
    test::ScratchFolder scratch;
    std::string const file = scratch.File("doc.txt");
    bool const reduced = OneKillPerState();
    for (int cancel = 0; cancel < 2; ++cancel)
    {
        for (int step = 0; step <= kAfterCommit; ++step)
            if (KillsAt(reduced, cancel, step))
                KillAt(file, step, 1, cancel, 0);
        // Killed after the commit or the roll back: only the outcome is left.
        EXPECT_TRUE(test::BytesIfAny(file) == (cancel ? kOld : kNew) && !test::FileExists(file + ".old")) << cancel;
        if (reduced)
            continue;
        // Kills inside the open that backs up and cuts, and inside the commit or roll back.
        for (DWORD delay : kDelaysMs)
        {
            KillAt(file, 0, 0, cancel, delay);
            KillAt(file, kAfterCommit - 1, 0, cancel, delay);
        }
    }
}
} // namespace
