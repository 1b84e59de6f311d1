#pragma once

#include <QAccessibleObject>

class QMenu;

// The application as assistive technology sees it, with the context menu that is open among its
// children. Qt lists only the top-level windows that are not pop-ups there, so a client that looks
// for a menu entry by walking the tree from the application would find no menu at all.
class ApplicationAccessible : public QAccessibleApplication {
public:
    // Makes the application answer through this interface; once per program, before it is asked.
    static void install();

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
};

// Qt keeps one accessible entry per action, tied to the first menu that showed it: once that menu is
// gone the entry reads as invalid, so the same action in a later menu would be lost to assistive
// technology. For a menu made for one showing: its actions' entries go with it.
void forgetAccessibleEntriesWith(QMenu& menu);
