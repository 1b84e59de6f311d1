#pragma once

#include "core/TaskThreads.h"

#include <QtGlobal>

#include <memory>
#include <type_traits>
#include <utility>

// Lists from this many items on hand their memory back on a pool thread.
inline constexpr qsizetype kReleaseAsideFrom = 65536;

// Destroys `held` on a pool thread when it holds `items` items of a long list: handing back its
// memory takes a while, and the window's thread would stand still meanwhile. A short one, or one no
// thread can take, is destroyed where it is.
template <class T>
void releaseAside(T&& held, qsizetype items) {
    if (items < kReleaseAsideFrom) return;
    try {
        TaskThreads::shared().start([kept = std::make_shared<std::remove_cvref_t<T>>(std::move(held))] {});
    } catch (...) {
        // Then here after all.
    }
}
