#include "BenchCases.h"

#include "CT_String.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace bench
{
namespace
{
// An append walks the whole text to find its end, and adding an element walks
// every element before it: both are quadratic by design. The references do the
// same walks with the C library's strlen and memcpy into a buffer reserved
// ahead, which is the least the rules allow; the library should stay near it.

double d_AppendMs(char const *p_line, unsigned int n_appends, bool &b_correct)
{
    CT_String co_text;
    CT_Stopwatch co_watch;
    for (unsigned int n_append = 0; n_append < n_appends; ++n_append)
        co_text += p_line;
    double const d_ms = co_watch.d_Ms();
    b_correct = b_correct && co_text.n_GetStringSize() == n_appends * std::strlen(p_line);
    return d_ms;
}

double d_AppendWithCMs(char const *p_line, unsigned int n_appends, bool &b_correct)
{
    size_t const n_line = std::strlen(p_line);
    CT_Stopwatch co_watch;
    std::unique_ptr<char[]> p_text(new char[n_appends * n_line + 1]());
    for (unsigned int n_append = 0; n_append < n_appends; ++n_append)
        std::memcpy(p_text.get() + std::strlen(p_text.get()), p_line, n_line + 1);
    v_Use(p_text.get());
    double const d_ms = co_watch.d_Ms();
    b_correct = b_correct && std::strlen(p_text.get()) == n_appends * n_line;
    return d_ms;
}

std::vector<std::string> co_Elements(unsigned int n_elements)
{
    std::vector<std::string> co_elements;
    for (unsigned int n_element = 0; n_element < n_elements; ++n_element)
    {
        char s_name[32];
        std::snprintf(s_name, sizeof s_name, "file_%07u.txt", n_element);
        co_elements.push_back(s_name);
    }
    return co_elements;
}

double d_AddElementsMs(std::vector<CT_String> const &co_elements, bool &b_correct)
{
    CT_String co_list;
    CT_Stopwatch co_watch;
    for (CT_String const &co_element : co_elements)
        co_list.v_AddElement(co_element);
    double const d_ms = co_watch.d_Ms();
    b_correct = b_correct && co_list.n_GetNumberOfElement() == co_elements.size();
    return d_ms;
}

// The same list built with C: walk to the closing zero, copy the element
// with its terminator, close the list again.
double d_AddElementsWithCMs(std::vector<std::string> const &co_elements, bool &b_correct)
{
    size_t n_bytes = 2;
    for (std::string const &co_element : co_elements)
        n_bytes += co_element.size() + 1;
    CT_Stopwatch co_watch;
    std::unique_ptr<char[]> p_list(new char[n_bytes]());
    for (std::string const &co_element : co_elements)
    {
        char *p_end = p_list.get();
        while (*p_end)
            p_end += std::strlen(p_end) + 1;
        std::memcpy(p_end, co_element.c_str(), co_element.size() + 1);
        p_end[co_element.size() + 1] = 0;
    }
    v_Use(p_list.get());
    double const d_ms = co_watch.d_Ms();
    size_t n_elements = 0;
    for (char const *p_element = p_list.get(); *p_element; p_element += std::strlen(p_element) + 1)
        ++n_elements;
    b_correct = b_correct && n_elements == co_elements.size();
    return d_ms;
}

CT_Row co_Append(unsigned int n_appends)
{
    std::string const co_line = co_Line(0);
    bool b_correct = true;
    CT_Median const co_ours = co_Measure([&] { return d_AppendMs(co_line.c_str(), n_appends, b_correct); });
    CT_Median const co_reference =
        co_Measure([&] { return d_AppendWithCMs(co_line.c_str(), n_appends, b_correct); });
    CT_Row co_row{"String += 60 chars", co_Count(n_appends) + " appends", co_ours, "C strlen+memcpy",
                  co_reference, e_AtMost, 3.0, ""};
    co_row.b_correct = b_correct;
    return co_row;
}

CT_Row co_AddElements(unsigned int n_elements)
{
    std::vector<std::string> const co_names = co_Elements(n_elements);
    std::vector<CT_String> co_elements;
    for (std::string const &co_name : co_names)
        co_elements.emplace_back(co_name.c_str());
    bool b_correct = true;
    CT_Median const co_ours = co_Measure([&] { return d_AddElementsMs(co_elements, b_correct); });
    CT_Median const co_reference =
        co_Measure([&] { return d_AddElementsWithCMs(co_names, b_correct); });
    CT_Row co_row{"v_AddElement 16 chars", co_Count(n_elements) + " elements", co_ours,
                  "C walk with strlen", co_reference, e_AtMost, 3.0, ""};
    co_row.b_correct = b_correct;
    return co_row;
}

void v_AddPair(CT_Table &co_table, CT_Row const &co_small, CT_Row const &co_large)
{
    co_table.v_Add(co_small);
    co_table.v_Add(co_large);
    co_table.v_Add(CT_Growth{co_small.co_case, co_small.co_size + " -> " + co_large.co_size, 10.0,
                             co_large.co_ours.d_ms / co_small.co_ours.d_ms,
                             co_large.co_reference_time.d_ms / co_small.co_reference_time.d_ms, 0.0});
}
} // namespace

void v_BenchAppend(CT_Table &co_table)
{
    v_AddPair(co_table, co_Append(1000), co_Append(10000));
    v_AddPair(co_table, co_AddElements(1000), co_AddElements(10000));
}
} // namespace bench
