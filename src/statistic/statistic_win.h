#pragma once
// The process-wide statistics reporter over this Windows: created on first use.

#include "statistic/statistic.h"

CStatisticImpl& StatisticReporter();
// The system the process-wide reporter works with.
IStatisticSystem& WinStatisticSystem();
