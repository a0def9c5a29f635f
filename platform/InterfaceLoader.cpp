#include "platform/InterfaceLoader.h"

#include "platform/ImageView.h"
#include "platform/Label.h"
#include "platform/ScrollView.h"

#include <cmath>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

namespace nocturo {

using Json = nlohmann::json;

const ClassRegistry::Factory* ClassRegistry::find(const std::string& className) const {
    auto it = factories_.find(className);
    return it == factories_.end() ? nullptr : &it->second;
}

Interface::~Interface() {
    // Views first leave the tree from the top, so that no view outlives a parent it points to.
    for (auto it = objects_.rbegin(); it != objects_.rend(); ++it)
        it->reset();
}

Object* Interface::find(const std::string& name) const {
    for (Object* o : named_)
        if (o->name() == name)
            return o;
    return nullptr;
}

// Makes the objects of one file, entry by entry.
class InterfaceBuilder {
public:
    InterfaceBuilder(const std::string& file, const ClassRegistry& registry, ImageLibrary& images,
                     InterfaceOwner& owner, Interface& result)
        : file_(file), registry_(registry), images_(images), owner_(owner), result_(result) {}

    Object* build(const Json& entry, const std::string& where);

    [[noreturn]] void fail(const std::string& where, const std::string& fault) const {
        throw InterfaceError(file_ + ": entry '" + where + "': " + fault);
    }

    std::vector<std::pair<Object*, std::string>> fields;

private:
    std::unique_ptr<Object> make(const std::string& cls, const std::string& where);
    float number(const Json& v, const std::string& key, const std::string& where) const;
    Rect rect(const Json& v, const std::string& where) const;
    Color color(const Json& v, const std::string& key, const std::string& where) const;
    bool boolean(const Json& v, const std::string& key, const std::string& where) const;
    std::string string(const Json& v, const std::string& key, const std::string& where) const;
    void checkKeys(const Json& entry, const std::set<std::string>& allowed,
                   const std::string& where) const;
    std::shared_ptr<const Image> picture(const Json& v, const std::string& where);

