#include "CT_String.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#if defined(_WIN32)
#include <windows.h>

#include "CT_Errors.h"
#include "TestSupport.h"
#endif

namespace
{
/// The first count bytes of the buffer from the cursor, zero bytes included.
std::string Bytes(CT_String const &co_string, unsigned int n_count)
{
    return std::string(static_cast<char const *>(co_string), n_count);
}

std::string Text(CT_String const &co_string)
{
    return std::string(static_cast<char const *>(co_string));
}

/// 1 when every byte of the room behind the text is zero.
bool ZeroBehindText(CT_String const &co_string)
{
    char const *p_text = co_string;
    for (unsigned int n = co_string.n_GetLength(); n < co_string.n_GetSize(); ++n)
        if (p_text[n] != 0)
            return false;
    return true;
}

/// Makes the string that holds one text a list of it and the given elements.
void AddElements(CT_String &co_list, char const *p_second, char const *p_third = 0)
{
    co_list.v_AddElement(CT_String(p_second));
    if (p_third != 0)
        co_list.v_AddElement(CT_String(p_third));
}
} // namespace

// Storage, capacities and copies.

TEST(StringStorageTest, DefaultStringIsEmptyWithRoomFor511Characters)
{
    CT_String co_string;
    EXPECT_EQ(1, co_string.b_IsEmpty());
    EXPECT_EQ(0u, co_string.n_GetLength());
    EXPECT_EQ(512u, co_string.n_GetSize());
    EXPECT_EQ(std::string(512, '\0'), Bytes(co_string, 512));
}

TEST(StringStorageTest, CapacityFollowsTextSizeOrGivenSize)
{
    CT_String co_abc("abc");
    EXPECT_EQ(256u, co_abc.n_GetSize());
    EXPECT_EQ(3u, co_abc.n_GetStringSize());
    EXPECT_EQ(3u, co_abc.n_GetLength());
    EXPECT_TRUE(ZeroBehindText(co_abc));

    EXPECT_EQ(256u, CT_String(std::string(255, 'x').c_str()).n_GetSize());
    EXPECT_EQ(512u, CT_String(std::string(256, 'x').c_str()).n_GetSize());
    EXPECT_EQ(556u, CT_String(std::string(300, 'x').c_str()).n_GetSize());

    CT_String co_sized("ab", 1000);
    EXPECT_EQ(1256u, co_sized.n_GetSize());
    EXPECT_EQ("ab", Text(co_sized));
    EXPECT_EQ(256u, CT_String("ab", 100).n_GetSize());
    EXPECT_EQ(512u, CT_String(0, 5000).n_GetSize());
}

TEST(StringStorageTest, SizeTooSmallForTextTakesTextSize)
{
    std::string const co_long(300, 'y');
    CT_String co_string(co_long.c_str(), 10);
    EXPECT_EQ(556u, co_string.n_GetSize());
    EXPECT_EQ(co_long, Text(co_string));

    // A size whose capacity just holds the text keeps it.
    std::string const co_fits(500, 'z');
    CT_String co_kept(co_fits.c_str(), 300);
    EXPECT_EQ(556u, co_kept.n_GetSize());
    EXPECT_EQ(co_fits, Text(co_kept));
}

TEST(StringStorageTest, CopyCarriesWholeRoomWithSpare)
{
    CT_String co_default;
    CT_String co_copy(co_default);
    EXPECT_EQ(768u, co_copy.n_GetSize());
    CT_String co_copy2(co_copy);
    EXPECT_EQ(1024u, co_copy2.n_GetSize());

    CT_String co_abc("abc");
    co_abc.v_SetChar(10, 'q'); // lies behind the terminator, inside the room
    CT_String co_deep(co_abc);
    EXPECT_EQ(512u, co_deep.n_GetSize());
    EXPECT_EQ(std::string("abc\0\0\0\0\0\0\0q\0", 12), Bytes(co_deep, 12));
    EXPECT_NE(static_cast<char const *>(co_abc), static_cast<char const *>(co_deep));
}

