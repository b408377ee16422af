// CT_Files as a module sees it: what lies on disk after each call, under
// failures and crashes too, read without the class.
#include "CT_Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <string>

#include "CT_Errors.h"
#include "CT_LogStream.h"
#include "ReadAhead.h"
#include "Routes.h"
#include "TestSupport.h"
#include "TextUnits.h"

namespace
{
CT_Files::et_OpenMode const R = CT_Files::e_Read, W = CT_Files::e_Write;
using test::Listing;
using test::OnDisk;
using test::Units;

// Destroys the object as it goes, reached by an exception, if one is thrown, that was not in flight at its open.
struct DestroyWhileThrowing
{
    std::optional<CT_Files> &file;
    ~DestroyWhileThrowing() { file.reset(); }
};

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
        char const *const files[] = {"-", "whole", "who"}, *const olds[] = {"-", "older", "whole"};
        before_ = {{"doc.txt", files[random_() % 3]}, {"doc.txt.old", olds[random_() % 3]}};
        for (auto const &file : before_)
            if (file.second != "-")
                test::WriteBytes(folder_.File(file.first), file.second);
        test::Outcome([&] { named_.v_Open(doc_.c_str(), R, 0); }); // each object is a copy: it names doc.txt, closed
        named_.v_Close();
        file_.emplace(named_);
        Check();
    }

    // One call; "" when the folder then holds what it must, else what is wrong.
    std::string Step(int step)
    {
        using S = SafeSaveSequence;
        static void (S::*const calls[])() = {&S::OpenToWrite, &S::OpenToWrite, &S::OpenToRead, &S::SaveLog,
                                             &S::SaveOld,     &S::Write,       &S::Write,      &S::Write,
                                             &S::Close,       &S::Cancel,      &S::Delete,     &S::Destroy};
        before_ = test::ListFolder(folder_.Path());
        exact_ = committed_ = false;
        log_.clear();
        text_ = "n" + std::to_string(step);
        test::journal.clear();
        bool const writing = mode_ == kWriting;
        test::failure = test::Failure();
        if (random_() % 4 == 0) // a failure, at the early calls more often
        {
            long const reach = 1 + random_() % 10;
            test::failure = {test::Kind(random_() % 3), 1 + long(random_() % reach), random_() % 3 == 0};
        }
        (this->*calls[mode_ != kClosed ? 4 + random_() % 8 : random_() % 12])();
        if (test::failure.kind == test::kSystemCall && test::failure.persistent && Failed())
        {
            Run("(crash)", [&] { file_.reset(); }); // the object goes with its calls failing: none reaches the disk
            file_.emplace(named_);
            Reset();
        }
        // What a write made redundant goes once the new content is flushed; a copy takes its name once flushed.
        size_t const flushed = test::journal.find("flush");
        bool const early =
            (writing && test::journal.find("delete doc.txt.old") < flushed) || test::journal.find(".tmp to ") < flushed;
        return Check() + (early ? " before a flush: " + test::journal : "");
    }

    std::string trail;

