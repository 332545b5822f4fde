#include "config/interfaces_file.h"

#include <cstdio>
#include <cstdlib>

#include "config/text_lines.h"

namespace config {
namespace {

constexpr const char* kBlanks = " \t";

struct KeywordLine {
    std::string_view indent, keyword, value;
};

// The line's first word after its indentation and the rest, both without the
// blanks around them.
KeywordLine split(std::string_view line) {
    KeywordLine parts;
    const size_t start = std::min(line.find_first_not_of(kBlanks), line.size());
    parts.indent = line.substr(0, start);
    line.remove_prefix(start);
    const size_t end = std::min(line.find_first_of(kBlanks), line.size());
    parts.keyword = line.substr(0, end);
    std::string_view rest = line.substr(end);
    rest.remove_prefix(std::min(rest.find_first_not_of(kBlanks), rest.size()));
    const size_t last = rest.find_last_not_of(kBlanks);
    parts.value = last == std::string_view::npos ? std::string_view{} : rest.substr(0, last + 1);
    return parts;
}

std::string dotted(const char* keyword, const Octets& octets) {
    return std::string(keyword) + " " + SplitAddrInv(octets);
}

}  // namespace

LanTexts lanTextsOf(std::string_view text) {
    LanTexts texts;
    while (!text.empty()) {
        const KeywordLine line = split(takeTextLine(text));
        if (line.keyword == "address")
            texts.IP = line.value;
        else if (line.keyword == "netmask")
            texts.NetMask = line.value;
        else if (line.keyword == "gateway")
            texts.Gateway = line.value;
        else if (line.keyword == "nameserver" || line.keyword == "dns-nameservers")
            texts.DNS = line.value;
    }
    return texts;
}

std::string rewriteInterfaces(std::string_view text, const LanValues& values) {
    std::string out;
    while (!text.empty()) {
        const bool ended = text.find('\n') != std::string_view::npos;
        const std::string_view original = takeLine(text);
        const KeywordLine line = split(original);
        std::string replaced;
        if (line.keyword == "address")
            replaced = dotted("address", values.IP);
        else if (line.keyword == "netmask")
            replaced = dotted("netmask", values.NetMask);
        else if (line.keyword == "gateway")
            replaced = values.Gateway_none ? "gateway " : dotted("gateway", values.Gateway);
        else if (line.keyword == "nameserver" || line.keyword == "dns-nameservers")
            replaced = values.DNS_none ? "dns-nameservers " : dotted("dns-nameservers", values.DNS);
        if (replaced.empty())
            out += original;
        else
            out += std::string(line.indent) + replaced;
        if (ended) out += '\n';
    }
    return out;
}

Octets SplitAddr(std::string_view text) {
    Octets octets{};
    for (uint8_t& octet : octets) {
        const size_t dot = text.find('.');
        octet = static_cast<uint8_t>(std::atoi(std::string(text.substr(0, dot)).c_str()));
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
    }
    return octets;
}

std::string SplitAddrInv(const Octets& octets) {
    char text[20];
    std::snprintf(text, sizeof text, "%i.%i.%i.%i", octets[0], octets[1], octets[2], octets[3]);
    return text;
}

}  // namespace config