TEST(StringStorageTest, AssignmentOfStringUsesCopyRule)
{
    CT_String co_target("old text");
    co_target = CT_String("new");
    EXPECT_EQ("new", Text(co_target));
    EXPECT_EQ(512u, co_target.n_GetSize()); // room 256 is not below capacity 256

    CT_String co_wide("w", 2000);
    co_wide = CT_String("short");
    EXPECT_EQ(2256u, co_wide.n_GetSize());
    EXPECT_EQ("short", Text(co_wide));
    EXPECT_TRUE(ZeroBehindText(co_wide));

    CT_String &co_same = co_wide;
    co_wide = co_same;
    EXPECT_EQ("short", Text(co_wide));
    EXPECT_EQ(2256u, co_wide.n_GetSize());
}

TEST(StringStorageTest, SetSizeEmptiesOrReplacesBuffer)
{
    CT_String co_string("abc");
    char const *p_before = co_string;
    co_string.v_SetSize(100);
    EXPECT_EQ(256u, co_string.n_GetSize());
    EXPECT_EQ(p_before, static_cast<char const *>(co_string));
    EXPECT_EQ(std::string(256, '\0'), Bytes(co_string, 256));

    co_string = "abc";
    co_string.v_SetSize(256);
    EXPECT_EQ(512u, co_string.n_GetSize());
    EXPECT_EQ(std::string(512, '\0'), Bytes(co_string, 512));
    co_string.v_SetSize(1000);
    EXPECT_EQ(1256u, co_string.n_GetSize());
}

TEST(StringStorageTest, ReSizeGrowsOnlyPastRoomAndKeepsContent)
{
    CT_String co_string("abc");
    co_string.v_SetChar(200, 'z');
    EXPECT_EQ(0, co_string.b_ReSize(256));
    EXPECT_EQ(256u, co_string.n_GetSize());
    EXPECT_EQ(1, co_string.b_ReSize(300));
    EXPECT_EQ(812u, co_string.n_GetSize());
    EXPECT_EQ("abc", Text(co_string));
    EXPECT_EQ('z', co_string[200u]);
    EXPECT_EQ(0, co_string[256u]);
}

TEST(StringStorageTest, AssignTextKeepsCapacityWhenItFits)
{
    CT_String co_string("a long text that is here");
    co_string = "hi";
    EXPECT_EQ("hi", Text(co_string));
    EXPECT_EQ(256u, co_string.n_GetSize());
    EXPECT_TRUE(ZeroBehindText(co_string));

    co_string = static_cast<char const *>(0);
    EXPECT_EQ(1, co_string.b_IsEmpty());
    EXPECT_EQ(256u, co_string.n_GetSize());

    std::string const co_long(400, 'L');
    co_string = co_long.c_str();
    EXPECT_EQ(656u, co_string.n_GetSize());
    EXPECT_EQ(co_long, Text(co_string));
}

TEST(StringStorageTest, SetPointerCopiesTextAsConstructionThenCopy)
{
    char s_text[] = "hello";
    CT_String co_default;
    co_default.v_SetPointer(s_text, 0);
    EXPECT_EQ("hello", Text(co_default));
    EXPECT_EQ(512u, co_default.n_GetSize());
    s_text[0] = 'j';
    EXPECT_EQ("hello", Text(co_default));

    CT_String co_small("x");
    co_small.v_SetPointer(s_text, 1000);
    EXPECT_EQ("jello", Text(co_small));
    EXPECT_EQ(1512u, co_small.n_GetSize());
}

// Append, concatenation and numbers.

TEST(StringAppendTest, AppendStaysInBufferAndClearsBehind)
{
    CT_String co_string("abc");
    co_string.v_SetChar(8, 'j');
    char const *p_before = co_string;
    co_string += "def";
    EXPECT_EQ("abcdef", Text(co_string));
    EXPECT_EQ(p_before, static_cast<char const *>(co_string));
    EXPECT_TRUE(ZeroBehindText(co_string));
    co_string += static_cast<char const *>(0);
    EXPECT_EQ("abcdef", Text(co_string));
}

TEST(StringAppendTest, AppendFillingRoomExactlyThenGrows)
{
    CT_String co_string(std::string(250, 'a').c_str());
    co_string += "bcdefg";
    EXPECT_EQ(256u, co_string.n_GetSize());
    EXPECT_EQ(256u, co_string.n_GetLength());
    co_string += "h";
    EXPECT_EQ(257u + 512u, co_string.n_GetSize());
    EXPECT_EQ(std::string(250, 'a') + "bcdefgh", Text(co_string));
}

