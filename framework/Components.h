// `TComponent`: the ownership tree of the framework. An owner frees the components it owns, in
// reverse order of insertion, when it is destroyed; a component freed first leaves its owner's list.
#pragma once

#include <string>
#include <vector>

enum TOperation { opInsert, opRemove };

class TComponent {
public:
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const noexcept { return owner_; }
    int ComponentCount() const noexcept { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(static_cast<std::size_t>(index)); }
    // The owned component with that name (ASCII case-insensitive), or null.
    TComponent* FindComponent(const std::string& name) const;

    // For debugging and lookup only.
    const std::string& Name() const noexcept { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    long Tag() const noexcept { return tag_; }
    void SetTag(long tag) noexcept { tag_ = tag; }

    bool Destroying() const noexcept { return destroying_; }

protected:
    // Called on every component of the owner when one of them is inserted or removed, so that
    // references between siblings (a control's popup menu) are dropped in time.
    virtual void Notification(TComponent* component, TOperation operation);
    // Frees the owned components, last inserted first. Destructors of classes whose owned components
    // may still refer to them (controls, forms) call it first, while the whole object is alive.
    void DestroyComponents() noexcept;

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component) noexcept;

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::string name_;
    long tag_ = 0;
    bool destroying_ = false;
};
