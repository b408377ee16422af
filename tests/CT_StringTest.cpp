#include "CT_String.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <tuple>

#if defined(_WIN32)
#include "CT_Errors.h"
#include "TestSupport.h"
#endif

namespace
{
/// The room's size, and its bytes from the cursor: the given ones, then zeros.
void ExpectRoom(CT_String const &co_string, std::string co_bytes, unsigned int n_room, std::string const &co_case = "")
{
    SCOPED_TRACE(co_case);
    EXPECT_EQ(n_room, co_string.n_GetSize());
    co_bytes.resize(co_string.n_GetSize(), '\0');
    EXPECT_EQ(co_bytes, std::string(static_cast<char const *>(co_string), co_string.n_GetSize()));
}

std::string const sco_L300(300, 'L');
} // namespace

TEST(StringStorageTest, RoomFollowsTextOrSizeCopiesAddSpareAppendsFillItExactly)
{
    // Text length, requested size, room; a size too small for the text gives way to the text's size.
    unsigned int const an_cases[][3] = {{3, 0, 256},     {255, 0, 256}, {256, 0, 512},  {300, 0, 556},
                                        {2, 1000, 1256}, {2, 100, 256}, {300, 10, 556}, {500, 300, 556}};
    for (auto const &an_case : an_cases)
    {
        std::string const co_text(an_case[0], 'x');
        ExpectRoom(CT_String(co_text.c_str(), an_case[1]), co_text, an_case[2], testing::PrintToString(an_case));
    }
    CT_String co_abc("abc");
    co_abc.v_SetChar(10, 'q'); // behind the terminator, inside the room: a copy carries it
    ExpectRoom(CT_String(co_abc), std::string("abc\0\0\0\0\0\0\0q", 11), 512);
    co_abc = CT_String("new"); // a room of 256 is not below the capacity of 256
    co_abc = static_cast<CT_String const &>(co_abc);
    ExpectRoom(co_abc, "new", 512);
    co_abc.v_SetChar(300, 'z');
    EXPECT_EQ(1, co_abc.b_ReSize(513));
    ExpectRoom(co_abc, "new" + std::string(297, '\0') + "z", 1025);
    co_abc = (sco_L300 + sco_L300).c_str();
    co_abc = static_cast<char const *>(co_abc) + 590; // its own text
    ExpectRoom(co_abc, std::string(10, 'L'), 1025);
    CT_String co_string(std::string(250, 'a').c_str());
    co_string.v_SetChar(253, 'j');
    co_string += "bc";
    ExpectRoom(co_string, std::string(250, 'a') + "bc", 256); // the bytes behind the text are cleared
    co_string += "defg";
    co_string += "h";
    ExpectRoom(co_string, std::string(250, 'a') + "bcdefgh", 769);
    CT_String co_own(sco_L300.c_str());
    co_own += co_own; // 600 bytes do not fit the room of 556
    ExpectRoom(co_own + 4294967295u, sco_L300 + sco_L300 + "4294967295", 1112); // a copy of the working string
    CT_String co_list("ab");
    co_list.v_AddElement(CT_String("cd"));
    co_list += static_cast<char const *>(co_list) + 3; // behind the terminator, where appending zero-fills
    ExpectRoom(co_list, "abcd", 256);
}

TEST(StringStorageTest, SetPointerCopiesTheTextAndAccessorsReadAtTheCursor)
{
    char ac_text[] = "abc";
    CT_String co_text;
    co_text.v_SetPointer(ac_text, 0);
    ac_text[0] = 'z'; // the string holds a copy
    co_text += static_cast<char const *>(co_text); // its own text, appended whole
    co_text += static_cast<char const *>(nullptr); // nothing
    EXPECT_STREQ("abcabc", co_text);
    EXPECT_EQ('b', co_text[1]);
    EXPECT_EQ('c', static_cast<unsigned char *>(co_text)[2]);
    EXPECT_EQ('a', static_cast<unsigned char const *>(static_cast<CT_String const &>(co_text))[3]);
}

