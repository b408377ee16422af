// Helpers shared by the test programs. They use Win32 directly, so that what
// they observe does not depend on the classes under test.
#ifndef TEST_SUPPORT_H
#define TEST_SUPPORT_H

#include <windows.h>

#include <map>
#include <string>

namespace test
{
/// A fresh folder under the temporary folder, removed with its content.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(ScratchFolder const &) = delete;
    ScratchFolder &operator=(ScratchFolder const &) = delete;

    /// The folder's full path, without a closing backslash.
    std::string const &Path() const { return path_; }
    /// The full path of a name inside the folder.
    std::string File(std::string const &name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

/// A file's bytes, which the file must hold; and a file made with them.
std::string ReadBytes(std::string const &path);
void WriteBytes(std::string const &path, std::string const &bytes);
/// What lies at the path, seen without the library: "-" for nothing,
/// "<held N>" for N bytes no one else may read (a folder too), else the bytes.
std::string OnDisk(std::string const &path);
/// The files of a folder, each name with what OnDisk shows.
typedef std::map<std::string, std::string> Listing;
Listing ListFolder(std::string const &folder);
/// The bytes of a narrow text stored as 16-bit little-endian units.
std::string Units(std::string const &text);
/// Open handles of the process, counted by their values (see the source).
DWORD HandleCount();

} // namespace test

#endif
