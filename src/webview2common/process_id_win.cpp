#include <windows.h>

#include "webview2common/process_id.h"

uint32_t CurrentProcessId() { return GetCurrentProcessId(); }
