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

// What the folder must hold while doc.txt is rewritten. Every content found
// there survives, whole, in some file, until a committed save of doc.txt
// replaces it, or the caller cuts or deletes the file (the promise of
// CT_Files.h); then no copy of it need survive. Where a step met no failure, the files are also exactly what
// the design makes of them. The calls are told to it with their outcomes.
class SafeSaveModel
{
public:
    bool IsOpen() const { return mode_ != kClosed; }

    // Each step starts from the folder as it is.
    void Before(Listing const &folder)
    {
        before_ = folder;
        expected_.clear();
        exact_ = false;
        log_.clear();
    }

    void Opened(bool writing, bool backup, std::string const &outcome, bool failed)
    {
        std::string const doc = Doc(before_);
        named_ = outcome != "bad_alloc" ? kNamed : std::max(named_, kMaybeNamed); // it may have run out before
        if (outcome != "done")
            return failed ? void() : Expect(doc, Doc(before_, ".old")); // nothing was touched
        mode_ = writing ? kWriting : kReading;
        failed_ = false;
        disturbed_ = failed;
        at_open_ = doc;
        written_.clear();
        // A write open with the flag backs up a present file; a read open only where no ".old" is in the way.
        bool const backed_up = held_ || (backup && doc != "-" && (writing || Doc(before_, ".old") == "-"));
        if (writing && !backed_up)
            Release(doc); // cut without a backup, as the caller asked
        if (backed_up && !held_)
            held_ = true, protected_ = doc;
    }

    void Wrote(std::string const &units, std::string const &outcome, bool failed)
    {
        if (mode_ == kWriting && outcome == "done")
            written_ += units;
        failed_ = failed_ || (mode_ == kWriting && outcome != "done");
        disturbed_ = disturbed_ || failed;
        if (!failed && (mode_ == kWriting) != (outcome == "done") && outcome.compare(0, 7, "code 18") != 0)
            wrong_ = " a write gave " + outcome + ";";
        if (!failed && mode_ != kWriting)
            Expect(Doc(before_), Doc(before_, ".old"));
    }

    void SavedOld(std::string const &outcome, bool failed)
    {
        if (!failed && outcome != (IsOpen() ? "code 17 DOC" : "done"))
            wrong_ = " v_SaveOldFile gave " + outcome + ";";
        disturbed_ = disturbed_ || named_ == kMaybeNamed; // a backup may have been made
        if (named_ == kNamed && !IsOpen() && outcome == "done" && Doc(before_) != "-" && !held_)
            held_ = true, protected_ = Doc(before_);
    }

    // v_Close, or the destructor with no exception passing.
    void Committed(bool failed)
    {
        if (mode_ == kWriting && !failed && !failed_ && held_)
            Release(protected_);
        if (!failed && !failed_ && !disturbed_)
            Expect(mode_ == kWriting ? written_ : mode_ == kReading ? at_open_ : Doc(before_),
                   held_ ? "-" : Doc(before_, ".old"));
        Reset();
    }

    void RolledBack(bool failed)
    {
        std::string const spared = mode_ == kWriting ? "-" : mode_ == kReading ? at_open_ : Doc(before_);
        if (!failed && !disturbed_)
            Expect(held_ ? protected_ : spared, held_ ? "-" : Doc(before_, ".old"));
        Reset();
    }

    void Deleted(bool failed)
    {
        if (named_ != kUnnamed)
            Release(mode_ == kReading ? at_open_ : Doc(before_));
        Committed(failed);
        if (named_ == kNamed)
            expected_.erase("doc.txt");
        exact_ = exact_ && named_ != kMaybeNamed;
    }

    // The destructor while an exception passes, or a crash: no commit.
    void Abandoned() { Reset(); }
    // A new object, which names no file yet.
    void Renewed() { named_ = kUnnamed; }

    void LogSaved(std::string const &units, std::string const &outcome, bool failed)
    {
        log_ = units;
        if (!failed)
            Expect(outcome == "done" ? units : Doc(before_), Doc(before_, ".old"));
    }

