#include "tests/dialogs/dialogfixture.h"

#include <QCoreApplication>

FakeMain::FakeMain()
{
    folders = new platform::ListBox(&widget);
    for (auto*& l : lists) {
        l = new platform::ListBox(&widget);
    }
}

void DialogTest::SetUp()
{
    AppModul::ResetState();
    startFolder = QDir::currentPath();
    Commands::AppPath = program.path() + "/";
    for (const char* name : { "A_1.wav", "A_2.wav", "A_3.wav", "A.ini", "B_1.wav" }) {
        touch(QStringLiteral("Set/") + name);
    }
    main = new FakeMain;
    AppModul::setMainFormFactory([this] { return main; });
    main->folders->AddItem("Set");
    AppModul::PhrasePath = Commands::AppPath + "Set/";
    AppModul::FillPhraseLists(AppModul::PhrasePath);
}

void DialogTest::TearDown()
{
    AppModul::discardMainForm(); // and the dialogs it owns
    AppModul::setMainFormFactory(nullptr);
    AppModul::ResetState();
    settle();
    QDir::setCurrent(startFolder);
}

void DialogTest::touch(const QString& relative)
{
    const QString path = program.file(relative);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    ASSERT_TRUE(testsupport::writeFile(path, "RIFF"));
}

void DialogTest::settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
