#include "app/messageform.h"

#include "app/messagelayout.h"
#include "widgets/verdanafont.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include <memory>

TMessageForm::TMessageForm(const QColor& background, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      MessageMemo(new QTextEdit(this)), Timer(new QTimer(this)) {
    setFont(VerdanaFont(14));
    resize(678, 190);
    MessageMemo->setReadOnly(true);
    MessageMemo->setAcceptRichText(false);
    MessageMemo->setLineWrapMode(QTextEdit::WidgetWidth);
    MessageMemo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    MessageMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MessageMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(Timer, &QTimer::timeout, this, &TMessageForm::TimerTimer);
    FormCreate(background);
}

void TMessageForm::FormCreate(const QColor& background) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, background);
    colours.setColor(QPalette::Base, background);
    colours.setColor(QPalette::Text, colours.color(QPalette::WindowText));
    setPalette(colours);
}

void TMessageForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    MessageMemo->setGeometry(rect());
}

int TMessageForm::DisplayLines(int clientWidth) const {
    // The memo wraps at its viewport's width: the client width less the frame and the scroll bar,
    // which is always shown. A copy of its document is laid out at that width, since the memo
    // itself lays its document out again at its current size.
    const int viewportWidth = clientWidth - 2 * MessageMemo->frameWidth() -
                              MessageMemo->verticalScrollBar()->sizeHint().width();
    const std::unique_ptr<QTextDocument> document(MessageMemo->document()->clone());
    document->setTextWidth(viewportWidth);
    document->documentLayout()->documentSize(); // finishes the layout
    int lines = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        lines += block.layout()->lineCount();
    return lines;
}

void TMessageForm::ShowTimed(int Top, int Left, int Height, int Width, const QString& Line1,
                             const QString& Line2, int IntervalMs) {
    const QFont& memoFont = MessageMemo->font();
    MessageMeasure measure{};
    measure.TextWidth = QFontMetrics(memoFont).horizontalAdvance(LongerLine(Line1, Line2));
    MessageMemo->setPlainText(MessageText(Line1, Line2));
    measure.DisplayLines = DisplayLines(MessageClientWidth(measure.TextWidth));
    measure.PixelSize = QFontInfo(memoFont).pixelSize();
    measure.LogicalDpi = MessageMemo->logicalDpiY();
    const QRect reference(Left, Top, Width, Height);
    const QScreen* screen = QGuiApplication::screenAt(reference.center());
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    measure.ScreenHeight = screen->geometry().height();

    // A running count starts again, so a newer message always gets its full interval.
    Timer->setInterval(IntervalMs);
    setGeometry(MessageGeometry(measure, reference));
    // After the resize, so the end of the text is in view at the final size.
    MessageMemo->moveCursor(QTextCursor::End);
    MessageMemo->ensureCursorVisible();
    show();
    raise();
    QCoreApplication::processEvents();
}

void TMessageForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TMessageForm::FormShow() {
    Timer->start();
}

void TMessageForm::TimerTimer() {
    Timer->stop();
    close();
}