TEST(StringEditTest, ReplaceMidAndSearchFindOccurrencesFromLeftWithinRoom)
{
    std::string const co_a700(700, 'a');
    // Text, pattern, replacement, result and its room: that of appending piece after piece, then copying.
    std::tuple<std::string, std::string, std::string, std::string, unsigned int> const ao_cases[] = {
        {"%%", "%", "", "", 768}, {"a%", "%", "%%", "a%%", 768}, {"aaa", "aa", "b", "ba", 768},
        {"abc", "", "x", "abc", 256}, {"aab aaab abab", "ab", "X", "aX aaX XX", 768}, // in broken partial matches
        {"ababac abac", "abac", "-", "ab- -", 768}, {co_a700.substr(100), "a", "bb", std::string(1200, 'b'), 1796},
        {co_a700 + "%", "%", "bc", co_a700 + "bc", 1468}};
    for (auto const &[co_text, co_pattern, co_by, co_result, n_room] : ao_cases)
    {
        CT_String co_string(co_text.c_str());
        co_string.v_Replace(CT_String(co_pattern.c_str()), co_by.c_str());
        ExpectRoom(co_string, co_result, n_room, co_text.substr(0, 20) + " / " + co_pattern);
    }
    CT_String co_string("A%b", 3000);
    co_string.v_Replace(0x125, "x"); // low byte '%', but no byte equals 0x125
    co_string.v_ReplaceChar(0x141, 'x');
    co_string.v_ReplaceChar(0, 'x'); // matches nothing, not even the zeros behind the text
    ExpectRoom(co_string, "A%b", 3256);
    co_string.v_AddElement(CT_String("c%"));
    co_string.v_Replace('%', static_cast<char const *>(co_string) + 2); // "b", read before the change
    ExpectRoom(co_string, "Abb", 3256); // the result's zero fill erases the later elements
    co_string.v_Replace(co_string, 0);
    ExpectRoom(co_string, "", 3256);
    std::string const co_source = "abcd" + std::string(1096, 'm');
    co_string = co_source.c_str(); // room 3256
    // Start, count, characters taken, room of the result: it grows as storing them one by one grows it.
    int const an_cases[][4] = {{1, 2, 2, 768},     {0, -1, 0, 768},     {-3, 5, 0, 768},     {1090, 99, 10, 768},
                               {3000, 300, 0, 768}, {3256, 1, 0, 768}, {0, 511, 511, 768}, {0, 512, 512, 1281},
                               {1, INT_MAX, 1099, 3846}};
    for (auto const &an_case : an_cases)
        ExpectRoom(co_string.co_GetMid(an_case[0], an_case[1]),
                   an_case[2] == 0 ? std::string() : co_source.substr(an_case[0], an_case[2]), an_case[3],
                   testing::PrintToString(an_case));
    std::tuple<char const *, char const *, int, int> const ao_searches[] = {
        {"abcd", "cd", 0, 2}, {"abcd", "", 0, -1}, {"abcd", "a", 4, -1},    {"abcd", "a", -1, -1},
        {"abcd", "a", 5, -1}, {"aab", "ab", 0, 1},  {"ab", "abc", 0, -1}, {"abaabab", "abab", 0, 3}, {"abcabc", "bc", 2, 4}};
    for (auto const &[p_text, p_pattern, i_start, i_found] : ao_searches)
        EXPECT_EQ(i_found, CT_String(p_text).i_Search(CT_String(p_pattern), i_start)) << p_text << " / " << p_pattern;
}

TEST(StringListTest, ElementsAreAddedWalkedAndCopiedOut)
{
    CT_String co_list("C:\\dir");
    co_list.v_AddElement(CT_String("a.txt"));
    co_list.v_PutArray("b.txt\0\0z\0");
    EXPECT_EQ(3u, co_list.n_GetNumberOfElement());
    EXPECT_EQ(1, co_list.b_NextElement());
    ExpectRoom(CT_String(co_list), std::string("a.txt\0b.txt", 11), 256);
    std::string const ao_out[] = {"", std::string(1, '\0'), std::string(2, '\0'), std::string("a\0\0", 3),
                                  std::string("a.txt\0b.txt", 11) + std::string(289, '\0')};
    for (std::string const &co_out : ao_out)
    {
        std::string co_destination(co_out.size() + 1, '#');
        co_list.v_Set(&co_destination[0], static_cast<unsigned int>(co_out.size()));
        EXPECT_EQ(co_out + "#", co_destination); // it ends with two zeros; only the allocation is read
    }
    co_list.v_PutArray(co_list); // its own list from the cursor, read before it grows
    co_list.v_AddElement(co_list);
    ExpectRoom(co_list, std::string("C:\\dir\0a.txt\0b.txt\0a.txt\0b.txt\0C:\\dir", 37), 256);
}