    // "" when the folder holds what it must, else what is wrong. What it finds
    // must survive from then on.
    std::string Check(Listing const &now)
    {
        if (!log_.empty() && Doc(now) == log_)
            Release(Doc(before_)); // replaced by a whole log
        std::multiset<std::string> found;
        for (auto const &file : now)
            if (file.first.size() < 4 || file.first.compare(file.first.size() - 4, 4, ".tmp") != 0)
                found.insert(file.second);
        if (mode_ == kReading)
            found.insert(at_open_); // held, so not read, but not written either
        std::string problems = wrong_;
        for (std::string const &content : must_)
            if (!found.count(content))
                problems += " lost \"" + content + "\";";
        Listing all = now;
        all.insert(expected_.begin(), expected_.end());
        for (auto const &file : all)
            if (exact_ && Find(now, file.first) != Find(expected_, file.first))
                problems += " " + file.first + " is \"" + Find(now, file.first) + "\", not \"" +
                            Find(expected_, file.first) + "\";";
        for (std::string const &content : found)
            if (!must_.count(content) && !released_.count(content) && !content.empty() && content != "<held>")
                must_.insert(content);
        wrong_.clear();
        return problems;
    }

private:
    static std::string Find(Listing const &folder, std::string const &name)
    {
        auto const file = folder.find(name);
        return file == folder.end() ? "-" : file->second;
    }
    static std::string Doc(Listing const &folder, std::string const &ending = "")
    {
        return Find(folder, "doc.txt" + ending);
    }

    // The folder as it was before the step, with doc.txt and doc.txt.old as given ("-": none).
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
        released_.insert(content); // copies of it need not survive either
    }

    void Reset()
    {
        mode_ = kClosed;
        held_ = failed_ = disturbed_ = false;
    }

    enum Mode { kClosed, kReading, kWriting } mode_ = kClosed;
    bool held_ = false;     // a backup protects the content at the open
    bool failed_ = false;   // a write failed since the open: no commit
    bool disturbed_ = false; // some call failed since the open: the result may differ from the design's
    bool exact_ = false;    // the step met no failure: the folder must be expected_
    enum Naming { kUnnamed, kMaybeNamed, kNamed } named_ = kUnnamed; // whether the object names doc.txt
    std::string protected_; // that content
    std::string at_open_;   // doc.txt when it was opened
    std::string written_;   // the units written since
    std::string log_;       // what a log saved over doc.txt holds
    std::string wrong_;     // an outcome the design does not give
    std::multiset<std::string> must_;
    std::set<std::string> released_;
    Listing before_, expected_;
};
} // namespace

