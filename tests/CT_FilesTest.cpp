// CT_Files as a module sees it: what lies on disk after each call, under
// failures and crashes too, read without the class.
#include "CT_Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>

#include "CT_Errors.h"
#include "CT_LogStream.h"
#include "Routes.h"
#include "TestSupport.h"

namespace
{
// What lies at the path, seen without the class: "-" for nothing, "<folder>",
// "<held>" for a file no one else may read, else its bytes.
std::string OnDisk(std::string const &path)
{
    DWORD const attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return "-";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return "<folder>";
    HANDLE const probe = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return "<held>";
    CloseHandle(probe);
    test::Bytes const bytes = test::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

CT_Files::et_OpenMode const R = CT_Files::e_Read, W = CT_Files::e_Write;
typedef std::map<std::string, std::string> Listing; // file name to OnDisk

Listing ListFolder(std::string const &folder)
{
    Listing listing;
    WIN32_FIND_DATAA entry;
    HANDLE const search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &entry))
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            listing[entry.cFileName] = OnDisk(folder + "\\" + entry.cFileName);
    FindClose(search);
    return listing;
}

std::string Units(std::string const &text)
{
    test::Bytes const bytes = test::Utf16Bytes(text);
    return std::string(bytes.begin(), bytes.end());
}

// The destructor of an object reached by an exception that was not in flight at its open.
void DestroyWhileThrowing(std::optional<CT_Files> &file)
{
    struct Destroy
    {
        std::optional<CT_Files> &file;
        ~Destroy() { file.reset(); }
    };
    try
    {
        Destroy destroy{file};
        throw 0;
    }
    catch (int)
    {
    }
}

// A random sequence of calls on doc.txt, from a folder holding it absent, whole or cut short and its ".old" absent,
// older or whole; some calls fail once, some from a point on (a crash there, when system calls fail), and now and then
// another program reads doc.txt during an open. After each call the folder is checked against a model of what it must
// hold: every content found there survives, whole, in some file, until a committed save of doc.txt replaces it or the
// caller cuts or deletes the file (the promise of CT_Files.h); then no copy of it need survive. Where a call met no
// failure, the folder is also exactly what the design makes of it.
class SafeSaveSequence
{
public:
    explicit SafeSaveSequence(unsigned seed) : random_(seed)
    {
        char const *const files[] = {nullptr, "whole", "who"}, *const olds[] = {nullptr, "older", "whole"};
        if (char const *content = files[random_() % 3])
            test::WriteBytes(doc_, test::Bytes(content, content + std::strlen(content)));
        if (char const *content = olds[random_() % 3])
            test::WriteBytes(doc_ + ".old", test::Bytes(content, content + std::strlen(content)));
        // A copy names the path and starts closed: every object of the sequence is one.
        test::Outcome([&] { named_.v_Open(doc_.c_str(), CT_Files::e_Read, 0); });
        named_.v_Close();
        file_.emplace(named_);
        before_ = ListFolder(folder_.Path());
        Check();
    }

    // One call; "" when the folder then holds what it must, else what is wrong.
    std::string Step(int step)
    {
        before_ = ListFolder(folder_.Path());
        exact_ = committed_ = false;
        log_.clear();
        text_ = "n" + std::to_string(step);
        test::failure = test::Failure();
        if (random_() % 4 == 0)
        {
            test::failure.kind = test::Kind(random_() % 3);
            test::failure.point = 1 + random_() % 10;
            test::failure.persistent = random_() % 3 == 0;
        }
        switch (mode_ != kClosed ? 5 + random_() % 8 : random_() % 12)
        {
        case 0:
        case 1:
            Open(true, true);
            break;
        case 2:
            Open(true, random_() % 2);
            break;
        case 3:
            Open(false, random_() % 2);
            break;
        case 4:
            SaveLog();
            break;
        case 5:
        {
            std::string const outcome = Run([&] { file_->v_SaveOldFile(); });
            Did("save-old", outcome);
            if (mode_ == kClosed) // a fresh backup replaces one held
                held_ = outcome == "done" && Doc(before_) != "-", protected_ = Doc(before_);
            disturbed_ = disturbed_ || Failed();
            break;
        }
        case 6:
        case 7:
        case 8:
            Write(random_() % 2);
            break;
        case 9:
            Did("close", Run([&] { file_->v_Close(); }));
            Commit();
            break;
        case 10:
            Did("cancel", Run([&] { file_->v_Cancel(); }));
            Cancel();
            break;
        case 11:
            Delete();
            break;
        default:
            Destroy(random_() % 2);
        }
        if (test::failure.kind == test::kSystemCall && test::failure.persistent && Failed())
            Crash();
        return Check();
    }

