#include "net/net_hooks.h"

#include "net/lan_param.h"
#include "net/status_page.h"
#include "net/update_runner.h"

namespace net {

void InstallNetHooks(core::Works& works) {
    works.viewStatusInfo = ViewStatusInfo;
    works.saveLanParam = SaveLanParam;
    works.readSystemGetpack = ReadSystemGetpack;
    works.readSystemGetpack2 = ReadSystemGetpack2;
}

}  // namespace net
