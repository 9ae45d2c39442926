#include "platform/programicon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

namespace {

// Pictures drawn ahead rather than SVG drawn at start: the program carries no SVG library, and
// keeps no picture in memory that no desktop asked for (a headless one asks for none).
class ProgramIconEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        painter->drawPixmap(rect, Picture(rect.size()));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override { return Picture(size); }
    QIconEngine* clone() const override { return new ProgramIconEngine; }
    QString key() const override { return QStringLiteral("qzrate-program-icon"); }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int size : ProgramIconSizes)
            sizes << QSize(size, size);
        return sizes;
    }

private:
    // The smallest picture at least as large as asked (the largest when none is), scaled down
    // when it is larger.
    static QPixmap Picture(const QSize& asked) {
        const int wanted = std::max(asked.width(), asked.height());
        const auto drawn = std::find_if(ProgramIconSizes.begin(), ProgramIconSizes.end(),
                                        [wanted](int size) { return size >= wanted; });
        const int size = drawn == ProgramIconSizes.end() ? ProgramIconSizes.last() : *drawn;
        const QPixmap picture(QStringLiteral(":/icons/qzrate-%1.png").arg(size));
        return size == wanted
                   ? picture
                   : picture.scaled(asked, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
};

} // namespace

QIcon ProgramIcon() {
    return QIcon(new ProgramIconEngine);
}
