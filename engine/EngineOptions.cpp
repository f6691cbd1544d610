#include "engine/EngineOptions.h"

namespace popyo {

namespace {

template <std::size_t N>
constexpr bool IdsFit(const OptionInfo (&options)[N], std::size_t slots) {
    for (const OptionInfo& o : options) {
        if (o.id >= slots) {
            return false;
        }
    }
    return true;
}

}  // namespace

EngineOptions::EngineOptions() {
    static_assert(IdsFit(kEngineOptions, kSlots), "an option id has no slot");
    for (const OptionInfo& o : kEngineOptions) {
        values_[o.id] = o.bare;
    }
}

std::optional<std::int32_t> EngineOptions::Get(std::uint32_t id) const {
    if (FindOption(id) == nullptr) {
        return std::nullopt;
    }
    return values_[id];
}

std::optional<std::int32_t> EngineOptions::Set(std::uint32_t id, std::int32_t value) {
    const OptionInfo* option = FindOption(id);
    if (option == nullptr || value < option->min || value > option->max) {
        return std::nullopt;
    }
    const std::int32_t previous = values_[id];
    values_[id] = value;
    return previous;
}

}  // namespace popyo
