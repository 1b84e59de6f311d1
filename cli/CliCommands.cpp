#include "cli/CliCommands.h"

#include "listops/List.h"
#include "listops/ListTools.h"

#include <array>

namespace CliCommands {

namespace {
using ListCommands::OneListRoutine;
using ListCommands::PromptRoutine;
using ListCommands::TwoListRoutine;

const std::array<Command, 9> kCommands{{
    {"remove-matches", "Remove Matches", "LIST REFERENCE",
     "removes the items of LIST that also occur in REFERENCE",
     TwoListRoutine(List::SubtractSecondListFromFirstList)},
    {"keep-matches", "Keep Only Matches", "LIST REFERENCE",
     "keeps only the items of LIST that also occur in REFERENCE",
     TwoListRoutine(List::KeepOnlyMatchesInList)},
    {"dedupe-first", "Remove Dupes Except First", "LIST",
     "removes every repeat of an item, keeping its first occurrence",
     OneListRoutine(List::RemoveDupesExceptFirst)},
    {"dedupe-last", "Remove All Dupes", "LIST",
     "removes every repeat of an item, keeping its last occurrence", OneListRoutine(List::RemoveDupesAll)},
    {"unique-only", "Keep Only Items That Occur Once", "LIST",
     "removes every item whose text occurs more than once",
     OneListRoutine(ListTools::KeepOnlyItemsThatOccurOnce)},
    {"remove-blanks", "Remove Blanks", "LIST", "removes the empty items",
     OneListRoutine(List::RemoveBlanksFromList)},
    {"remove-with", "Remove Items With", "TEXT LIST", "removes the items that contain TEXT",
     PromptRoutine(List::RemoveItemsWith)},
    {"remove-without", "Remove Items Without", "TEXT LIST", "removes the items that do not contain TEXT",
     PromptRoutine(List::RemoveItemsWithout)},
    {"sort", "Sort", "LIST", "sorts the items A to Z (with --reverse, Z to A)",
     OneListRoutine(ListTools::SortAToZ)},
}};
}  // namespace

int Command::argumentCount() const {
    return takesText() || takesReference() ? 2 : 1;
}

std::span<const Command> commands() {
    return kCommands;
}

const Command* find(const QString& name) {
    for (const Command& command : kCommands)
        if (name == QLatin1String(command.name)) return &command;
    return nullptr;
}

}  // namespace CliCommands
