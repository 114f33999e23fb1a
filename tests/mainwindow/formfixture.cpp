#include "tests/mainwindow/formfixture.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTimer>

void FormTest::writePhrases()
{
    wav("Set/A_1.wav", 0.1f);
    wav("Set/A_2.wav", 0.2f);
    wav("Set/A_3.wav", 0.3f);
    wav("Set/B_1.wav", 0.4f);
    wav("Set/B_2.wav", 0.5f);
    wav("Set/C_1.wav", 0.6f);
}

void FormTest::SetUp()
{
    AppModul::ResetState();
    writePhrases();
    const QByteArray settings = programSettings();
    if (!settings.isEmpty()) {
        ASSERT_TRUE(testsupport::writeFile(program.file("Corvadel.ini"), settings));
    }
    platform::setMessageBoxHandler([this](const QString& text, int, const QString&) {
        messages << text;
        return 1;
    });
    DX7Sound::OfflineDevice = offlineSound();
    Form1::registerAsMainForm([] {});
    AppModul::Main(program.path(), temp.path());
    form = dynamic_cast<Form1*>(AppModul::mainForm());
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
}

void FormTest::TearDown()
{
    DX7Sound::Shutdown();
    DX7Sound::OfflineDevice = false;
    AppModul::discardMainForm();
    AppModul::setMainFormFactory(nullptr);
    AppModul::ResetState();
    platform::setMessageBoxHandler({});
}

QString FormTest::phraseFolder(const QString& name) const
{
    return program.file(name) + "/";
}

void FormTest::wav(const QString& relative, float value)
{
    const QString path = program.file(relative);
    QDir().mkpath(QFileInfo(path).path());
    ASSERT_TRUE(testsupport::writeLevelWav(path, value));
}

void FormTest::pressEntry(int list, int row, Qt::MouseButton button)
{
    platform::ListBox* l = form->lstPhrase[list];
    ASSERT_LT(row, l->ListCount());
    const QPoint at = l->visualRect(l->model()->index(row, 0)).center();
    QTest::mousePress(l->viewport(), button, {}, at);
    QTest::mouseRelease(l->viewport(), button, {}, at);
}

void FormTest::pressListBelowEntries(int list, Qt::MouseButton button)
{
    platform::ListBox* l = form->lstPhrase[list];
    const QPoint at(10, l->viewport()->height() - 5);
    ASSERT_FALSE(l->indexAt(at).isValid());
    QTest::mousePress(l->viewport(), button, {}, at);
    QTest::mouseRelease(l->viewport(), button, {}, at);
}

namespace {
QWidget* deepestAt(QWidget* control, QPoint& at)
{
    at = control->rect().center();
    QWidget* target = control->childAt(at);
    if (!target) {
        return control;
    }
    at = target->mapFrom(control, at);
    return target;
}
} // namespace

void FormTest::press(QWidget* control, Qt::MouseButton button)
{
    QPoint at;
    QWidget* target = deepestAt(control, at);
    QTest::mousePress(target, button, {}, at);
    QTest::mouseRelease(target, button, {}, at);
}

void FormTest::doubleClick(QWidget* control)
{
    QPoint at;
    QWidget* target = deepestAt(control, at);
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
    QTest::mouseDClick(target, Qt::LeftButton, {}, at);
    QTest::mouseRelease(target, Qt::LeftButton, {}, at);
}

void FormTest::turn(animKnob* knob, int steps)
{
    // The knob compares each row with the row of its last step, which starts at 0: moving from there
    // row by row turns it one frame per move in the wanted direction.
    QPoint at;
    QWidget* target = deepestAt(knob, at);
    int& row = m_lastRow[knob];
    QTest::mousePress(target, Qt::LeftButton, {}, QPoint(at.x(), row));
    for (int i = 0; i < std::abs(steps); ++i) {
        row += steps > 0 ? -1 : 1;
        const QPointF pos(at.x(), row);
        QMouseEvent move(QEvent::MouseMove, pos, target->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(target, &move);
    }
    QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(at.x(), row));
}

void FormTest::chooseOption(QAction* item)
{
    QMenuBar* bar = form->menuBar();
    const QRect title = bar->actionGeometry(form->mnuOptions->menuAction());
    QTest::mouseClick(bar, Qt::LeftButton, {}, title.center());
    QMenu* menu = form->mnuOptions;
    ASSERT_TRUE(menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

void FormTest::popupChoose(int list, int row, QAction* item)
{
    bool chosen = false;
    QTimer::singleShot(0, [&] {
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(item).center());
            chosen = true;
        }
    });
    pressEntry(list, row, Qt::RightButton);
    ASSERT_TRUE(chosen);
}

QStringList FormTest::entries(int k) const
{
    QStringList out;
    for (int i = 0; i < form->lstPhrase[k]->ListCount(); ++i) {
        out << form->lstPhrase[k]->List(i);
    }
    return out;
}

const platform::SoundBuffer& FormTest::slot(int k) const
{
    return *DX7Sound::SoundBuffers.at(size_t(k)).Buffer;
}

QString FormTest::slotFile(int k) const
{
    return QFileInfo(QString::fromStdString(slot(k).path())).fileName();
}

QStringList FormTest::files(const QString& folder) const
{
    return QDir(program.file(folder)).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

void FormTest::settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

const QByteArray FormTest::kStoredSettings = "[Vellmarin Corvadel]\r\nLevel1=90\r\n";

void FormTest::writeCaseTwins()
{
    for (int k = 1; k <= 3; ++k) {
        wav(QString("Set/Beat_%1.wav").arg(k), 0.1f);
        wav(QString("Set/beat_%1.WAV").arg(k), 0.2f);
    }
    wav("Set/Pad_2.wav", 0.3f);
    wav("Set/pad_2.WAV", 0.4f);
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "Beat.ini", kStoredSettings));
    AppModul::FillPhraseLists(AppModul::phraseFolder());
}

void FormTest::selectSet(const QString& base)
{
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(form->lstPhrase[k]->setSelected(row(k, QString("%1_%2").arg(base).arg(k + 1)))) << k;
    }
}
