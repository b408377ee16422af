// CT_String as its callers see it. The rules, for any sequence of operations,
// are the model's (support/StringModel.h), checked over many seeded random
// sequences; the named tests show a few rooms the rules give, the walk over a
// list, the size arithmetic at sizes no test can allocate, and window texts.
#include "CT_String.h"

#include <gtest/gtest.h>

#include <string>

#include "NamedRows.h"
#include "StringGrowth.h"
#include "StringModel.h"

// The same 400 sequences on every run: a failure names the seed and the step where the string left the model.
TEST(CT_StringModel, EveryOperationSequenceLeavesTheStringAsTheModelSays)
{
    for (unsigned int n_seed = 1; n_seed <= 400; ++n_seed)
        if (std::string const co_where = FirstDifference(SeededChoices{std::minstd_rand(n_seed)}); !co_where.empty())
            ADD_FAILURE() << "seed " << n_seed << " left the model at " << co_where;
}

// Three rooms the rules give, the model checks them for any sequence of operations.
// clang-format off
struct Room { char const *name; CT_String (*make)(); unsigned int n_room; };
class CT_StringStorage : public testing::TestWithParam<Room> {};
TEST_P(CT_StringStorage, ) { EXPECT_EQ(GetParam().n_room, GetParam().make().n_GetSize()) << GetParam().name; }
INSTANTIATE_TEST_SUITE_P(, CT_StringStorage, testing::ValuesIn(std::vector<Room>{
    {"AShortTextGetsAFreshRoomOf256", [] { return CT_String("abc"); }, 256},
    // The size asked gives way to the text's 300 bytes, room 556, which a default string copies into a room of 812.
    {"SetPointerCopiesTheWholeText", [] { std::string co_text(300, 'L'); CT_String co;
         co.v_SetPointer(&co_text[0], 10); return co; }, 812},
    // operator+ returns a copy of its working string, a default one of room 512.
    {"PlusANumberGivesACopyOfTheWorkingString", [] { return CT_String("abc") + 4294967295u; }, 768}}), test::RowName());
// clang-format on

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

TEST(CT_StringWindow, AWindowTextIsSetWholeAndReadCutToTheRoomAndNoWindowRaises)
{
    HWND const h_edit = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 300, 80, 0, 0, GetModuleHandleA(0), 0);
    ASSERT_NE(static_cast<HWND>(0), h_edit);
    CT_String(std::string(300, 'L').c_str()).v_Set(h_edit);
    EXPECT_EQ(300, GetWindowTextLengthA(h_edit)) << "set whole";
    CT_String co_read("abc");
    co_read = h_edit;
    EXPECT_EQ(std::string(255, 'L'), static_cast<char const *>(co_read)) << "read into a room of 256";
    DestroyWindow(h_edit);
    EXPECT_THROW(co_read.v_Set(h_edit), et_ErrorCode) << "set on a window destroyed";
    EXPECT_EQ(e_Windows, CT_Errors::set_GetLastError());
    EXPECT_EQ("SetWindowText", std::string(CT_Errors::co_GetLastParameter()));
}
#endif
