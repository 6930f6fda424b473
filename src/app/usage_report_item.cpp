#include "app/usage_report_item.h"

#include "app/dialogs.h"
#include "env/settings_store.h"
#include "i18n/i18n.h"
#include "net/net_hosts.h"

namespace kestrune::app {

gui::MenuItem UsageReportMenuItem() {
  gui::MenuItem item;
  item.caption = i18n::TrS("发送匿名使用统计");
  item.checkable = true;
  item.checked = UsageReportEnabled();
  const bool turnOn = !item.checked;
  item.onClick = [turnOn] {
    if (!WriteConfig(kUsageReportKey, turnOn ? "1" : "0"))
      ShowErrorBox(i18n::Tr("设置无法保存到 Config.dat。"));
  };
  return item;
}

}  // namespace kestrune::app
