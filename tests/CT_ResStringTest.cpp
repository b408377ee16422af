#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "CT_Errors.h"
#include "CT_ResString.h"
#include "TestSupport.h"

namespace
{
std::string Text(CT_String const &text)
{
    return static_cast<char const *>(text);
}

HINSTANCE Library()
{
    return GetModuleHandleA("Common.dll");
}

// The test program's own table (CT_ResStringTest.rc).
HINSTANCE Program()
{
    return GetModuleHandleA(nullptr);
}

unsigned int const kLongId = 100;       // "0123456789" sixty times
unsigned int const kTwoMarkersId = 101; // "from % to % via %day"
unsigned int const kMarkerOnlyId = 102; // "%"
unsigned int const kNameMarkerId = 103; // "<<name>> wrote <<name>>'s file"

std::string Digits(size_t length)
{
    std::string digits;
    while (digits.size() < length)
        digits += static_cast<char>('0' + digits.size() % 10);
    return digits;
}

CT_String const kPercent("%");

class ResStringTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(Library(), nullptr);
        CT_Errors::v_ResetError();
    }
};

TEST_F(ResStringTest, LibraryTableHoldsEveryTitleAndLogTextExactly)
{
    struct Entry
    {
        unsigned int id;
        char const *text;
    } const entries[] = {
        {1, "Please select a folder below and click OK."},
        {2, "Export"},
        {3, "Import"},
        {4, "Add Files"},
        {50, "% log"},
        {51, "%month-%day-%year at %hour:%min"},
        {52, "Veltrane Log file (*.log)|*.log||"},
        {999, "Error % (no message associated with)"},
        {1000, "Error"},
    };
    for (Entry const &entry : entries)
    {
        CT_ResString loaded(Library(), entry.id, kPercent);
        EXPECT_EQ(Text(loaded.cco_Get()), entry.text) << "string " << entry.id;
        EXPECT_EQ(loaded.b_IsValid(), 1);
    }
}

TEST_F(ResStringTest, MissingStringRaisesWindowsErrorNamingTheLoad)
{
    try
    {
        CT_ResString missing(Library(), 1021, kPercent);
        ADD_FAILURE() << "string 1021 loaded";
    }
    catch (et_ErrorCode e_code)
    {
        EXPECT_EQ(e_code, e_Windows);
    }
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_Windows);
    EXPECT_EQ(Text(CT_Errors::co_GetLastParameter()), "CT_String::v_Load");

    // An object whose load failed keeps module, ID and marker, so a short
    // v_Set afterwards still reads the same module.
    CT_Errors::v_ResetError();
    CT_ResString message(Library(), 1000, kPercent);
    EXPECT_THROW(message.v_Set(1021, kPercent), et_ErrorCode);
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_Windows);
    EXPECT_EQ(message.b_IsValid(), 1);
    message.v_Set(999, kPercent);
    EXPECT_EQ(Text(message.cco_Get(20u)), "Error 20 (no message associated with)");
}

TEST_F(ResStringTest, ObjectWithoutModuleOrIdHoldsNoTextAndRaisesNothing)
{
    CT_ResString empty;
    EXPECT_EQ(empty.b_IsValid(), 0);
    EXPECT_EQ(Text(empty.cco_Get()), "");
    EXPECT_EQ(Text(empty.cco_Get(CT_String("x"))), "");
    empty.v_Fix(7, CT_String("day"), 2);
    EXPECT_EQ(Text(empty.cco_Get()), "");

    CT_ResString text(Library(), 1000, kPercent);
    text.v_Set(nullptr, 1000, kPercent);
    EXPECT_EQ(text.b_IsValid(), 0);
    EXPECT_EQ(Text(text.cco_Get()), "");
    text.v_Set(Library(), 0, kPercent);
    EXPECT_EQ(text.b_IsValid(), 0);
    EXPECT_EQ(Text(text.cco_Get()), "");
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_Unknown);
}

TEST_F(ResStringTest, LoadsIntoTheTextsOwnRoom)
{
    // A fresh text has room 512: 511 characters and the NUL.
    CT_ResString fresh(Program(), kLongId, kPercent);
    EXPECT_EQ(Text(fresh.cco_Get()), Digits(511));

    // A copy's text has room 768, so the whole string fits.
    CT_ResString copy(fresh);
    copy.v_Set(kLongId, kPercent);
    EXPECT_EQ(Text(copy.cco_Get()), Digits(600));

    // A shorter string loaded afterwards leaves nothing of the longer one.
    fresh.v_Set(kMarkerOnlyId, kPercent);
    char const *room = fresh.cco_Get();
    EXPECT_EQ(std::string(room), "%");
    for (unsigned int i = 1; i < 511; ++i)
        ASSERT_EQ(room[i], 0) << "byte " << i;
}

TEST_F(ResStringTest, NumberFillsBareMarkerAndLeavesLoadedTextAlone)
{
    CT_ResString fallback(Library(), 999, kPercent);
    EXPECT_EQ(Text(fallback.cco_Get(42u)), "Error 42 (no message associated with)");
    EXPECT_EQ(Text(fallback.cco_Get(0u)), "Error 0 (no message associated with)");
    EXPECT_EQ(Text(fallback.cco_Get(4294967295u)), "Error 4294967295 (no message associated with)");
    EXPECT_EQ(Text(fallback.cco_Get()), "Error % (no message associated with)");
}

