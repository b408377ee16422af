// A plain model of CT_String: the allocation as bytes and a cursor offset, each
// rule of the class written out once, where the model applies it. Step() draws
// one operation and applies it to a string and to the model; the fuzzer draws
// from libFuzzer's input, the unit test from SeededChoices.
#ifndef STRING_MODEL_H
#define STRING_MODEL_H

#include <algorithm>
#include <climits>
#include <functional>
#include <random>
#include <string>

#include "CT_String.h"

/// The one choice Step() makes of FuzzedDataProvider, drawn from a seed instead.
struct SeededChoices : std::minstd_rand
{
    int ConsumeIntegralInRange(int low, int high) { return low + (*this)() % (high - low + 1u); }
};

struct Model
{
    // The capacity, a default string's 512 bytes; the terminator std::string keeps behind them is the allocation's
    // extra byte, always 0.
    std::string all = std::string(512, '\0');
    unsigned int cursor = 0;

    unsigned int Room() const { return all.size() - cursor; }
    /// The bytes from the cursor (or an offset behind it) to the end of the allocation, its extra byte included.
    std::string Bytes(unsigned int offset = 0) const { return all.substr(cursor + offset) + '\0'; }
    std::string Text(unsigned int offset = 0) const { return all.c_str() + cursor + offset; }
    /// Fills a room of that size at the cursor: the bytes, then zeros.
    void Fill(std::string const &bytes, unsigned int room) { all.erase(cursor).append(bytes).resize(cursor + room); }
    /// Assigning a text, or the whole room of a string copied, empties the room when the bytes are fewer; else only
    /// the bytes before the cursor stay and the cursor gets a fresh room: 256 below 256 bytes, else their size + 256.
    void Assign(std::string const &s) { Fill(s, s.size() < Room() ? Room() : s.size() < 256 ? 256 : s.size() + 256); }
    /// The room once it holds the size: growth past the room makes the capacity the size + 512, so the room is that
    /// less the cursor's offset; with the cursor 512 or more bytes into a list the offset is added to the capacity.
    unsigned int Grown(unsigned int n) const { return n > Room() ? n + 512 - (cursor < 512 ? cursor : 0) : Room(); }
    /// Growth keeps every byte.
    void ReSize(unsigned int n) { all.resize(cursor + Grown(n)); }
    /// Grows when both texts exceed the room, then zero-fills every byte behind the new text.
    void Append(std::string const &text) { Fill(Text() + text, Grown(Text().size() + text.size())); }
    /// Occurrences from the left, without overlap, in the text as it was. The result is a default string to which
    /// the pieces between them and the replacements are appended one by one, assigned. None found changes nothing.
    void Replace(std::string const &pattern, std::string const &by)
    {
        std::string const text = Text();
        std::string done;
        Model result;
        size_t resume = 0, found;
        while ((found = pattern.empty() ? text.npos : text.find(pattern, resume)) != text.npos)
        {
            // Each append grows the result as appending it to a string would.
            result.ReSize(done.append(text, resume, found - resume).size());
            result.ReSize(done.append(by).size());
            resume = found + pattern.size();
        }
        result.Append(done + text.substr(resume));
        if (resume != 0)
            Assign(result.all);
    }
    /// The range cut to the room, nothing from a negative start; its bytes, zeros too, are stored one by one into
    /// a default string, each asking room for itself and a terminator, and the caller gets a copy of that.
    Model Mid(int start, int count) const
    {
        long long const end = std::min<long long>(static_cast<long long>(start) + count, Room());
        std::string const range = start >= 0 && end > start ? all.substr(cursor + start, end - start) : "";
        Model work, copy{""}; // the copy is a new string: no room before it is assigned
        for (unsigned int n = 0; n < range.size(); ++n)
            work.ReSize(n + 2);
        copy.Assign(range + std::string(work.Room() - range.size(), 0));
        return copy;
    }
    /// Past the element and its terminator; an element filling the room ends in the extra byte, where the walk stops.
    int Next()
    {
        cursor += Text().empty() ? 0 : std::min<unsigned int>(Text().size() + 1, Room());
        return all[cursor] != 0;
    }
    /// Appends the elements of a zero-separated list, up to its first empty one, each behind the last element.
    void PutArray(std::string const &list)
    {
        for (size_t n = 0, length; (length = list.find('\0', n) - n) != 0; n += length + 1)
        {
            for (cursor = 0; Next();)
                continue;
            // A last element ending in the extra byte stays whole: the new one goes behind its terminator.
            bool const behind = Room() == 0 && all[cursor - 1] != 0;
            ReSize(behind);
            cursor += behind;
            // Appended at the closing zero; an element that would fill the room exactly gets a larger one.
            Fill(list.substr(n, length), Grown(length + (length == Room())));
        }
        cursor = 0;
    }
    /// The string's room and every byte from its cursor to the end of its allocation, read as char const *.
    bool Matches(CT_String const &str) const { return Bytes() == std::string(str, str.n_GetSize() + 1); }
};

/// An operation as the string does it and as the model does it; a query's model side compares the results.
// clang-format off
struct Operation { char const *name; std::function<void()> on_string, on_model; };
// clang-format on

