#pragma once
// The network interfaces file /opt/set/interfaces, in the ifupdown syntax:
// the static address, netmask, gateway and DNS server of the LAN's IPv4
// stanza are read for the panel and written back in place, every other line
// (other stanzas, a prefix length, further servers) kept as it is.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace config {

inline constexpr const char* kInterfacesPath = "/opt/set/interfaces";

using Octets = std::array<uint8_t, 4>;

// The values as the file holds them; an empty text: the file has none.
struct LanTexts {
    std::string IP, NetMask, Gateway, DNS;
};

// The new values to write; a flag set writes the keyword alone.
struct LanValues {
    Octets IP{}, NetMask{}, Gateway{}, DNS{};
    bool Gateway_none = false, DNS_none = false;
};

[[nodiscard]] LanTexts lanTextsOf(std::string_view text);
// The file with the LAN's address lines rewritten from the values; a
// "nameserver" line becomes a "dns-nameservers" line. Every line is kept,
// however many.
[[nodiscard]] std::string rewriteInterfaces(std::string_view text, const LanValues& values);

// The dotted parts of the text as atoi reads them; parts beyond four are
// ignored, missing ones read 0.
[[nodiscard]] Octets SplitAddr(std::string_view text);
[[nodiscard]] std::string SplitAddrInv(const Octets& octets);

}  // namespace config
