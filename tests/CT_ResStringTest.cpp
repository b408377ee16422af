#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "CT_ResString.h"
#include "Routes.h"

HINSTANCE const kLibrary = GetModuleHandleA("Common.dll");
CT_String const kPercent("%");

// The library's string table, byte for byte, checked here once. As windres reads the table, "" is one double quote
// and \n a line feed; blanks before a closing quote belong to the text. Code 20 has no message: no string 1021.
// clang-format off
struct Entry { unsigned int id; char const *text; };
Entry const kLibraryTable[] = {{1, "Please select a folder below and click OK."}, {2, "Export"}, {3, "Import"},
    {4, "Add Files"}, {50, "% log"}, {51, "%month-%day-%year at %hour:%min"}, {52, "Veltrane Log file (*.log)|*.log||"},
    {999, "Error % (no message associated with)"}, {1000, "Error"}, {1001, "No error"}, {1002, "Unknown error "},
    {1003, "The following Windows error occured during \nthe function \"%\" :\n\n"},
    {1004, "An unknow Windows error occured"}, {1005, "Nothing is selected"},
    {1006, "Can't add any more files to the list"}, {1007, "DTP error"},
    {1008, "An unknown error appeared in the DTP during the last operation"},
    {1009, "An error occured when opening the file\n\"%\""}, {1010, "An error occured when saving the file\n\"%\""},
    {1011, "An error occured when closing the file \n \"%\""}, {1012, "An invalid textbox has been found"},
    {1013, "The label \"%\"\nis not a valid label in this file"}, {1014, "No text found in this document"},
    {1015, "Please open a document"}, {1016, "Please ensure the Ordanet has been correctly installed and activated."},
    {1017, "It is not possible to find the text box \"%\"\nin the document"},
    {1018, "An error occured when opening the file\n \"%\""},
    {1019, "An error occured when writing in the file\n \"%\""},
    {1020, "An error occured when reading in the file\n \"%\""}, {1022, "The end of the file has been reached."},
    {1023, "The end of the file is unexpected.\n\"%\" is expected."},
    {1024, "Please select fewer files and try again."}, {1025, "The buffer is too small to receive this data"},
    {1026, "The command is unknown by the server"}, {1027, "The parameters sent are wrong for this server command."},
    {1028, "An invalid character has been found. Maybe a string is corrupted"},
    {1029, "An error occured when converting the file to kzx format"}};
// clang-format on

TEST(CT_ResStringLoad, GivesEachStringOfTheLibraryExactly)
{
    for (Entry const &entry : kLibraryTable)
        EXPECT_STREQ(CT_ResString(kLibrary, entry.id, kPercent).cco_Get(), entry.text) << "string " << entry.id;
}

// This program's string 100 is 600 times "x"; a fresh text's room is 512 bytes.
TEST(CT_ResStringLoad, CutsALongStringToTheRoomAndLeavesNoneOfItBehindAShorterOne)
{
    CT_ResString text(GetModuleHandleA(nullptr), 100, kPercent);
    EXPECT_EQ(std::string(text.cco_Get()), std::string(511, 'x'));
    text.v_Set(kLibrary, 2, kPercent);
    EXPECT_EQ(std::string(static_cast<char const *>(text.cco_Get()), 512), "Export" + std::string(506, '\0'));
}

// 1021 would be the text of code 20, which has none.
TEST(CT_ResStringLoad, LoadsNothingWithoutAModuleOrAStringIdAndRaises2ForAStringTheTableLacks)
{
    for (CT_ResString const &text :
         {CT_ResString(), CT_ResString(kLibrary, 0, kPercent), CT_ResString(nullptr, 999, kPercent)})
        EXPECT_EQ(std::string(text.cco_Get()) + "valid " + std::to_string(text.b_IsValid()), "valid 0");
    EXPECT_EQ(test::Outcome([] { CT_ResString(kLibrary, 1021, kPercent); }), "code 2 CT_String::v_Load");
    EXPECT_EQ(test::Outcome([] { CT_ResString(kLibrary, UINT_MAX, kPercent); }), "code 2 CT_String::v_Load");
}

// String 51 is "%month-%day-%year at %hour:%min": markers with keys.
TEST(CT_ResStringFix, GetFillsEveryMarkerAndLeavesTheMarkersOfTheValueAlone)
{
    EXPECT_STREQ(CT_ResString(kLibrary, 51, kPercent).cco_Get(CT_String("%%")), "%%month-%%day-%%year at %%hour:%%min");
}

// Under every failing allocation in turn, an assignment, a fix, a copy or a load raises bad_alloc or the whole text
// comes out.
TEST(CT_ResStringFix, FixesPadBuildOnEachOtherAndGoWithALoadAlsoInACopyOrRaiseWhereMemoryRunsOut)
{
    test::RouteImports();
    test::UnderEveryFailure(
        test::kAllocation, [] {},
        [] {
            CT_ResString stamp;
            stamp = CT_ResString(kLibrary, 51, kPercent);
            stamp.v_Fix(5, CT_String("month"), 2);
            stamp.v_Fix(2005, CT_String("year"), 3);
            CT_ResString copy(stamp);
            copy.v_Set(999, kPercent);
            return std::string(stamp.cco_Get()) + " | " + std::string(copy.cco_Get(42u));
        },
        [](test::Run const &run) {
            EXPECT_EQ(run.outcome + " " + run.result,
                      run.failed == 0 ? "done 05-%day-2005 at %hour:%min | Error 42 (no message associated with)"
                                      : "bad_alloc ")
                << run.where;
        });
}
