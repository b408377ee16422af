#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace test
{
// Process ids come back in a reused Wine server, so the tick count keeps a
// leftover folder of an earlier run from being taken for a fresh one.
ScratchFolder::ScratchFolder()
{
    static unsigned counter = 0;
    char temp[MAX_PATH + 1] = {0};
    GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + "common-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
    if (!CreateDirectoryA(path_.c_str(), nullptr))
        ADD_FAILURE() << "cannot create " << path_;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadBytes(std::string const &path)
{
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file) << "cannot read " << path;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteBytes(std::string const &path, std::string const &bytes)
{
    EXPECT_TRUE(std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size())) << "cannot write " << path;
}

std::string OnDisk(std::string const &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return "-";
    HANDLE const probe =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return "<held " + std::to_string(data.nFileSizeLow) + ">";
    CloseHandle(probe);
    return ReadBytes(path);
}

Listing ListFolder(std::string const &folder)
{
    Listing listing;
    for (auto const &entry : std::filesystem::directory_iterator(folder))
        if (!entry.is_directory())
            listing[entry.path().filename().string()] = OnDisk(entry.path().string());
    return listing;
}

std::string Units(std::string const &text)
{
    std::string units;
    for (char c : text)
        units += std::string{c, 0};
    return units;
}

// Wine's GetProcessHandleCount reports 0, so the valid handle values below
// this bound are counted instead: a leaked handle takes the lowest free value.
DWORD HandleCount()
{
    ULONG_PTR const kHandleValueBound = 0x1000;
    DWORD count = 0, flags = 0;
    for (ULONG_PTR value = 4; value < kHandleValueBound; value += 4)
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    return count;
}

} // namespace test
