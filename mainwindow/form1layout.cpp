// The main window's controls and menus as the layout places them, in twips.
#include "mainwindow/form1layout.h"
#include "mainwindow/form1.h"

#include "controls/animknob.h"
#include "controls/colours.h"
#include "controls/togglebutton.h"
#include "platform/gui/listbox.h"
#include "platform/gui/propertybag.h"
#include "platform/gui/toolkit.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace {

QString rgb(const QColor& c)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

// Pixel rectangle of a control placed in twips.
QRect twips(int left, int top, int width, int height)
{
    return QRect(platform::twipsToPixels(left), platform::twipsToPixels(top), platform::twipsToPixels(width),
                 platform::twipsToPixels(height));
}

QFont arialBold(double points)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(platform::pointsToPixels(points));
    font.setBold(true);
    return font;
}

void styleList(platform::ListBox* list, const QColor& background, const QColor& text, double points)
{
    list->setFont(arialBold(points));
    list->setStyleSheet(QStringLiteral("QListView { background: %1; color: %2; }").arg(rgb(background), rgb(text)));
}

QLabel* makeLabel(QWidget* parent, const QString& caption, const QRect& geometry)
{
    auto* label = new QLabel(caption, parent);
    label->setGeometry(geometry);
    label->setFont(arialBold(9));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setStyleSheet(form1layout::labelSheet(QColor(224, 224, 224)));
    return label;
}

} // namespace

QString form1layout::labelSheet(const QColor& text)
{
    return QStringLiteral("QLabel { color: %1; background: transparent; }").arg(rgb(text));
}

void Form1::buildLayout()
{
    auto* client = new QWidget(this);
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, Qt::black);
    client->setPalette(pal);
    client->setFixedSize(platform::twipsToPixels(14010), platform::twipsToPixels(9855));
    setCentralWidget(client);

    List1 = new platform::ListBox(client);
    List1->setGeometry(twips(240, 240, 2955, 9420));
    styleList(List1, controls::kListGrey, QColor(192, 192, 192), 9.75);

    Picture1 = new QFrame(client);
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1->setLineWidth(2);
    Picture1->setGeometry(twips(3480, 240, 10275, 7515));
    Picture1->setAutoFillBackground(true);
    const int inner = Picture1->frameWidth(); // children are placed from the panel's inner corner
    auto place = [inner](QWidget* w, const QRect& r) { w->setGeometry(r.translated(inner, inner)); };
    auto at = [inner](QWidget* w, int left, int top) {
        w->move(platform::twipsToPixels(left) + inner, platform::twipsToPixels(top) + inner);
    };

    const int columnLeft[3] = { 240, 3540, 6840 };
    for (int k = 0; k < 3; ++k) {
        Picture2[k] = new QWidget(Picture1);
        place(Picture2[k], twips(columnLeft[k], 120, 3135, 435));
        Picture2[k]->setAutoFillBackground(true);
        QPalette p = Picture2[k]->palette();
        p.setColor(QPalette::Window, QColor(224, 224, 224));
        Picture2[k]->setPalette(p);

        Label2[k] = new QLabel(QStringLiteral("P H R A S E   %1").arg(k + 1), Picture2[k]);
        Label2[k]->setGeometry(twips(0, 0, 3195, 435));
        Label2[k]->setFont(arialBold(18));
        Label2[k]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        Label2[k]->setAttribute(Qt::WA_TranslucentBackground);

        lstPhrase[k] = new platform::ListBox(Picture1);
        place(lstPhrase[k], twips(columnLeft[k], 1560, 3135, 5685));
        styleList(lstPhrase[k], controls::kListGrey, QColor(255, 255, 128), 9);
    }

    const QString level = QStringLiteral("Level");
    lblVolume[0] = makeLabel(Picture1, level, twips(225, 600, 795, 195).translated(inner, inner));
    lblVolume[1] = makeLabel(Picture1, level, twips(3555, 600, 735, 195).translated(inner, inner));
    lblVolume[2] = makeLabel(Picture1, level, twips(6825, 600, 795, 195).translated(inner, inner));
    struct LabelSpec
    {
        const char* caption;
        int left, top, width, height;
    };
    const LabelSpec labels[9] = {
        { "Pan", 1245, 600, 495, 195 },  { "Pan", 4545, 600, 495, 195 },  { "Pan", 7785, 600, 615, 195 },
        { "Mute", 2100, 600, 495, 195 }, { "Play", 2760, 600, 495, 285 }, { "Play", 6060, 600, 495, 285 },
        { "Mute", 5400, 600, 495, 195 }, { "Play", 9360, 600, 495, 285 }, { "Mute", 8700, 600, 495, 195 },
    };
    for (int i = 0; i < 9; ++i) {
        const LabelSpec& s = labels[i];
        Label1[i] = makeLabel(Picture1, QLatin1String(s.caption),
                              twips(s.left, s.top, s.width, s.height).translated(inner, inner));
    }

    // Knobs as the layout stores them: level knobs 40..100 at 80, pan knobs 35..65 at 50.
    const platform::PropertyBag levelProps { { QStringLiteral("Min"), 40 } };
    const platform::PropertyBag panProps { { QStringLiteral("Min"), 35 },
                                           { QStringLiteral("Max"), 65 },
                                           { QStringLiteral("Value"), 50 } };
    animKnob** knobs[6] = { &animKnob1, &animKnob2, &animKnob3, &animKnob4, &animKnob5, &animKnob6 };
    const int knobLeft[6] = { 270, 1125, 3570, 4425, 6870, 7725 };
    for (int i = 0; i < 6; ++i) {
        auto* knob = new animKnob(Picture1);
        at(knob, knobLeft[i], 780);
        knob->UserControl_ReadProperties(i % 2 == 0 ? levelProps : panProps);
        *knobs[i] = knob;
    }

    miniButton** mutes[3] = { &miniButton1, &miniButton2, &miniButton3 };
    miniButtonGreen** plays[3] = { &miniButtonGreen1, &miniButtonGreen2, &miniButtonGreen3 };
    const platform::PropertyBag noProps;
    for (int k = 0; k < 3; ++k) {
        *mutes[k] = new miniButton(Picture1);
        at(*mutes[k], 2160 + 3300 * k, 960);
        (*mutes[k])->UserControl_ReadProperties(noProps);
        *plays[k] = new miniButtonGreen(Picture1);
        at(*plays[k], 2820 + 3300 * k, 960);
        (*plays[k])->UserControl_ReadProperties(noProps);
    }

    syncButton1 = new syncButton(client);
    syncButton1->move(platform::twipsToPixels(3480), platform::twipsToPixels(7860));
    syncButton1->UserControl_ReadProperties(noProps);
}

