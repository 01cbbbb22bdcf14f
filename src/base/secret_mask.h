#pragma once
// Secrets in log lines: the line keeps its text and the secret shows only its length and, when
// it is long enough that they give little away, its first two characters ("se***(6)").

#include <string>
#include <string_view>

namespace text {

std::u16string MaskSecret(std::u16string_view secret);

// The text with the key of every compound archive address in it masked: the part between
// "://" and the first "|" (or its escape "%7C") that follows before a quote, a tab, a line's end
// or another "://". Keys may hold spaces.
std::u16string MaskArchiveKeys(std::u16string_view text);

}  // namespace text
