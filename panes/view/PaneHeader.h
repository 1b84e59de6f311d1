#pragma once

#include <QHeaderView>

// The header over a pane's single column: the caption from the model, and on its right how many items
// the pane holds, right-aligned in the part of the column in sight, so it stays in sight however the
// column is scrolled or widened.
class PaneHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit PaneHeader(QWidget* parent = nullptr);

    // "202,000 items", or "" before a model is set.
    const QString& countText() const { return m_countText; }
    // Shows the count; false when it already showed it.
    bool setCount(qint64 count);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect countArea(int textWidth) const;

    QString m_countText;
};
