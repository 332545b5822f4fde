#pragma once
// What every emulator's fault injection shares: one kind of fault armed at a
// time for the next n replies (or messages), its names, and the control
// command "fault <kind> [n]" / "fault none" that arms it.
#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sim {

// Bytes for the port, sent after the delay.
struct Transmission {
    std::string bytes;
    std::chrono::milliseconds delay{0};
};

template <typename Kind>
struct FaultName {
    Kind kind;
    const char* name;
};

// The count of "fault <kind> <n>": 1 to 1000000.
[[nodiscard]] std::optional<int> faultCount(std::string_view word);
// The reply to an armed fault: "ok fault drop for the next 2 replies".
[[nodiscard]] std::string armedReply(const char* name, int count, std::string_view one,
                                     std::string_view many);
// The reply to a kind that has no name in the table.
[[nodiscard]] std::string unknownFaultReply(std::string_view name);

// Kind::None is no fault; names holds every kind, None among them as "none".
template <typename Kind>
class FaultArming {
  public:
    explicit constexpr FaultArming(std::span<const FaultName<Kind>> names) : names_(names) {}

    void arm(Kind kind, int count) {
        kind_ = count > 0 ? kind : Kind::None;
        remaining_ = kind_ == Kind::None ? 0 : count;
    }
    void clear() { arm(Kind::None, 0); }
    [[nodiscard]] Kind kind() const { return kind_; }
    [[nodiscard]] int remaining() const { return remaining_; }

    // The kind the next reply carries, counted off; Kind::None when none is left.
    [[nodiscard]] Kind take() {
        if (remaining_ == 0) return Kind::None;
        const Kind kind = kind_;
        if (--remaining_ == 0) kind_ = Kind::None;
        return kind;
    }

    [[nodiscard]] const char* name(Kind kind) const {
        for (const auto& entry : names_)
            if (entry.kind == kind) return entry.name;
        return "none";
    }
    [[nodiscard]] std::optional<Kind> named(std::string_view name) const {
        for (const auto& entry : names_)
            if (name == entry.name) return entry.kind;
        return std::nullopt;
    }

    // The command's words after "fault": arms and returns the reply line.
    // one and many name what a fault hits ("reply", "replies").
    [[nodiscard]] std::string command(std::span<const std::string_view> args, std::string_view one,
                                      std::string_view many) {
        if (args.empty() || args.size() > 2) return "error usage: fault <kind> [n] | fault none";
        const std::optional<Kind> kind = named(args[0]);
        if (!kind) return unknownFaultReply(args[0]);
        if (*kind == Kind::None) {
            clear();
            return "ok no faults";
        }
        const std::optional<int> count = args.size() == 2 ? faultCount(args[1]) : std::optional<int>(1);
        if (!count) return "error the count must be 1 to 1000000";
        arm(*kind, *count);
        return armedReply(name(*kind), *count, one, many);
    }

  private:
    std::span<const FaultName<Kind>> names_;
    Kind kind_ = Kind::None;
    int remaining_ = 0;
};

}  // namespace sim
