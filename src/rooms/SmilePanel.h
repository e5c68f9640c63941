#pragma once

#include <QFrame>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>

class QLabel;

namespace korvex::contacts {
class SmileyTable;
}

namespace korvex::rooms {

// One picture of the smiley panel as the layout sees it.
struct SmileCell {
    QSize size;
    bool hasTip = false; // the picture has its "Smile<n>.dat" file
};

// Where each picture goes, as an offset from the panel's first picture, in order. Pictures with a tool-tip
// file advance along a row (width + 8) whose height is its tallest picture; when a row would pass
// panelWidth - 20 the picture starts the next row (4 pixels below) and the row goes on after it at its
// width + 4. A picture without a tool-tip file takes the current place and does not advance it.
QList<QPoint> SmileLayout(const QList<SmileCell>& cells, int panelWidth);

// The room window's smiley panel: the pictures "Smile1.gif" to "Smile133.gif" of the smiley folder, each with
// its tool tip; a click on one reports its number.
class SmilePanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int PanelWidth = 300;
    static constexpr int Margin = 4; // the first picture's place in the panel

    explicit SmilePanel(QWidget* parent = nullptr);

    // Loads the pictures once; a picture that cannot be read is reported (error box) and left out.
    void Fill(const QString& folder, const contacts::SmileyTable& smileys);
    // The picture label of number n (1..133), or nullptr when that picture is not on the panel.
    QLabel* Picture(int n) const;
    QList<int> Numbers() const; // numbers on the panel, in order

signals:
    void SmileClicked(int picture);

private:
    QList<QLabel*> m_pictures; // index = number - 1
};

} // namespace korvex::rooms
