#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class QTextEdit;
class QTimer;

// The borderless, non-modal message window: one or two lines centred over the caller's window,
// hidden again by its own timer. Created once and reused for every message.
class TMessageForm : public QWidget {
    Q_OBJECT

public:
    // background: the main window's background colour as it stands at creation.
    explicit TMessageForm(const QColor& background, QWidget* parent = nullptr);

    // Shows Line1 and Line2 centred over the reference window (its top, left, outer height and
    // width) for IntervalMs milliseconds. Returns once the window is painted; a newer message
    // replaces the shown one and gets its own full interval.
    void ShowTimed(int Top, int Left, int Height, int Width, const QString& Line1,
                   const QString& Line2, int IntervalMs);

    QTextEdit* const MessageMemo;
    QTimer* const Timer;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate(const QColor& background);
    void FormShow();
    void TimerTimer();
    // Display lines of the memo's text when its client area is clientWidth pixels wide.
    int DisplayLines(int clientWidth) const;
};
