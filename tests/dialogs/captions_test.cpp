// The dialogs' captions on this system's fonts: each label's text stays within its box and clear of the
// controls that its box runs under.
#include "dialogs/frmmoveset.h"
#include "dialogs/frmrename.h"
#include "dialogs/frmrenset.h"
#include "tests/dialogs/dialogfixture.h"

#include <QLabel>

TEST_F(DialogTest, LabelTextStaysClearOfTheControlsBesideIt)
{
    const QList<QWidget*> dialogs
        = { frmRename::instance.get(), frmRenSet::instance.get(), frmMoveSet::instance.get() };
    for (QWidget* dialog : dialogs) {
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            int visibleRight = label->geometry().right() + 1;
            for (QWidget* other : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (other != label && other->x() > label->x() && other->geometry().intersects(label->geometry())) {
                    visibleRight = std::min(visibleRight, other->x());
                }
            }
            const int textRight = label->x() + label->fontMetrics().horizontalAdvance(label->text());
            EXPECT_LE(textRight, visibleRight)
                << label->text().toStdString() << " in " << dialog->windowTitle().toStdString();
        }
    }
}
