// Ownership bookkeeping of components.
#include "framework/Components.h"

#include <algorithm>

namespace {

bool SameNameAscii(const std::string& a, const std::string& b) noexcept
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
        return up(x) == up(y);
    });
}

} // namespace

TComponent::TComponent(TComponent* owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    destroying_ = true;
    DestroyComponents();
    if (owner_)
        owner_->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(const std::string& name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent* component : components_)
        if (SameNameAscii(component->Name(), name))
            return component;
    return nullptr;
}

void TComponent::Notification(TComponent*, TOperation) { }

void TComponent::DestroyComponents() noexcept
{
    destroying_ = true;
    while (!components_.empty()) {
        TComponent* component = components_.back();
        // Detach first so the component's own destructor does not look for its owner.
        RemoveComponent(component);
        delete component;
    }
}

void TComponent::InsertComponent(TComponent* component)
{
    components_.push_back(component);
    component->owner_ = this;
    // A notified component may add or remove components: walk a copy.
    for (TComponent* other : std::vector<TComponent*>(components_))
        if (other != component)
            other->Notification(component, opInsert);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) noexcept
{
    const auto it = std::find(components_.begin(), components_.end(), component);
    if (it == components_.end())
        return;
    components_.erase(it);
    component->owner_ = nullptr;
    if (destroying_)
        return;
    for (TComponent* other : std::vector<TComponent*>(components_))
        other->Notification(component, opRemove);
    Notification(component, opRemove);
}
