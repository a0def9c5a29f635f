#pragma once

#include "platform/Control.h"
#include "platform/Image.h"
#include "platform/Object.h"
#include "platform/Window.h"

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace nocturo {

// A fault in an interface file; the message names the file, the entry and the fault.
class InterfaceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The object an interface file connects to: it takes the objects named by the entries'
// "field" keys and gives the actions named by their "action" keys.
class InterfaceOwner {
public:
    virtual ~InterfaceOwner() = default;
    // Takes `object` into the field; returns a fault ("no such field", "expects a Switch")
    // or an empty string.
    virtual std::string bindField(const std::string& field, Object* object) = 0;
    // Connects the control to the action of that name; returns a fault ("unknown action",
    // "needs a Switch") or an empty string.
    virtual std::string bindAction(const std::string& selector, Control& control) = 0;
    // Called for every object once all fields are filled, to connect what the object itself
    // refers to (a touch view's controller, say).
    virtual void awake(Object&) {}
};

// For an owner's bindField: takes `object` into `slot` when it is a T, otherwise names the fault.
template <class T> std::string bindTyped(T*& slot, Object* object, const char* expected) {
    T* typed = dynamic_cast<T*>(object);
    if (!typed)
        return std::string("the field expects a ") + expected + ", not a " + object->className();
    slot = typed;
    return {};
}

// Makes the objects of the classes that the platform does not know.
class ClassRegistry {
public:
    using Factory = std::function<std::unique_ptr<Object>()>;
    void add(const std::string& className, Factory factory) {
        factories_[className] = std::move(factory);
    }
    const Factory* find(const std::string& className) const;

private:
    std::map<std::string, Factory> factories_;
};

// Every object an interface file made. It owns them for as long as it lives.
class Interface {
public:
    Interface() = default;
    Interface(Interface&&) = default;
    Interface& operator=(Interface&&) = default;
    ~Interface();

    Window* window() const { return window_; }
    // Objects with a name (a field or an explicit name), in file order.
    const std::vector<Object*>& namedObjects() const { return named_; }
    Object* find(const std::string& name) const;
    const std::vector<std::unique_ptr<Object>>& objects() const { return objects_; }

private:
    friend class InterfaceLoader;
    friend class InterfaceBuilder;
    std::vector<std::unique_ptr<Object>> objects_;
    std::vector<Object*> named_;
    Window* window_ = nullptr;
};

// Builds an interface from a JSON file: {"window": entry, "objects": [entry, ...]}, where an
// entry is {"class", "field" or "name", "frame", ..., "subviews": [entry, ...]}.
class InterfaceLoader {
public:
    InterfaceLoader(const ClassRegistry& registry, ImageLibrary& images)
        : registry_(registry), images_(images) {}

    Interface loadFile(const std::string& path, InterfaceOwner& owner);
    Interface loadText(const std::string& text, const std::string& fileName, InterfaceOwner& owner);

private:
    const ClassRegistry& registry_;
    ImageLibrary& images_;
};

} // namespace nocturo
