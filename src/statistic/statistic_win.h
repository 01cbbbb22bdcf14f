#pragma once
// The process-wide statistics reporter over this Windows: created on first use.

#include "statistic/statistic.h"

CStatisticImpl& StatisticReporter();
