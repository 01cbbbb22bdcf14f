#include "webview2/internal_fun/internal_fun.h"

// The registry and INI built-ins arrive with the system-information work.
InternalRegFun::InternalRegFun() : BuiltinTable({}) {}
