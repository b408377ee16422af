// CT_String as its callers see it: the text at the cursor, the room from the
// cursor to the end of the capacity (n_GetSize) and the zero tail behind the
// text, checked apart. Each table row is a test of its own, named by the
// behaviour it shows, and builds its own string. The rooms are examples that
// show the rule; the rule itself, for any sequence of operations, is the model
// in CT_StringFuzz.cpp.
#include "CT_String.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "NamedRows.h"
#include "StringGrowth.h"

#if defined(_WIN32)
#include "CT_Errors.h"
#include "TestSupport.h"
#endif

std::string const sco_A250(250, 'a'), sco_L300(300, 'L'), sco_L600(600, 'L');

/// Checks apart the text (a list's zeros shown as '|'), the room and the zero tail behind the text.
static void ExpectString(CT_String const &co_string, std::string const &co_text, unsigned int n_room,
                         char const *p_name)
{
    // Never read past the room expected: a cursor gone wrong may report a room far beyond its allocation.
    std::string co_shown(static_cast<char const *>(co_string), std::min(co_string.n_GetSize(), n_room));
    std::replace(co_shown.begin(), co_shown.end(), '\0', '|');
    EXPECT_EQ(co_text, co_shown.substr(0, co_text.size())) << p_name << ": text";
    EXPECT_EQ(n_room, co_string.n_GetSize()) << p_name << ": room";
    EXPECT_EQ(std::string::npos, co_shown.find_first_not_of('|', co_text.size())) << p_name << ": zero tail";
}

/// A default string (room 512) holding the '|'-separated elements.
static CT_String List(std::string co_elements)
{
    std::replace(co_elements.begin(), co_elements.end(), '|', '\0');
    CT_String co_list;
    co_list.v_PutArray(co_elements.append(2, '\0').c_str());
    return co_list; // a named local is returned in place, not copied: the room stays 512
}

struct Example { char const *name; CT_String (*make)(); std::string text; unsigned int n_room; };
// A failing row is shown by its name.
void PrintTo(Example const &co_example, std::ostream *p_out) { *p_out << co_example.name; }
class CT_StringStorage : public testing::TestWithParam<Example> {};
class CT_StringEdit : public testing::TestWithParam<Example> {};
class CT_StringList : public testing::TestWithParam<Example> {};
TEST_P(CT_StringStorage, ) { ExpectString(GetParam().make(), GetParam().text, GetParam().n_room, GetParam().name); }
TEST_P(CT_StringEdit, ) { ExpectString(GetParam().make(), GetParam().text, GetParam().n_room, GetParam().name); }
TEST_P(CT_StringList, ) { ExpectString(GetParam().make(), GetParam().text, GetParam().n_room, GetParam().name); }

INSTANTIATE_TEST_SUITE_P(, CT_StringStorage, testing::ValuesIn(std::vector<Example>{
    {"AShortTextGetsAFreshRoomOf256", [] { return CT_String("abc"); }, "abc", 256},
    {"ATextBeyondTheSizeAskedGetsItsLengthPlus256", [] { return CT_String(sco_L300.c_str(), 10); }, sco_L300, 556},
    {"AnAppendBeyondTheRoomAddsItsSizeTo512", [] { CT_String co(sco_A250.c_str()); co += "bcdefgh"; return co; },
     sco_A250 + "bcdefgh", 769},
    {"PlusANumberGivesACopyOfTheWorkingString", [] { return CT_String("abc") + 4294967295u; }, "abc4294967295", 768},
    {"AnAppendClearsTheTail", [] { CT_String co("abc"); co.v_SetChar(9, 'j'); co += "d"; return co; }, "abcd", 256},
    {"SetPointerCopiesTheWholeText", [] { std::string co_text(sco_L300); CT_String co;
         co.v_SetPointer(&co_text[0], 10); co_text[0] = 'x'; return co; }, sco_L300, 812},
    {"AssigningItsOwnTextCopiesItFirst", [] { CT_String co(sco_L600.c_str());
         co = static_cast<char const *>(co) + 590; return co; }, std::string(10, 'L'), 856},
    {"AppendingItsOwnTextReadsItFirst", [] { CT_String co(sco_L300.c_str()); co += co; return co; }, sco_L600, 1112},
    {"AssigningItselfOrAppendingNullChangesNothing", [] { CT_String co("abc");
         co = static_cast<CT_String const &>(co); co += nullptr; return co; }, "abc", 256}}), test::RowName());

