// The pieces dialogs are built from: the key hook of text and combo boxes, the lifetime of a form, and the
// drive, folder and file lists.
#include "platform/core/drives.h"
#include "platform/gui/combobox.h"
#include "platform/gui/filenames.h"
#include "platform/gui/folderlists.h"
#include "platform/gui/form.h"
#include "platform/gui/textbox.h"
#include "tests/common/testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// A hook that records every code and drops ".", turns "a" into "A", and lets the rest pass.
struct Hook
{
    std::vector<int> codes;
    void operator()(int16_t& k)
    {
        codes.push_back(k);
        if (k == '.') {
            k = 0;
        } else if (k == 'a') {
            k = 'A';
        }
    }
};

} // namespace

TEST(TextBox, TypedKeysPassTheHookBeforeInsertionAndPastedTextDoesNot)
{
    platform::TextBox box;
    Hook hook;
    QObject::connect(&box, &platform::TextBox::KeyPress, [&hook](int16_t& k) { hook(k); });
    box.show();
    QTest::keyClicks(&box, "x.a");
    QTest::keyClick(&box, Qt::Key_Return);
    QTest::keyClick(&box, Qt::Key_Backspace);
    EXPECT_EQ(box.Text(), "x");
    QApplication::clipboard()->setText("p.q");
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box.Text(), "xp.q");
    EXPECT_EQ(hook.codes, (std::vector<int> { 'x', '.', 'a', 13, 8, 22 }));

    // Characters past 16 bits reach the hook as 32767 and are typed whole, from keys and input methods.
    box.clear();
    hook.codes.clear();
    const QString smile = QString::fromUcs4(U"\U0001F600");
    QTest::sendKeyEvent(QTest::KeyAction::Click, &box, Qt::Key_unknown, smile, {});
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUcs4(U"\uAC00.\U0001F600"));
    QApplication::sendEvent(&box, &commit);
    EXPECT_EQ(box.Text(), smile + QString::fromUcs4(U"\uAC00\U0001F600"));
    EXPECT_EQ(hook.codes, (std::vector<int> { 32767, 32767, '.', 32767 }));
}

TEST(ComboBox, EntriesKeepTheirOrderAndLeaveTheTextAlone)
{
    platform::ComboBox combo;
    combo.setText("Choose");
    combo.Clear();
    for (const char* name : { "Zeta", "alpha", "Mid" }) {
        combo.AddItem(name);
    }
    EXPECT_EQ(combo.Text(), "");
    EXPECT_EQ(combo.ListCount(), 3);
    EXPECT_EQ(combo.List(0), "Zeta");
    EXPECT_EQ(combo.List(2), "Mid");

    int clicks = 0;
    QObject::connect(&combo, &platform::ComboBox::Click, [&] { ++clicks; });
    QObject::connect(&combo, &platform::ComboBox::KeyPress, [](int16_t& k) { k = 0; });
    combo.show();
    QTest::keyClicks(combo.textField(), "typed");
    EXPECT_EQ(combo.Text(), "");
    combo.showPopup();
    QAbstractItemView* view = combo.view();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(1, 0)).center());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(combo.Text(), "alpha");
}

namespace {

struct CountingForm : platform::Form
{
    CountingForm() : Form(nullptr, 3000, 1500) { }
    void Form_Load() override { ++loads; }
    void Form_Unload() override { ++unloads; }
    static inline int loads = 0;
    static inline int unloads = 0;
};

} // namespace

