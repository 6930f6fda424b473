// The options menu's "发送匿名使用统计" entry: the start-up usage report as a
// choice, kept as Config.dat's UsageReport key (on unless it reads 0).
#pragma once

#include "gui/gui_host.h"

namespace kestrune::app {

gui::MenuItem UsageReportMenuItem();

}  // namespace kestrune::app
