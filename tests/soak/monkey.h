#pragma once

// The monkey's actions: a weighted table of what a restless user does to the
// window (clicks, choices, slider drags and typing over the named controls
// that the window's layouts built, profile and macro operations with odd
// names, recordings, imports of odd files, menus, skins, other programs in
// front), interleaved with what happens to a user's mouse and disk
// (unplugging, device and disk faults, a damaged store found at the next
// start) and with quits and restarts of the program. Every choice comes from
// the monkey's random source; each step says what it did, for the log. UI
// thread only.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "monkeyrandom.h"
#include "monkeyworld.h"

namespace varlok::ui {
class CControlUI;
class WindowImplBase;
}  // namespace varlok::ui

namespace varlok::soak {

class Monkey {
public:
    // Answers every file dialog and modal window of the run from now on.
    Monkey(MonkeyWorld& world, std::uint64_t seed);
    // The dialogs show to the user again.
    ~Monkey();
    Monkey(const Monkey&) = delete;
    Monkey& operator=(const Monkey&) = delete;

    // Keeps the world in order (modal answers queued, faults ended when
    // their time is up, a window closed by a click started again), then
    // carries out one action. What it did.
    std::string Step();

    // How often each action ran, by name; and each fault kind.
    [[nodiscard]] const std::map<std::string, int>& Counts() const { return m_counts; }

private:
    struct Action {
        std::string_view name;
        int weight;
        std::string (Monkey::*run)();
    };
    static const std::vector<Action>& Actions();

    // The window's controls.
    std::string ClickControl();
    std::string ChooseInCombo();
    std::string DragSlider();
    std::string TypeInEdit();
    std::string ClickListItem();
    std::string PickColour();
    std::string PressKey();
    std::string OpenPage();
    std::string ProfileOperation();
    std::string MacroOperation();
    std::string Record();
    std::string ChooseInMenu();
    std::string ChooseSkin();
    // The world around it.
    std::string Replug();
    std::string DeviceEvent();
    std::string StartDeviceFault();
    std::string StartDiskFault();
    std::string ProgramInFront();
    std::string Wait();
    std::string QuitAndStart();

    // A random item of the named combo or list, chosen with choose.
    std::string ChooseItem(const std::string& name,
                           bool (ui::test::UiDriver::*choose)(std::string_view, int));
    // The visible, enabled, named controls of a window, of one kind.
    template <typename Control>
    [[nodiscard]] std::vector<Control*> Controls(ui::WindowImplBase& window) const;
    // A modal window's answer: a few clicks of its own, then closed.
    void AnswerModal(ui::WindowImplBase& window);
    void QueueModalAnswers();
    [[nodiscard]] std::optional<std::string> ChooseFile(bool save, std::string_view extension,
                                                        bool executables);
    // A file to import: random bytes, a whole or damaged profile, macro or
    // script, a picture, an empty file.
    [[nodiscard]] std::string ImportCandidate(std::string_view extension);
    // Writes garbage over one of the stores, as a failing disk or another
    // program may leave it for the next start.
    std::string DamageAStore();
    void Count(std::string_view what) { ++m_counts[std::string(what)]; }

    MonkeyWorld& m_world;
    MonkeyRandom m_random;
    std::map<std::string, int> m_counts;
    int m_deviceFaultSteps = 0;
    int m_diskFaultSteps = 0;
    int m_files = 0;
};

}  // namespace varlok::soak
