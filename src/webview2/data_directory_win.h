#pragma once

#include <string>

// The per-user data directory that holds the log folder and the default browser caches.
// Never empty in practice: without a sibling product it is the temporary folder + "Tandrel",
// which is not created here.
std::u16string FindUserDataDirectory();
