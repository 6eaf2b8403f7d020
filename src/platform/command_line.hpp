// Splitting a Windows command line into arguments, for platforms that start programs from an
// argument vector but take their tool paths from settings written for Windows.
#pragma once

#include <cstddef>
#include <string_view>

namespace zerudud::platform {

/// Splits `line` by the Windows rules: blanks and tabs separate arguments outside double
/// quotes; double quotes are removed; backslashes are literal except before a double quote,
/// where 2n backslashes give n and the quote opens or closes quoting, and 2n+1 give n and a
/// literal quote. The arguments are stored zero-terminated one after another in `text`
/// (`text_size` bytes) and pointed to from `args` (`args_size` entries), followed by a null
/// entry. Returns the number of arguments, or -1 when they do not fit.
int split_command_line(std::string_view line, char* text, std::size_t text_size, const char** args,
                       std::size_t args_size);

}  // namespace zerudud::platform
