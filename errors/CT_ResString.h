// CT_ResString: a text from a module's string table, with placeholders.
//
//   CT_ResString co_stamp(h_module, 51, CT_String("%"));
//   co_stamp.v_Fix(7, CT_String("day"), 0);        // "%day" -> "7"
//   CT_String co_text = co_stamp.cco_Get();        // the filled text
#ifndef CT_RESSTRING_H
#define CT_RESSTRING_H

#include <windows.h>

#include "CT_String.h"

class COMMON_API CT_ResString
{
public:
    /// Refers to no string and holds no text.
    CT_ResString();
    /// Loads the string at once; raises code 2 "CT_String::v_Load" if it is missing.
    CT_ResString(HINSTANCE h_instance, unsigned int n_id, CT_String const &co_marker);
    CT_ResString(CT_ResString const &co_other);
    ~CT_ResString();
    CT_ResString &operator=(CT_ResString const &co_other);

    /// Stores module, ID and marker, then loads the string (dropping any fix).
    void v_Set(HINSTANCE h_instance, unsigned int n_id, CT_String const &co_marker);
    /// The same, keeping the module already stored.
    void v_Set(unsigned int n_id, CT_String const &co_marker);

    /// The current text: the fixed text if there is one, else the loaded text.
    CT_String const &cco_Get() const;
    /// The current text with every bare marker replaced by the value.
    CT_String const cco_Get(CT_String const &co_value) const;
    /// The current text with every bare marker replaced by the number in decimal.
    CT_String const cco_Get(unsigned int n_number) const;

    /// Stores the current text with every marker+key replaced by the value.
    void v_Fix(CT_String co_value, CT_String co_key);
    /// The same with the number in decimal, zero-padded on the left to the width.
    void v_Fix(unsigned int n_number, CT_String co_key, unsigned int n_width);

    /// 1 when both module and ID are non-zero.
    int b_IsValid() const;

private:
    void v_Load();
    CT_String const cco_Replace(CT_String co_value, CT_String co_marker) const;

    HINSTANCE h_instance;
    unsigned int n_id;
    CT_String co_marker;
    CT_String co_text;
    CT_String co_fixtext;
};

#endif