TEST(StringAppendTest, OwnTextCanBeAssignedAndAppended)
{
    CT_String co_string("abcdef");
    co_string = static_cast<char const *>(co_string) + 2;
    EXPECT_EQ("cdef", Text(co_string));
    co_string += co_string;
    EXPECT_EQ("cdefcdef", Text(co_string));

    std::string const co_long(300, 'k');
    CT_String co_grows(co_long.c_str());
    co_grows += co_grows; // 600 bytes do not fit the room of 556
    EXPECT_EQ(co_long + co_long, Text(co_grows));
    EXPECT_EQ(1112u, co_grows.n_GetSize());

    // A text that lies behind the string's own terminator, where appending zero-fills.
    CT_String co_list("ab");
    AddElements(co_list, "cd");
    co_list += static_cast<char const *>(co_list) + 3;
    EXPECT_EQ("abcd", Text(co_list));
    EXPECT_EQ(1u, co_list.n_GetNumberOfElement());

    CT_String co_big(std::string(300, 'b').c_str());
    co_big = static_cast<char const *>(co_big) + 290; // 10 bytes of its own text
    EXPECT_EQ(std::string(10, 'b'), Text(co_big));
    EXPECT_EQ(556u, co_big.n_GetSize());
    EXPECT_TRUE(ZeroBehindText(co_big));
}

TEST(StringAppendTest, ConcatenationReturnsCopyOfWorkingString)
{
    CT_String co_abc("abc");
    CT_String co_sum = co_abc + "def";
    EXPECT_EQ("abcdef", Text(co_sum));
    EXPECT_EQ(768u, co_sum.n_GetSize());
    EXPECT_EQ("abc", Text(co_abc));

    std::string const co_long(600, 'l');
    CT_String co_longsum = CT_String(co_long.c_str()) + "x";
    EXPECT_EQ(co_long + "x", Text(co_longsum));
    EXPECT_EQ(1112u, co_longsum.n_GetSize());

    CT_String co_list("a.txt");
    AddElements(co_list, "b.txt");
    co_list.b_NextElement();
    EXPECT_EQ("b.txt!", Text(co_list + "!"));
    EXPECT_EQ(std::string("b.txt!\0\0", 8), Bytes(co_list + "!", 8));
}

TEST(StringAppendTest, NumberIsAppendedInDecimal)
{
    EXPECT_EQ("abc42", Text(CT_String("abc") + 42u));
    EXPECT_EQ("0", Text(CT_String() + 0u));
    CT_String co_max = CT_String() + 4294967295u;
    EXPECT_EQ("4294967295", Text(co_max));
    EXPECT_EQ(768u, co_max.n_GetSize());
}

// Comparison, indexing and sizes.

TEST(StringCompareTest, EqualityIsByteForByteFromCursors)
{
    EXPECT_EQ(1, CT_String("abc") == CT_String("abc"));
    EXPECT_EQ(0, CT_String("abc") == CT_String("abC"));
    EXPECT_EQ(0, CT_String("abc") == CT_String("ab"));
    EXPECT_EQ(1, CT_String() == CT_String(""));
    CT_String co_list("xy");
    AddElements(co_list, "abc");
    co_list.b_NextElement();
    EXPECT_EQ(1, co_list == CT_String("abc"));
}

TEST(StringCompareTest, IndexReadsZeroExtendedBytes)
{
    CT_String co_string("ab");
    EXPECT_EQ(0, co_string[2u]);
    co_string.v_SetChar(0, 233);
    EXPECT_EQ(233, co_string[0u]);
    co_string.v_SetChar(1, 0x141); // only the low byte is stored
    EXPECT_EQ(0x41, co_string[1u]);
}

TEST(StringCompareTest, SizesMeasureGivenTextOrOwn)
{
    CT_String co_string("abc");
    EXPECT_EQ(5u, co_string.n_GetLength("hello"));
    EXPECT_EQ(5u, co_string.n_GetStringSize("hello"));
    EXPECT_EQ(3u, co_string.n_GetLength());
    co_string.v_Empty();
    EXPECT_EQ(1, co_string.b_IsEmpty());
    EXPECT_EQ(256u, co_string.n_GetSize());
}

// Editing.

