// Rewrites a file with a backup as the add-on's modules do. At the step the
// test names it sets the test's event, then with "wait" sleeps until the test
// kills it there; without, it goes on into the next call, which the kill then
// cuts short somewhere inside.
// Usage: CrashChild <file> <event> <step> <wait> <cancel>
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "CT_Files.h"

int main(int argc, char **argv)
{
    if (argc != 6)
        return 2;
    HANDLE const h_event = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    std::vector<char> const co_chunk(65536, 'n'); // four of them make the new content
    CT_Files co_file;
    co_file.v_Open(argv[1], CT_Files::e_Read, 0);
    co_file.v_Close();
    co_file.v_SaveOldFile();
    // Steps: 0 backup made, 1 original cut, 2-4 partly written, 5 all written, 6 committed or rolled back.
    for (int i_step = 0; i_step <= 6; ++i_step)
    {
        if (i_step == std::atoi(argv[3]) && SetEvent(h_event) && std::atoi(argv[4]))
            Sleep(INFINITE);
        if (i_step == 0)
            co_file.v_Open(argv[1], CT_Files::e_Write, 1);
        else if (i_step <= 4)
            co_file.v_Write(co_chunk.data(), static_cast<unsigned int>(co_chunk.size()));
        else if (i_step == 5)
            std::atoi(argv[5]) ? co_file.v_Cancel() : co_file.v_Close();
    }
}