    std::string trail;

private:
    void Open(bool writing, bool backup)
    {
        std::string const doc = Doc(before_);
        HANDLE const reader = random_() % 4 ? INVALID_HANDLE_VALUE
                                            : CreateFileA(doc_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                          OPEN_EXISTING, 0, nullptr);
        std::string const outcome = Run([&] { file_->v_Open(doc_.c_str(), writing ? W : R, backup); });
        CloseHandle(reader);
        Did(std::string(writing ? "write" : "read") + (backup ? "+backup" : "") + (reader != INVALID_HANDLE_VALUE ? " (held)" : ""), outcome);
        disturbed_ = disturbed_ || Failed(); // until it is closed, the object may differ from the model
        if (outcome != "done" && backup && held_)
            held_ = !Failed(), protected_ = doc; // a fresh backup is kept, if one could be made
        if (outcome != "done")
            return disturbed_ ? void() : Expect(doc, held_ ? protected_ : Doc(before_, ".old")); // doc untouched
        mode_ = writing ? kWriting : kReading;
        broken_ = false;
        at_open_ = doc;
        written_.clear();
        // The flag backs up a present file afresh, for reading only where no ".old" of another is in the way.
        if (backup && (writing || held_ || Doc(before_, ".old") == "-"))
            held_ = doc != "-", protected_ = doc;
        if (writing && !(held_ && protected_ == doc))
            Release(doc); // cut without a backup of it, as the caller asked
    }

    void Write(bool line)
    {
        CT_String const argument(text_.c_str()); // made before: only the library's own failures count
        std::string const outcome = Run([&] { line ? file_->v_Writeln(argument) : file_->v_Write(argument); });
        Did(line ? "writeln" : "write", outcome);
        if (mode_ == kWriting && outcome == "done")
            written_ += Units(line ? text_ + "\r\n" : text_);
        broken_ = broken_ || (mode_ == kWriting && outcome != "done");
        disturbed_ = disturbed_ || Failed();
        if (mode_ != kWriting && !Failed())
            Expect(Doc(before_), Doc(before_, ".old")); // raises 18, touches nothing
    }

    // After v_Close, or the destructor with no exception passing: the backup goes once the new content is whole on disk.
    void Commit()
    {
        committed_ = mode_ == kWriting && held_ && !broken_;
        if (!broken_ && !disturbed_ && !Failed())
            Expect(mode_ == kWriting ? written_ : mode_ == kReading ? at_open_ : Doc(before_),
                   held_ ? "-" : Doc(before_, ".old"));
        Reset();
    }

    void Cancel()
    {
        std::string const spared = mode_ == kReading ? at_open_ : Doc(before_);
        if (!disturbed_ && !Failed())
            Expect(mode_ != kWriting ? spared : held_ ? protected_ : "-", held_ ? "-" : Doc(before_, ".old"));
        Reset();
    }

    void Delete()
    {
        std::string const doc = mode_ == kReading ? at_open_ : Doc(before_);
        Did("delete", Run([&] { file_->v_Delete(); }));
        Commit();
        Release(doc);
        expected_.erase("doc.txt");
    }

    void Destroy(bool throwing)
    {
        Did(throwing ? "destroy-throwing" : "destroy",
            Run([&] { throwing ? DestroyWhileThrowing(file_) : file_.reset(); }));
        file_.emplace(named_);
        throwing ? Reset() : Commit();
    }

    // The object goes with its calls still failing, so that nothing of it reaches the disk.
    void Crash()
    {
        trail += "(crash) ";
        test::armed = true;
        file_.reset();
        test::armed = false;
        file_.emplace(named_);
        Reset();
    }

    void SaveLog()
    {
        CT_LogStream log;
        log << CT_String(text_.c_str());
        std::string const outcome = Run([&] { log.v_Save(doc_.c_str()); });
        Did("log", outcome);
        log_ = Units(text_ + "\r\n");
        if (!Failed())
            Expect(outcome == "done" ? log_ : Doc(before_), Doc(before_, ".old"));
    }

