// The engine's options: what front-ends switch on for today's desktops, by message. They
// live as long as the engine and are never saved; the settings file stays as it is.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "protocol/PopyoDef.h"

namespace popyo {

class EngineOptions {
  public:
    // Every option at its bare value.
    EngineOptions();

    // nullopt for an unknown id.
    std::optional<std::int32_t> Get(std::uint32_t id) const;
    // The previous value; nullopt, with nothing changed, for an unknown id or a value out of
    // the option's range.
    std::optional<std::int32_t> Set(std::uint32_t id, std::int32_t value);

    bool SkipCloaked() const { return Value(opSkipCloaked) != 0; }
    bool QuietOverFullscreen() const { return Value(opQuietOverFullscreen) != 0; }
    bool AlignVisibleFrame() const { return Value(opAlignVisibleFrame) != 0; }
    int SlideFrames() const { return Value(opSlideFrames); }
    std::int32_t LanguageChoice() const { return Value(opLanguage); }

  private:
    static constexpr std::size_t kSlots = 8;
    std::int32_t Value(EngineOption id) const { return values_[id]; }

    std::array<std::int32_t, kSlots> values_{};
};

}  // namespace popyo
