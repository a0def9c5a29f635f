#include "app/Nocturo.h"

#include <gtest/gtest.h>

namespace nocturo {
namespace {

class InterfaceFile : public ::testing::Test {
protected:
    // Loads `text` as if it were the file "ui.json"; returns the fault, or empty.
    std::string fault(const std::string& text) {
        ClassRegistry registry = Nocturo::classRegistry();
        InterfaceLoader loader(registry, images);
        try {
            ui = loader.loadText(text, "ui.json", controller);
        } catch (const InterfaceError& e) {
            return e.what();
        }
        return {};
    }
    static std::string withObjects(const std::string& objects) {
        return R"({"window": {"class": "Window", "field": "window"}, "objects": [)" + objects +
               "]}";
    }

    Application application;
    RunLoop loop;
    MemorySettingsStore store;
    ImageLibrary images{NOCTURO_RESOURCE_DIR};
    NocturoAppDelegate controller{{application, loop, store, images}};
    Interface ui; // what the controller's fields point into
};

TEST_F(InterfaceFile, AGoodFileFillsFieldsAndConnectsActions) {
    EXPECT_EQ(fault(withObjects(R"({"class": "Switch", "field": "stripOnOffSwitch",
                                    "action": "setEnableStrip:", "frame": [1, 2, 51, 31]})")),
              "");
    ASSERT_NE(controller.stripOnOffSwitch, nullptr);
    EXPECT_EQ(controller.stripOnOffSwitch->actionName(), "setEnableStrip:");
    EXPECT_EQ(controller.stripOnOffSwitch->frame(), Rect(1, 2, 51, 31));
    ASSERT_NE(controller.window, nullptr);
}

TEST_F(InterfaceFile, EachFaultNamesTheFileTheEntryAndTheFault) {
    EXPECT_EQ(fault("{\"window\": "), "ui.json: not valid JSON");
    EXPECT_EQ(fault("[]"), "ui.json: the top level must be an object");
    EXPECT_EQ(fault(R"({"objects": []})"), "ui.json: 'window' is missing");
    EXPECT_EQ(fault(withObjects(R"({"class": "View", "field": "noSuchField"})")),
              "ui.json: entry 'noSuchField': unknown field 'noSuchField'");
    EXPECT_EQ(fault(withObjects(R"({"class": "Button", "name": "b", "action": "explode:"})")),
              "ui.json: entry 'b': unknown action 'explode:'");
    EXPECT_EQ(fault(withObjects(R"({"class": "Slider", "field": "stripOnOffSwitch"})")),
              "ui.json: entry 'stripOnOffSwitch': the field expects a Switch, not a Slider");
    EXPECT_EQ(
        fault(withObjects(R"({"class": "Button", "name": "b", "action": "switchColor:"})")),
        "ui.json: entry 'b': the action 'switchColor:' needs a SegmentedControl, not a Button");
    EXPECT_EQ(fault(withObjects(R"({"class": "ImageView", "name": "p", "image": "nope.png"})")),
              "ui.json: entry 'p': picture 'nope.png' is missing or unreadable");
    EXPECT_EQ(fault(withObjects(R"({"class": "View", "name": "v", "colour": [1, 1, 1, 1]})")),
              "ui.json: entry 'v': unknown key 'colour'");
    EXPECT_EQ(fault(withObjects(R"({"class": "Gadget", "name": "g"})")),
              "ui.json: entry 'g': unknown class 'Gadget'");
    EXPECT_EQ(fault(withObjects(R"({"class": "View", "name": "v", "frame": [0, 0, 10]})")),
              "ui.json: entry 'v': 'frame' must be [x, y, width, height]");
    EXPECT_EQ(fault(withObjects(R"({"class": "View", "name": "v", "background": [2, 0, 0, 1]})")),
              "ui.json: entry 'v': 'background' components must lie from 0 to 1");
    EXPECT_EQ(fault(withObjects(R"({"class": "View", "name": "v", "subviews": [{"class": "View",
                                    "name": "w", "hidden": "yes"}]})")),
              "ui.json: entry 'v > w': 'hidden' must be true or false");
    EXPECT_EQ(
        fault(withObjects(R"({"class": "View", "name": "v"}, {"class": "View", "name": "v"})")),
        "ui.json: entry 'v': the name 'v' is used twice");
}

TEST_F(InterfaceFile, PicturesMayNotLeaveTheResourceFolder) {
    EXPECT_EQ(fault(withObjects(R"({"class": "ImageView", "name": "p", "image": "../README.md"})")),
              "ui.json: entry 'p': picture '../README.md' is missing or unreadable");
}

TEST_F(InterfaceFile, DeepNestingIsRefusedNotRecursedWithoutEnd) {
    std::string deep = R"({"class": "View", "name": "v0")";
    std::string tail = "}";
    for (int i = 1; i < 200; ++i) {
        deep += R"(, "subviews": [{"class": "View")";
        tail += "]}";
    }
    EXPECT_NE(fault(withObjects(deep + tail)).find("nested too deeply"), std::string::npos);
}

TEST(ApplicationInterface, TheShippedFileLoadsAndEveryPictureTheCodeNamesExists) {
    MemorySettingsStore store;
    Nocturo app(store, NOCTURO_RESOURCE_DIR);
    ASSERT_NO_THROW(app.launch());
    for (const char* name :
         {"dotArray60.png", "dotArray30.png", "dotArray15.png", "pacman480r90.png",
          "STATICSPOTr90.png", "carDynamic480r90.png", "DynamicSpotr90.png", "Rainbow480r90.png",
          "RAINBOWr90.png", "stripSample480.png", "stripText.png"})
        EXPECT_NE(app.images().imageNamed(name), nullptr) << name;
}

TEST(ApplicationInterface, AMissingInterfaceFileStopsTheLaunchWithItsName) {
    MemorySettingsStore store;
    Nocturo app(store, "/nonexistent-folder");
    try {
        app.launch();
        FAIL() << "the launch went on";
    } catch (const InterfaceError& e) {
        EXPECT_EQ(std::string(e.what()), "/nonexistent-folder/MainWindow.json: cannot be read");
    }
    EXPECT_FALSE(app.isLaunched());
}

} // namespace
} // namespace nocturo
