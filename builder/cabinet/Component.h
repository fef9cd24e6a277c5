#pragma once

#include <string>

namespace kf {

// What the components of this program need of a framework component: an optional owner and a name.
class TComponent {
public:
    explicit TComponent(TComponent* anOwner = nullptr) : fOwner(anOwner) {}
    virtual ~TComponent() = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return fOwner; }
    std::string Name;

private:
    TComponent* fOwner;
};

} // namespace kf
