// CommonExample: the library as one of the add-on's modules uses it. It keeps a
// log, saves it, reads it back line by line, then walks the failure road.
//
//   CommonExample.exe          prints each step
//   CommonExample.exe --gui    also shows the error in the library's message box
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "CT_Errors.h"
#include "CT_Files.h"
#include "CT_LogStream.h"
#include "CT_String.h"

namespace
{
/// Room for the temporary folder: GetTempPathA gives at most MAX_PATH characters.
unsigned int const n_PathRoom = MAX_PATH + 1;

char const *p_Text(CT_String const &co_text)
{
    return static_cast<char const *>(co_text);
}

CT_String co_GetTempFolder()
{
    CT_String co_folder;
    co_folder.v_SetSize(n_PathRoom);
    if (GetTempPathA(n_PathRoom, co_folder) == 0)
        CT_Errors::v_ThrowError(e_Windows, "GetTempPath");
    return CT_String(co_folder);
}

void v_CollectLog(CT_LogStream &co_log)
{
    std::printf("Step 1: collecting the log \"%s\"\n", p_Text(co_log.cco_GetName()));
    co_log << CT_String("Run started ");
    co_log.v_PrintTime();
    co_log << co_log.cco_Eof();
    co_log << CT_String("Converted 3 documents") << co_log.cco_Eof();
    co_log << CT_String("Sent 2 files to the server") << co_log.cco_Eof();
    co_log.v_Separator();
    std::printf("%s", p_Text(co_log.cco_GetText()));
}

void v_SaveLog(CT_LogStream const &co_log, CT_String const &co_path)
{
    std::printf("Step 2: saving it to %s\n", p_Text(co_path));
    co_log.v_Save(co_path);
    std::printf("  saved, last error code %d\n", static_cast<int>(CT_Errors::set_GetLastError()));
}

void v_ReadBack(CT_String const &co_path)
{
    std::printf("Step 3: reading the lines back\n");
    CT_Files co_file;
    co_file.v_Open(co_path, CT_Files::e_Read, 0);
    CT_String co_line;
    CT_String const co_lineend("\r\n");
    unsigned int n_line = 0;
    try
    {
        for (;;)
        {
            co_file.v_ReadUntil(co_line, co_lineend);
            std::printf("  line %u: \"%s\"\n", ++n_line, p_Text(co_line));
        }
    }
    catch (et_ErrorCode e_code)
    {
        if (e_code != e_FileRead)
            throw;
        std::printf("  code %d after line %u: the end of the file\n", static_cast<int>(e_code), n_line);
    }
    CT_Errors::v_ResetError();
    co_file.v_Delete();
}

/// 1 when the save failed as it should: code 17 with the path.
int b_WalkFailureRoad(CT_LogStream const &co_log, CT_String const &co_path, int b_gui)
{
    std::printf("Step 4: saving into a folder that does not exist: %s\n", p_Text(co_path));
    try
    {
        co_log.v_Save(co_path);
    }
    catch (et_ErrorCode e_code)
    {
        std::printf("  caught error code %d\n", static_cast<int>(e_code));
        std::printf("  message: %s\n", p_Text(CT_Errors::cco_GetLastError()));
        if (b_gui)
            CT_Errors::v_DisplayError();
        else
            CT_Errors::v_ResetError();
        return e_code == e_FileOpen;
    }
    std::printf("  the save did not fail\n");
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    int b_gui = argc > 1 && std::strcmp(argv[1], "--gui") == 0;
    try
    {
        CT_String co_folder = co_GetTempFolder();
        CT_LogStream co_log;
        v_CollectLog(co_log);
        CT_String co_path = co_folder + "CommonExample.log";
        v_SaveLog(co_log, co_path);
        v_ReadBack(co_path);
        int b_asexpected = b_WalkFailureRoad(co_log, co_folder + "no such folder\\CommonExample.log", b_gui);
        std::printf(b_asexpected ? "Done.\n" : "The failure road went wrong.\n");
        return b_asexpected ? 0 : 1;
    }
    catch (et_ErrorCode e_code)
    {
        std::printf("Unexpected error code %d: %s\n", static_cast<int>(e_code), p_Text(CT_Errors::cco_GetLastError()));
        return 1;
    }
}
