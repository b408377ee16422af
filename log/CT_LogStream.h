// CT_LogStream: log text collected in memory and saved to a file on request.
//
//   CT_LogStream co_log;
//   co_log.v_PrintTime();
//   co_log << CT_String(" started") << co_log.cco_Eof();
//   co_log.v_Save(CT_String("C:\\logs\\run.log"));
#ifndef CT_LOGSTREAM_H
#define CT_LOGSTREAM_H

#include "CT_String.h"

class CT_Files;

/// @defgroup log Log
/// Log text collected in memory and saved on request.

/// @ingroup log
/// Log text collected in memory while the add-on works, stamped with the
/// local time and separated by lines, and written to a file only when
/// v_Save() is called. The object owns its text, line end and name; the
/// references the `cco_` members return live as long as the object. A log
/// can be copied into a new object but not assigned.
///
/// @code
/// CT_LogStream co_log;
/// co_log.v_PrintTime();
/// co_log << CT_String(" started") << co_log.cco_Eof();
/// co_log.v_Save(CT_String("C:\\logs\\run.log"));
/// @endcode
class COMMON_API CT_LogStream
{
public:
    /// An empty log, with the line end `"\r\n"` and the name "Log".
    CT_LogStream();
    /// An independent copy of the text, the line end and the name.
    /// @raises `std::bad_alloc` when memory runs out.
    CT_LogStream(CT_LogStream const &co_other);
    /// Frees the text, the line end and the name.
    ~CT_LogStream();

    /// @name Collecting text
    ///@{

    /// Appends the argument's text (from its cursor to its first zero byte:
    /// the current element of a list); no line end is added. The log's own
    /// text may be appended to it.
    /// @return This log, so that appends chain.
    /// @storage The text's room doubles when it runs out, so a long log is
    ///          not copied again on every few appends.
    /// @raises `std::bad_alloc` when memory runs out.
    CT_LogStream &operator<<(CT_String const &co_text);
    /// Empties the text; its storage, the name and the line end stay.
    void v_Clear();
    /// The text collected so far.
    CT_String const &cco_GetText() const;
    /// The line end, `"\r\n"`, to append after each line.
    CT_String const &cco_Eof() const;
    /// The log's name, "Log" unless set; the library only keeps it.
    CT_String const &cco_GetName() const;
    /// Replaces the name with a copy of the argument.
    void v_SetName(CT_String const &co_name);
    /// Appends the local date and time as month-day-year at hours:minutes,
    /// "3-7-2005 at 09:05": month and day without a leading zero, hours (0
    /// to 23) and minutes with two digits, no seconds, no line end.
    /// @raises Code 2 (e_Windows) with the parameter "CT_String::v_Load" when
    ///         the stamp's string cannot be loaded; nothing is appended then.
    void v_PrintTime();
    /// Appends a line of 22 underscores and two line ends, so the text ends
    /// with an empty line. Nothing is put in front: the underscores continue
    /// a line that has no line end yet.
    void v_Separator();
    ///@}

    /// @name Filter and saving
    ///@{

    /// The log files' filter for the file dialogs, with bars for NULs:
    /// "Veltrane Log file (*.log)|*.log||".
    /// @raises Code 2 (e_Windows) with the parameter "CT_String::v_Load" when
    ///         the string cannot be loaded.
    CT_String const cco_GetFilter() const;
    /// Writes the whole text followed by CR LF to the file, as 16-bit units
    /// in one write, replacing a file of that name; the log is not changed.
    /// No ".old" backup is made, taken or deleted. The text goes to a new
    /// file beside the old one (named by the platform from the prefix "vl"),
    /// which is put on disk and then moved over the old one, so the old log
    /// stays whole until the new one is. Where no file can be made beside it
    /// or moved over it, the file is replaced in place. A failed write (the
    /// disk, a short write, an allocation while writing) is not raised: the
    /// old file stays as it was (replaced in place, it may be cut), v_Save()
    /// returns, and the error record holds code 18 with the path
    /// (CT_Errors::set_GetLastError()).
    /// @raises Code 17 (e_FileOpen) with the path when the file cannot be
    ///         opened, for example in a folder that does not exist; nothing is
    ///         written then and an old file keeps its content.
    void v_Save(CT_String const &co_path) const;
    ///@}

private:
    CT_LogStream &operator=(CT_LogStream const &);
    void v_Append(char const *p_text, unsigned int n_bytes);
    void v_Reserve(unsigned int n_length);
    int b_WriteText(CT_Files &co_file, CT_String const &co_path) const;
    int b_SaveBeside(CT_String const &co_path) const;

    CT_String co_logtext;
    CT_String co_eof;
    CT_String co_name;
    // Bytes of co_logtext's text. Only this class writes the text, so it
    // knows where it ends and appends there without walking it.
    unsigned int n_textlength;
};

#endif