TEST(StringListTest, GrowthAndCursorOnElementKeepEarlierElements)
{
    std::string const co_a250(250, 'a');
    CT_String co_exact(co_a250.c_str());
    co_exact.v_AddElement(CT_String("bbbbb"));
    ExpectRoom(co_exact, co_a250 + std::string("\0bbbbb", 6), 518);
    CT_String co_tight(co_a250.c_str());
    co_tight.v_AddElement(CT_String("bbbb")); // its closing zero is the byte behind the room
    co_tight.v_AddElement(CT_String("c"));
    ExpectRoom(co_tight, co_a250 + std::string("\0bbbb\0c", 8), 513);
    CT_String co_deep(std::string(600, 'f').c_str());
    co_deep.v_AddElement(CT_String(sco_L300.c_str()));
    ExpectRoom(co_deep, std::string(600, 'f') + '\0' + sco_L300, 1413);
    // With the cursor on an element, the elements before it stay, those after it go,
    // and a size is measured against the room at the cursor.
    CT_String co_list("first");
    co_list.v_PutArray("second\0third\0");
    co_list.b_NextElement();
    co_list += "!";
    ExpectRoom(co_list, "second!", 250);
    co_list = sco_L300.substr(48).c_str(); // longer than the room of 250
    ExpectRoom(co_list, sco_L300.substr(48), 256);
    co_list.v_SetSize(256);
    co_list.v_ResetArray();
    ExpectRoom(co_list, "first", 518);
}

TEST(StringListTest, TextFillingTheRoomIsOneElementEndedByTheExtraByte)
{
    std::string const co_text(256, 'a');
    CT_String co_full("x");
    std::memcpy(static_cast<char *>(co_full), co_text.data(), 256); // the room plus one byte holds its terminator
    EXPECT_EQ(0, co_full.b_NextElement());
    EXPECT_EQ(0u, co_full.n_GetSize()); // the cursor stops on the extra byte
    co_full.v_AddElement(CT_String("")); // nothing to add: no growth for the list's missing room
    co_full.v_PutArray(nullptr);
    ExpectRoom(co_full, co_text, 256);
    co_full.v_PutArray(co_full); // its own list, read up to the extra byte
    ExpectRoom(co_full, co_text + '\0' + co_text, 769); // grown to step past the terminator, then for the element
    EXPECT_EQ(2u, co_full.n_GetNumberOfElement());
}

#if defined(_WIN32)
TEST(StringWindowTest, TextGoesToWindowAndBackCutToRoom)
{
    HWND const h_edit = CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW | ES_AUTOHSCROLL, 10, 10, 300, 80, 0, 0,
                                        GetModuleHandleA(0), 0);
    ASSERT_NE(static_cast<HWND>(0), h_edit);
    CT_String co_text("previous");
    co_text.v_AddElement(CT_String("typed"));
    co_text.b_NextElement();
    co_text.v_Set(h_edit); // the element at the cursor
    EXPECT_EQ("typed", test::WindowText(h_edit));
    co_text.v_ResetArray();
    co_text = h_edit;
    ExpectRoom(co_text, std::string("typed\0us\0typed", 14), 256); // the bytes behind the new terminator stay
    SetWindowTextA(h_edit, sco_L300.c_str());
    co_text = h_edit;
    ExpectRoom(co_text, std::string(255, 'L'), 256);
    DestroyWindow(h_edit);
    EXPECT_THROW(co_text.v_Set(h_edit), et_ErrorCode);
    EXPECT_EQ(e_Windows, CT_Errors::set_GetLastError());
    EXPECT_EQ("SetWindowText", std::string(CT_Errors::co_GetLastParameter()));
}
#endif
