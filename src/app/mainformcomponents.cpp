#include "app/mainform.h"

#include "widgets/glyphs.h"
#include "widgets/verdanafont.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

// The main window's components with their design values, and the routing of their mouse
// events to the window.

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

void TMainForm::CreatePanelMain() {
    PanelMain = Panel(this, {0, 0, 395, 178});
    const struct {
        QLabel* TMainForm::*label;
        QLineEdit* TMainForm::*edit;
        const char* caption;
        const char* value;
    } rows[] = {
        {&TMainForm::Label4, &TMainForm::Edit1, "KoopDrempel %", "2,45"},
        {&TMainForm::Label5, &TMainForm::Edit2, "VerkoopDrempel %", "2,35"},
        {&TMainForm::Label6, &TMainForm::Edit3, "KoopAgressie", "0,84"},
        {&TMainForm::Label7, &TMainForm::Edit4, "VerkoopAgressie", "0,76"},
        {&TMainForm::Label8, &TMainForm::Edit5, "Kosten %", "0,22"},
        {&TMainForm::Label9, &TMainForm::Edit6, "ReferentieWaarde", "1534,71"},
        {&TMainForm::Label10, &TMainForm::Edit7, "ReferentieKoers", "0,9027"},
        {&TMainForm::Label11, &TMainForm::Edit8, "Aantal", "1852"},
    };
    int top = 4;
    for (const auto& row : rows) {
        QLabel* label = new QLabel(QString::fromUtf8(row.caption), PanelMain);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setGeometry(8, top, 166, 20);
        QLineEdit* edit = new QLineEdit(QString::fromUtf8(row.value), PanelMain);
        // A right click opens the window's menu only, not the edit's own menu on top of it.
        edit->setContextMenuPolicy(Qt::PreventContextMenu);
        edit->setGeometry(182, top, 90, 20);
        this->*row.label = label;
        this->*row.edit = edit;
        top += 21;
    }
}

void TMainForm::CreatePanelAdvies() {
    PanelAdvies = Panel(this, {1, 175, 391, 69});
    AdviesLabel = SizedLabel(QString(), PanelAdvies, 8, 4);
    KoopLabel = SizedLabel(QString(), PanelAdvies, 8, 25);
    VerkoopLabel = SizedLabel(QString(), PanelAdvies, 8, 46);
    LabelWait = SizedLabel(QStringLiteral("Wachten op verbinding"), PanelAdvies, 112, 30);
    QPalette colours = LabelWait->palette();
    colours.setColor(QPalette::Window, WaitColour);
    LabelWait->setPalette(colours);
    LabelWait->setAutoFillBackground(true);
}

void TMainForm::CreatePanelKoers() {
    PanelKoers = Panel(this, {0, 244, 395, 50});
    PanelKoers->setFont(VerdanaFont(15));
    ImageDelta = new QLabel(PanelKoers);
    ImageDelta->setGeometry(6, 0, 383, 24);

    ButtonInfo = SpeedButton(InfoGlyph(), PanelKoers, {5, 25, 20, 21});
    // Created bottom to top: ButtonMax lies over ButtonCheck, which lies over ButtonMin.
    ButtonMin = SpeedButton(AlarmLowGlyph(), PanelKoers, {29, 25, 22, 24});
    ButtonCheck = SpeedButton(AlarmOkGlyph(), PanelKoers, {29, 25, 22, 24});
    ButtonMax = SpeedButton(AlarmHighGlyph(), PanelKoers, {29, 25, 22, 24});
    connect(ButtonInfo, &QToolButton::clicked, this, &TMainForm::ButtonInfoClick);

    Label1 = SizedLabel(QString(), PanelKoers, 61, 29);
    Label2 = SizedLabel(QString(), PanelKoers, 138, 29);
    Label3 = SizedLabel(QString(), PanelKoers, 215, 29);
    for (QLabel* label : {Label1, Label2, Label3}) {
        QPalette colours = label->palette();
        colours.setColor(QPalette::Window, colours.color(QPalette::Button));
        label->setPalette(colours);
        label->setAutoFillBackground(true);
    }
}

void TMainForm::CreateMenus() {
    PopupMenu = new QMenu(this);
    Download = PopupMenu->addAction(QStringLiteral("Download USD"));
    Download->setShortcut(Qt::Key_F5);
    // On the window too, so F5 works while the menu is closed.
    addAction(Download);
    LeesOrvane = PopupMenu->addAction(QStringLiteral("Lees Orvane Data"));
    Formaat = PopupMenu->addAction(QStringLiteral("Klein"));
    Instellingen = PopupMenu->addAction(QStringLiteral("Instellingen..."));
    PopupMenu->addSeparator();
    OverqzRate1 = PopupMenu->addAction(QStringLiteral("Informatie..."));
    PopupMenu->addSeparator();
    Afsluiten = PopupMenu->addAction(QStringLiteral("Afsluiten"));
    connect(LeesOrvane, &QAction::triggered, this, &TMainForm::LeesOrvaneClick);
    connect(Formaat, &QAction::triggered, this, &TMainForm::FormaatClick);
    connect(Instellingen, &QAction::triggered, this, &TMainForm::InstellingenClick);
    connect(OverqzRate1, &QAction::triggered, this, &TMainForm::ButtonInfoClick);
    connect(Afsluiten, &QAction::triggered, this, &TMainForm::AfsluitenClick);

    InfoPopup = new QMenu(this);
    OverqzRate = InfoPopup->addAction(QStringLiteral("Over qzRate..."));
}

void TMainForm::RouteMouseEvents() {
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) {
        if (qobject_cast<QMenu*>(child))
            continue;
        // A press that a control leaves unhandled must not reach its panel as well.
        child->setAttribute(Qt::WA_NoMousePropagation);
        if (child != LabelWait)
            child->installEventFilter(this);
    }
}
