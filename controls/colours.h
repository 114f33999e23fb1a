// The colours the controls' art and the windows share.
#pragma once

#include <QColor>

namespace controls {

// The layer panel's crimson: the knob and key strips are drawn on it, and the column headers' text is in it.
inline const QColor kPanelColour(200, 50, 80);
// The dark grey behind the lists of the main window and the dialogs.
inline const QColor kListGrey(64, 64, 64);

} // namespace controls
