#pragma once
// A small JSON writer for the listings scripts read: UTF-8 output, strings escaped as RFC 8259
// asks (quote, backslash, control characters as \b \f \n \r \t or \u00XX). Text that is not
// valid is escaped, never lost: an unpaired UTF-16 surrogate is written as \uD8XX, a byte that
// is not part of valid UTF-8 as \u00XX (the byte read as Latin-1).

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace resmelder {

/// `text` as a JSON string, quotes included.
std::string JsonQuote(std::u16string_view text);
/// `text` (UTF-8, possibly invalid) as a JSON string, quotes included.
std::string JsonQuoteUtf8(std::string_view text);

class JsonWriter {
  public:
    /// How a container lays out its members: one a line, indented, or all on one line.
    enum class Layout { kLines, kInline };

    explicit JsonWriter(std::ostream& out) : out_(out) {}

    void BeginObject(Layout layout = Layout::kLines);
    void EndObject();
    void BeginArray(Layout layout = Layout::kLines);
    void EndArray();
    /// The next member's name; the value follows with one of the calls below.
    void Key(std::string_view name);
    void Key(std::u16string_view name);
    void String(std::u16string_view text);
    void StringUtf8(std::string_view text);
    void Number(std::uint64_t number);
    void Null();
    /// Ends the document with a line break.
    void Finish();

  private:
    struct Open {
        Layout layout;
        std::size_t members = 0;
    };
    void BeforeValue();
    void Begin(char bracket, Layout layout);
    void End(char bracket);
    void NewLine();

    std::ostream& out_;
    std::vector<Open> open_;
    bool afterKey_ = false;
};

}  // namespace resmelder
