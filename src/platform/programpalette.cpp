#include "platform/programpalette.h"

QPalette ProgramPalette() {
    const QColor face(240, 240, 240);
    const QColor text(Qt::black);
    const QColor white(Qt::white);
    const QColor light3d(227, 227, 227);
    const QColor shadow(160, 160, 160);
    const QColor darkShadow(105, 105, 105);
    const QColor grayText(109, 109, 109);
    const QColor highlight(0, 120, 215);
    QPalette palette(text, face, white, shadow, QColor(200, 200, 200), text, white, white, face);
    palette.setColor(QPalette::Midlight, light3d);
    palette.setColor(QPalette::Shadow, darkShadow);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, white);
    palette.setColor(QPalette::AlternateBase, face);
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, grayText);
    palette.setColor(QPalette::Link, QColor(0, 102, 204));
    palette.setColor(QPalette::LinkVisited, QColor(128, 0, 128));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, grayText);
    return palette;
}
