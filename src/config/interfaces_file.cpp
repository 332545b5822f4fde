#include "config/interfaces_file.h"

#include <algorithm>
#include <array>
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

// Which lines hold the LAN's settings: the options of the first IPv4
// stanza of an interface other than the loopback, and option lines before
// any stanza (a file of bare options). The options of every other stanza
// (IPv6, loopback, further interfaces) are neither read nor written.
class LanStanza {
  public:
    // Takes the lines in file order; true for an option line of the LAN's.
    bool holds(const KeywordLine& line) {
        if (line.keyword == "iface") {
            section_ = !lanSeen_ && isLanStanza(line.value) ? Section::Lan : Section::Other;
            lanSeen_ = lanSeen_ || section_ == Section::Lan;
            return false;
        }
        return section_ != Section::Other;
    }

  private:
    enum class Section { BeforeStanzas, Lan, Other };

    // "NAME inet METHOD", NAME not the loopback.
    static bool isLanStanza(std::string_view words) {
        const KeywordLine name = split(words);
        const KeywordLine family = split(name.value);
        return name.keyword != "lo" && family.keyword == "inet";
    }

    Section section_ = Section::BeforeStanzas;
    bool lanSeen_ = false;
};

enum class Field { None, IP, NetMask, Gateway, DNS };

Field fieldOf(std::string_view keyword) {
    if (keyword == "address") return Field::IP;
    if (keyword == "netmask") return Field::NetMask;
    if (keyword == "gateway") return Field::Gateway;
    if (keyword == "nameserver" || keyword == "dns-nameservers") return Field::DNS;
    return Field::None;
}

// The LAN's line of each field: the first one of its stanza, the one the
// panel shows and edits. Later lines of the same keyword are kept as they are.
class LanFields {
  public:
    // The field the line holds when it is the first of that field, else None.
    Field take(const KeywordLine& line) {
        if (!stanza_.holds(line)) return Field::None;
        const Field field = fieldOf(line.keyword);
        if (field == Field::None || seen_[static_cast<size_t>(field)]) return Field::None;
        seen_[static_cast<size_t>(field)] = true;
        return field;
    }

  private:
    LanStanza stanza_;
    std::array<bool, static_cast<size_t>(Field::DNS) + 1> seen_{};
};

// The line with its first address replaced; what follows the address (a
// prefix length, further servers) stays.
std::string withAddress(const char* keyword, const Octets& octets, std::string_view value) {
    const size_t end = std::min(value.find_first_of(" \t/"), value.size());
    return std::string(keyword) + " " + SplitAddrInv(octets) + std::string(value.substr(end));
}

}  // namespace

LanTexts lanTextsOf(std::string_view text) {
    LanTexts texts;
    LanFields fields;
    while (!text.empty()) {
        const KeywordLine line = split(takeTextLine(text));
        switch (fields.take(line)) {
            case Field::IP:
                texts.IP = line.value;
                break;
            case Field::NetMask:
                texts.NetMask = line.value;
                break;
            case Field::Gateway:
                texts.Gateway = line.value;
                break;
            case Field::DNS:
                texts.DNS = line.value;
                break;
            case Field::None:
                break;
        }
    }
    return texts;
}

std::string rewriteInterfaces(std::string_view text, const LanValues& values) {
    std::string out;
    LanFields fields;
    while (!text.empty()) {
        const bool ended = text.find('\n') != std::string_view::npos;
        const std::string_view original = takeLine(text);
        const KeywordLine line = split(original);
        std::string replaced;
        switch (fields.take(line)) {
            case Field::IP:
                replaced = withAddress("address", values.IP, line.value);
                break;
            case Field::NetMask:
                replaced = withAddress("netmask", values.NetMask, line.value);
                break;
            case Field::Gateway:
                replaced =
                    values.Gateway_none ? "gateway " : withAddress("gateway", values.Gateway, line.value);
                break;
            case Field::DNS:
                replaced = values.DNS_none ? "dns-nameservers "
                                           : withAddress("dns-nameservers", values.DNS, line.value);
                break;
            case Field::None:
                break;
        }
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
