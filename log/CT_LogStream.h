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

class COMMON_API CT_LogStream
{
public:
    CT_LogStream();
    CT_LogStream(CT_LogStream const &co_other);
    ~CT_LogStream();

    /// Appends the text at the argument's cursor; no line end is added.
    CT_LogStream &operator<<(CT_String const &co_text);
    /// Empties the text; the name and the line end stay.
    void v_Clear();
    CT_String const &cco_GetText() const;
    /// The line end, "\r\n".
    CT_String const &cco_Eof() const;
    CT_String const &cco_GetName() const;
    void v_SetName(CT_String const &co_name);
    /// Appends the local date and time, as "3-7-2005 at 09:05".
    void v_PrintTime();
    /// Appends a line of 22 underscores and two line ends.
    void v_Separator();
    /// The log files' filter for the file dialogs, with bars for NULs.
    CT_String const cco_GetFilter() const;
    /// Writes the whole text and a line end to the file, replacing it. A
    /// failed write returns with code 18 and the path as the last error, and
    /// the file as it was.
    void v_Save(CT_String const &co_path) const;

private:
    CT_LogStream &operator=(CT_LogStream const &);
    void v_Append(char const *p_text, unsigned int n_bytes);
    void v_Reserve(unsigned int n_length);
    int b_WriteText(CT_Files &co_file) const;

    CT_String co_logtext;
    CT_String co_eof;
    CT_String co_name;
    // Bytes of co_logtext's text. Only this class writes the text, so it
    // knows where it ends and appends there without walking it.
    unsigned int n_textlength;
};

#endif
