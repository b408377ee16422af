// Rewrites a file with a backup as the add-on's modules do, and at the step
// the test names tells the test so through a named event. With "wait" it
// then sleeps until the test kills it there; without, it goes on into the
// next call, which the kill then cuts short somewhere inside.
// Usage: CrashChild <file> <event> <step> <wait> <cancel>
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "CT_Files.h"

namespace
{
// The new content, as the test rebuilds it: four chunks of this size.
unsigned int const n_ChunkBytes = 65536;
unsigned int const n_Chunks = 4;
HANDLE h_event;
int i_stop;
int b_wait;

void v_Step(int i_step)
{
    if (i_step != i_stop)
        return;
    SetEvent(h_event);
    if (b_wait)
        Sleep(INFINITE);
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 6)
        return 2;
    h_event = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    i_stop = std::atoi(argv[3]);
    b_wait = std::atoi(argv[4]);
    std::vector<char> co_new(n_ChunkBytes * n_Chunks);
    for (size_t n_at = 0; n_at < co_new.size(); ++n_at)
        co_new[n_at] = static_cast<char>(n_at * 13 + 5);
    CT_Files co_file;
    co_file.v_Open(CT_String(argv[1]), CT_Files::e_Read, 0);
    co_file.v_Close();
    co_file.v_SaveOldFile();
    v_Step(0); // backup made, original untouched
    co_file.v_Open(CT_String(argv[1]), CT_Files::e_Write, 1);
    v_Step(1); // original cut to length 0
    for (unsigned int n_chunk = 0; n_chunk < n_Chunks; ++n_chunk)
    {
        co_file.v_Write(co_new.data() + n_chunk * n_ChunkBytes, n_ChunkBytes);
        v_Step(2 + n_chunk); // the last one is just before the commit or roll back
    }
    if (std::atoi(argv[5]))
        co_file.v_Cancel();
    else
        co_file.v_Close();
    v_Step(2 + n_Chunks);
    return 0;
}