namespace
{
using Call = void (*)(std::optional<CT_Files> &file, std::string const &doc, std::string const &text);

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

// The call's outcome under the failure armed, with the document's path as DOC.
std::string Armed(std::string const &doc, std::function<void()> const &call)
{
    test::armed = true;
    std::string outcome = test::Outcome(call);
    test::armed = false;
    size_t const at = outcome.find(doc);
    return at == std::string::npos ? outcome : outcome.replace(at, doc.size(), "DOC");
}

std::string Seeds() { return std::getenv("COMMON_SEED") ? std::getenv("COMMON_SEED") : ""; }

// One random sequence: a folder holding doc.txt absent, whole or cut short and its ".old" absent, older or whole,
// then calls on one object at a time, some failing once, some from a point on (a crash there, when system calls
// fail), each checked against the model. Now and then another program reads doc.txt while it is opened: the open
// fails after its backup, as for a file the user may not change.
void RunSequence(unsigned seed, int steps)
{
    std::minstd_rand random(seed);
    test::ScratchFolder folder;
    std::string const doc = folder.File("doc.txt");
    char const *const files[] = {nullptr, "whole", "who"}, *const olds[] = {nullptr, "older", "whole"};
    if (char const *content = files[random() % 3])
        test::WriteBytes(doc, test::Bytes(content, content + std::strlen(content)));
    if (char const *content = olds[random() % 3])
        test::WriteBytes(doc + ".old", test::Bytes(content, content + std::strlen(content)));
    SafeSaveModel model;
    model.Before(ListFolder(folder.Path()));
    model.Check(ListFolder(folder.Path()));
    std::optional<CT_Files> file(std::in_place);
    std::string trail;
    for (int step = 0; step < steps; ++step)
    {
        model.Before(ListFolder(folder.Path()));
        test::failure = test::Failure();
        if (random() % 4 == 0)
        {
            test::failure.kind = test::Kind(random() % 3);
            test::failure.point = 1 + random() % 10;
            test::failure.persistent = random() % 3 == 0;
        }
        std::string const text = "n" + std::to_string(step);
        bool const open = model.IsOpen();
        int const call = open ? 6 + random() % 9 : random() % 13;
        std::string outcome = "done";
        switch (call)
        {
        case 0:
        case 1:
        case 2:
        case 3:
        {
            bool const writing = call != 3, backup = call < 2 || random() % 2;
            HANDLE const reader = random() % 4 ? INVALID_HANDLE_VALUE
                                               : CreateFileA(doc.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                             OPEN_EXISTING, 0, nullptr);
            outcome = Armed(doc, [&] { file->v_Open(doc.c_str(), writing ? CT_Files::e_Write : CT_Files::e_Read, backup); });
            CloseHandle(reader);
            trail += writing ? (backup ? "write+backup " : "write ") : (backup ? "read+backup " : "read ");
            model.Opened(writing, backup, outcome, test::failure.failed);
            break;
        }
        case 4:
        {
            CT_LogStream log;
            log << CT_String(text.c_str());
            outcome = Armed(doc, [&] { log.v_Save(doc.c_str()); });
            trail += "log ";
            model.LogSaved(Units(text + "\r\n"), outcome, test::failure.failed);
            break;
        }
        case 5:
        case 13:
            outcome = Armed(doc, [&] { file->v_SaveOldFile(); });
            trail += "save-old ";
            model.SavedOld(outcome, test::failure.failed);
            break;
        case 6:
        case 7:
        case 8:
        {
            bool const line = call == 8;
            outcome = Armed(doc, [&] { line ? file->v_Writeln(text.c_str()) : file->v_Write(text.c_str()); });
            trail += line ? "writeln " : "write-text ";
            model.Wrote(Units(line ? text + "\r\n" : text), outcome, test::failure.failed);
            break;
        }
        case 9:
            Armed(doc, [&] { file->v_Close(); });
            trail += "close ";
            model.Committed(test::failure.failed);
            break;
        case 10:
            Armed(doc, [&] { file->v_Cancel(); });
            trail += "cancel ";
            model.RolledBack(test::failure.failed);
            break;
        case 11:
            Armed(doc, [&] { file->v_Delete(); });
            trail += "delete ";
            model.Deleted(test::failure.failed);
            break;
        default:
            bool const throwing = random() % 2;
            Armed(doc, [&] { throwing ? DestroyWhileThrowing(file) : file.reset(); });
            file.emplace();
            trail += throwing ? "destroy-throwing " : "destroy ";
            throwing ? model.Abandoned() : model.Committed(test::failure.failed);
            model.Renewed();
        }
        // A crash: the object goes with its calls still failing, so nothing of it reaches the disk.
        if (test::failure.kind == test::kSystemCall && test::failure.persistent && test::failure.failed)
        {
            Armed(doc, [&] { file.reset(); });
            file.emplace();
            trail += "(crash) ";
            model.Abandoned();
            model.Renewed();
        }
        trail += outcome == "done" ? "" : "[" + outcome + "] ";
        std::string const problems = model.Check(ListFolder(folder.Path()));
        ASSERT_EQ("", problems) << "seed " << seed << " (COMMON_SEED=" << seed << " reruns it): " << trail;
    }
}

TEST(CT_FilesSafeSave, NoSequenceOfCallsFailuresOrCrashesLosesTheLastWholeCopyOfAnyContent)
{
    test::RouteImports();
    if (!Seeds().empty())
        return RunSequence(std::stoul(Seeds()), 16);
    RunSequence(0, 16); // the platform keeps handles it opens at some first calls
    DWORD const handles = test::HandleCount();
    unsigned seed = 1;
    for (; seed <= 300 && !HasFatalFailure(); ++seed)
        RunSequence(seed, 16);
    EXPECT_EQ(handles, test::HandleCount()) << "handles leaked in the " << seed - 1 << " sequences";
}
} // namespace