TEST(StringEditTest, ReplaceCharByZeroMakesList)
{
    CT_String co_filter("A|*.a|B|*.b||");
    co_filter.v_ReplaceChar('|', 0);
    EXPECT_EQ("A", Text(co_filter));
    EXPECT_EQ(std::string("A\0*.a\0B\0*.b\0\0\0", 14), Bytes(co_filter, 14));
    EXPECT_EQ(4u, co_filter.n_GetNumberOfElement());

    CT_String co_name("name.ext.bak");
    co_name.v_ReplaceChar('.', 0);
    EXPECT_EQ("name", Text(co_name));

    CT_String co_same("ABA");
    co_same.v_ReplaceChar(0x141, 'x');
    EXPECT_EQ("ABA", Text(co_same));
    co_same.v_ReplaceChar('A', 0x17A); // stores 'z'
    EXPECT_EQ("zBz", Text(co_same));
}

TEST(StringEditTest, ReplaceCharacterByText)
{
    CT_String co_string("100%");
    co_string.v_Replace('%', "x");
    EXPECT_EQ("100x", Text(co_string));
    EXPECT_EQ(768u, co_string.n_GetSize());

    CT_String co_two("%%");
    co_two.v_Replace('%', "x");
    EXPECT_EQ("xx", Text(co_two));

    CT_String co_lead("%abc");
    co_lead.v_Replace('%', "");
    EXPECT_EQ("abc", Text(co_lead));
    CT_String co_null("%abc");
    co_null.v_Replace('%', 0);
    EXPECT_EQ("abc", Text(co_null));
    CT_String co_alone("%");
    co_alone.v_Replace('%', 0);
    EXPECT_EQ(1, co_alone.b_IsEmpty());

    CT_String co_again("a%");
    co_again.v_Replace('%', "%%");
    EXPECT_EQ("a%%", Text(co_again));
}

TEST(StringEditTest, ReplaceThatFindsNothingChangesNothing)
{
    CT_String co_string("abc");
    co_string.v_Replace('\0', "x");
    co_string.v_Replace(CT_String(""), "x");
    co_string.v_Replace('z', "x");
    co_string.v_Replace(0x161, "x"); // low byte 'a', but no byte equals 0x161
    EXPECT_EQ("abc", Text(co_string));
    EXPECT_EQ(256u, co_string.n_GetSize());

    CT_String co_list("ab");
    AddElements(co_list, "cd");
    co_list.v_Replace('z', "x");
    EXPECT_EQ(2u, co_list.n_GetNumberOfElement());
}

TEST(StringEditTest, ReplacePatternTakesOccurrencesFromLeft)
{
    CT_String co_string("aaa");
    co_string.v_Replace(CT_String("aa"), "b");
    EXPECT_EQ("ba", Text(co_string));

    // Matches that begin inside a broken partial match are found too.
    CT_String co_broken("aab aaab abab");
    co_broken.v_Replace(CT_String("ab"), "X");
    EXPECT_EQ("aX aaX XX", Text(co_broken));
    CT_String co_border("ababac abac");
    co_border.v_Replace(CT_String("abac"), "-");
    EXPECT_EQ("ab- -", Text(co_border));

    CT_String co_self("same");
    co_self.v_Replace(co_self, "other");
    EXPECT_EQ("other", Text(co_self));

    CT_String co_own("a-b");
    co_own.v_Replace('-', static_cast<char const *>(co_own) + 2); // "b", read before the change
    EXPECT_EQ("abb", Text(co_own));
}

TEST(StringEditTest, ReplaceCapacityFollowsAppendsAndCopy)
{
    CT_String co_doubled(std::string(600, 'a').c_str());
    co_doubled.v_Replace('a', "bb");
    EXPECT_EQ(std::string(1200, 'b'), Text(co_doubled));
    EXPECT_EQ(1796u, co_doubled.n_GetSize());

    CT_String co_piece((std::string(700, 'a') + "%").c_str());
    co_piece.v_Replace('%', "bc");
    EXPECT_EQ(std::string(700, 'a') + "bc", Text(co_piece));
    EXPECT_EQ(1468u, co_piece.n_GetSize());

    CT_String co_roomy("x%y", 3000);
    co_roomy.v_Replace('%', "-");
    EXPECT_EQ("x-y", Text(co_roomy));
    EXPECT_EQ(3256u, co_roomy.n_GetSize());
    EXPECT_TRUE(ZeroBehindText(co_roomy));
}

