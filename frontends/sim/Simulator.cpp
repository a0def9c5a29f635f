#include "frontends/sim/Simulator.h"

#include "exposure/ExposureSimulator.h"
#include "frontends/sim/Parse.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <istream>
#include <iterator>
#include <map>
#include <ostream>

namespace nocturo {

namespace {
// Larger than any PNG or JPEG of the largest picture the application takes.
constexpr std::uintmax_t maxPictureFileBytes = 512u << 20;
} // namespace

Simulator::Simulator(SettingsStore& store, std::string resourceDir, KeptFiles* files)
    : store_(store), files_(files ? *files : ownFiles_), resourceDir_(std::move(resourceDir)) {}

Simulator::~Simulator() = default;

void Simulator::requireLaunched(const std::string& command) const {
    if (!app_)
        throw ScriptError("'" + command + "' needs a launched application (use 'launch' first)");
}

int Simulator::run(std::istream& script, std::ostream& out, std::ostream& err) {
    std::string line;
    int number = 0;
    while (std::getline(script, line)) {
        ++number;
        try {
            execute(line, out);
        } catch (const std::exception& e) {
            out.flush();
            err << "line " << number << ": " << e.what() << "\n";
            return 2;
        }
    }
    return 0;
}

void Simulator::execute(const std::string& line, std::ostream& out) {
    std::vector<std::string> w = parse::words(line);
    if (w.empty() || w[0][0] == '#')
        return;
    const std::string& command = w[0];
    auto arity = [&](std::size_t n, const char* usage) {
        if (w.size() != n)
            throw ScriptError(std::string("usage: ") + usage);
    };

    if (command == "store") {
        doStore(w, line);
    } else if (command == "launch") {
        arity(1, "launch");
        if (app_)
            throw ScriptError("the application is already running (use 'quit' first)");
        auto app = std::make_unique<Nocturo>(store_, resourceDir_, clock_, &files_);
        try {
            app->launch();
        } catch (const InterfaceError& e) {
            throw ScriptError(std::string("launch failed: ") + e.what());
        }
        app_ = std::move(app);
    } else if (command == "quit") {
        arity(1, "quit");
        requireLaunched(command);
        app_.reset();
    } else if (command == "wait") {
        arity(2, "wait SECONDS");
        double s = parse::seconds(w[1], "the time to wait");
        clock_ += s;
        if (app_)
            app_->runLoop().advanceTo(clock_);
    } else if (command == "touch") {
        doTouch(w);
    } else if (command == "control") {
        doControl(w);
    } else if (command == "press") {
        doPress(w);
    } else if (command == "key") {
        arity(2, "key space|enter");
        requireLaunched(command);
        if (w[1] == "space")
            app_->pressKey(Key::Space);
        else if (w[1] == "enter")
            app_->pressKey(Key::Enter);
        else
            throw ScriptError("unknown key '" + w[1] + "' (space or enter)");
    } else if (command == "text") {
        requireLaunched(command);
        // The words as typed, blanks and all, from the line itself.
        std::size_t start = line.find("text") + 4;
        start = line.find_first_not_of(" \t", start);
        app_->typeText(start == std::string::npos ? std::string() : line.substr(start));
    } else if (command == "picture") {
        arity(2, "picture FILE");
        requireLaunched(command);
        // Only a plain file of a size a picture can have: not a device or a pipe without end.
        std::error_code error;
        if (!std::filesystem::is_regular_file(w[1], error) ||
            std::filesystem::file_size(w[1], error) > maxPictureFileBytes || error)
            throw ScriptError("'" + w[1] + "' is not a picture file that can be read");
        std::ifstream in(w[1], std::ios::binary);
        if (!in)
            throw ScriptError("cannot read the picture '" + w[1] + "'");
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
        std::string message = app_->choosePicture(bytes);
        if (!message.empty())
            throw ScriptError(message);
    } else if (command == "call") {
        doCall(w);
    } else if (command == "echo") {
        out << (line.size() > line.find("echo") + 5 ? line.substr(line.find("echo") + 5) : "")
            << "\n";
    } else if (command == "status") {
        arity(1, "status");
        requireLaunched(command);
        out << status() << "\n";
    } else if (command == "dump") {
        arity(1, "dump");
        requireLaunched(command);
        out << dump() << "\n";
    } else if (command == "render") {
        if (w.size() != 2 && w.size() != 3)
            throw ScriptError("usage: render FILE.png [SCALE]");
        requireLaunched(command);
        float scale = w.size() == 3 ? parse::finiteFloat(w[2], "the scale") : 1.0f;
        if (scale < 0.25f || scale > 4.0f)
            throw ScriptError("the scale must lie from 0.25 to 4");
        if (!pngWriter_)
            throw ScriptError("this build has no renderer");
        pngWriter_(*app_, w[1], scale);
    } else if (command == "expose") {
        doExpose(w);
    } else {
        throw ScriptError("unknown command '" + command + "'");
    }
}

void Simulator::doStore(const std::vector<std::string>& w, const std::string& line) {
    // A string may hold blanks, so it is read from the line rather than from its words.
    bool isString = w.size() >= 3 && w[2].front() == '"';
    if (w.size() != 3 && !isString)
        throw ScriptError("usage: store KEY VALUE, or store KEY \"A STRING\"");
    if (app_)
        throw ScriptError("'store' comes before 'launch'");
    const std::string& text = w[2];
    if (isString) {
        store_.setString(w[1], parse::quoted(parse::afterWords(line, 2), "the value"));
    } else if (text == "true" || text == "false") {
        store_.setBool(w[1], text == "true");
    } else if (text.find_first_of(".eE") != std::string::npos || text == "nan" || text == "inf") {
        store_.setFloat(w[1], parse::finiteFloat(text, "the value"));
    } else {
        std::int64_t v = parse::integer(text, "the value");
        store_.setObject(w[1], v);
    }
}

void Simulator::doTouch(const std::vector<std::string>& w) {
    if (w.size() < 2)
        throw ScriptError("usage: touch down|move|up X Y [FINGER], or touch cancel [FINGER]");
    requireLaunched("touch");
    Window* window = app_->window();
    const std::string& phase = w[1];
    // An optional last word numbers the finger, so that several can be down at once.
    auto finger = [&](std::size_t at) {
        if (w.size() <= at)
            return fingerId;
        std::int64_t id = parse::integer(w[at], "the finger");
        if (id < 1 || id > maxFingers)
            throw ScriptError("the finger is a number from 1 to " + std::to_string(maxFingers));
        return static_cast<int>(id);
    };
    if (phase == "cancel") {
        if (w.size() != 2 && w.size() != 3)
            throw ScriptError("usage: touch cancel [FINGER]");
        int id = finger(2);
        if (!window->hasTouch(id))
            throw ScriptError("no finger is down");
        window->touchCancel(id);
        return;
    }
    if (w.size() != 4 && w.size() != 5)
        throw ScriptError("usage: touch " + phase + " X Y [FINGER]");
    Point p{parse::finiteFloat(w[2], "X"), parse::finiteFloat(w[3], "Y")};
    int id = finger(4);
    if (phase == "down") {
        if (window->hasTouch(id))
            throw ScriptError("the finger is already down");
        window->touchDown(id, p);
    } else if (phase == "move" || phase == "up") {
        if (!window->hasTouch(id))
            throw ScriptError("no finger is down");
        if (phase == "move")
            window->touchMove(id, p);
        else
            window->touchUp(id, p);
    } else {
        throw ScriptError("a touch is down, move, up or cancel, not '" + phase + "'");
    }
}

namespace {
Control* reachableControl(Nocturo& app, const std::string& name) {
    Object* object = app.interface().find(name);
    if (!object)
        throw ScriptError("no control is called '" + name + "'");
    auto* control = dynamic_cast<Control*>(object);
    if (!control)
        throw ScriptError("'" + name + "' is not a control");
    if (!control->isReachable())
        throw ScriptError("'" + name + "' is hidden or not on the screen now shown");
    if (!control->isEnabled())
        throw ScriptError("'" + name + "' is disabled");
    return control;
}
} // namespace

void Simulator::doControl(const std::vector<std::string>& w) {
    if (w.size() != 3)
        throw ScriptError("usage: control NAME VALUE");
    requireLaunched("control");
    Control* control = reachableControl(*app_, w[1]);
    const std::string& value = w[2];
    if (auto* segmented = dynamic_cast<SegmentedControl*>(control)) {
        std::int64_t index = parse::integer(value, "the segment");
        if (index < 0 || index >= segmented->numberOfSegments())
            throw ScriptError("'" + w[1] + "' has segments 0 to " +
                              std::to_string(segmented->numberOfSegments() - 1));
        segmented->choose(static_cast<int>(index));
    } else if (auto* sw = dynamic_cast<Switch*>(control)) {
        sw->flip(parse::onOff(value, "a switch"));
    } else if (auto* slider = dynamic_cast<Slider*>(control)) {
        slider->slide(parse::finiteFloat(value, "the slider's value"));
    } else {
        throw ScriptError("'" + w[1] + "' is a button: use 'press ACTION'");
    }
}

void Simulator::doPress(const std::vector<std::string>& w) {
    if (w.size() != 2)
        throw ScriptError("usage: press ACTION");
    requireLaunched("press");
    bool exists = false;
    for (const auto& object : app_->interface().objects()) {
        auto* button = dynamic_cast<Button*>(object.get());
        if (!button || button->actionName() != w[1])
            continue;
        exists = true;
        if (button->isReachable() && button->isEnabled()) {
            button->press();
            return;
        }
    }
    if (!exists)
        throw ScriptError("no button sends '" + w[1] + "'");
    throw ScriptError("no button that sends '" + w[1] + "' is on the screen now shown");
}

// A timed run with the settings in force, photographed at a pixel a millimetre; the application
// itself, launched or not, is left as it was.
void Simulator::doExpose(const std::vector<std::string>& w) {
    if (w.size() < 2 || w.size() > 4)
        throw ScriptError("usage: expose FILE.png [SPEED] [STOPS]");
    ExposureSimulator::Options options;
    options.pace = 0.5;
    if (w.size() >= 3) {
        options.pace = parse::finiteFloat(w[2], "the speed");
        if (options.pace < 0.0 || options.pace > 10.0)
            throw ScriptError("the speed must lie from 0 to 10 metres a second");
    }
    double stops = 0.0;
    if (w.size() == 4) {
        stops = parse::finiteFloat(w[3], "the exposure");
        if (stops < -10.0 || stops > 10.0)
            throw ScriptError("the exposure must lie from -10 to 10 stops");
    }
    if (!photographWriter_)
        throw ScriptError("this build has no renderer");
    options.files = &files_;
    if (app_)
        options.screenHeight = ExposureSimulator::screenHeightOf(app_->controller());
    try {
        ExposureSimulator simulator(store_, resourceDir_, options);
        simulator.finish();
        photographWriter_(simulator.photograph(stops), w[1]);
    } catch (const ScriptError&) {
        throw;
    } catch (const std::exception& e) {
        throw ScriptError(std::string("the simulated run failed: ") + e.what());
    }
}

} // namespace nocturo
