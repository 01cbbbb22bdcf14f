#include "webview2/dpi_math.h"

#include <cmath>

namespace dpi {

int AwarenessLevelForContext(int context) {
  if (context == -4 || context == -3) return 2;
  if (context == -2) return 1;
  return 0;
}

float ScaleFactorForDpi(unsigned dpi) {
  return std::floor(static_cast<float>(dpi) / 96.0f * 100.0f + 0.5f) / 100.0f;
}

}  // namespace dpi