TEST(StringEditTest, ReplaceErasesLaterElements)
{
    CT_String co_list("a%");
    AddElements(co_list, "b%");
    co_list.v_Replace('%', "!");
    EXPECT_EQ(std::string("a!\0\0\0", 5), Bytes(co_list, 5));
    EXPECT_EQ(1u, co_list.n_GetNumberOfElement());
}

TEST(StringEditTest, MidCopiesRangeWithinRoom)
{
    CT_String co_abcd("abcd");
    CT_String co_mid = co_abcd.co_GetMid(1, 2);
    EXPECT_EQ("bc", Text(co_mid));
    EXPECT_EQ(768u, co_mid.n_GetSize());
    EXPECT_EQ(1, co_abcd.co_GetMid(2, 0).b_IsEmpty());
    EXPECT_EQ(1, co_abcd.co_GetMid(0, -1).b_IsEmpty());
    EXPECT_EQ("cd", Text(co_abcd.co_GetMid(2, 10)));

    // Outside the allocation: nothing before the start, nothing past the room.
    CT_String co_before = co_abcd.co_GetMid(-3, 5);
    EXPECT_EQ(1, co_before.b_IsEmpty());
    EXPECT_EQ(768u, co_before.n_GetSize());
    CT_String co_past = co_abcd.co_GetMid(250, 100);
    EXPECT_EQ(std::string(8, '\0'), Bytes(co_past, 8));
    EXPECT_EQ("bcd", Text(co_abcd.co_GetMid(1, INT_MAX)));
    EXPECT_EQ(1, co_abcd.co_GetMid(256, 1).b_IsEmpty());

    CT_String co_list("ab");
    AddElements(co_list, "cd");
    EXPECT_EQ(std::string("ab\0cd\0\0", 7), Bytes(co_list.co_GetMid(0, 5), 7));
}

TEST(StringEditTest, MidCapacityFollowsCharacterByCharacterGrowth)
{
    CT_String co_long(std::string(1100, 'm').c_str());
    EXPECT_EQ(768u, co_long.co_GetMid(0, 511).n_GetSize());
    EXPECT_EQ(1281u, co_long.co_GetMid(0, 512).n_GetSize());
    EXPECT_EQ(1281u, co_long.co_GetMid(5, 1024).n_GetSize());
    CT_String co_mid = co_long.co_GetMid(3, 1025);
    EXPECT_EQ(1794u, co_mid.n_GetSize());
    EXPECT_EQ(std::string(1025, 'm'), Text(co_mid));
}

TEST(StringEditTest, SearchFindsFirstOccurrenceAtOrAfterStart)
{
    CT_String co_abcd("abcd");
    EXPECT_EQ(2, co_abcd.i_Search(CT_String("cd"), 0));
    EXPECT_EQ(-1, co_abcd.i_Search(CT_String("cd"), 3));
    EXPECT_EQ(-1, co_abcd.i_Search(CT_String(""), 0));
    EXPECT_EQ(-1, co_abcd.i_Search(CT_String("a"), 5));
    EXPECT_EQ(-1, co_abcd.i_Search(CT_String("a"), 4));
    EXPECT_EQ(-1, co_abcd.i_Search(CT_String("a"), -1));
    EXPECT_EQ(0, CT_String("abc").i_Search(CT_String("abc"), 0));
    EXPECT_EQ(1, CT_String("aab").i_Search(CT_String("ab"), 0));
    EXPECT_EQ(3, CT_String("abaabab").i_Search(CT_String("abab"), 0));
    EXPECT_EQ(-1, CT_String("ab").i_Search(CT_String("abc"), 0));
    EXPECT_EQ(4, CT_String("abcabc").i_Search(CT_String("bc"), 2));
}

TEST(StringEditTest, SetCharStoresWithoutTerminator)
{
    CT_String co_string("abc");
    co_string.v_SetChar(1, 'X');
    EXPECT_EQ("aXc", Text(co_string));
    co_string.v_SetChar(1, 0);
    EXPECT_EQ("a", Text(co_string));
    co_string.v_SetChar(1, 'Y');
    EXPECT_EQ("aYc", Text(co_string));
}

// Element lists.