    const std::string& file_;
    const ClassRegistry& registry_;
    ImageLibrary& images_;
    InterfaceOwner& owner_;
    Interface& result_;
    std::set<std::string> names_;
    int depth_ = 0;
    static constexpr int maxDepth = 32;
};

std::unique_ptr<Object> InterfaceBuilder::make(const std::string& cls, const std::string& where) {
    if (cls == "View")
        return std::make_unique<View>();
    if (cls == "Window")
        return std::make_unique<Window>();
    if (cls == "ImageView")
        return std::make_unique<ImageView>();
    if (cls == "Label")
        return std::make_unique<Label>();
    if (cls == "Button")
        return std::make_unique<Button>();
    if (cls == "SegmentedControl")
        return std::make_unique<SegmentedControl>();
    if (cls == "Switch")
        return std::make_unique<Switch>();
    if (cls == "Slider")
        return std::make_unique<Slider>();
    if (cls == "ScrollView")
        return std::make_unique<ScrollView>();
    if (const auto* factory = registry_.find(cls))
        if (auto object = (*factory)())
            return object;
    fail(where, "unknown class '" + cls + "'");
}

float InterfaceBuilder::number(const Json& v, const std::string& key,
                               const std::string& where) const {
    if (!v.is_number())
        fail(where, "'" + key + "' must be a number");
    double d = v.get<double>();
    if (!std::isfinite(d) || std::fabs(d) > 1e6)
        fail(where, "'" + key + "' is out of range");
    return static_cast<float>(d);
}

Rect InterfaceBuilder::rect(const Json& v, const std::string& where) const {
    if (!v.is_array() || v.size() != 4)
        fail(where, "'frame' must be [x, y, width, height]");
    Rect r(number(v[0], "frame", where), number(v[1], "frame", where), number(v[2], "frame", where),
           number(v[3], "frame", where));
    if (r.width() < 0 || r.height() < 0)
        fail(where, "'frame' has a negative size");
    return r;
}

Color InterfaceBuilder::color(const Json& v, const std::string& key,
                              const std::string& where) const {
    if (!v.is_array() || v.size() != 4)
        fail(where, "'" + key + "' must be [red, green, blue, alpha]");
    float c[4];
    for (int i = 0; i < 4; ++i) {
        c[i] = number(v[static_cast<std::size_t>(i)], key, where);
        if (c[i] < 0.0f || c[i] > 1.0f)
            fail(where, "'" + key + "' components must lie from 0 to 1");
    }
    return {c[0], c[1], c[2], c[3]};
}

bool InterfaceBuilder::boolean(const Json& v, const std::string& key,
                               const std::string& where) const {
    if (!v.is_boolean())
        fail(where, "'" + key + "' must be true or false");
    return v.get<bool>();
}

std::string InterfaceBuilder::string(const Json& v, const std::string& key,
                                     const std::string& where) const {
    if (!v.is_string())
        fail(where, "'" + key + "' must be a string");
    return v.get<std::string>();
}

void InterfaceBuilder::checkKeys(const Json& entry, const std::set<std::string>& allowed,
                                 const std::string& where) const {
    for (auto it = entry.begin(); it != entry.end(); ++it)
        if (!allowed.count(it.key()))
            fail(where, "unknown key '" + it.key() + "'");
}

std::shared_ptr<const Image> InterfaceBuilder::picture(const Json& v, const std::string& where) {
    std::string name = string(v, "image", where);
    auto image = images_.imageNamed(name);
    if (!image)
        fail(where, "picture '" + name + "' is missing or unreadable");
    return image;
}

Object* InterfaceBuilder::build(const Json& entry, const std::string& parentPath) {
    if (!entry.is_object())
        fail(parentPath.empty() ? "(top)" : parentPath, "an entry must be an object");
    std::string label;
    if (entry.contains("field") && entry["field"].is_string())
        label = entry["field"].get<std::string>();
    else if (entry.contains("name") && entry["name"].is_string())
        label = entry["name"].get<std::string>();
    std::string cls = entry.contains("class") && entry["class"].is_string()
                          ? entry["class"].get<std::string>()
                          : std::string();
    std::string where = parentPath.empty() ? (label.empty() ? cls : label)
                                           : parentPath + " > " + (label.empty() ? cls : label);
    if (cls.empty())
        fail(where, "'class' is missing");

    std::unique_ptr<Object> made = make(cls, where);
    Object* object = made.get();
    result_.objects_.push_back(std::move(made));

    std::set<std::string> allowed{"class", "field", "name"};
    if (!label.empty()) {
        if (!names_.insert(label).second)
            fail(where, "the name '" + label + "' is used twice");
        object->setName(label);
        result_.named_.push_back(object);
    }
    if (entry.contains("field"))
        fields.emplace_back(object, string(entry["field"], "field", where));

    View* view = dynamic_cast<View*>(object);
    if (view) {
        allowed.insert({"frame", "background", "alpha", "hidden", "userInteractionEnabled",
                        "multipleTouchEnabled", "clipsToBounds", "subviews"});
        if (entry.contains("frame"))
            view->setFrame(rect(entry["frame"], where));
        if (entry.contains("background"))
            view->setBackgroundColor(color(entry["background"], "background", where));
        if (entry.contains("alpha"))
            view->setAlpha(number(entry["alpha"], "alpha", where));
        if (entry.contains("hidden"))
            view->setHidden(boolean(entry["hidden"], "hidden", where));
        if (entry.contains("userInteractionEnabled"))
            view->setUserInteractionEnabled(
                boolean(entry["userInteractionEnabled"], "userInteractionEnabled", where));
        if (entry.contains("multipleTouchEnabled"))
            view->setMultipleTouchEnabled(
                boolean(entry["multipleTouchEnabled"], "multipleTouchEnabled", where));
        if (entry.contains("clipsToBounds"))
            view->setClipsToBounds(boolean(entry["clipsToBounds"], "clipsToBounds", where));
    }
    if (auto* image = dynamic_cast<ImageView*>(object)) {
        allowed.insert("image");
        if (entry.contains("image"))
            image->setImage(picture(entry["image"], where));
    }
    if (auto* label = dynamic_cast<Label*>(object)) {
        allowed.insert({"text", "fontSize", "bold", "textColor", "align"});
        if (entry.contains("text"))
            label->setText(string(entry["text"], "text", where));
        if (entry.contains("fontSize"))
            label->setFontSize(number(entry["fontSize"], "fontSize", where));
        if (entry.contains("bold"))
            label->setBold(boolean(entry["bold"], "bold", where));
        if (entry.contains("textColor"))
            label->setTextColor(color(entry["textColor"], "textColor", where));
        if (entry.contains("align")) {
            std::string a = string(entry["align"], "align", where);
            if (a == "left")
                label->setAlignment(TextAlignment::Left);
            else if (a == "center")
                label->setAlignment(TextAlignment::Center);
            else if (a == "right")
                label->setAlignment(TextAlignment::Right);
            else
                fail(where, "'align' must be left, center or right");
        }
    }
    if (auto* control = dynamic_cast<Control*>(object)) {
        allowed.insert({"enabled", "tint", "action"});
        if (entry.contains("enabled"))
            control->setEnabled(boolean(entry["enabled"], "enabled", where));
        if (entry.contains("tint"))
            control->setTintColor(color(entry["tint"], "tint", where));
        if (entry.contains("action")) {
            std::string selector = string(entry["action"], "action", where);
            std::string fault = owner_.bindAction(selector, *control);
            if (!fault.empty())
                fail(where, fault);
        }
    }
    if (auto* button = dynamic_cast<Button*>(object)) {
        allowed.insert({"title", "image"});
        if (entry.contains("title"))
            button->setTitle(string(entry["title"], "title", where));
        if (entry.contains("image")) {
            picture(entry["image"], where);
            button->setImageName(entry["image"].get<std::string>());
        }
    }
    if (auto* segmented = dynamic_cast<SegmentedControl*>(object)) {
        allowed.insert({"segments", "selected", "momentary"});
        if (entry.contains("segments")) {
            const Json& s = entry["segments"];
            if (!s.is_array() || s.empty())
                fail(where, "'segments' must be a list of titles");
            std::vector<std::string> titles;
            for (const Json& t : s)
                titles.push_back(string(t, "segments", where));
            segmented->setSegments(std::move(titles));
        }
        if (entry.contains("selected"))
            segmented->setSelectedSegmentIndex(
                static_cast<int>(number(entry["selected"], "selected", where)));
        if (entry.contains("momentary"))
            segmented->setMomentary(boolean(entry["momentary"], "momentary", where));
    }
    if (auto* sw = dynamic_cast<Switch*>(object)) {
        allowed.insert("on");
        if (entry.contains("on"))
            sw->setOn(boolean(entry["on"], "on", where));
    }
    if (auto* slider = dynamic_cast<Slider*>(object)) {
        allowed.insert({"min", "max", "value"});
        float lo = entry.contains("min") ? number(entry["min"], "min", where) : 0.0f;
        float hi = entry.contains("max") ? number(entry["max"], "max", where) : 1.0f;
        if (hi < lo)
            fail(where, "'max' is below 'min'");
        slider->setRange(lo, hi);
        if (entry.contains("value"))
            slider->setValue(number(entry["value"], "value", where));
    }
    if (auto* scroll = dynamic_cast<ScrollView*>(object)) {
        allowed.insert("contentSize");
        if (entry.contains("contentSize")) {
            const Json& s = entry["contentSize"];
            if (!s.is_array() || s.size() != 2)
                fail(where, "'contentSize' must be [width, height]");
            scroll->setContentSize(
                {number(s[0], "contentSize", where), number(s[1], "contentSize", where)});
        }
    }
    checkKeys(entry, allowed, where);

    if (entry.contains("subviews")) {
        if (++depth_ > maxDepth)
            fail(where, "views are nested too deeply");
        const Json& subs = entry["subviews"];
        if (!subs.is_array())
            fail(where, "'subviews' must be a list");
        for (const Json& sub : subs) {
            Object* child = build(sub, where);
            View* childView = dynamic_cast<View*>(child);
            if (!childView || dynamic_cast<Window*>(child))
                fail(where, "a subview must be a view");
            view->addSubview(childView);
        }
        --depth_;
    }
    return object;
}

Interface InterfaceLoader::loadFile(const std::string& path, InterfaceOwner& owner) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw InterfaceError(path + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        throw InterfaceError(path + ": cannot be read");
    return loadText(text.str(), path, owner);
}

namespace {

// The document of a text, or none when the text is no JSON. The text parsed last is kept with
// its document: the exposure preview launches a copy of the application again and again from
// the same file, and parsing it is a good part of a launch.
std::shared_ptr<const Json> parse(const std::string& text) {
    thread_local std::string lastText;
    thread_local std::shared_ptr<const Json> lastDocument;
    if (lastDocument && text == lastText)
        return lastDocument;
    auto document = std::make_shared<Json>(Json::parse(text, nullptr, false));
    if (document->is_discarded())
        return nullptr;
    lastText = text;
    lastDocument = std::move(document);
    return lastDocument;
}

} // namespace

Interface InterfaceLoader::loadText(const std::string& text, const std::string& fileName,
                                    InterfaceOwner& owner) {
    const std::shared_ptr<const Json> parsed = parse(text);
    if (!parsed)
        throw InterfaceError(fileName + ": not valid JSON");
    const Json& doc = *parsed;
    if (!doc.is_object())
        throw InterfaceError(fileName + ": the top level must be an object");
    for (auto it = doc.begin(); it != doc.end(); ++it)
        if (it.key() != "window" && it.key() != "objects")
            throw InterfaceError(fileName + ": unknown top-level key '" + it.key() + "'");
    if (!doc.contains("window"))
        throw InterfaceError(fileName + ": 'window' is missing");

    Interface result;
    InterfaceBuilder builder(fileName, registry_, images_, owner, result);
    Object* window = builder.build(doc["window"], "");
    result.window_ = dynamic_cast<Window*>(window);
    if (!result.window_)
        builder.fail(window->name().empty() ? "window" : window->name(),
                     "'window' must be a Window");
    if (doc.contains("objects")) {
        if (!doc["objects"].is_array())
            throw InterfaceError(fileName + ": 'objects' must be a list");
        for (const Json& entry : doc["objects"])
            builder.build(entry, "");
    }
    for (auto& [object, field] : builder.fields) {
        std::string fault = owner.bindField(field, object);
        if (!fault.empty())
            builder.fail(object->name(), fault);
    }
    for (auto& object : result.objects_)
        owner.awake(*object);
    return result;
}

} // namespace nocturo
