// Wine's own save dialog with no library code: the 76-byte structure and the
// flags the library uses, cancelled by a helper thread once it shows. Under
// qemu-i386 the dialog is now and then created but never shown: its thread
// stays blocked after the drive query. This program shows that the hang is
// not the library's; run it a few times where 32-bit programs are emulated.
#include <windows.h>

#include <commdlg.h>

#include <cstdio>

namespace
{
DWORD WINAPI CancelWhenShown(LPVOID)
{
    for (DWORD const start = GetTickCount();; Sleep(50))
    {
        HWND const dialog = FindWindowA(nullptr, "Probe");
        if (dialog && IsWindowVisible(dialog))
        {
            std::printf("shown after %lu ms\n", GetTickCount() - start);
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return 0;
        }
    }
}
} // namespace

int main()
{
    char file[256] = "a.txt";
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.lpstrFilter = "Text (*.txt)\0*.txt\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrTitle = "Probe";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_SHOWHELP;
    HANDLE const helper = CreateThread(nullptr, 0, CancelWhenShown, nullptr, 0, nullptr);
    BOOL const chosen = GetSaveFileNameA(&dialog);
    WaitForSingleObject(helper, INFINITE);
    CloseHandle(helper);
    std::printf("cancelled: %s\n", !chosen && CommDlgExtendedError() == 0 ? "yes" : "no");
    return chosen ? 1 : 0;
}
