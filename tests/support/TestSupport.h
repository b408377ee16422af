// Helpers shared by the test programs. They use Win32 directly, so that what
// they observe does not depend on the classes under test.
#ifndef TEST_SUPPORT_H
#define TEST_SUPPORT_H

#include <windows.h>

#include <map>
#include <string>
#include <thread>

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
/// "<folder>", "<held N>" for N bytes no one else may read, else the bytes.
std::string OnDisk(std::string const &path);
/// The files of a folder, each name with what OnDisk shows.
typedef std::map<std::string, std::string> Listing;
Listing ListFolder(std::string const &folder);
/// The bytes of a narrow text stored as 16-bit little-endian units.
std::string Units(std::string const &text);
/// Open handles of the process, counted by their values (see the source).
DWORD HandleCount();

/// Waits for a visible top-level window of this process with that title, or
/// null after the timeout.
HWND WaitForWindow(char const *title, DWORD timeout_ms);
std::string WindowText(HWND window);
/// Clicks the button with that control ID, as a user would.
void PressButton(HWND dialog, int id);

/// Runs an action on a helper thread while the test thread shows a modal box.
/// The action writes into the test's objects until it returns, so the test
/// goes on only once it has: the thread is joined, however long it takes.
struct Driver
{
    typedef void (*Action)(void *context);
    Driver(Action action, void *context) : thread(action, context) {}
    ~Driver() { thread.join(); }
    std::thread thread;
};
} // namespace test

#endif
