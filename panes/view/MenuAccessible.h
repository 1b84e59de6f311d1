#pragma once

#include <QAccessibleObject>

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