/// One operation on the string and on the model: null when they agree after it, else the operation's name.
template <class Choices> char const *Step(Choices &choices, CT_String &str, Model &model)
{
    auto const Draw = [&choices](int low, int high) { return choices.ConsumeIntegralInRange(low, high); };
    int const length = model.Text().size(), room = model.Room();
    // Texts: a piece of the string's text or of the element behind it, doubled around a character in turn (which
    // makes partial matches that break off) up to a few characters, past the capacity steps, or to the size that
    // fills the room behind the text exactly. A pattern is a text's first characters, so it is often found.
    int const piece = std::min(Draw(0, 3) ? Draw(0, length) : length + 1, std::max(room - 1, 0));
    int const size = Draw(0, 3) == 3 ? room - length : Draw(0, 2) != 0 ? Draw(0, 8) : Draw(0, 1100);
    std::string text = model.Text(piece).substr(0, Draw(0, 8));
    while (static_cast<int>(text.size()) < size)
        text += "aab\xe9"[Draw(0, 3)] + text;
    text.resize(size);
    // Half the texts come from the string's own buffer from the piece on, read before it changes; the pattern or
    // element is then the string itself. Other empty texts are passed as null.
    bool const own = Draw(0, 1);
    std::string const source = own ? model.Text(piece) : text, find = own ? model.Text() : text.substr(0, Draw(0, 8));
    char const *const p_source = own ? static_cast<char const *>(str) + piece : text.empty() ? nullptr : text.c_str();
    CT_String const other(find.c_str()), &str_pattern = own ? str : other;
    // Characters of the texts, and those equal to no byte: 0, and above 255 with the low byte of 'a' or of 0.
    unsigned short const chars[] = {'a', 'b', 'c', 0xe9, 0, 0x161, 0x100};
    unsigned short const c_old = chars[Draw(0, 6)], c_new = chars[Draw(0, 6)];
    std::string const old = c_old == 0 || c_old > 255 ? "" : std::string(1, static_cast<char>(c_old));
    // Half the starts and counts lie within the text and the room; the others at int's ends, or just past.
    int const ends[] = {INT_MIN, -1, 0, INT_MAX, length + 1, room + 1};
    int const start = Draw(0, 1) ? Draw(0, length) : ends[Draw(0, 4)];
    int const count = Draw(0, 1) ? Draw(0, room) : ends[Draw(1, 5)];
    // Copies out into 0 to 3 bytes, or into up to twice the room; the byte behind the size must stay.
    unsigned int const out_size = Draw(0, Draw(0, 1) ? 3 : 2 * room);
    unsigned int const copied = out_size > 2 ? std::min<unsigned int>(out_size - 2, room + 1) : 0;
    std::string out(out_size + 1, '#');
    int found = 0, next = 0, same = 1;
    // clang-format off
    Operation const operations[] = {
        // Null empties the room in place, even a room of 0; null appends nothing.
        {"operator=", [&] { str = p_source; }, [&] { p_source ? model.Assign(source) : model.Fill("", model.Room()); }},
        {"operator+=", [&] { str += p_source; }, [&] { if (p_source != nullptr) model.Append(source); }},
        {"operator=(itself)", [&] { str = static_cast<CT_String const &>(str); }, [] {}},
        {"v_Replace", [&] { str.v_Replace(str_pattern, p_source); }, [&] { model.Replace(find, source); }},
        {"v_Replace(character)", [&] { str.v_Replace(c_old, p_source); }, [&] { model.Replace(old, source); }},
        // In place, over the text's length taken first: a new character 0 cuts the text into a list. An old one of
        // 0 or above 255 is an empty pattern, whose first byte, the terminator, lies in no text.
        {"v_ReplaceChar", [&] { str.v_ReplaceChar(c_old, c_new); },
         [&] { std::replace(&model.all[model.cursor], &model.all[model.cursor + length], old[0], char(c_new)); }},
        // The cursor ends on the first element, so an empty element does what v_ResetArray does.
        {"v_AddElement", [&] { str.v_AddElement(str_pattern); }, [&] { model.PutArray(find + std::string(2, 0)); }},
        // Its own list from the piece on, or null where an empty text is.
        {"v_PutArray", [&] { str.v_PutArray(p_source ? static_cast<char const *>(str) + piece : nullptr); },
         [&] { model.PutArray((p_source ? model.Bytes(piece) : "") + std::string(2, 0)); }},
        // No occurrence of an empty pattern, nor from a negative start or one past the text.
        {"i_Search", [&] { found = str.i_Search(str_pattern, start); }, [&] { same = found ==
            (find.empty() || start < 0 || start > length ? -1 : static_cast<int>(model.Text().find(find, start))); }},
        {"b_NextElement", [&] { next = str.b_NextElement(); }, [&] { same = next == model.Next(); }},
        {"co_GetMid", [] {}, [&] { same = model.Mid(start, count).Matches(str.co_GetMid(start, count)); }},
        {"v_Set(char *, size)", [&] { str.v_Set(&out[0], out_size); },
         [&] { same = out == model.Bytes().substr(0, copied) + std::string(out_size - copied, 0) + '#'; }},
        // Last: a room of 0 has no position for it.
        {"v_SetChar", [&] { str.v_SetChar(piece, c_new); }, [&] { model.all[model.cursor + piece] = char(c_new); }}};
    // clang-format on
    Operation const &operation = operations[Draw(0, room != 0 ? 12 : 11)];
    operation.on_string();
    operation.on_model();
    return same && model.Matches(str) ? nullptr : operation.name;
}

/// Up to 48 steps on a default string: where it first left its model, or "".
template <class Choices> std::string FirstDifference(Choices &&choices)
{
    CT_String str;
    Model model;
    for (int step = 1; step <= 48 && model.Room() < 20000; ++step) // self-appends double the text
        if (char const *operation = Step(choices, str, model))
            return "step " + std::to_string(step) + ", " + operation;
    return "";
}

#endif
