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
    // What the header says of the pane besides its count ("column 2, email"), shown after it; false
    // when it already said that.
    bool setNote(const QString& note);
    // The count and the note as the header shows them: "202,000 items · column 2, email".
    const QString& shownText() const { return m_shownText; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect countArea(int textWidth) const;

    bool show(QString count, QString note);

    QString m_countText;
    QString m_note;
    QString m_shownText;
};
