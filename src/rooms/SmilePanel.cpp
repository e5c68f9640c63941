#include "rooms/SmilePanel.h"

#include "contacts/Smileys.h"
#include "session/Dialogs.h"
#include "session/TDM.h"

#include <QDir>
#include <QHash>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <algorithm>

namespace korvex::rooms {

namespace {

// A picture that reports a click with the left button.
class SmilePicture : public QLabel {
public:
    SmilePicture(int number, SmilePanel* panel) : QLabel(panel), m_number(number), m_panel(panel) {
        setAlignment(Qt::AlignCenter);
        setAttribute(Qt::WA_TranslucentBackground);
        setCursor(Qt::PointingHandCursor);
        setObjectName(QStringLiteral("Smile%1").arg(number));
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            emit m_panel->SmileClicked(m_number);
    }

private:
    int m_number;
    SmilePanel* m_panel;
};

} // namespace

QList<QPoint> SmileLayout(const QList<SmileCell>& cells, int panelWidth) {
    QList<QPoint> places;
    places.reserve(cells.size());
    int x = 0, y = 0, rowHeight = 0;
    for (const SmileCell& cell : cells) {
        QPoint place(x, y);
        if (cell.hasTip) {
            rowHeight = std::max(rowHeight, cell.size.height());
            x += cell.size.width() + 8;
            if (x > panelWidth - 20) {
                y += rowHeight + 4;
                place = QPoint(0, y);
                x = cell.size.width() + 4;
                // The moved picture is part of the new row: counting it keeps the next row from covering it.
                rowHeight = cell.size.height();
            }
        }
        places.append(place);
    }
    return places;
}

SmilePanel::SmilePanel(QWidget* parent) : QFrame(parent) {
    setObjectName("SmilePanel");
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    m_pictures.fill(nullptr, contacts::SmileyTable::PictureCount);
    resize(PanelWidth, 2 * Margin);
    hide();
}

void SmilePanel::Fill(const QString& folder, const contacts::SmileyTable& smileys) {
    qDeleteAll(findChildren<QLabel*>(Qt::FindDirectChildrenOnly));
    m_pictures.fill(nullptr);
    // One listing of the folder: the files are found whatever the case of their names.
    const QDir dir(folder);
    QHash<QString, QString> files;
    for (const QString& name : dir.entryList(QDir::Files))
        files.insert(name.toLower(), name);

    QList<SmileCell> cells;
    QList<QLabel*> placed;
    for (int n = 1; n <= contacts::SmileyTable::PictureCount; ++n) {
        const QString gif = files.value(QStringLiteral("smile%1.gif").arg(n));
        if (gif.isEmpty()) continue;
        const QString path = dir.filePath(gif);
        // Animated pictures show their first frame.
        QImageReader reader(path);
        const QImage image = reader.read();
        if (image.isNull()) {
            session::ShowMessage(session::DialogKind::Error,
                                 "Could load smily file " + path + "- Error: " + reader.errorString());
            continue;
        }
        auto* picture = new SmilePicture(n, this);
        picture->setPixmap(QPixmap::fromImage(image));
        picture->resize(image.size());
        const bool hasTip = files.contains(QStringLiteral("smile%1.dat").arg(n));
        if (hasTip) picture->setToolTip(session::FromAnsi(smileys.Hint(n)));
        m_pictures[n - 1] = picture;
        placed.append(picture);
        cells.append({image.size(), hasTip});
    }

    const QList<QPoint> places = SmileLayout(cells, PanelWidth);
    int bottom = 0;
    for (qsizetype i = 0; i < placed.size(); ++i) {
        placed[i]->move(QPoint(Margin, Margin) + places[i]);
        placed[i]->show();
        bottom = std::max(bottom, placed[i]->geometry().bottom() + 1);
    }
    resize(PanelWidth, bottom + Margin);
}

QLabel* SmilePanel::Picture(int n) const {
    return n >= 1 && n <= m_pictures.size() ? m_pictures[n - 1] : nullptr;
}

QList<int> SmilePanel::Numbers() const {
    QList<int> numbers;
    for (qsizetype i = 0; i < m_pictures.size(); ++i)
        if (m_pictures[i]) numbers.append(int(i) + 1);
    return numbers;
}

} // namespace korvex::rooms
