#include "net/lan_param.h"

#include <cerrno>
#include <chrono>
#include <optional>
#include <string>

#include "config/interfaces_file.h"
#include "core/threads.h"
#include "core/works.h"
#include "platform/log.h"
#include "platform/platform.h"

namespace net {
namespace {

config::Octets octetsOf(const std::atomic<uint8_t> (&address)[4]) {
    return {address[0], address[1], address[2], address[3]};
}

void store(std::atomic<uint8_t> (&address)[4], const config::Octets& octets) {
    for (size_t i = 0; i < octets.size(); ++i) address[i] = octets[i];
}

// The text and its numbers; an empty text sets the address's none flag.
void storeOptional(const std::string& text, core::SharedText<32>& field, std::atomic<uint8_t> (&address)[4],
                   std::atomic<uint8_t>& none, const char* label) {
    field.set(text);
    if (text.empty()) {
        none = 1;
        return;
    }
    store(address, config::SplitAddr(text));
    platform::trace(label, field.get().c_str());
    none = 0;
}

}  // namespace

int ReadLanParam(core::Works& works) {
    works.DNS.set("");
    works.Gateway.set("");
    const std::optional<std::string> text = works.platform->files().read(config::kInterfacesPath);
    works.IP.set("");
    works.NetMask.set("");
    works.MAC.set("");
    if (!text) {
        platform::trace("Error opening network connection configuration file. CODE: %d\n", errno);
        return -1;
    }
    const config::LanTexts texts = config::lanTextsOf(*text);
    works.IP.set(texts.IP);
    works.NetMask.set(texts.NetMask);
    platform::trace("ip: %s\n", works.IP.get().c_str());
    platform::trace("NetMask: %s\n", works.NetMask.get().c_str());
    store(works.IP_v, config::SplitAddr(works.IP.get()));
    store(works.NetMask_v, config::SplitAddr(works.NetMask.get()));
    storeOptional(texts.Gateway, works.Gateway, works.Gateway_v, works.Gateway_none, "gateway: %s\n");
    storeOptional(texts.DNS, works.DNS, works.DNS_v, works.DNS_none, "DNS: %s\n");
    platform::trace("ReadLanParam DNS_none=%d Gateway_none=%d\n", works.DNS_none.load(),
                    works.Gateway_none.load());
    return 0;
}

int SaveLanParam(core::Works& works) {
    platform::FileStore& files = works.platform->files();
    const std::optional<std::string> text = files.read(config::kInterfacesPath);
    if (!text) {
        platform::logError("can't read %s error %d", config::kInterfacesPath, errno);
        return -1;
    }
    config::LanValues values;
    values.IP = octetsOf(works.IP_v);
    values.NetMask = octetsOf(works.NetMask_v);
    values.Gateway = octetsOf(works.Gateway_v);
    values.DNS = octetsOf(works.DNS_v);
    values.Gateway_none = works.Gateway_none != 0;
    values.DNS_none = works.DNS_none != 0;
    const std::string rewritten = config::rewriteInterfaces(*text, values);
    // The file is replaced whole, so a power cut leaves the old or the new settings.
    if (!files.save(config::kInterfacesPath, rewritten)) return -1;
    platform::trace("--->new ip: %s \n", config::SplitAddrInv(values.IP).c_str());
    // The texts the panel shows are the saved file's, prefix length and further servers included.
    const config::LanTexts saved = config::lanTextsOf(rewritten);
    works.IP.set(saved.IP);
    works.NetMask.set(saved.NetMask);
    if (!values.Gateway_none) works.Gateway.set(saved.Gateway);
    if (!values.DNS_none) works.DNS.set(saved.DNS);
    if (const int status = works.platform->system().restartNetwork(); status != 0)
        platform::logError("network restart exit %d", status);
    works.platform->clock().sleepFor(std::chrono::seconds(1));
    if (works.lanCheckRunning == 0) core::StartThreadLANinfo(works);
    return 0;
}

}  // namespace net
