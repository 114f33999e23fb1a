// The main window's look that its load handler shares with the layout: the style of a label's text colour.
#pragma once

#include <QColor>
#include <QString>

namespace form1layout {

// Style sheet of a label drawn in `text` over whatever lies behind it.
QString labelSheet(const QColor& text);

} // namespace form1layout