TEST(StringListTest, DefaultStringIsEmptyList)
{
    CT_String co_string;
    char const *p_start = co_string;
    EXPECT_EQ(0u, co_string.n_GetNumberOfElement());
    EXPECT_EQ(0, co_string.b_NextElement());
    EXPECT_EQ(p_start, static_cast<char const *>(co_string));
}

TEST(StringListTest, AddedElementsFollowFirstText)
{
    CT_String co_list("C:\\dir");
    char const *p_start = co_list;
    co_list.v_AddElement(CT_String("a.txt"));
    co_list.v_AddElement(CT_String("b.txt"));
    EXPECT_EQ(std::string("C:\\dir\0a.txt\0b.txt\0\0", 20), Bytes(co_list, 20));
    EXPECT_EQ(3u, co_list.n_GetNumberOfElement());
    EXPECT_EQ(p_start, static_cast<char const *>(co_list));
    EXPECT_EQ("C:\\dir", Text(co_list));
}

TEST(StringListTest, WalkVisitsEveryElementAndStopsOnEnd)
{
    CT_String co_list("C:\\dir");
    AddElements(co_list, "a.txt", "b.txt");
    co_list.v_ResetArray();
    EXPECT_EQ("C:\\dir", Text(co_list));
    EXPECT_EQ(1, co_list.b_NextElement());
    EXPECT_EQ("a.txt", Text(co_list));
    EXPECT_EQ(256u - 7u, co_list.n_GetSize());
    EXPECT_EQ(1, co_list.b_NextElement());
    EXPECT_EQ("b.txt", Text(co_list));
    EXPECT_EQ(0, co_list.b_NextElement());
    char const *p_end = co_list;
    EXPECT_EQ(1, co_list.b_IsEmpty());
    EXPECT_EQ(0, co_list.b_NextElement());
    EXPECT_EQ(p_end, static_cast<char const *>(co_list));
}

TEST(StringListTest, CopyAtElementCarriesRestOfList)
{
    CT_String co_list("C:\\dir");
    AddElements(co_list, "a.txt", "b.txt");
    co_list.b_NextElement();
    CT_String co_copy(co_list);
    EXPECT_EQ(256u, co_copy.n_GetSize());
    EXPECT_EQ(std::string("a.txt\0b.txt\0\0", 13), Bytes(co_copy, 13));
    EXPECT_EQ(2u, co_copy.n_GetNumberOfElement());
}

TEST(StringListTest, EmptyAdditionsChangeNothing)
{
    CT_String co_list("x");
    AddElements(co_list, "y");
    co_list.v_AddElement(CT_String());
    co_list.v_PutArray("\0z\0");
    co_list.v_PutArray(0);
    EXPECT_EQ(std::string("x\0y\0\0", 5), Bytes(co_list, 5));
    EXPECT_EQ(2u, co_list.n_GetNumberOfElement());
}

TEST(StringListTest, PutArrayAppendsEveryElement)
{
    CT_String co_list;
    co_list.v_PutArray("x\0y\0");
    EXPECT_EQ(std::string("x\0y\0\0", 5), Bytes(co_list, 5));
    co_list.v_PutArray("long\0z\0");
    EXPECT_EQ(std::string("x\0y\0long\0z\0\0", 12), Bytes(co_list, 12));
    EXPECT_EQ(4u, co_list.n_GetNumberOfElement());
    EXPECT_EQ(512u, co_list.n_GetSize());
}

TEST(StringListTest, OwnListAndElementCanBeAdded)
{
    CT_String co_list("ab");
    AddElements(co_list, "cd");
    co_list.v_PutArray(co_list);
    EXPECT_EQ(std::string("ab\0cd\0ab\0cd\0\0", 13), Bytes(co_list, 13));

    CT_String co_one("ab");
    co_one.v_AddElement(co_one);
    EXPECT_EQ(std::string("ab\0ab\0\0", 7), Bytes(co_one, 7));
}