TEST_F(ResStringTest, ValueFillsEveryMarkerAndIsNotSearchedAgain)
{
    CT_ResString route(Program(), kTwoMarkersId, kPercent);
    EXPECT_EQ(Text(route.cco_Get(CT_String("X"))), "from X to X via Xday");
    EXPECT_EQ(Text(route.cco_Get(CT_String("%%"))), "from %% to %% via %%day");
    EXPECT_EQ(Text(route.cco_Get(CT_String(""))), "from  to  via day");
    EXPECT_EQ(Text(route.cco_Get()), "from % to % via %day");
}

TEST_F(ResStringTest, MarkerIsTheObjectsOwn)
{
    CT_ResString named(Program(), kNameMarkerId, CT_String("<<name>>"));
    EXPECT_EQ(Text(named.cco_Get(CT_String("Ann"))), "Ann wrote Ann's file");

    CT_ResString route(Program(), kTwoMarkersId, CT_String("<<name>>"));
    EXPECT_EQ(Text(route.cco_Get(CT_String("Ann"))), "from % to % via %day");
}

TEST_F(ResStringTest, FixesBuildOnEachOther)
{
    CT_ResString stamp(Library(), 51, kPercent);
    stamp.v_Fix(5, CT_String("month"), 2);
    stamp.v_Fix(9, CT_String("day"), 2);
    stamp.v_Fix(2005, CT_String("year"), 4);
    EXPECT_EQ(Text(stamp.cco_Get()), "05-09-2005 at %hour:%min");
    stamp.v_Fix(7, CT_String("hour"), 2);
    stamp.v_Fix(3, CT_String("min"), 2);
    EXPECT_EQ(Text(stamp.cco_Get()), "05-09-2005 at 07:03");
}

TEST_F(ResStringTest, NumberFixPadsWithZerosToTheWidthOnly)
{
    struct Case
    {
        unsigned int number;
        unsigned int width;
        char const *year;
    } const cases[] = {
        {7, 0, "7"}, {7, 1, "7"}, {7, 2, "07"}, {7, 5, "00007"}, {2005, 2, "2005"}, {0, 3, "000"},
    };
    for (Case const &c : cases)
    {
        CT_ResString stamp(Library(), 51, kPercent);
        stamp.v_Fix(c.number, CT_String("year"), c.width);
        EXPECT_EQ(Text(stamp.cco_Get()), std::string("%month-%day-") + c.year + " at %hour:%min")
            << c.number << " width " << c.width;
    }
}

TEST_F(ResStringTest, TextFixWithKeyOrBareMarkerAndLaterFills)
{
    CT_ResString route(Program(), kTwoMarkersId, kPercent);
    route.v_Fix(CT_String("Monday"), CT_String("day"));
    EXPECT_EQ(Text(route.cco_Get()), "from % to % via Monday");
    // The fills of cco_Get work on the fixed text.
    EXPECT_EQ(Text(route.cco_Get(CT_String("A"))), "from A to A via Monday");
    route.v_Fix(CT_String("B"), CT_String(""));
    EXPECT_EQ(Text(route.cco_Get()), "from B to B via Monday");
}

TEST_F(ResStringTest, FixWithEmptyResultCountsAsNoFix)
{
    CT_ResString marker(Program(), kMarkerOnlyId, kPercent);
    marker.v_Fix(CT_String(""), CT_String(""));
    EXPECT_EQ(Text(marker.cco_Get()), "%");
}

TEST_F(ResStringTest, SetDropsTheFix)
{
    CT_ResString stamp(Library(), 51, kPercent);
    stamp.v_Fix(5, CT_String("month"), 2);
    stamp.v_Set(999, kPercent);
    EXPECT_EQ(Text(stamp.cco_Get()), "Error % (no message associated with)");

    stamp.v_Set(51, kPercent);
    stamp.v_Fix(5, CT_String("month"), 2);
    stamp.v_Set(Library(), 51, kPercent);
    EXPECT_EQ(Text(stamp.cco_Get()), "%month-%day-%year at %hour:%min");
}

TEST_F(ResStringTest, CopiesCarryEveryFieldAndStayIndependent)
{
    CT_ResString original(Library(), 51, kPercent);
    original.v_Fix(5, CT_String("month"), 2);

    CT_ResString copy(original);
    EXPECT_EQ(copy.b_IsValid(), 1);
    EXPECT_EQ(Text(copy.cco_Get()), "05-%day-%year at %hour:%min");
    copy.v_Fix(9, CT_String("day"), 2);
    EXPECT_EQ(Text(copy.cco_Get()), "05-09-%year at %hour:%min");
    EXPECT_EQ(Text(original.cco_Get()), "05-%day-%year at %hour:%min");

    CT_ResString assigned;
    assigned = original;
    EXPECT_EQ(Text(assigned.cco_Get()), "05-%day-%year at %hour:%min");
    // The module came along: a short v_Set reads the library's table.
    assigned.v_Set(1000, kPercent);
    EXPECT_EQ(Text(assigned.cco_Get()), "Error");
    EXPECT_EQ(Text(original.cco_Get()), "05-%day-%year at %hour:%min");

    CT_ResString named(Program(), kNameMarkerId, CT_String("<<name>>"));
    CT_ResString named_copy(named);
    EXPECT_EQ(Text(named_copy.cco_Get(CT_String("Bo"))), "Bo wrote Bo's file");

    CT_ResString &same = (original = original);
    EXPECT_EQ(&same, &original);
    EXPECT_EQ(Text(original.cco_Get()), "05-%day-%year at %hour:%min");
}
} // namespace
