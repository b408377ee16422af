#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "CT_Errors.h"
#include "CT_ResString.h"

namespace
{
HINSTANCE const kLibrary = GetModuleHandleA("Common.dll");
CT_String const kPercent("%");

TEST(ResStringTest, LibraryTableHoldsItsTextsExactly)
{
    std::pair<unsigned int, char const *> const entries[] = {
        {1, "Please select a folder below and click OK."}, {2, "Export"}, {3, "Import"}, {4, "Add Files"},
        {50, "% log"}, {51, "%month-%day-%year at %hour:%min"}, {52, "Veltrane Log file (*.log)|*.log||"},
        {999, "Error % (no message associated with)"}, {1000, "Error"}};
    for (auto const &entry : entries)
        EXPECT_STREQ(CT_ResString(kLibrary, entry.first, kPercent).cco_Get(), entry.second) << "string " << entry.first;
}

TEST(ResStringTest, LoadCutsAt511RaisesForAMissingStringAndNeedsModuleAndId)
{
    CT_ResString text(GetModuleHandleA(nullptr), 100, kPercent); // this program's string: 600 times "x"
    EXPECT_EQ(std::string(text.cco_Get()), std::string(511, 'x'));
    text.v_Set(kLibrary, 2, kPercent);
    // Emptied before each load: nothing of a longer text stays behind the shorter one.
    EXPECT_EQ(std::string(text.cco_Get(), 511), "Export" + std::string(505, '\0'));
    EXPECT_THROW(text.v_Set(1021, kPercent), et_ErrorCode);
    EXPECT_EQ(CT_Errors::set_GetLastError(), e_Windows);
    EXPECT_STREQ(CT_Errors::co_GetLastParameter(), "CT_String::v_Load");
    text.v_Set(999, kPercent); // the failed load kept the module
    EXPECT_STREQ(text.cco_Get(20u), "Error 20 (no message associated with)");
    EXPECT_EQ(text.b_IsValid(), 1);
    text.v_Set(0, kPercent); // ID 0 refers to no string: nothing is loaded, nothing raised
    EXPECT_STREQ(text.cco_Get(), "");
    EXPECT_EQ(text.b_IsValid(), 0);
    text.v_Set(nullptr, 999, kPercent);
    EXPECT_STREQ(text.cco_Get(), "");
    EXPECT_EQ(text.b_IsValid(), 0);
}

TEST(ResStringTest, MarkersTakeTextsAndPaddedNumbersAndFixesBuildOnEachOther)
{
    CT_ResString stamp(kLibrary, 51, kPercent);
    // A value holding the marker is not searched again; the object's own marker is the one replaced.
    EXPECT_STREQ(stamp.cco_Get(CT_String("%%")), "%%month-%%day-%%year at %%hour:%%min");
    EXPECT_STREQ(CT_ResString(kLibrary, 51, CT_String("%m")).cco_Get(CT_String("X")), "Xonth-%day-%year at %hour:Xin");
    stamp.v_Fix(5, CT_String("month"), 2);
    stamp.v_Fix(9, CT_String("day"), 2);
    stamp.v_Fix(2005, CT_String("year"), 4);
    CT_ResString copy(stamp);
    copy.v_Fix(7, CT_String("hour"), 0);
    EXPECT_STREQ(copy.cco_Get(), "05-09-2005 at 7:%min");
    EXPECT_STREQ(stamp.cco_Get(), "05-09-2005 at %hour:%min"); // the copy's fix stays its own
    copy.v_Set(1000, kPercent); // the module came along; a load drops the fix
    EXPECT_STREQ(copy.cco_Get(), "Error");
}
} // namespace