void Form1::buildMenus()
{
    mnuOptions = menuBar()->addMenu(QStringLiteral("Options"));
    mnuSync = mnuOptions->addAction(QStringLiteral("Phrase Sync"));
    mnuAutoPlay = mnuOptions->addAction(QStringLiteral("Auto Play"));
    mnuEnding = mnuOptions->addAction(QStringLiteral("Show Extension"));
    for (QAction* item : { mnuSync, mnuAutoPlay, mnuEnding }) {
        item->setCheckable(true);
    }
    mnuSync->setChecked(true);
    mnuAutoPlay->setChecked(true);
    mnuEnding->setChecked(false);
    mnuSave = menuBar()->addAction(QStringLiteral("Save Settings"));

    // The phrase lists' right-click menu; never part of the menu bar.
    mnuPop = new QMenu(QStringLiteral("PopupMenu"), this);
    mnuRename = mnuPop->addAction(QStringLiteral("Rename Phrase"));
    mnuRenameSet = mnuPop->addAction(QStringLiteral("Rename Phrase Set"));
    mnuPop->addSeparator();
    mnuDel = mnuPop->addAction(QStringLiteral("Delete Phrase"));
    mnuDelSet = mnuPop->addAction(QStringLiteral("Delete Phrase Set"));
    mnuPop->addSeparator();
    mnuMove = mnuPop->addAction(QStringLiteral("Move Phrase Set"));
    platform::chooseWithLeftButtonOnly(mnuPop);

    // The client area keeps its size; the window is as large as the menu bar and the client area.
    setFixedSize(centralWidget()->width(), centralWidget()->height() + menuBar()->sizeHint().height());
}
