#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace test
{
namespace
{
void RemoveTree(std::string const &folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
            {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

struct FindContext
{
    char const *title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM param)
{
    FindContext *context = reinterpret_cast<FindContext *>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window))
        return TRUE;
    if (WindowText(window) != context->title)
        return TRUE;
    context->found = window;
    return FALSE;
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM param)
{
    char name[64] = {0};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "Static") != 0)
        return TRUE;
    std::string text = WindowText(child);
    if (text.empty())
        return TRUE;
    std::string *all = reinterpret_cast<std::string *>(param);
    if (!all->empty())
        *all += '\n';
    *all += text;
    return TRUE;
}

DWORD WINAPI RunAction(LPVOID param)
{
    std::pair<Driver::Action, void *> *job = static_cast<std::pair<Driver::Action, void *> *>(param);
    job->first(job->second);
    delete job;
    return 0;
}
} // namespace

ScratchFolder::ScratchFolder()
{
    char temp[MAX_PATH + 1] = {0};
    GetTempPathA(sizeof temp, temp);
    static unsigned counter = 0;
    char name[64];
    std::snprintf(name, sizeof name, "common-test-%lu-%u", GetCurrentProcessId(), ++counter);
    path_ = std::string(temp) + name;
    RemoveTree(path_);
    if (!CreateDirectoryA(path_.c_str(), nullptr))
        ADD_FAILURE() << "cannot create " << path_;
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

std::vector<unsigned char> ReadBytes(std::string const &path)
{
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        ADD_FAILURE() << "cannot read " << path;
        return bytes;
    }
    unsigned char block[65536];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
        bytes.insert(bytes.end(), block, block + got);
    CloseHandle(file);
    return bytes;
}

void WriteBytes(std::string const &path, std::vector<unsigned char> const &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot write " << path;
    DWORD written = 0;
    if (!bytes.empty())
        EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    CloseHandle(file);
}

bool FileExists(std::string const &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<unsigned char> Utf16Bytes(std::string const &text)
{
    std::vector<unsigned char> bytes;
    for (unsigned char c : text)
    {
        bytes.push_back(c);
        bytes.push_back(0);
    }
    return bytes;
}

HWND WaitForWindow(char const *title, DWORD timeout_ms)
{
    DWORD start = GetTickCount();
    for (;;)
    {
        FindContext context = {title, nullptr};
        EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&context));
        if (context.found)
            return context.found;
        if (GetTickCount() - start > timeout_ms)
            return nullptr;
        Sleep(50);
    }
}

std::string WindowText(HWND window)
{
    char text[4096] = {0};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string StaticTexts(HWND window)
{
    std::string all;
    EnumChildWindows(window, CollectStatic, reinterpret_cast<LPARAM>(&all));
    return all;
}

void PressButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

Driver::Driver(Action action, void *context)
{
    thread_ = CreateThread(nullptr, 0, RunAction, new std::pair<Action, void *>(action, context), 0, nullptr);
}

Driver::~Driver()
{
    if (thread_)
    {
        WaitForSingleObject(thread_, 30000);
        CloseHandle(thread_);
    }
}
} // namespace test