TEST(StringListTest, ElementFillingRoomExactlyGrowsBuffer)
{
    CT_String co_list(std::string(250, 'a').c_str()); // the list ends at 251: room 5
    co_list.v_AddElement(CT_String("bbbbb"));
    EXPECT_EQ(518u, co_list.n_GetSize());
    EXPECT_EQ(std::string(250, 'a') + std::string("\0bbbbb\0\0", 8), Bytes(co_list, 258));
    EXPECT_EQ(2u, co_list.n_GetNumberOfElement());

    CT_String co_wider(std::string(250, 'a').c_str());
    co_wider.v_AddElement(CT_String("bbbbbb"));
    EXPECT_EQ(518u, co_wider.n_GetSize());

    // Four bytes leave the closing zero in the byte behind the room.
    CT_String co_tight(std::string(250, 'a').c_str());
    co_tight.v_AddElement(CT_String("bbbb"));
    EXPECT_EQ(256u, co_tight.n_GetSize());
    EXPECT_EQ(2u, co_tight.n_GetNumberOfElement());
    co_tight.v_AddElement(CT_String("c"));
    EXPECT_EQ(std::string(250, 'a') + std::string("\0bbbb\0c\0\0", 10), Bytes(co_tight, 260));
    EXPECT_EQ(3u, co_tight.n_GetNumberOfElement());
}

TEST(StringListTest, GrowthDeepInListKeepsWholeList)
{
    std::string const co_first(600, 'f');
    std::string const co_second(300, 's');
    CT_String co_list(co_first.c_str()); // capacity 856, the list ends at 601
    co_list.v_AddElement(CT_String(co_second.c_str()));
    EXPECT_EQ(601u + 812u, co_list.n_GetSize());
    EXPECT_EQ(co_first + '\0' + co_second + '\0' + '\0', Bytes(co_list, 903));
    EXPECT_EQ(2u, co_list.n_GetNumberOfElement());
}

// While the cursor stands on an element, assignment and v_SetSize keep the
// elements before it, erase those after it, and grow when the room is too small.
TEST(StringListTest, AssignmentAtElementKeepsEarlierElements)
{
    CT_String co_list("first");
    AddElements(co_list, "second", "third");
    co_list.b_NextElement();
    co_list = "2nd";
    co_list.v_ResetArray();
    EXPECT_EQ(std::string("first\0" "2nd\0\0\0\0", 12), Bytes(co_list, 12));
    EXPECT_EQ(2u, co_list.n_GetNumberOfElement());
    EXPECT_EQ(256u, co_list.n_GetSize());

    co_list.b_NextElement();
    std::string const co_long(252, 'L'); // shorter than the capacity, longer than the room of 250
    co_list = co_long.c_str();
    EXPECT_EQ(co_long, Text(co_list));
    EXPECT_EQ(256u, co_list.n_GetSize());
    co_list.v_ResetArray();
    EXPECT_EQ(6u + 256u, co_list.n_GetSize());
    EXPECT_EQ("first", Text(co_list));
    EXPECT_EQ(2u, co_list.n_GetNumberOfElement());
}

TEST(StringListTest, SetSizeAtElementFitsRoom)
{
    CT_String co_list("first");
    AddElements(co_list, "second");
    co_list.b_NextElement();
    co_list.v_SetSize(100);
    EXPECT_EQ(250u, co_list.n_GetSize());
    EXPECT_EQ(1, co_list.b_IsEmpty());
    co_list.v_SetSize(250);
    EXPECT_EQ(256u, co_list.n_GetSize());
    EXPECT_EQ(std::string(256, '\0'), Bytes(co_list, 256));
    co_list.v_ResetArray();
    EXPECT_EQ(std::string("first\0\0", 7), Bytes(co_list, 7));

    co_list.b_NextElement();
    co_list += "more";
    co_list.v_ResetArray();
    EXPECT_EQ(2u, co_list.n_GetNumberOfElement());
}

TEST(StringListTest, AppendAtElementErasesLaterElements)
{
    CT_String co_list("a");
    AddElements(co_list, "b", "c");
    co_list.b_NextElement();
    co_list += "x";
    co_list.v_ResetArray();
    EXPECT_EQ(std::string("a\0bx\0\0\0", 7), Bytes(co_list, 7));
}

// Copies into a caller's buffer.

TEST(StringCopyOutTest, DestinationEndsWithTwoZeros)
{
    char s_out[12];
    std::memset(s_out, '#', sizeof s_out);
    CT_String("abc").v_Set(s_out, 8);
    EXPECT_EQ(std::string("abc\0\0\0\0\0####", 12), std::string(s_out, 12));

    CT_String co_list("x");
    AddElements(co_list, "yz");
    std::memset(s_out, '#', sizeof s_out);
    co_list.v_Set(s_out, 8);
    EXPECT_EQ(std::string("x\0yz\0\0\0\0####", 12), std::string(s_out, 12));
}

