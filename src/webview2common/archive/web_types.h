#pragma once
// The standard web content types of file name extensions, for archive entries whose extension
// the system's registry has no content type for: a browser refuses module scripts,
// WebAssembly, style sheets and manifests served under a type it does not know.

#include <optional>
#include <string>
#include <string_view>

// The type of an extension with its dot (".mjs"), in any case; none for one the web has no
// standard type for.
std::optional<std::u16string> StandardWebType(std::u16string_view extension);

