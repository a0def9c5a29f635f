#pragma once

#include <string>

namespace nocturo {

// Anything the interface file can make: views, controls and plain objects. The name is the
// controller field or interface name the object is known by, for reports and lookups.
class Object {
public:
    virtual ~Object() = default;
    virtual const char* className() const { return "Object"; }

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

private:
    std::string name_;
};

} // namespace nocturo