private:
    void OpenToWrite() { Open(true, random_() % 3 != 0); }
    void OpenToRead() { Open(false, random_() % 2); }
    void Open(bool writing, bool backup)
    {
        std::string const doc = Doc(before_);
        HANDLE const reader = random_() % 4 ? INVALID_HANDLE_VALUE
                                            : CreateFileA(doc_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                          OPEN_EXISTING, 0, nullptr);
        std::string const outcome = Run(std::string(writing ? "write" : "read") + (backup ? "+backup" : "") +
                                            (reader != INVALID_HANDLE_VALUE ? "+held" : ""),
                                        [&] { file_->v_Open(doc_.c_str(), writing ? W : R, backup); });
        CloseHandle(reader);
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

    void Write()
    {
        bool const line = random_() % 2;
        CT_String const text(text_.c_str()); // made before: only the library's own failures count
        std::string const outcome =
            Run(line ? "writeln" : "write", [&] { line ? file_->v_Writeln(text) : file_->v_Write(text); });
        if (mode_ == kWriting && outcome == "done")
            written_ += Units(line ? text_ + "\r\n" : text_);
        broken_ = broken_ || (mode_ == kWriting && outcome != "done");
        if (mode_ != kWriting && !Failed())
            Expect(Doc(before_), Doc(before_, ".old")); // raises 18, touches nothing
    }

    void SaveOld()
    {
        std::string const outcome = Run("save-old", [&] { file_->v_SaveOldFile(); });
        if (mode_ == kClosed) // a fresh backup replaces one held
            held_ = outcome == "done" && Doc(before_) != "-", protected_ = Doc(before_);
    }

    void Close()
    {
        Run("close", [&] { file_->v_Close(); });
        Commit();
    }

    // The backup goes once the new content is whole on disk, and only then.
    void Commit()
    {
        committed_ = mode_ == kWriting && held_ && !broken_;
        if (!broken_ && !disturbed_ && !Failed())
            Expect(mode_ == kWriting ? written_ : Current(), held_ ? "-" : Doc(before_, ".old"));
        Reset();
    }

    void Cancel()
    {
        Run("cancel", [&] { file_->v_Cancel(); });
        if (!disturbed_ && !Failed())
            Expect(mode_ != kWriting ? Current() : held_ ? protected_ : "-", held_ ? "-" : Doc(before_, ".old"));
        Reset();
    }

    void Delete()
    {
        std::string const doc = Current();
        Run("delete", [&] { file_->v_Delete(); });
        Commit();
        Release(doc);
        expected_["doc.txt"] = "-";
    }

    // Destroyed, destroyed by an exception, or assigned a copy of itself, which starts closed: the assignment
    // closes the original first.
    void Destroy()
    {
        int const how = random_() % 3;
        char const *const names[] = {"destroy", "destroy-throwing", "assign"};
        Run(names[how], [&] {
            if (how == 2)
                return void(*file_ = CT_Files(*file_));
            DestroyWhileThrowing destroy{file_};
            if (how == 1)
                throw e_Unknown;
        });
        file_.emplace(named_);
        how == 1 ? Reset() : Commit();
    }

    void SaveLog()
    {
        CT_LogStream log;
        log << CT_String(text_.c_str());
        std::string const outcome = Run("log", [&] { log.v_Save(doc_.c_str()); });
        log_ = Units(text_ + "\r\n");
        if (!Failed())
            Expect(outcome == "done" ? log_ : Doc(before_), Doc(before_, ".old"));
    }

    std::string Check()
    {
        Listing const now = test::ListFolder(folder_.Path());
        if (!log_.empty() && Doc(now) == log_)
            Release(Doc(before_)); // replaced by a whole log
        if (committed_ && Doc(now, ".old") == "-")
            Release(protected_);                                           // replaced by a committed save
        std::set<std::string> found = {mode_ == kReading ? at_open_ : ""}; // doc.txt held, but not written
        for (auto const &file : now)
            found.insert(IsScratch(file.first) ? "" : file.second);
        std::string problems;
        for (std::string const &content : must_)
            problems += found.count(content) ? "" : " lost \"" + content + "\";";
        Listing all = now;
        all.insert(expected_.begin(), expected_.end());
        for (auto const &file : all)
            if (exact_ && !IsScratch(file.first) && Find(now, file.first) != Find(expected_, file.first))
                problems += " " + file.first + " is \"" + Find(now, file.first) + "\", not \"" +
                            Find(expected_, file.first) + "\";";
        for (std::string const &content : found)
            if (!released_.count(content) && !content.empty() && content[0] != '<')
                must_.insert(content);
        return problems;
    }

    // A partial copy (name.tmp), never read: a crash may leave one.
    static bool IsScratch(std::string const &name) { return name.size() > 4 && name.substr(name.size() - 4) == ".tmp"; }
    static std::string Find(Listing const &in, std::string const &name) { return in.count(name) ? in.at(name) : "-"; }
    static std::string Doc(Listing const &in, std::string const &ending = "") { return Find(in, "doc.txt" + ending); }
    static bool Failed() { return test::failure.failed > 0; }
    // doc.txt as the object left it: at the open, when it only read.
    std::string Current() const { return mode_ == kReading ? at_open_ : Doc(before_); }

    // The folder as it was before the call, with doc.txt and doc.txt.old as given ("-": none).
    void Expect(std::string const &doc, std::string const &old)
    {
        exact_ = true;
        expected_ = before_;
        expected_["doc.txt"] = doc;
        expected_["doc.txt.old"] = old;
    }

    void Release(std::string const &content)
    {
        must_.erase(content);
        released_.insert(content); // no copy of it need survive either
    }

    void Reset()
    {
        mode_ = kClosed;
        held_ = broken_ = disturbed_ = false;
    }

    std::string Run(std::string const &call, std::function<void()> const &run)
    {
        test::armed = true;
        std::string const outcome = test::Outcome(run);
        test::armed = false;
        disturbed_ = disturbed_ || Failed(); // until it is closed, the object may differ from the model
        trail += call + (outcome == "done" ? " " : " [" + outcome.substr(0, outcome.find(' ', 5)) + "] ");
        return outcome;
    }

    std::minstd_rand random_;
    test::ScratchFolder folder_;
    std::string const doc_ = folder_.File("doc.txt");
    CT_Files named_;
    std::optional<CT_Files> file_;
    Listing before_, expected_;
    std::set<std::string> must_, released_;
    enum Mode
    {
        kClosed,
        kReading,
        kWriting
    } mode_ = kClosed;
    // exact_: the call met no failure, the folder must be expected_; committed_: the call may have committed a save
    // of protected_; held_: a backup protects protected_; broken_: a write failed since the open, so no commit;
    // disturbed_: some call failed since the open, so the result may differ from the design's.
    bool exact_ = false, committed_ = false, held_ = false, broken_ = false, disturbed_ = false;
    // The call's text, the content the backup protects, doc.txt at the open, the units written since, and what a log
    // saved over doc.txt holds.
    std::string text_, protected_, at_open_, written_, log_;
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

// The units from the position up to the first zero unit, narrowed as the C locale does; an odd last byte is a unit
// of its own.
std::string Narrowed(std::string const &model, size_t at, size_t to)
{
    std::string text;
    for (; at < to && (model[at] || (at + 1 < to && model[at + 1])); at += 2)
        text += at + 1 < to && model[at + 1] ? '?' : model[at];
    return text;
}

// Steps from random positions over a file of many read-ahead blocks: scans, counts, lines, reads, writes and seeks.
// Returns what each step gave and where it left the position, with "!" and the byte model's answer behind a step that
// differs from it. A step that meets a failure ends it: "reported: " and the read's outcome, or done where the position
// (n_GetSeek) tells it.
std::string RandomAccess(std::string const &path, int steps, unsigned seed)
{
    std::minstd_rand random(seed);
    std::string model = Units("a\r\r\n"); // "a\r" stored as CR CR LF: a scan for CR LF must end there
    while (model.size() < 30000)
        model.push_back("a\r\n"[random() % 4]);
    CT_Files file;
    file.v_Open(path.c_str(), CT_Files::et_OpenMode(R | W), 0);
    file.v_Write(model.data(), static_cast<unsigned int>(model.size()));
    file.v_Seek(0);
    std::string transcript;
    for (size_t at = 0; steps-- > 0;)
    {
        char const *const delimiters[] = {"\r\n", "a", "\r\n\r\n", "aa\r"};
        CT_String const delimiter(delimiters[random() % 4]);
        std::string const pattern = Units(static_cast<char const *>(delimiter));
        size_t const found = std::min(model.find(pattern, at), model.size());
        bool const there = found < model.size(), line = random() % 2;
        std::string buffer(1 + random() % 9000, 0), got, want;
        size_t const taken = std::min(buffer.size(), model.size() - at), written = 1 + buffer.size() % 5;
        CT_String text("none");
        std::string outcome = "done"; // of the read that may raise: 19 at the end of the file
        bool ends = false;
        switch (random() % 4)
        {
        case 0:
            got = there ? std::to_string(file.n_CountUntil(delimiter)) : "";
            outcome =
                test::Outcome([&] { line ? file.v_ReadUntil(text, delimiter) : file.v_MoveUntil(delimiter); }, path);
            ends = !there;
            got += " " + std::string(text);
            want =
                (there ? std::to_string(found - at) : "") + " " + (line && there ? Narrowed(model, at, found) : "none");
            at = std::min(found + pattern.size(), model.size());
            break;
        case 1:
            outcome = test::Outcome(
                [&] {
                    line ? file.v_Read(&buffer[0], static_cast<unsigned int>(buffer.size()))
                         : file.v_ReadUnicode(reinterpret_cast<unsigned short *>(&buffer[0]), buffer.size());
                },
                path);
            ends = taken == 0;
            got = model.compare(at, taken, buffer, 0, taken) ? " other bytes" : "";
            at += taken;
            break;
        case 2:
            file.v_Write("\r\0\n\0a", written);
            model.replace(at, std::min(written, model.size() - at), "\r\0\n\0a", written);
            at += written;
            break;
        default:
            at = random() % model.size();
            file.v_Seek(static_cast<unsigned int>(at));
        }
        // A failure is raised as the read's own, reported by the position, or passes unseen.
        unsigned int const position = file.n_GetSeek();
        if (test::failure.failed && (outcome != "done" || position == INVALID_SET_FILE_POINTER))
            return "reported: " + outcome;
        got += " " + outcome + " at " + std::to_string(position);
        want += (ends ? " code 19 DOC" : " done") + (" at " + std::to_string(at));
        transcript += got + (got == want ? "; " : " ! (" + want + "); ");
    }
    file.v_Close();
    return transcript + (test::ReadBytes(path) == model ? "the bytes" : "other bytes !");
}

TEST(CT_FilesRandomAccess, ScansReadsWritesAndSeeksMatchAByteModel)
{
    test::ScratchFolder folder;
    std::string const transcript = RandomAccess(folder.File("doc.txt"), 4000, 12345);
    size_t const wrong = transcript.find('!');
    EXPECT_EQ(std::string::npos, wrong) << transcript.substr(transcript.rfind("; ", wrong) + 2, 300);
}

TEST(CT_FilesRandomAccess, EachFailureIsRaisedOrLeavesEveryResultAsItWas)
{
    test::RouteImports();
    test::ScratchFolder folder;
    std::string const doc = folder.File("doc.txt");
    for (test::Kind kind : {test::kSystemCall, test::kAllocation, test::kShortWrite})
        test::UnderEveryFailure(
            kind, [] {}, [&] { return RandomAccess(doc, 40, 7); },
            [&](test::Run const &run) {
                EXPECT_EQ(std::string::npos, run.result.find('!')) << run.where << ": " << run.result;
                EXPECT_TRUE(run.result.find("reported: code") != 0 || run.result == "reported: code 19 DOC")
                    << "a read raised another code, " << run.where << ": " << run.result;
                EXPECT_TRUE(run.outcome == "done" || run.outcome == "bad_alloc" ||
                            run.outcome.find(" " + doc) == 7 && run.outcome.find_first_of("789") == 6)
                    << run.where;
            });
}

// A rewind may stand in cleanup code: a position the platform cannot set is raised by the next read or write.
TEST(CT_FilesRandomAccess, ASeekThatFailsRaisesNothingAndTheNextReadOrWriteRaisesItsCode)
{
    test::RouteImports();
    test::ScratchFolder folder;
    std::string const doc = folder.File("doc.txt");
    CT_Files file;
    file.v_Open(doc.c_str(), CT_Files::et_OpenMode(R | W), 0);
    file.v_Write("n", 1);
    test::failure = {test::kSystemCall, 1, false}; // the seek's one call
    test::armed = true;
    EXPECT_EQ("done", test::Outcome([&] { file.v_Seek(0); }));
    test::armed = false;
    char byte = 0;
    EXPECT_EQ(INVALID_SET_FILE_POINTER, file.n_GetSeek());
    EXPECT_EQ("code 19 DOC", test::Outcome([&] { file.v_Read(&byte, 1); }, doc));
    EXPECT_EQ("code 18 DOC", test::Outcome([&] { file.v_Write("n", 1); }, doc));
    file.v_Seek(0);
    file.v_Read(&byte, 1);
    EXPECT_EQ('n', byte);
}

// What a careless caller may pass: each open raises 17 with the path, but the device NUL opens, without a backup.
TEST(CT_FilesCalls, AHostilePathRaises17WithItOrOpensTheDeviceAndLeavesNoHandleNorFile)
{
    test::ScratchFolder folder;
    std::string const paths[] = {std::string(40000, 'x'), folder.File("a<b>.txt"), folder.Path(), "NUL"};
    DWORD const handles = test::HandleCount();
    for (std::string const &path : paths)
    {
        CT_Files file;
        std::string const outcome = test::Outcome([&] { file.v_Open(path.c_str(), W, 1), file.v_Close(); }, path);
        EXPECT_EQ(path == "NUL" ? "done" : "code 17 DOC", outcome) << path.substr(0, 60);
    }
    EXPECT_EQ(handles, test::HandleCount()) << "handles leaked";
    EXPECT_EQ(Listing(), test::ListFolder(folder.Path())) << "files left";
}

TEST(CT_FilesSizes, ATextOf2GiCharactersOrACountOf4GiBIsRaisedBeforeAnythingIsWritten)
{
    EXPECT_EQ(1, b_FitsOneWrite(0x7FFFFFFFull)) << "the units' bytes fill 32 bits";
    EXPECT_EQ(0, b_FitsOneWrite(0x80000000ull)) << "4 GiB of units";
    unsigned int count = 7;
    EXPECT_EQ(1, b_CountBefore(0x100000000ull, 0x200000001ull, 2, count));
    EXPECT_EQ(0xFFFFFFFFu, count) << "a count of 4 GiB less one, past the first 4 GiB";
    EXPECT_EQ(0, b_CountBefore(1, 0x100000003ull, 2, count)) << "a count of 4 GiB";
}

TEST(CT_FilesTemporary, EachOpenMakesItsOwnVlFileInTheTemporaryFolderAndAFolderThatCannotBeHadRaises2)
{
    test::RouteImports();
    char folder[MAX_PATH + 1] = {0};
    std::string const temporary = std::string(folder, GetTempPathA(sizeof folder, folder)) + "vl";
    CT_Files one, two;
    one.v_Open();
    two.v_Open();
    one.v_Writeln("temporary");
    std::string const first(one.cco_GetFullPath()), second(two.cco_GetFullPath());
    EXPECT_TRUE(first != second && first.find(temporary) == 0 && second.find(temporary) == 0) << first << second;
    one.v_Open(first.c_str(), R, 0); // opening again closes what is open first
    CT_String line;
    one.v_ReadUntil(line, CT_String("\r\n"));
    EXPECT_STREQ("temporary", line) << "closed and opened again, the file is left for the caller";
    one.v_Delete();
    two.v_Cancel();
    EXPECT_EQ("--", OnDisk(first) + OnDisk(second)) << "deleted, cancelled";
    test::failure = {test::kSystemCall, 1, false}; // GetTempPathA
    test::armed = true;
    EXPECT_EQ("code 2 File::Open()", test::Outcome([&] { one.v_Open(); }));
    test::armed = false;
}

// The full form of every path, longer than the library's first room, as Windows gives it with long paths on.
std::string const kLongFolder = "C:\\" + std::string(600, 'd') + "\\";
DWORD WINAPI LongFullPath(LPCSTR, DWORD room, LPSTR buffer, LPSTR *file_part)
{
    std::string const full = kLongFolder + "name.txt";
    if (room <= full.size())
        return static_cast<DWORD>(full.size() + 1);
    lstrcpyA(buffer, full.c_str());
    *file_part = buffer + kLongFolder.size();
    return static_cast<DWORD>(full.size());
}

TEST(CT_FilesPaths, ALongPathIsAskedForAgainWithTheRoomItNeedsAndAPathLosesItsExtensionAtTheFirstDot)
{
    test::RouteImports({test::RouteTo("GetFullPathNameA", LongFullPath)});
    CT_String path("name.txt");
    CT_Files::sv_GetFolder(path, path); // the same string as both
    EXPECT_EQ(kLongFolder, std::string(path));
    test::RouteImports(); // the platform's answers again
    path = "C:\\a.b\\c.txt";
    CT_Files::sv_RemoveExtension(path);
    EXPECT_STREQ("C:\\a", path) << "cut at the first dot, in a folder's name too";
}
} // namespace
