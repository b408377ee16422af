// CT_ResString: a text from a module's string table, with placeholders.
//
//   CT_ResString co_stamp(h_module, 51, CT_String("%"));
//   co_stamp.v_Fix(7, CT_String("day"), 0);        // "%day" -> "7"
//   CT_String co_text = co_stamp.cco_Get();        // the filled text
#ifndef CT_RESSTRING_H
#define CT_RESSTRING_H

#include <windows.h>

#include "CT_String.h"

/// @ingroup errors
/// A text from a module's string table, with placeholders. An object names a
/// module and a string ID, loads the text as soon as it has both, and keeps
/// the loaded text unchanged. A placeholder is the object's marker (`"%"`
/// throughout the library) alone, or followed by a key (`"%day"`): cco_Get()
/// with a value fills the bare marker in a new string; v_Fix() stores a
/// filled text on which later fixes build.
///
/// @code
/// CT_ResString co_stamp(h_module, 51, CT_String("%")); // "%month-%day-%year at %hour:%min"
/// co_stamp.v_Fix(7, CT_String("day"), 0);              // "%day" -> "7"
/// CT_String co_text = co_stamp.cco_Get();              // the filled text
/// @endcode
///
/// The object owns its marker and both texts; copies share nothing.
class COMMON_API CT_ResString
{
public:
    /// @name Construction and loading
    ///@{

    /// Refers to no string and holds no text: b_IsValid() is 0 and cco_Get()
    /// is empty. The dialogs take such an object as "no title of mine".
    CT_ResString();
    /// Stores the module, ID and marker and loads the string at once, as
    /// v_Set() does. A module or ID of 0 gives an object without text.
    /// @raises Code 2 (e_Windows) with the parameter "CT_String::v_Load" when
    ///         the string is missing or empty; no object is made then.
    CT_ResString(HINSTANCE h_instance, unsigned int n_id, CT_String const &co_marker);
    /// Copies module, ID, marker, loaded text and fixed text.
    /// @raises `std::bad_alloc` when memory runs out.
    CT_ResString(CT_ResString const &co_other);
    /// Frees the three texts.
    ~CT_ResString();
    /// Copies module, ID, marker, loaded text and fixed text.
    /// @return This object.
    /// @raises `std::bad_alloc` when memory runs out.
    CT_ResString &operator=(CT_ResString const &co_other);

    /// Stores module, ID and marker, empties both texts (dropping any fix),
    /// then loads the string, cut to the text's room minus one: 511
    /// characters in a new object. A module or ID of 0
    /// leaves both texts empty and raises nothing.
    /// @raises Code 2 (e_Windows) with the parameter "CT_String::v_Load" when
    ///         LoadStringA finds no string (missing or empty). The object
    ///         keeps the new module, ID and marker, so a later short v_Set()
    ///         loads from the same module.
    void v_Set(HINSTANCE h_instance, unsigned int n_id, CT_String const &co_marker);
    /// The same, keeping the module already stored.
    /// @raises As v_Set(HINSTANCE, unsigned int, CT_String const &).
    void v_Set(unsigned int n_id, CT_String const &co_marker);
    ///@}

    /// @name Texts and placeholders
    ///@{

    /// The current text: the fixed text if there is one (not empty), else
    /// the loaded text. The reference points into this object and follows
    /// its later v_Set() and v_Fix() calls.
    CT_String const &cco_Get() const;
    /// A new string: the current text with every bare marker replaced by the
    /// value, from the left. A value holding the marker is inserted as it is
    /// and not searched again. The object is not changed.
    /// @raises `std::bad_alloc` when memory runs out.
    CT_String const cco_Get(CT_String const &co_value) const;
    /// The same with the number in decimal as the value.
    /// @raises `std::bad_alloc` when memory runs out.
    CT_String const cco_Get(unsigned int n_number) const;

    /// Stores as the fixed text the current text with every marker followed
    /// by the key (an empty key: the bare marker) replaced by the value.
    /// Fixes build on each other; the next v_Set() drops them. A fix whose
    /// result is empty counts as no fix.
    /// @raises `std::bad_alloc` when memory runs out.
    void v_Fix(CT_String co_value, CT_String co_key);
    /// The same with the number in decimal, zero-padded on the left to the
    /// width: 7 with width 2 gives "07", 2005 with width 2 stays "2005".
    /// @raises `std::bad_alloc` when memory runs out.
    void v_Fix(unsigned int n_number, CT_String co_key, unsigned int n_width);

    /// 1 when both module and ID are non-zero, else 0. It tells whether the
    /// object refers to a string at all, not whether a load succeeded: a
    /// failed load raises instead.
    int b_IsValid() const;
    ///@}

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
