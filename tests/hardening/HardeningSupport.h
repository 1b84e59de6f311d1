#pragma once

#include "store/ItemStore.h"
#include "support/Files.h"
#include "support/ScriptedDialogs.h"

#include <QFile>
#include <QStringList>

#include <functional>
#include <random>

// A deterministic list like the ones users bring: repeats, blanks, case variants.
inline ItemStore generatedList(int count, unsigned seed, int distinct) {
    std::mt19937 rng(seed);
    ItemStore items;
    for (int i = 0; i < count; ++i) {
        const unsigned r = rng();
        if (r % 20 == 0) {
            items.append(QByteArrayView());
            continue;
        }
        const QByteArray text = (r % 3 == 0 ? QByteArray("User") : QByteArray("user")) +
                                QByteArray::number(r % unsigned(distinct)) + "@example.org";
        items.append(text);
    }
    return items;
}

// Scripted dialogs that answer by kind: every open dialog picks `openAnswer` (after running
// `beforeOpenAnswer`), every save dialog is cancelled, every input box too.
class StormDialogs : public ScriptedDialogs {
public:
    QStringList openAnswer;
    std::function<void()> beforeOpenAnswer;

    QStringList chooseFiles(const FileRequest& request) override {
        fileRequests.append(request);
        if (request.mode == FileRequest::Mode::Save) return {};
        if (beforeOpenAnswer) beforeOpenAnswer();
        return openAnswer;
    }
};