TEST(Form, LoadedOnFirstUseOnceAndAfreshAfterUnloadOrTheCloseBox)
{
    platform::FormInstance<CountingForm> form;
    CountingForm* first = form.get();
    form->Show();
    EXPECT_EQ(form.get(), first);
    EXPECT_EQ(CountingForm::loads, 1);

    first->Unload();
    EXPECT_FALSE(form.loaded());
    EXPECT_NE(form.get(), first);
    EXPECT_EQ(CountingForm::loads, 2);
    EXPECT_EQ(CountingForm::unloads, 1);

    form->Show();
    form->close(); // the close box
    EXPECT_FALSE(form.loaded());
    EXPECT_EQ(CountingForm::unloads, 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(Drives, PseudoFileSystemsAreNoDrivesAndAPathBelongsToTheLongestMountPoint)
{
    const auto mounts = platform::fs::parseMountTable("proc /proc proc rw 0 0\n"
                                                      "/dev/sda1 / ext4 rw 0 0\n"
                                                      "tmpfs /dev/shm tmpfs rw 0 0\n"
                                                      "cgroup2 /mnt/cg cgroup2 rw 0 0\n"
                                                      "tmpfs /tmp tmpfs rw 0 0\n"
                                                      "/dev/sdb1 /t\\040m ext4 rw 0 0\n");
    ASSERT_EQ(mounts.size(), 6u);
    EXPECT_EQ(mounts[5].point, "/t m");
    EXPECT_EQ(platform::fs::browsableDrives(mounts), (std::vector<std::string> { "/", "/tmp" }));

    const std::vector<std::string> drives { "/", "/home", "/tmp" };
    EXPECT_EQ(platform::fs::driveOf("/home/user/x", drives), "/home");
    EXPECT_EQ(platform::fs::driveOf("/homework", drives), "/");
    EXPECT_EQ(platform::fs::driveOf("/tmp", drives), "/tmp");
}

TEST(FolderLists, ListVisibleSubfoldersAndMatchingFilesAndRefuseFoldersThatCannotBeListed)
{
    testsupport::TempFolder root;
    for (const char* folder : { "b", "A", ".hidden", "A/deep" }) {
        ASSERT_TRUE(QDir(root.path()).mkpath(folder));
    }
    for (const char* file : { "x.WAV", "y.wav", ".z.wav", "n.txt" }) {
        ASSERT_TRUE(testsupport::writeFile(root.file(file), "RIFF"));
    }
    platform::DirListBox dir;
    int changes = 0;
    QObject::connect(&dir, &platform::DirListBox::Change, [&] { ++changes; });
    ASSERT_TRUE(dir.setPath(root.path() + "/"));
    EXPECT_EQ(dir.Path(), root.path());
    EXPECT_EQ(dir.ListCount(), 2);
    EXPECT_EQ(dir.List(0), root.file("A"));
    EXPECT_EQ(dir.List(1), root.file("b"));
    EXPECT_FALSE(dir.setPath(root.file("missing")));
    EXPECT_EQ(dir.Path(), root.path());
    EXPECT_EQ(changes, 1);

    ASSERT_TRUE(dir.setPath("/"));
    EXPECT_TRUE(dir.List(0).startsWith("/") && !dir.List(0).startsWith("//"));

    platform::FileListBox files;
    files.setPattern("*.wav");
    ASSERT_TRUE(files.setPath(root.path()));
    ASSERT_EQ(files.ListCount(), 2);
    EXPECT_EQ(files.List(0), "x.WAV");
    EXPECT_EQ(files.List(1), "y.wav");
}

TEST(FolderLists, EnterOnAnEntryOpensTheFolderItStandsFor)
{
    testsupport::TempFolder root;
    const std::string top = QFile::encodeName(root.file("Top")).toStdString();
    for (const std::string& folder : { top, top + "/ lead", top + "/Caf\xe9", top + "/Inner" }) {
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0) << folder;
    }
    // Sorted subfolders: a name that begins with a blank keeps it, one that is not UTF-8 keeps its bytes.
    const std::vector<std::string> subfolders = { top + "/ lead", top + "/Caf\xe9", top + "/Inner" };
    platform::DirListBox dir;
    ASSERT_TRUE(dir.setPath(root.file("Top")));
    const int first = dir.count() - dir.ListCount();
    struct Case
    {
        int row;
        std::string opens;
    };
    std::vector<Case> cases = { { 0, "/" }, { first - 2, QFile::encodeName(root.path()).toStdString() } };
    for (int k = 0; k < 3; ++k) {
        cases.push_back({ first + k, subfolders[std::size_t(k)] });
    }
    for (const Case& c : cases) {
        ASSERT_TRUE(dir.setPath(root.file("Top")));
        dir.setCurrentRow(c.row);
        QTest::keyClick(&dir, Qt::Key_Return);
        EXPECT_EQ(platform::fileNameFromText(dir.Path()), c.opens) << "row " << c.row;
    }
}