INSTANTIATE_TEST_SUITE_P(, CT_StringEdit, testing::ValuesIn(std::vector<Example>{
    {"ReplacingFindsMatchesInsideBrokenPartialMatches", [] { CT_String co("ababac abac");
         co.v_Replace(CT_String("abac"), "-"); return co; }, "ab- -", 768},
    {"ReplacingReadsAReplacementFromItsOwnBufferFirst", [] { CT_String co("A%b");
         co.v_Replace('%', static_cast<char const *>(co) + 2); return co; }, "Abb", 768},
    {"ReplacingItselfByNullEmptiesIt", [] { CT_String co("abc"); co.v_Replace(co, nullptr); return co; }, "", 768},
    {"AnEmptyPatternDoesNothing", [] { CT_String co("abc"); co.v_Replace(CT_String(), "x"); return co; }, "abc", 256},
    {"CharactersOfZeroOrAbove255MatchNothing", [] { CT_String co("A%"); co.v_Replace(0x125, "x");
         co.v_ReplaceChar(0x141, 'x'); co.v_ReplaceChar(0, 'x'); return co; }, "A%", 256},
    {"MidTakesCountCharactersFromTheStart", [] { return CT_String("abcd").co_GetMid(1, 2); }, "bc", 768},
    {"MidFromANegativeStartIsEmpty", [] { return CT_String("abcd").co_GetMid(-3, 5); }, "", 768},
    {"MidOf512GrowsAsStoringOneByOneWould", [] { return CT_String("abc", 600).co_GetMid(0, 512); }, "abc", 1281}}),
    test::RowName());

INSTANTIATE_TEST_SUITE_P(, CT_StringList, testing::ValuesIn(std::vector<Example>{
    {"AnElementThatWouldFillTheRoomGrowsTheList", [] { CT_String co(sco_A250.c_str());
         co.v_AddElement(CT_String("bbbbb")); return co; }, sco_A250 + "|bbbbb", 518},
    {"AnElementBehindOneEndingAtTheRoomsEndGrowsTheList", [] { CT_String co(sco_A250.c_str());
         co.v_AddElement(CT_String("bbbb")); co.v_AddElement(CT_String("c")); return co; }, sco_A250 + "|bbbb|c", 513},
    {"GrowingFarIntoAListAddsTheCursorsOffset", [] { CT_String co(sco_L600.c_str());
         co.v_AddElement(CT_String(sco_L300.c_str())); return co; }, sco_L600 + '|' + sco_L300, 1413},
    // A text of 256 bytes fills the room of 256: its terminator is the allocation's extra byte.
    {"AWalkStopsOnTheExtraByteBehindATextFillingTheRoom", [] { CT_String co(sco_A250.c_str()); co += "aaaaaa";
         co.b_NextElement(); return co; }, "", 0},
    {"ATextFillingTheRoomIsAnElementEndedByTheExtraByte", [] { CT_String co(sco_A250.c_str()); co += "aaaaaa";
         co.v_PutArray(co); return co; }, std::string(256, 'a') + '|' + std::string(256, 'a'), 769},
    {"AnEmptyElementAddsNothingEvenToAFullRoom", [] { CT_String co(sco_A250.c_str()); co += "aaaaaa";
         co.v_AddElement(CT_String("")); co.v_PutArray(nullptr); return co; }, std::string(256, 'a'), 256},
    {"PuttingItsOwnListAddsItsElementsFromTheCursor", [] { CT_String co = List("C:|a|b"); co.b_NextElement();
         co.v_PutArray(co); return co; }, "C:|a|b|a|b", 512},
    {"AddingItselfAddsTheElementAtItsCursor", [] { CT_String co = List("C:|a|b"); co.b_NextElement();
         co.v_AddElement(co); return co; }, "C:|a|b|a", 512},
    {"AssigningALongTextOnAnElementKeepsTheElementsBeforeIt", [] { CT_String co = List("first|second");
         co.b_NextElement(); co = sco_L600.c_str(); co.v_ResetArray(); return co; }, "first|" + sco_L600, 862}}),
    test::RowName());

TEST_F(CT_StringList, AWalkReadsEachElementAtTheCursorThenStaysOnTheClosingZero)
{
    CT_String co_list("C:\\dir");
    co_list.v_AddElement(CT_String("\xe9.txt"));
    EXPECT_EQ(2u, co_list.n_GetNumberOfElement());
    EXPECT_EQ(1, co_list.b_NextElement());
    EXPECT_EQ(0xe9, co_list[0u]); // zero-extended; an unsigned index, as a signed one is ambiguous on 32-bit targets
    EXPECT_EQ('.', static_cast<unsigned char *>(co_list)[1]);
    EXPECT_EQ('t', static_cast<unsigned char const *>(static_cast<CT_String const &>(co_list))[2]);
    EXPECT_EQ(0, co_list.b_NextElement());
    ExpectString(co_list, "", 256 - 13, "on the closing zero behind 13 bytes of elements");
}

