#include "info/aboutbox.h"

#include "info/aboutplacement.h"
#include "info/abouttexts.h"
#include "info/authordetails.h"
#include "info/feedbacklinks.h"
#include "info/feedbackmail.h"
#include "info/shell.h"
#include "settings/programidentity.h"
#include "support/serviceconfig.h"
#include "support/systeminfo.h"
#include "widgets/glyphs.h"
#include "widgets/verdanafont.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>

Q_LOGGING_CATEGORY(lcInfo, "qzrate.info")

namespace {

QLabel* CentredLabel(QWidget* parent, const QRect& geometry, const QFont& font) {
    auto* label = new QLabel(parent);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(font);
    return label;
}

QFrame* Frame(QWidget* parent, const QRect& geometry, QFrame::Shape shape) {
    auto* frame = new QFrame(parent);
    frame->setGeometry(geometry);
    frame->setFrameStyle(shape | QFrame::Sunken);
    return frame;
}

QPushButton* Button(QWidget* parent, const QString& caption, const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QPushButton* OkButton(QWidget* parent, const QRect& geometry) {
    QPushButton* button = Button(parent, QStringLiteral("OK"), geometry);
    button->setIcon(button->style()->standardIcon(QStyle::SP_DialogOkButton));
    return button;
}

QFont PixelFont(const QString& family, int pixelSize) {
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace

TAboutBox::TAboutBox(const SettingsStore& store, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      Desktop(new DesktopShell(this)), Language(LanguageCode()),
      Publisher(SystemServiceConfig().publisher),
      ScreenSize([] { return QGuiApplication::primaryScreen()->size(); }), Store(store) {
    setWindowTitle(QStringLiteral("Informatie"));
    setFont(VerdanaFont(17));
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    resize(442, 308);

    // The author page first, so that the main page lies over it.
    Memo1 = new QTextEdit(this);
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    QPalette memoColours = Memo1->palette();
    memoColours.setColor(QPalette::Base, memoColours.color(QPalette::Button));
    Memo1->setPalette(memoColours);
    OKBtn1 = OkButton(this, {152, 230, 77, 34});
    MailMemo = new QPlainTextEdit(this);
    MailMemo->hide();

    MainPanel = new QFrame(this);
    MainPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    MainPanel->setLineWidth(2);
    MainPanel->setAutoFillBackground(true);
    QFont nameFont = PixelFont(QStringLiteral("Arial Rounded MT Bold"), 55);
    nameFont.setItalic(true);
    NameLabel = CentredLabel(MainPanel, {4, 12, 434, 69}, nameFont);
    VersionLabel =
        CentredLabel(MainPanel, {5, 91, 436, 20}, PixelFont(QStringLiteral("Arial"), 17));
    Bevel3 = Frame(MainPanel, {20, 122, 397, 29}, QFrame::Panel);
    CopyrightLabel = CentredLabel(MainPanel, {28, 129, 357, 16}, VerdanaFont(13));
    BtnAutor = new QToolButton(MainPanel);
    BtnAutor->setGeometry(388, 125, 23, 22);
    BtnAutor->setAutoRaise(true);
    BtnAutor->setIcon(InfoGlyph());
    BtnAutor->setCursor(Qt::PointingHandCursor);
    Bevel2 = Frame(MainPanel, {20, 159, 397, 52}, QFrame::Box);
    Label1 = CentredLabel(MainPanel, {28, 162, 381, 23}, font());
    Label2 = CentredLabel(MainPanel, {28, 186, 381, 20}, font());
    MailBtn = Button(MainPanel, QStringLiteral("Mail"), {83, 230, 65, 34});
    OKBtn = OkButton(MainPanel, {179, 231, 77, 34});
    OKBtn->setDefault(true);
    HomeBtn = Button(MainPanel, QStringLiteral("Home"), {293, 230, 65, 34});

    connect(OKBtn, &QPushButton::clicked, this, &TAboutBox::OKBtnClick);
    connect(BtnAutor, &QToolButton::clicked, this, &TAboutBox::AutorBtnClick);
    connect(OKBtn1, &QPushButton::clicked, this, &TAboutBox::OKBtn1Click);
    connect(MailBtn, &QPushButton::clicked, this, &TAboutBox::MailBtnClick);
    connect(HomeBtn, &QPushButton::clicked, this, &TAboutBox::HomeBtnClick);
}

TAboutBox::~TAboutBox() {
    FormDestroy();
}

void TAboutBox::FormCreate() {
    const int clientWidth = Bevel3->width() + 2 * Bevel3->x();
    NameLabel->resize(clientWidth, NameLabel->height());
    VersionLabel->resize(clientWidth, VersionLabel->height());
    // Mail and Home stand mirrored about the centre line.
    HomeBtn->move(clientWidth - MailBtn->x() - HomeBtn->width(), HomeBtn->y());
    OKBtn->move((clientWidth - OKBtn->width()) / 2, OKBtn->y());
    const int clientHeight = OKBtn->y() + OKBtn->height() + 20;
    setFixedSize(clientWidth, clientHeight);
    MainPanel->setGeometry(rect());
    Memo1->setGeometry(rect());
    OKBtn1->move((clientWidth - OKBtn1->width()) / 2, OKBtn1->y());
    move(Store.ReadInteger(QStringLiteral("About-Left"), 300),
         Store.ReadInteger(QStringLiteral("About-Top"), 150));
    Painted = false;
}

void TAboutBox::FormPaint() {
    if (Painted)
        return;
    Painted = true;
    move(KeepAboutBoxOnScreen(frameGeometry(), ScreenSize()));

    const AboutTexts texts = AboutTextsFor(Language);
    NameLabel->setText(ProductName);
    VersionLabel->setText(VersionText);
    CopyrightLabel->setText(CopyrightText);
    setWindowTitle(ProductName + texts.CaptionSuffix);
    Label1->setText(texts.Label1);
    Label2->setText(texts.Label2);
    OKBtn->setToolTip(texts.OKBtnHint);
    MailBtn->setToolTip(texts.MailBtnHint);
    HomeBtn->setToolTip(texts.HomeBtnHint);
    OKBtn1->setToolTip(texts.OKBtn1Hint);
    MailMemo->setPlainText(texts.MailTemplate.join(u'\n'));
    Memo1->setPlainText(texts.AuthorPage.join(u'\n'));
    QTextCursor everything(Memo1->document());
    everything.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    everything.mergeBlockFormat(centred);
    if (MainPanel->isVisible())
        OKBtn->setFocus();
}

void TAboutBox::OKBtnClick() {
    accept();
}

void TAboutBox::AutorBtnClick() {
    MainPanel->hide();
    OKBtn1->setDefault(true);
    OKBtn1->setFocus();
    setWindowTitle(ProductName + QStringLiteral(" - Informatie"));
}

void TAboutBox::OKBtn1Click() {
    const QString mainCaption = MainForm ? MainForm->windowTitle() : QString();
    setWindowTitle(mainCaption + QStringLiteral(" - Informatie"));
    MainPanel->show();
    OKBtn->setDefault(true);
    accept();
}

void TAboutBox::MailBtnClick() {
    // One mail at a time: the route is read from the desktop before the link goes out.
    MailBtn->setEnabled(false);
    auto* mail = new FeedbackMail(*Desktop, Publisher, Language, this);
    connect(mail, &FeedbackMail::Finished, this, [this, mail](int code) {
        mail->deleteLater();
        MailBtn->setEnabled(true);
        if (code == FeedbackMail::Handed)
            return;
        const AboutTexts texts = AboutTextsFor(Language);
        ShowMessage(texts.MailNotSentFirstLine(code), texts.MailNotSentSecondLine, 5000);
    });
    mail->SendFeedbackMail(MailMemo->toPlainText().split(u'\n'), ProductName, VersionText);
}

void TAboutBox::HomeBtnClick() {
    const AboutTexts texts = AboutTextsFor(Language);
    Desktop->Open(HomePageLink(texts, Publisher),
                  [self = QPointer(this), line = texts.BrowserNotOpened](bool accepted) {
                      if (self && !accepted)
                          self->ShowMessage(line, QString(), 3000);
                  });
}

void TAboutBox::reject() {
    if (MainPanel->isHidden())
        OKBtn1Click();
    else
        QDialog::reject();
}

void TAboutBox::showEvent(QShowEvent* event) {
    // Before the first frame is drawn, so that it already shows the texts at their place.
    FormPaint();
    QDialog::showEvent(event);
}

void TAboutBox::FormDestroy() {
    // Nothing may escape a destructor; a store that cannot be written loses the position.
    try {
        Store.WriteInteger(QStringLiteral("About-Top"), y());
        Store.WriteInteger(QStringLiteral("About-Left"), x());
    } catch (const std::exception& error) {
        qCWarning(lcInfo) << "information box position not stored:" << error.what();
    }
}

void TAboutBox::ShowMessage(const QString& line1, const QString& line2, int intervalMs) {
    if (ShowTimed)
        ShowTimed(y(), x(), frameGeometry().height(), frameGeometry().width(), line1, line2,
                  intervalMs);
}
