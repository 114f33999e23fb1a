// A rename or move whose step fails after every check (a file marked immutable, a folder that only takes
// files in) puts back what already went, keeps the settings file where it is, says which file stayed and
// keeps its dialog open; a file that cannot come back is named where it is.
#include "tests/mainwindow/formfixture.h"

#include "dialogs/frmmoveset.h"
#include "dialogs/frmrenset.h"
#include "platform/gui/combobox.h"
#include "platform/gui/textbox.h"

#include <QDir>
#include <QPushButton>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// An inode flag (immutable, append only) set on a file or folder for as long as the object lives.
class FileMark
{
public:
    FileMark(const QString& path, int flag) : m_fd(::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC))
    {
        m_set = m_fd >= 0 && ::ioctl(m_fd, FS_IOC_GETFLAGS, &m_flags) == 0 && change(m_flags | flag);
    }
    ~FileMark()
    {
        if (m_set) {
            change(m_flags);
        }
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    bool set() const { return m_set; }

private:
    bool change(int flags) { return ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0; }
    int m_fd;
    int m_flags = 0;
    bool m_set = false;
};

class WholeSetTest : public FormTest
{
protected:
    void renameSet(const QString& name)
    {
        selectSet("A");
        popupChoose(0, 0, form->mnuRenameSet);
        frmRenSet::instance->txtNewName->setText(name);
        QTest::mouseClick(frmRenSet::instance->Command2, Qt::LeftButton);
    }
    void moveSet(const QString& destination)
    {
        selectSet("A");
        popupChoose(0, 0, form->mnuMove);
        frmMoveSet::instance->Combo1->setText(destination);
        QTest::mouseClick(frmMoveSet::instance->Command2, Qt::LeftButton);
    }
    const QStringList kSetFolder = { "A.ini", "A_1.wav", "A_2.wav", "A_3.wav", "B_1.wav", "B_2.wav", "C_1.wav" };
};

TEST_F(WholeSetTest, AStepThatFailsPutsBackWhatWentAndKeepsTheDialogOpen)
{
    ASSERT_TRUE(QDir().mkpath(program.file("Dest")));
    ASSERT_TRUE(testsupport::writeFile(phraseFolder() + "A.ini", kStoredSettings));
    struct Case
    {
        bool move; // else Rename Phrase Set to "Whole"
        const char* stuck; // the file marked immutable
        const char* message;
    };
    const Case cases[] = {
        { false, "A_2.wav", "'A_2.wav' could not be renamed (Operation not permitted). The set was left as it was." },
        { false, "A.ini", "'A.ini' could not be renamed (Operation not permitted). The set was left as it was." },
        { true, "A_3.wav", "'A_3.wav' could not be moved (Operation not permitted). The set was left as it was." },
        { true, "A.ini", "'A.ini' could not be moved (Operation not permitted). The set was left as it was." },
    };
    for (const Case& c : cases) {
        messages.clear();
        const FileMark immutable(phraseFolder() + c.stuck, FS_IMMUTABLE_FL);
        if (!immutable.set()) {
            GTEST_SKIP() << "the file system or this user cannot mark a file immutable";
        }
        c.move ? moveSet("Dest") : renameSet("Whole");
        EXPECT_EQ(messages, QStringList({ c.message })) << c.stuck;
        EXPECT_EQ(files(), kSetFolder) << c.stuck;
        EXPECT_EQ(files("Dest"), QStringList()) << c.stuck;
        EXPECT_EQ(entries(0), QStringList({ "A_1", "B_1", "C_1" })) << c.stuck;
        EXPECT_TRUE(c.move ? frmMoveSet::instance->isVisible() : frmRenSet::instance->isVisible()) << c.stuck;
    }
}

TEST_F(WholeSetTest, AFileThatCannotComeBackIsNamedWhereItIs)
{
    ASSERT_TRUE(QDir().mkpath(program.file("Dest")));
    // The destination takes files in but lets none out; the second file cannot go at all.
    const FileMark appendOnly(program.file("Dest"), FS_APPEND_FL);
    const FileMark immutable(phraseFolder() + "A_2.wav", FS_IMMUTABLE_FL);
    if (!appendOnly.set() || !immutable.set()) {
        GTEST_SKIP() << "the file system or this user cannot mark files immutable or append only";
    }
    moveSet("Dest");
    const QString dest = QDir(program.file("Dest")).canonicalPath();
    const QString set = QDir(phraseFolder()).canonicalPath();
    EXPECT_EQ(messages, QStringList({ "'A_2.wav' could not be moved (Operation not permitted), and 'A_1.wav' could "
                                      "not be moved back. Now 'A_1.wav' is in '"
                                      + dest + "'; 'A_2.wav', 'A_3.wav' and 'A.ini' are in '" + set + "'." }));
    EXPECT_EQ(files("Dest"), QStringList({ "A_1.wav" }));
    EXPECT_EQ(files(), QStringList({ "A.ini", "A_2.wav", "A_3.wav", "B_1.wav", "B_2.wav", "C_1.wav" }));
    // The lists show the files where they are; the dialog stays for another try or Cancel.
    EXPECT_EQ(entries(0), QStringList({ "B_1", "C_1" }));
    EXPECT_TRUE(frmMoveSet::instance->isVisible());
}

} // namespace
