// Before a rename or move does anything, it checks that the user may take each file away and put it in its
// place, as the kernel will judge it: a shared folder's sticky bit, folders the user may not write, files
// that are no regular files. The user here is "nobody"; the superuser owns what nobody may not touch.
#include "dialogs/phrasefiles.h"
#include "tests/common/testsupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = platform::fs;

namespace {

constexpr uid_t kNobody = 65534;

// A folder of the test's with a mode, and files A_1.wav to A_3.wav owned by nobody except `rootsFile`.
void makeFolder(const QString& path, mode_t mode, const char* rootsFile = nullptr)
{
    ASSERT_TRUE(QDir().mkpath(path));
    for (const char* name : { "A_1.wav", "A_2.wav", "A_3.wav" }) {
        const QString file = path + "/" + name;
        ASSERT_TRUE(testsupport::writeFile(file, name));
        const bool roots = rootsFile && QString(name) == rootsFile;
        ASSERT_EQ(::chown(file.toLocal8Bit().constData(), roots ? 0 : kNobody, roots ? 0 : kNobody), 0);
        ASSERT_EQ(::chmod(file.toLocal8Bit().constData(), 0666), 0);
    }
    ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), mode), 0);
}

} // namespace

TEST(PhraseFilesPlan, AFileTheUserMayNotTakeAwayOrPutInPlaceRefusesThePlanBeforeAnythingMoves)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs the superuser to give files to another user";
    }
    testsupport::TempFolder dir;
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 0755), 0);
    makeFolder(dir.file("Shared"), 01777, "A_2.wav"); // a studio's shared folder
    makeFolder(dir.file("Locked"), 0755);
    makeFolder(dir.file("Open"), 0777);
    for (const char* folder : { "Dest", "Closed" }) {
        ASSERT_TRUE(QDir().mkpath(dir.file(folder)));
    }
    ASSERT_EQ(::chmod(dir.file("Dest").toLocal8Bit().constData(), 0777), 0);
    ASSERT_EQ(::mkfifo(dir.file("Open/B_1.wav").toLocal8Bit().constData(), 0666), 0);

    struct Case
    {
        const char* from;
        const char* to; // "" for a rename in the same folder
        const char* file;
        const char* message;
    };
    const Case cases[] = {
        { "Shared", "Dest", "", "'A_2.wav' cannot be moved: it belongs to another user in a shared folder." },
        { "Shared", "", "", "'A_2.wav' cannot be renamed: it belongs to another user in a shared folder." },
        { "Locked", "Dest", "", "'A_1.wav' cannot be moved: you may not change the folder it is in." },
        { "Open", "Closed", "", "'A_1.wav' cannot be moved: you may not write in the folder it goes to." },
        { "Open", "Dest", "B_1.wav", "'B_1.wav' is not a regular file." },
    };
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    EXPECT_TRUE(testsupport::runAsNobody([&] {
        ASSERT_TRUE(QDir().mkpath(dir.file("Dest/../Dest2")) || QDir(dir.file("Dest")).exists());
        for (const Case& c : cases) {
            const fs::HeldFolder from = fs::HeldFolder::open(dir.file(c.from).toStdString());
            const QString to = *c.to ? dir.file(c.to) : dir.file(c.from);
            PhraseFiles::Plan plan(from, fs::HeldFolder::open(to.toStdString()));
            const bool rename = !*c.to;
            if (*c.file) {
                plan.addSound(c.file, c.file);
            } else {
                for (int k = 1; k <= 3; ++k) {
                    const std::string name = "A_" + std::to_string(k) + ".wav";
                    plan.addSound(name, rename ? "Z_" + std::to_string(k) + ".wav" : name);
                }
            }
            EXPECT_EQ(plan.refusal().value_or("none"), c.message) << c.from << " to " << c.to;
            const PhraseFiles::Result result = plan.run();
            EXPECT_EQ(result.outcome, PhraseFiles::Outcome::Refused) << c.from << " to " << c.to;
            for (const char* name : { "A_1.wav", "A_2.wav", "A_3.wav" }) {
                EXPECT_TRUE(QFile::exists(dir.file(c.from) + "/" + name)) << c.from << " " << name;
            }
        }
    }));
    EXPECT_TRUE(QDir(dir.file("Dest")).isEmpty());
}
