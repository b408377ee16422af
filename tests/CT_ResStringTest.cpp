#include <gtest/gtest.h>

#include "CT_ResString.h"
#include "Routes.h"

HINSTANCE const kLibrary = GetModuleHandleA("Common.dll");
CT_String const kPercent("%");

// The library's string table byte for byte, each string after its ID. As windres reads the table, "" is one double
// quote and \n a line feed; blanks before a closing quote belong to the text. Code 20 has no message: no string 1021.
std::string const kLibraryTable =
    "[1]Please select a folder below and click OK.[2]Export[3]Import[4]Add Files[50]% log[51]%month-%day-%year at "
    "%hour:%min[52]Veltrane Log file (*.log)|*.log||[999]Error % (no message associated with)[1000]Error[1001]No error"
    "[1002]Unknown error [1003]The following Windows error occured during \nthe function \"%\" :\n\n[1004]An unknow "
    "Windows error occured[1005]Nothing is selected[1006]Can't add any more files to the list[1007]DTP error[1008]An "
    "unknown error appeared in the DTP during the last operation[1009]An error occured when opening the file\n\"%\""
    "[1010]An error occured when saving the file\n\"%\"[1011]An error occured when closing the file \n \"%\"[1012]An "
    "invalid textbox has been found[1013]The label \"%\"\nis not a valid label in this file[1014]No text found in this "
    "document[1015]Please open a document[1016]Please ensure the Ordanet has been correctly installed and activated."
    "[1017]It is not possible to find the text box \"%\"\nin the document[1018]An error occured when opening the file\n"
    " \"%\"[1019]An error occured when writing in the file\n \"%\"[1020]An error occured when reading in the file\n "
    "\"%\"[1022]The end of the file has been reached.[1023]The end of the file is unexpected.\n\"%\" is expected."
    "[1024]Please select fewer files and try again.[1025]The buffer is too small to receive this data[1026]The command "
    "is unknown by the server[1027]The parameters sent are wrong for this server command.[1028]An invalid character "
    "has been found. Maybe a string is corrupted[1029]An error occured when converting the file to kzx format";

// This program's string 100 is 600 times "x", more than a fresh text's room of 512 bytes. Every ID up to the table's
// last then loads in its place, or raises code 2 "CT_String::v_Load" as one the table lacks does, also past its range.
// The last, 1029, has 55 characters, 9 fewer than 1028: the 457 bytes behind it must all be zeros. Without a module or
// an ID nothing loads and nothing raises, nor in a copy.
TEST(CT_ResStringLoad, GivesExactlyTheTablesStringForTheIdWithinTheRoomAndNothingElse)
{
    CT_ResString text(GetModuleHandleA(nullptr), 100, kPercent);
    std::string table(text.cco_Get());
    for (unsigned int id = 1; id <= 1029; ++id)
        if (test::Outcome([&] { text.v_Set(kLibrary, id, kPercent); }) != "code 2 CT_String::v_Load")
            table += "[" + std::to_string(id) + "]" + std::string(text.cco_Get());
    EXPECT_EQ(table, std::string(511, 'x') + kLibraryTable);
    EXPECT_EQ(std::string(static_cast<char const *>(text.cco_Get()) + 55, 457), std::string(457, '\0'));
    EXPECT_EQ(test::Outcome([] { CT_ResString(kLibrary, 0xFFFFFFFF, kPercent); }), "code 2 CT_String::v_Load");
    for (CT_ResString none : {CT_ResString(kLibrary, 0, kPercent), CT_ResString(nullptr, 999, kPercent)})
        EXPECT_EQ(std::string(none.cco_Get()) + "valid " + std::to_string(none.b_IsValid()), "valid 0");
}

// String 51 is "%month-%day-%year at %hour:%min": markers with keys; 999 is "Error % (no message associated with)".
TEST(CT_ResStringFix, PadsToTheWidthBuildsOnEarlierFixesLeavesTheMarkersOfAValueAloneAndGoesWithALoadAlsoInACopy)
{
    CT_ResString stamp(kLibrary, 51, kPercent);
    stamp.v_Fix(5, CT_String("month"), 2);
    stamp.v_Fix(2005, CT_String("year"), 3);
    EXPECT_STREQ(stamp.cco_Get(CT_String("%%")), "05-%%day-2005 at %%hour:%%min");
    CT_ResString copy;
    copy = stamp;
    copy.v_Set(999, kPercent);
    EXPECT_STREQ(copy.cco_Get(42u), "Error 42 (no message associated with)");
}