struct Search { char const *name; char const *list; char const *pattern; int i_start, i_found; };
void PrintTo(Search const &co_search, std::ostream *p_out) { *p_out << co_search.name; }
class CT_StringSearch : public testing::TestWithParam<Search> {};
TEST_P(CT_StringSearch, )
{
    Search const &co = GetParam();
    EXPECT_EQ(co.i_found, List(co.list).i_Search(CT_String(co.pattern), co.i_start)) << co.name;
}
INSTANTIATE_TEST_SUITE_P(, CT_StringSearch, testing::ValuesIn(std::vector<Search>{
    {"FindsAMatchInsideABrokenPartialMatch", "ababac", "abac", 0, 2},
    {"NeverFindsAnEmptyPattern", "abcd", "", 0, -1},
    {"FindsNothingPastTheTextNotEvenInTheNextElement", "ab|cd", "cd", 3, -1}}), test::RowName());

struct CopyOut { char const *name; unsigned int n_size; std::string bytes; }; // zeros shown as '|'
void PrintTo(CopyOut const &co_copy, std::ostream *p_out) { *p_out << co_copy.name; }
class CT_StringCopyOut : public testing::TestWithParam<CopyOut> {};
TEST_P(CT_StringCopyOut, )
{
    std::string co_out(GetParam().n_size + 1, '#'); // and one byte behind the size, which must stay
    List("a.txt|b.txt").v_Set(&co_out[0], GetParam().n_size);
    std::replace(co_out.begin(), co_out.end(), '\0', '|');
    EXPECT_EQ(GetParam().bytes + "#", co_out) << GetParam().name;
}
INSTANTIATE_TEST_SUITE_P(, CT_StringCopyOut, testing::ValuesIn(std::vector<CopyOut>{
    {"ASizeOfZeroWritesNothing", 0, ""},
    {"ASizeOfTwoWritesTwoZeros", 2, "||"},
    {"AWholeListIsCopiedWithItsClosingZeros", 14, "a.txt|b.txt|||"},
    {"NoMoreThanTheRoomAndItsExtraByteIsCopied", 600, "a.txt|b.txt" + std::string(589, '|')}}), test::RowName());

// The capacity arithmetic at sizes no test can allocate: the largest size that
// can be held, and one more, which raises before anything is allocated instead
// of wrapping 32 bits to a small room.
TEST(CT_StringSizes, ASizeThatCannotBeHeldRaisesBadAllocInsteadOfWrapping)
{
    EXPECT_EQ(UINT_MAX - 1, n_GrownCapacity(512, kn_MaxReSize));
    EXPECT_THROW(n_GrownCapacity(512, kn_MaxReSize + 1), std::bad_alloc);
    // Both characters of "ab" replaced by a text of 2 GiB.
    EXPECT_EQ(UINT_MAX - 1, n_ReplacedCapacity({0, 1}, 2, 1, kn_MaxReSize / 2));
    EXPECT_THROW(n_ReplacedCapacity({0, 1}, 2, 1, 0x80000000u), std::bad_alloc);
    EXPECT_THROW(CT_String().v_SetSize(UINT_MAX), std::bad_alloc);
}

#if defined(_WIN32)
TEST(CT_StringWindow, AWindowTextIsSetWholeAndReadCutToTheRoom)
{
    HWND const h_edit = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 300, 80, 0, 0, GetModuleHandleA(0), 0);
    ASSERT_NE(static_cast<HWND>(0), h_edit);
    CT_String(sco_L300.c_str()).v_Set(h_edit);
    EXPECT_EQ(sco_L300, test::WindowText(h_edit)) << "set";
    CT_String co_read("abc");
    co_read = h_edit;
    ExpectString(co_read, std::string(255, 'L'), 256, "read into a room of 256");
    DestroyWindow(h_edit);
}

TEST(CT_StringWindow, SettingTheTextOfNoWindowRaisesAWindowsError)
{
    EXPECT_THROW(CT_String("x").v_Set(HWND(0)), et_ErrorCode);
    EXPECT_EQ(e_Windows, CT_Errors::set_GetLastError());
    EXPECT_EQ("SetWindowText", std::string(CT_Errors::co_GetLastParameter()));
}
#endif
