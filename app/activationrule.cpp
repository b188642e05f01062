#include "app/activationrule.h"

#include <initializer_list>

namespace vt {

bool IsCaptionButtonHit(LRESULT hit) {
    return hit == HTREDUCE || hit == HTZOOM || hit == HTCLOSE || hit == HTHELP;
}

ActivationVerdict CActivationRule::Decide(ActivationTrigger trigger,
                                          const AppSettings& options) const {
    if (trigger == ActivationTrigger::HookRightButton && !options.activateOnRButtonDown)
        return ActivationVerdict::Ignore;
    if (trigger == ActivationTrigger::HookWheel && !options.activateOnMouseWheel)
        return ActivationVerdict::Ignore;
    if (MenuOpen()) return ActivationVerdict::Ignore;
    if (DialogOpen()) return ActivationVerdict::RaiseDialog;
    return ActivationVerdict::PopMenu;
}

bool CActivationRule::AcceptsFrontWindow(ActivationTrigger trigger,
                                         const std::function<bool(FrontWindowKind)>& is) {
    using K = FrontWindowKind;
    auto anyOf = [&is](std::initializer_list<K> kinds) {
        for (K k : kinds)
            if (is(k)) return true;
        return false;
    };
    switch (trigger) {
        case ActivationTrigger::HookRightButton:
            return anyOf({K::Explorer, K::FileDialog, K::BrowseForFolder, K::SnakeList});
        case ActivationTrigger::HookWheel:
            return anyOf({K::FileDialog, K::BrowseForFolder, K::SnakeList});
        default:
            return true;
    }
}

}  // namespace vt
