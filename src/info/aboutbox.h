#pragma once

#include "settings/settingsstore.h"

#include <QDialog>
#include <QPointer>
#include <QUrl>

#include <functional>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;
class QToolButton;
class Shell;

// The information box: the program's name, version and copyright, a description, feedback
// mail, the publisher's home page, and a second page with the author's contact lines that
// lies under the main page. Its texts follow the user's language; they are set at the first
// showing and kept afterwards.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(const SettingsStore& store, QWidget* parent = nullptr);
    // Stores the box's position.
    ~TAboutBox() override;

    void FormCreate();
    // Does its work once: keeps the box on the screen and sets every text.
    void FormPaint();
    void OKBtnClick();
    void AutorBtnClick();
    void OKBtn1Click();
    // Feedback mail; a refusal shows the two-line message with its code for 5 seconds.
    void MailBtnClick();
    // The publisher's home page; a refusal shows a one-line message for 3 seconds.
    void HomeBtnClick();
    // Escape leaves the author page as its OK button does, so the next showing starts on the
    // main page.
    void reject() override;

    // Seams, all set at creation to the real ones.
    Shell* Desktop;
    QString Language;
    QUrl Publisher;
    std::function<QSize()> ScreenSize;
    // The message window's ShowTimed; set by the window set.
    std::function<void(int Top, int Left, int Height, int Width, const QString& Line1,
                       const QString& Line2, int IntervalMs)>
        ShowTimed;
    // Its caption names the author page on the way back; set by the window set.
    QPointer<QWidget> MainForm;

    bool Painted = false;

    QFrame* MainPanel;
    QLabel* NameLabel;
    QLabel* VersionLabel;
    QFrame* Bevel3;
    QLabel* CopyrightLabel;
    QToolButton* BtnAutor;
    QFrame* Bevel2;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* MailBtn;
    QPushButton* OKBtn;
    QPushButton* HomeBtn;
    QPlainTextEdit* MailMemo;
    QTextEdit* Memo1;
    QPushButton* OKBtn1;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormDestroy();
    void ShowMessage(const QString& line1, const QString& line2, int intervalMs);

    SettingsStore Store;
};
