#pragma once

#include <QPalette>

#include <array>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;
class QWidget;

// A label's text, the label sized to it.
void ShowText(QLabel* label, const QString& text);
// One colour of a widget's palette.
void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);

// The main window's controls under their given names, as a form designer would generate them:
// the parameter panel, the advice panel, the rate panel and the two menus, each at its first
// place and caption. What they do is the window's.
struct MainPanels {
    // Builds every control on the window.
    void SetupPanels(QWidget* window);
    std::array<QLineEdit*, 8> ParameterEdits() const;
    // The rate line in its row: the buttons, then the three labels, all shown.
    void ArrangeRateLine();
    // Each label of the rate line right after the one before it.
    void LineUpRateLabels();

    QFrame* PanelMain;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label11;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QLineEdit* Edit5;
    QLineEdit* Edit6;
    QLineEdit* Edit7;
    QLineEdit* Edit8;

    QFrame* PanelAdvies;
    QLabel* AdviesLabel;
    QLabel* KoopLabel;
    QLabel* VerkoopLabel;
    QLabel* LabelWait;

    QFrame* PanelKoers;
    // Shows the change marks; 383 x 24.
    QLabel* ImageDelta;
    QToolButton* ButtonInfo;
    QToolButton* ButtonMin;
    QToolButton* ButtonCheck;
    QToolButton* ButtonMax;
    // Over the arrows while the alarm sounds or is silenced, steady while they blink: it shows
    // their tooltip and hand cursor, which a button that hides every 300 ms cannot.
    QWidget* AlarmSpot;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;

    QMenu* PopupMenu;
    QAction* Download;
    QAction* LeesOrvane;
    QAction* Formaat;
    QAction* Instellingen;
    // Opens the rate history's chart.
    QAction* Koersverloop;
    QAction* OverqzRate1;
    QAction* Afsluiten;
    QMenu* InfoPopup;
    QAction* OverqzRate;

private:
    void CreatePanelMain(QWidget* window);
    void CreatePanelAdvies(QWidget* window);
    void CreatePanelKoers(QWidget* window);
    void CreateMenus(QWidget* window);
};
