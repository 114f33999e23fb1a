// The main window's look that its load handler shares with the layout: the panel's crimson and the style
// of a label's text colour.
#pragma once

#include <QColor>
#include <QString>

namespace form1layout {

// The layer panel's background and the column headers' text.
inline const QColor kPanelColour(200, 50, 80);

// Style sheet of a label drawn in `text` over whatever lies behind it.
QString labelSheet(const QColor& text);

} // namespace form1layout
