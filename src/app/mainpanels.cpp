#include "app/mainpanels.h"

#include "widgets/glyphs.h"
#include "widgets/verdanafont.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace {

const QColor WaitColour(255, 255, 227);

QFrame* Panel(QWidget* parent, const QRect& rect) {
    auto* panel = new QFrame(parent);
    panel->setGeometry(rect);
    return panel;
}

// A label that is as large as its text, as the rate line's labels must be.
QLabel* SizedLabel(const QString& text, QWidget* parent, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QToolButton* SpeedButton(const QIcon& glyph, QWidget* parent, const QRect& rect) {
    auto* button = new QToolButton(parent);
    button->setGeometry(rect);
    button->setAutoRaise(true);
    button->setIcon(glyph);
    button->setIconSize({16, 16});
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

void ShowText(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette colours = widget->palette();
    colours.setColor(role, colour);
    widget->setPalette(colours);
}

void MainPanels::SetupPanels(QWidget* window) {
    CreatePanelMain(window);
    CreatePanelAdvies(window);
    CreatePanelKoers(window);
    CreateMenus(window);
}

std::array<QLineEdit*, 8> MainPanels::ParameterEdits() const {
    return {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8};
}

void MainPanels::ArrangeRateLine() {
    Label1->move(Label1->x(), 27);
    Label2->move(Label2->x(), Label1->y());
    Label3->move(Label3->x(), Label1->y());
    const int buttonTop = Label2->y() - 2;
    for (QToolButton* button : {ButtonCheck, ButtonMax, ButtonMin})
        button->move(button->x(), buttonTop);
    ButtonInfo->move(ButtonInfo->x(), buttonTop + 1);
    Label1->move(ButtonInfo->width() + 3 + ButtonCheck->width() + 3, Label1->y());
    LineUpRateLabels();
    for (QToolButton* button : {ButtonInfo, ButtonMax, ButtonMin, ButtonCheck})
        button->show();
}

void MainPanels::LineUpRateLabels() {
    Label2->move(Label1->x() + Label1->width(), Label2->y());
    Label3->move(Label2->x() + Label2->width(), Label3->y());
}

void MainPanels::CreatePanelMain(QWidget* window) {
    PanelMain = Panel(window, {0, 0, 395, 178});
    const struct {
        QLabel* MainPanels::*label;
        QLineEdit* MainPanels::*edit;
        const char* caption;
    } rows[] = {
        {&MainPanels::Label4, &MainPanels::Edit1, "KoopDrempel %"},
        {&MainPanels::Label5, &MainPanels::Edit2, "VerkoopDrempel %"},
        {&MainPanels::Label6, &MainPanels::Edit3, "KoopAgressie"},
        {&MainPanels::Label7, &MainPanels::Edit4, "VerkoopAgressie"},
        {&MainPanels::Label8, &MainPanels::Edit5, "Kosten %"},
        {&MainPanels::Label9, &MainPanels::Edit6, "ReferentieWaarde"},
        {&MainPanels::Label10, &MainPanels::Edit7, "ReferentieKoers"},
        {&MainPanels::Label11, &MainPanels::Edit8, "Aantal"},
    };
    int top = 4;
    for (const auto& row : rows) {
        QLabel* label = new QLabel(QString::fromUtf8(row.caption), PanelMain);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setGeometry(8, top, 166, 20);
        QLineEdit* edit = new QLineEdit(PanelMain);
        // A right click opens the window's menu only, not the edit's own menu on top of it.
        edit->setContextMenuPolicy(Qt::PreventContextMenu);
        edit->setGeometry(182, top, 90, 20);
        this->*row.label = label;
        this->*row.edit = edit;
        top += 21;
    }
}

void MainPanels::CreatePanelAdvies(QWidget* window) {
    PanelAdvies = Panel(window, {1, 175, 391, 69});
    AdviesLabel = SizedLabel(QString(), PanelAdvies, 8, 4);
    KoopLabel = SizedLabel(QString(), PanelAdvies, 8, 25);
    VerkoopLabel = SizedLabel(QString(), PanelAdvies, 8, 46);
    LabelWait = SizedLabel(QStringLiteral("Wachten op verbinding"), PanelAdvies, 112, 30);
    SetColour(LabelWait, QPalette::Window, WaitColour);
    LabelWait->setAutoFillBackground(true);
}

void MainPanels::CreatePanelKoers(QWidget* window) {
    PanelKoers = Panel(window, {0, 244, 395, 50});
    PanelKoers->setFont(VerdanaFont(15));
    ImageDelta = new QLabel(PanelKoers);
    ImageDelta->setGeometry(6, 0, 383, 24);

    ButtonInfo = SpeedButton(InfoGlyph(), PanelKoers, {1, 25, 20, 21});
    // Created bottom to top: ButtonMax lies over ButtonCheck, which lies over ButtonMin. Until
    // the alarm speaks, the check mark shows.
    ButtonMin = SpeedButton(AlarmLowGlyph(), PanelKoers, {22, 25, 22, 24});
    ButtonCheck = SpeedButton(AlarmOkGlyph(), PanelKoers, {22, 25, 22, 24});
    ButtonMax = SpeedButton(AlarmHighGlyph(), PanelKoers, {22, 25, 22, 24});
    ButtonMax->hide();
    ButtonMin->hide();
    ButtonCheck->show();

    Label1 = SizedLabel(QStringLiteral("USD: "), PanelKoers, 61, 29);
    Label2 = SizedLabel(QStringLiteral("*******"), PanelKoers, 138, 29);
    Label3 = SizedLabel(QStringLiteral(" @ *****"), PanelKoers, 215, 29);
    for (QLabel* label : {Label1, Label2, Label3}) {
        SetColour(label, QPalette::Window, label->palette().color(QPalette::Button));
        label->setAutoFillBackground(true);
    }
    AlarmSpot = new QWidget(PanelKoers);
    AlarmSpot->setCursor(Qt::PointingHandCursor);
    AlarmSpot->hide();
}

void MainPanels::CreateMenus(QWidget* window) {
    PopupMenu = new QMenu(window);
    Download = PopupMenu->addAction(QStringLiteral("Download USD"));
    Download->setShortcut(Qt::Key_F5);
    // On the window too, so F5 works while the menu is closed.
    window->addAction(Download);
    LeesOrvane = PopupMenu->addAction(QStringLiteral("Lees Orvane Data"));
    Formaat = PopupMenu->addAction(QStringLiteral("Klein"));
    Instellingen = PopupMenu->addAction(QStringLiteral("Instellingen..."));
    Koersverloop = PopupMenu->addAction(QStringLiteral("Koersverloop..."));
    PopupMenu->addSeparator();
    OverqzRate1 = PopupMenu->addAction(QStringLiteral("Informatie..."));
    PopupMenu->addSeparator();
    Afsluiten = PopupMenu->addAction(QStringLiteral("Afsluiten"));

    InfoPopup = new QMenu(window);
    OverqzRate = InfoPopup->addAction(QStringLiteral("Over qzRate..."));
}
