#include "panes/StepRecord.h"

#include <algorithm>
#include <utility>

void StepRecord::appending(qsizetype count) {
    if (!m_changes.empty() && std::holds_alternative<Appended>(m_changes.back())) return;
    m_changes.emplace_back(Appended{count, ItemStore(), false});
}

void StepRecord::removing(qsizetype index, QByteArrayView text) {
    m_changes.emplace_back(Removed{index, text.toByteArray()});
}

void StepRecord::replacing(ItemStore& store) {
    m_changes.emplace_back(Replaced{std::move(store)});
    store = ItemStore();
}

bool StepRecord::onlyAppends() const {
    return std::all_of(m_changes.cbegin(), m_changes.cend(),
                       [](const Change& c) { return std::holds_alternative<Appended>(c); });
}

qsizetype StepRecord::heldBytes() const {
    qsizetype bytes = 0;
    for (const Change& change : m_changes) {
        if (const auto* a = std::get_if<Appended>(&change)) bytes += a->stash.memoryBytes();
        if (const auto* r = std::get_if<Removed>(&change)) bytes += r->text.capacity();
        if (const auto* r = std::get_if<Replaced>(&change)) bytes += r->other.memoryBytes();
    }
    return bytes;
}

void StepRecord::undo(Appended& change, ItemStore& store) {
    // Whichever part is smaller is copied, so taking back an append costs at most half the pane.
    const qsizetype added = store.count() - change.from;
    if (change.from <= added) {
        ItemStore kept = store.mid(0, change.from);
        change.stash = std::move(store);
        store = std::move(kept);
        change.stashIsWhole = true;
    } else {
        change.stash = store.mid(change.from, added);
        store.truncate(change.from);
        change.stashIsWhole = false;
    }
}

void StepRecord::undo(ItemStore& store) {
    for (auto it = m_changes.rbegin(); it != m_changes.rend(); ++it) {
        if (auto* a = std::get_if<Appended>(&*it)) undo(*a, store);
        if (auto* r = std::get_if<Removed>(&*it)) store.insert(r->index, r->text);
        if (auto* r = std::get_if<Replaced>(&*it)) std::swap(store, r->other);
    }
    m_applied = false;
}

void StepRecord::redo(ItemStore& store) {
    for (Change& change : m_changes) {
        if (auto* a = std::get_if<Appended>(&change)) {
            // Truncating kept the room, so the appended items go back without a new buffer.
            if (a->stashIsWhole)
                store = std::move(a->stash);
            else
                store.append(a->stash);
            a->stash = ItemStore();
        }
        if (auto* r = std::get_if<Removed>(&change)) store.removeAt(r->index);
        if (auto* r = std::get_if<Replaced>(&change)) std::swap(store, r->other);
    }
    m_applied = true;
}