TEST(StringCopyOutTest, TinySizesWriteOnlyWithinSize)
{
    char s_out[4];
    std::memset(s_out, '#', sizeof s_out);
    CT_String co_string("abc");
    co_string.v_Set(s_out, 0);
    EXPECT_EQ("####", std::string(s_out, 4));
    co_string.v_Set(s_out, 1);
    EXPECT_EQ(std::string("\0###", 4), std::string(s_out, 4));
    co_string.v_Set(s_out, 2);
    EXPECT_EQ(std::string("\0\0##", 4), std::string(s_out, 4));
    co_string.v_Set(s_out, 3);
    EXPECT_EQ(std::string("a\0\0#", 4), std::string(s_out, 4));
}

TEST(StringCopyOutTest, LargeSizeReadsOnlyTheAllocation)
{
    CT_String co_string("abc");
    std::string co_out(400, '#');
    co_string.v_Set(&co_out[0u], 400);
    EXPECT_EQ(std::string("abc") + std::string(397, '\0'), co_out);

    CT_String co_list("x");
    AddElements(co_list, "yz");
    co_list.b_NextElement();
    std::string co_tail(300, '#');
    co_list.v_Set(&co_tail[0u], 300);
    EXPECT_EQ(std::string("yz") + std::string(298, '\0'), co_tail);
}

#if defined(_WIN32)
// Window text, against real windows.

namespace
{
/// A top-level edit control of this thread, destroyed with the fixture.
class StringWindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        h_window = CreateWindowExA(0, "EDIT", "initial", WS_OVERLAPPEDWINDOW | ES_AUTOHSCROLL, 10, 10, 300, 80,
                                   0, 0, GetModuleHandleA(0), 0);
        ASSERT_NE(static_cast<HWND>(0), h_window);
        SendMessageA(h_window, EM_LIMITTEXT, 0, 0);
    }
    void TearDown() override
    {
        if (h_window != 0)
            DestroyWindow(h_window);
    }

    HWND h_window = 0;
};
} // namespace

TEST_F(StringWindowTest, SetAndReadWindowText)
{
    CT_String("from the string").v_Set(h_window);
    EXPECT_EQ("from the string", test::WindowText(h_window));

    SetWindowTextA(h_window, "typed");
    CT_String co_text("previous");
    co_text = h_window;
    EXPECT_EQ("typed", Text(co_text));
    EXPECT_EQ('u', co_text[6u]); // bytes behind the new terminator stay
    EXPECT_EQ(256u, co_text.n_GetSize());
}

TEST_F(StringWindowTest, ElementTextGoesToWindow)
{
    CT_String co_list("one");
    AddElements(co_list, "two");
    co_list.b_NextElement();
    co_list.v_Set(h_window);
    EXPECT_EQ("two", test::WindowText(h_window));
}

TEST_F(StringWindowTest, LongWindowTextIsCutToRoom)
{
    std::string const co_long(300, 'w');
    SetWindowTextA(h_window, co_long.c_str());
    ASSERT_EQ(co_long, test::WindowText(h_window));
    CT_String co_small("x");
    co_small = h_window;
    EXPECT_EQ(std::string(255, 'w'), Text(co_small));

    CT_String co_roomy;
    co_roomy = h_window;
    EXPECT_EQ(co_long, Text(co_roomy));
}

TEST_F(StringWindowTest, SettingTextOfNoWindowRaisesCode2)
{
    HWND const h_gone = h_window;
    DestroyWindow(h_window);
    h_window = 0;
    CT_Errors::v_ResetError();
    et_ErrorCode e_thrown = e_NoError;
    try
    {
        CT_String("lost").v_Set(h_gone);
    }
    catch (et_ErrorCode e_code)
    {
        e_thrown = e_code;
    }
    EXPECT_EQ(e_Windows, e_thrown);
    EXPECT_EQ(e_Windows, CT_Errors::set_GetLastError());
    EXPECT_EQ("SetWindowText", Text(CT_Errors::co_GetLastParameter()));
}
#endif
