// CT_String as its callers see it. The rules, for any sequence of operations,
// are the model's (support/StringModel.h), checked over many seeded random
// sequences; the named tests show a few rooms the rules give, the walk over a
// list, the size arithmetic at sizes no test can allocate, and window texts.
#include "CT_String.h"

#include <gtest/gtest.h>

#include <string>

#include "StringGrowth.h"
#include "StringModel.h"

// The same 400 sequences on every run: a failure names the seed and the step where the string left the model.
TEST(CT_StringModel, EveryOperationSequenceLeavesTheStringAsTheModelSays)
{
    for (unsigned int n_seed = 1; n_seed <= 400; ++n_seed)
        if (std::string const co_where = FirstDifference(SeededChoices{std::minstd_rand(n_seed)}); !co_where.empty())
            ADD_FAILURE() << "seed " << n_seed << " left the model at " << co_where;
}

// Three rooms the rules give; the model checks them for any sequence of operations.
TEST(CT_StringStorage, AShortTextGetsAFreshRoomOf256) { EXPECT_EQ(256u, CT_String("abc").n_GetSize()); }

// The size asked gives way to the text's 300 bytes: room 556, copied into a default string's room of 512.
TEST(CT_StringStorage, SetPointerCopiesTheWholeText)
{
    CT_String co_set;
    co_set.v_SetPointer(std::string(300, 'L').data(), 10);
    EXPECT_EQ(812u, co_set.n_GetSize());
}

// operator+ works on a default string of room 512; the result is a copy of it.
TEST(CT_StringStorage, ASumIsACopyOfItsWorkingString) { EXPECT_EQ(768u, (CT_String("abc") + 4294967295u).n_GetSize()); }

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
