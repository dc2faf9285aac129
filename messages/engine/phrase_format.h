#pragma once
// The byte format shared by the category files and the selection file: lines separated by
// CR LF (none after the last), each line a flag character "1" (ticked) or "0" (not ticked)
// followed directly by its text.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check_list.h"

namespace murmurex {

/// Splits `text` at every CR LF. Empty text holds no line at all; "a\r\n" holds "a" and "".
std::vector<std::string_view> SplitCrLf(std::string_view text);

/// One category-file line as a phrase-list entry. A line that does not start with "0" or "1"
/// (only a hand-edited file has one) is kept whole and unticked, so that saving it back
/// loses none of the user's text.
CheckEntry ParsePhraseLine(std::string_view line);

/// The phrase a category-file line contributes to the pool (the text of ParsePhraseLine).
std::string_view PhraseTextOf(std::string_view line) noexcept;

/// One flagged line per entry in list order, joined with CR LF. Empty when a text holds a
/// CR LF itself: written out, it would come back as two lines.
std::optional<std::string> FormatFlaggedLines(const CheckList& list);

/// True for a name that stays inside its folder as one ordinary file: not empty, not "." or
/// "..", none of \ / : * ? " < > | or control characters, and no device name (CON, PRN, AUX,
/// NUL, COM1-9, LPT1-9 and COM/LPT with a superscript digit, CONIN$, CONOUT$), whatever
/// extension or trailing spaces follow.
bool IsPlainFileName(std::string_view name) noexcept;

/// True for a name a new category may take: a plain file name that does not end in a dot or
/// a space.
bool IsUsableCategoryName(std::string_view name) noexcept;

/// True when `text` is empty or holds only spaces (character 32).
bool IsBlank(std::string_view text) noexcept;

}  // namespace murmurex
