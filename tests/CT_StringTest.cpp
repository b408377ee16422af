// CT_String as its callers see it. The rules, for any sequence of operations,
// are the model's (support/StringModel.h), checked over many seeded random
// sequences; the named tests show a few rooms the rules give, the walk over a
// list, the size arithmetic at sizes no test can allocate, and window texts.
#include "CT_String.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "StringGrowth.h"
#include "StringModel.h"

std::string const sco_L300(300, 'L');

// COMMON_STRING_SEED=n reruns the sequence of seed n alone.
TEST(CT_StringModel, EveryOperationSequenceLeavesTheStringAsTheModelSays)
{
    char const *const p_seed = std::getenv("COMMON_STRING_SEED");
    unsigned int const n_first = p_seed != 0 ? std::strtoul(p_seed, 0, 10) : 1;
    for (unsigned int n_seed = n_first; n_seed <= (p_seed != 0 ? n_first : 400); ++n_seed)
        if (std::string const co_where = FirstDifference(SeededChoices{std::minstd_rand(n_seed)}); !co_where.empty())
            ADD_FAILURE() << "seed " << n_seed << " left the model at " << co_where;
}

struct Room { char const *name; CT_String (*make)(); unsigned int n_room; };
void PrintTo(Room const &co_row, std::ostream *p_out) { *p_out << co_row.name; }
class CT_StringStorage : public testing::TestWithParam<Room> {};
TEST_P(CT_StringStorage, ) { EXPECT_EQ(GetParam().n_room, GetParam().make().n_GetSize()) << GetParam().name; }
INSTANTIATE_TEST_SUITE_P(, CT_StringStorage, testing::ValuesIn(std::vector<Room>{
    {"AShortTextGetsAFreshRoomOf256", [] { return CT_String("abc"); }, 256},
    {"ATextBeyondTheSizeAskedGetsItsLengthPlus256", [] { return CT_String(sco_L300.c_str(), 10); }, 556},
    {"AnAppendBeyondTheRoomGrowsToItsSizePlus512", [] { CT_String co("abc"); co += sco_L300.c_str(); return co; }, 815},
    {"SetPointerCopiesTheWholeText", [] { std::string co_text(sco_L300); CT_String co;
         co.v_SetPointer(&co_text[0], 10); return co; }, 812},
    {"PlusANumberGivesACopyOfTheWorkingString", [] { return CT_String("abc") + 4294967295u; }, 768},
    {"ACopyOfADefaultStringHasTheRoom768", [] { CT_String const co; return CT_String(co); }, 768}}), testing::PrintToStringParamName());

TEST(CT_StringList, AWalkReadsEachElementAtTheCursor)
{
    CT_String co_list("C:\\dir");
    co_list.v_AddElement(CT_String("\xe9.txt"));
    EXPECT_EQ(2u, co_list.n_GetNumberOfElement());
    EXPECT_EQ(1, co_list.b_NextElement());
    EXPECT_EQ(0xe9, co_list[0u]); // zero-extended; an unsigned index, as a signed one is ambiguous on 32-bit targets
    EXPECT_EQ('.', static_cast<unsigned char *>(co_list)[1]);
    EXPECT_EQ('t', static_cast<unsigned char const *>(static_cast<CT_String const &>(co_list))[2]);
}

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
#include "CT_Errors.h"

TEST(CT_StringWindow, AWindowTextIsSetWholeAndReadCutToTheRoom)
{
    HWND const h_edit = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 300, 80, 0, 0, GetModuleHandleA(0), 0);
    ASSERT_NE(static_cast<HWND>(0), h_edit);
    CT_String(sco_L300.c_str()).v_Set(h_edit);
    char ac_set[400] = "";
    EXPECT_EQ(sco_L300, std::string(ac_set, GetWindowTextA(h_edit, ac_set, sizeof ac_set))) << "set";
    CT_String co_read("abc");
    co_read = h_edit;
    EXPECT_EQ(std::string(255, 'L'), static_cast<char const *>(co_read)) << "read into a room of 256";
    DestroyWindow(h_edit);
}

TEST(CT_StringWindow, SettingTheTextOfNoWindowRaisesAWindowsError)
{
    EXPECT_THROW(CT_String("x").v_Set(HWND(0)), et_ErrorCode);
    EXPECT_EQ(e_Windows, CT_Errors::set_GetLastError());
    EXPECT_EQ("SetWindowText", std::string(CT_Errors::co_GetLastParameter()));
}
#endif
