// Catches a code thrown inside Common.dll and uses the library's strings, as
// any module of the add-on does.
#include <cstdio>

#include "CT_Errors.h"
#include "CT_Files.h"
#include "CT_String.h"

int main()
{
    CT_String co_text = CT_String("abc") + 42u;
    std::printf("text: %s\n", static_cast<char const *>(co_text));
    CT_String co_path("no such folder\\consumer.txt");
    try
    {
        CT_Files co_file;
        co_file.v_Open(co_path, CT_Files::e_Read, 0);
    }
    catch (et_ErrorCode e_code)
    {
        std::printf("caught: %d\n", static_cast<int>(e_code));
        std::printf("parameter: %s\n", static_cast<char const *>(CT_Errors::co_GetLastParameter()));
        std::printf("system error: %lu\n", CT_Errors::sn_GetSystemError());
        return e_code == e_FileOpen ? 0 : 1;
    }
    std::printf("nothing was thrown\n");
    return 1;
}
