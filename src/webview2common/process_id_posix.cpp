#include <unistd.h>

#include "webview2common/process_id.h"

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }
