#pragma once

// A set of texts by their bytes, for walks that count copies.

#include "listops/TextHash.h"

#include <QByteArrayView>

#include <unordered_map>

struct KeyHash {
    size_t operator()(QByteArrayView key) const {
        return size_t(TextHash::hashBytes(key.data(), size_t(key.size()), TextHash::kSecret0));
    }
};

// Keys, each with the index of the first item that had it. The views must outlive the set.
using KeySet = std::unordered_map<QByteArrayView, qsizetype, KeyHash>;
