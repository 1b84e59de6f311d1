#include "commands/CommandTable.h"

#include "core/ErrorReport.h"
#include "listfiles/FileCommands.h"
#include "listops/List.h"
#include "panes/PaneCommands.h"

#include <algorithm>
#include <array>

namespace CommandTable {
namespace {

using ListCommands::OneListRoutine;
using ListCommands::PromptRoutine;
using ListCommands::TwoListRoutine;

constexpr Place kPane1{120, 90, 7800, 2055};
constexpr Place kPane2{8040, 90, 7800, 2055};
// Searching for a text heeds letter case only; a blank is blank whatever the case.
constexpr CompareOptions kCaseOnly{true, false};
constexpr CompareOptions kSpacesOnly{false, true};
// What a command on an empty list says.
constexpr const char* kForgot1 = "You forgot to load in List 1.";
constexpr const char* kForgot2 = "You forgot to load in List 2.";

Control button(const char* name, const char* caption, Place place, Runs runs, int list, const char* toolTip,
               ListCommands::Command command = {}) {
    return {name, caption, place, Kind::Button, runs, list, command, toolTip};
}

Control listCommand(const char* name, const char* caption, Place place, const char* toolTip,
                    ListCommands::Command command) {
    return button(name, caption, place, Runs::ListCommand, command.target, toolTip, command);
}

const std::array<Control, 25> kControls{{
    {"ProgressBar1", "", {120, 6810, 15720, 405}, Kind::ProgressBar},
    {"ListView1", "List 1:", kPane1, Kind::Pane, Runs::Nothing, 1},
    button("PushButton3", "Load Data From File", {120, 2220, 3840, 405}, Runs::LoadFiles, 1,
           "Adds the lines of one or more text files to the end of List 1, one item per line."),
    button("PushButton20", "Save Data To File", {4080, 2220, 3840, 405}, Runs::SaveFile, 1,
           "Writes every item of List 1 to a text file, one item per line."),
    button("PushButton1", "Clear List", {120, 2730, 3840, 405}, Runs::ClearList, 1,
           "Removes every item from List 1."),
    listCommand("PushButton17", "Remove List 1 Items With...", {120, 3240, 7800, 405},
                "Asks for a text, then removes every List 1 item that contains it.",
                {1, "Remove Items With", PromptRoutine(List::RemoveItemsWith), kForgot1, nullptr, kCaseOnly}),
    listCommand(
        "PushButton16", "Remove List 1 Items Without...", {120, 3750, 7800, 405},
        "Asks for a text, then removes every List 1 item that does not contain it.",
        {1, "Remove Items Without", PromptRoutine(List::RemoveItemsWithout), kForgot1, nullptr, kCaseOnly}),
    listCommand(
        "PushButton18", "Remove Blanks From List 1", {120, 4260, 7800, 405},
        "Removes the empty items from List 1.\nWith Ignore Spaces Around Items, items of spaces only go too.",
        {1, "Remove Blanks", OneListRoutine(List::RemoveBlanksFromList), kForgot1, nullptr, kSpacesOnly}),
    listCommand("PushButton19", "Remove Matches (List 2 From List 1)", {120, 4770, 7800, 405},
                "Removes from List 1 every item that also occurs in List 2.",
                {1, "Remove Matches", TwoListRoutine(List::SubtractSecondListFromFirstList),
                 "You forgot to load List 1.", "You forgot to load List 2."}),
    listCommand("PushButton15", "Keep Only Matches in List 2", {120, 5280, 7800, 405},
                "Keeps in List 1 only the items that also occur in List 2;\nremoves the others from List 1.",
                {1, "Keep Only Matches", TwoListRoutine(List::KeepOnlyMatchesInList), kForgot1, kForgot2}),
    listCommand("PushButton4", "Remove List 1 Dupes Except First Occurrence", {120, 5790, 7800, 405},
                "Removes repeated items from List 1:\nthe first copy of each repeated item stays.",
                {1, "Remove Dupes Except First", OneListRoutine(List::RemoveDupesExceptFirst), kForgot1}),
    listCommand("PushButton7", "Remove All List 1 Dupes (All Occurrences)", {120, 6300, 7800, 405},
                "Removes repeated items from List 1:\nthe last copy of each repeated item stays.",
                {1, "Remove All Dupes", OneListRoutine(List::RemoveDupesAll), kForgot1}),
    {"ListView2", "List 2:", kPane2, Kind::Pane, Runs::Nothing, 2},
    button("PushButton14", "Load Data From File", {8040, 2220, 3840, 405}, Runs::LoadFiles, 2,
           "Adds the lines of one or more text files to the end of List 2, one item per line."),
    button("PushButton13", "Save Data To File", {12000, 2220, 3840, 405}, Runs::SaveFile, 2,
           "Writes every item of List 2 to a text file, one item per line."),
    button("PushButton2", "Clear List", {8040, 2730, 3840, 405}, Runs::ClearList, 2,
           "Removes every item from List 2."),
    listCommand("PushButton10", "Remove List 2 Items With...", {8040, 3240, 7800, 405},
                "Asks for a text, then removes every List 2 item that contains it.",
                {2, "Remove Items With", PromptRoutine(List::RemoveItemsWith), kForgot2, nullptr, kCaseOnly}),
    listCommand(
        "PushButton9", "Remove List 2 Items Without...", {8040, 3750, 7800, 405},
        "Asks for a text, then removes every List 2 item that does not contain it.",
        {2, "Remove Items Without", PromptRoutine(List::RemoveItemsWithout), kForgot2, nullptr, kCaseOnly}),
    listCommand(
        "PushButton11", "Remove Blanks From List 2", {8040, 4260, 7800, 405},
        "Removes the empty items from List 2.\nWith Ignore Spaces Around Items, items of spaces only go too.",
        {2, "Remove Blanks", OneListRoutine(List::RemoveBlanksFromList), kForgot2, nullptr, kSpacesOnly}),
    listCommand(
        "PushButton12", "Remove Matches (List 1 From List 2)", {8040, 4770, 7800, 405},
        "Removes from List 2 every item that also occurs in List 1.",
        {2, "Remove Matches", TwoListRoutine(List::SubtractSecondListFromFirstList), kForgot2, kForgot1}),
    listCommand("PushButton8", "Keep Only Matches in List 1", {8040, 5280, 7800, 405},
                "Keeps in List 2 only the items that also occur in List 1;\nremoves the others from List 2.",
                {2, "Keep Only Matches", TwoListRoutine(List::KeepOnlyMatchesInList), kForgot2, kForgot1}),
    listCommand("PushButton5", "Remove List 2 Dupes Except First Occurrence", {8040, 5790, 7800, 405},
                "Removes repeated items from List 2:\nthe first copy of each repeated item stays.",
                {2, "Remove Dupes Except First", OneListRoutine(List::RemoveDupesExceptFirst), kForgot2}),
    listCommand("PushButton6", "Remove All List 2 Dupes (All Occurrences)", {8040, 6300, 7800, 405},
                "Removes repeated items from List 2:\nthe last copy of each repeated item stays.",
                {2, "Remove All Dupes", OneListRoutine(List::RemoveDupesAll), kForgot2}),
    button("PushButton21", "Load Sample/Example Data", {4080, 2730, 3840, 405}, Runs::SampleData, 1,
           "Adds three example items to List 1 to try the commands on."),
    button("PushButton22", "Load Sample/Example Data", {12000, 2730, 3840, 405}, Runs::SampleData, 2,
           "Adds three example items to List 2 to try the commands on."),
}};

// The module the handlers belong to: the window the table lays out.
QString window() {
    return QStringLiteral("Form1");
}

}  // namespace

QString Control::origin() const {
    return eventOrigin("Click");
}

QString Control::eventOrigin(const char* event) const {
    return ErrorReporter::origin(window(), QString::fromLatin1(name) + u'_' + QString::fromLatin1(event));
}

std::span<const Control> controls() {
    return kControls;
}

const Control* find(const QString& name) {
    const auto it = std::find_if(kControls.begin(), kControls.end(),
                                 [&](const Control& c) { return name == QLatin1StringView(c.name); });
    return it == kControls.end() ? nullptr : &*it;
}

const Control& paneFor(int list) {
    const auto it = std::find_if(kControls.begin(), kControls.end(),
                                 [&](const Control& c) { return c.kind == Kind::Pane && c.list == list; });
    Q_ASSERT(it != kControls.end());
    return *it;
}

const Control* buttonFor(Runs runs, int list) {
    const auto it = std::find_if(kControls.begin(), kControls.end(),
                                 [&](const Control& c) { return c.runs == runs && c.list == list; });
    return it == kControls.end() ? nullptr : &*it;
}

void run(CommandContext& context, const Control& button) {
    const QString origin = button.origin();
    switch (button.runs) {
        case Runs::ClearList:
            PaneCommands::clearList(context, button.list, origin);
            break;
        case Runs::SampleData:
            PaneCommands::loadSampleData(context, button.list, origin);
            break;
        case Runs::LoadFiles:
            FileCommands::load(context, button.list, origin);
            break;
        case Runs::SaveFile:
            FileCommands::save(context, button.list, origin);
            break;
        case Runs::ListCommand:
            ListCommands::click(context, button.listCommand, origin);
            break;
        case Runs::Nothing:
            break;
    }
}

}  // namespace CommandTable