    std::string Check()
    {
        Listing const now = ListFolder(folder_.Path());
        if (!log_.empty() && Doc(now) == log_)
            Release(Doc(before_)); // replaced by a whole log
        if (committed_ && Doc(now, ".old") == "-")
            Release(protected_); // replaced by a committed save
        std::multiset<std::string> found;
        for (auto const &file : now)
            if (!IsScratch(file.first))
                found.insert(file.second);
        if (mode_ == kReading)
            found.insert(at_open_); // held, so not read, but not written either
        std::string problems;
        for (std::string const &content : must_)
            if (!found.count(content))
                problems += " lost \"" + content + "\";";
        Listing all = now;
        all.insert(expected_.begin(), expected_.end());
        for (auto const &file : all)
            if (exact_ && !IsScratch(file.first) && Find(now, file.first) != Find(expected_, file.first))
                problems += " " + file.first + " is \"" + Find(now, file.first) + "\", not \"" +
                            Find(expected_, file.first) + "\";";
        for (std::string const &content : found)
            if (!must_.count(content) && !released_.count(content) && !content.empty() && content != "<held>")
                must_.insert(content);
        return problems;
    }

    // A partial copy (name.tmp), never read: a crash may leave one.
    static bool IsScratch(std::string const &name) { return name.size() > 4 && name.substr(name.size() - 4) == ".tmp"; }
    static std::string Find(Listing const &folder, std::string const &name)
    {
        auto const file = folder.find(name);
        return file == folder.end() ? "-" : file->second;
    }
    static std::string Doc(Listing const &folder, std::string const &ending = "")
    {
        return Find(folder, "doc.txt" + ending);
    }

    // The folder as it was before the call, with doc.txt and doc.txt.old as given ("-": none).
    void Expect(std::string const &doc, std::string const &old)
    {
        exact_ = true;
        expected_ = before_;
        expected_["doc.txt"] = doc;
        expected_["doc.txt.old"] = old;
        for (char const *name : {"doc.txt", "doc.txt.old"})
            if (expected_[name] == "-")
                expected_.erase(name);
    }

    void Release(std::string const &content)
    {
        auto const token = must_.find(content);
        if (token != must_.end())
            must_.erase(token);
        released_.insert(content); // no copy of it need survive either
    }

    void Reset()
    {
        mode_ = kClosed;
        held_ = broken_ = disturbed_ = false;
    }

    std::string Run(std::function<void()> const &call)
    {
        test::armed = true;
        std::string const outcome = test::Outcome(call);
        test::armed = false;
        return outcome;
    }
    void Did(std::string const &call, std::string const &outcome)
    {
        trail += call + (outcome == "done" ? " " : " [" + outcome.substr(0, outcome.find(' ', 5)) + "] ");
    }
    static bool Failed() { return test::failure.failed > 0; }

    std::minstd_rand random_;
    test::ScratchFolder folder_;
    std::string const doc_ = folder_.File("doc.txt");
    CT_Files named_;
    std::optional<CT_Files> file_;
    std::string text_;
    Listing before_, expected_;
    bool exact_ = false;     // the call met no failure: the folder must be expected_
    bool committed_ = false; // the call may have committed a save of protected_
    std::multiset<std::string> must_;
    std::set<std::string> released_;
    enum Mode { kClosed, kReading, kWriting } mode_ = kClosed;
    bool held_ = false;      // a backup protects the content at the open
    bool broken_ = false;    // a write failed since the open: no commit
    bool disturbed_ = false; // some call failed since the open: the result may differ from the design's
    std::string protected_;  // the content the backup protects
    std::string at_open_;    // doc.txt at the open
    std::string written_;    // the units written since
    std::string log_;        // what a log saved over doc.txt holds
};

TEST(CT_FilesSafeSave, NoSequenceOfCallsFailuresOrCrashesLosesTheLastWholeCopyOfAnyContent)
{
    test::RouteImports();
    char const *const rerun = std::getenv("COMMON_SEED");
    for (int step = 0; step < 16; ++step)
        SafeSaveSequence(0).Step(step); // the platform keeps handles it opens at some first calls
    DWORD const handles = test::HandleCount();
    for (unsigned seed = rerun ? std::stoul(rerun) : 1; seed <= (rerun ? std::stoul(rerun) : 300); ++seed)
    {
        SafeSaveSequence sequence(seed);
        for (int step = 0; step < 16; ++step)
            ASSERT_EQ("", sequence.Step(step)) << "seed " << seed << " (COMMON_SEED reruns it): " << sequence.trail;
    }
    EXPECT_EQ(handles, test::HandleCount()) << "handles leaked";
}
} // namespace
