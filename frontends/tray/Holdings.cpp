#include "frontends/tray/Holdings.h"

#include <algorithm>

namespace popyo::tray {

const Held* Holdings::Find(Hwnd handle) const {
    const auto it = std::ranges::find(held_, handle, &Held::handle);
    return it != held_.end() ? &*it : nullptr;
}

void Holdings::Take(Held held) {
    lastEdge_ = held.edge;
    std::erase(letGo_, held.handle);
    const auto it = std::ranges::find(held_, held.handle, &Held::handle);
    if (it == held_.end()) {
        held_.push_back(std::move(held));
        return;
    }
    held.home = it->home;
    held.maximized = it->maximized;
    *it = std::move(held);
}

void Holdings::Drop(Hwnd handle) {
    std::erase_if(held_, [&](const Held& h) { return h.handle == handle; });
}

void Holdings::SetRule(Hwnd handle, std::optional<frontend::Rule> rule) {
    const auto it = std::ranges::find(held_, handle, &Held::handle);
    if (it != held_.end()) {
        it->rule = std::move(rule);
    }
}

void Holdings::SetTitle(Hwnd handle, std::string title) {
    const auto it = std::ranges::find(held_, handle, &Held::handle);
    if (it != held_.end()) {
        it->title = std::move(title);
    }
}

void Holdings::LetGo(Hwnd handle) {
    Drop(handle);
    if (std::ranges::find(letGo_, handle) == letGo_.end()) {
        letGo_.push_back(handle);
    }
}

bool Holdings::IsLetGo(Hwnd handle) const {
    return std::ranges::find(letGo_, handle) != letGo_.end();
}

TuckStep PlanTuck(const Held* held, Edge edge) {
    if (held == nullptr) {
        return TuckStep::Take;
    }
    return held->edge == edge ? TuckStep::Release : TuckStep::MoveEdge;
}

ReloadStep PlanReload(const Held& held,
                      const frontend::TopWindow& now,
                      const std::vector<frontend::Rule>& rules) {
    if (!held.rule) {
        return {};
    }
    // A window the engine holds beyond an edge, or that is minimized, is still the same
    // window: its state plays no part, only what the rules say about it.
    const frontend::Rule* rule = frontend::RuleFor(rules, now);
    if (rule == nullptr) {
        return {ReloadStep::Kind::Release, std::nullopt};
    }
    const auto kind = rule->edge == held.edge ? ReloadStep::Kind::Keep : ReloadStep::Kind::MoveEdge;
    return {kind, *rule};
}

}  // namespace popyo::tray
